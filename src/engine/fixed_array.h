#pragma once
// Arrays with fixed inclusive bounds 0..N, indexed with (i) or (row, column) as the assay state
// names them: STD_Count(3 + k, j). Out-of-bounds access is a programming error and aborts.

#include <array>
#include <cstddef>
#include <cstdlib>

namespace quorin {

template <typename T, std::size_t Last>
class Fixed_Array {
 public:
  T& operator()(std::size_t i) { return items_[check(i)]; }
  const T& operator()(std::size_t i) const { return items_[check(i)]; }
  static constexpr std::size_t last = Last;
  void fill(const T& value) { items_.fill(value); }
  T* data() { return items_.data(); }
  const T* data() const { return items_.data(); }

 private:
  static std::size_t check(std::size_t i) {
    if (i > Last) std::abort();
    return i;
  }
  std::array<T, Last + 1> items_{};
};

template <typename T, std::size_t Last_Row, std::size_t Last_Column>
class Fixed_Table {
 public:
  static constexpr std::size_t columns = Last_Column + 1;
  T& operator()(std::size_t row, std::size_t column) { return items_[check(row, column)]; }
  const T& operator()(std::size_t row, std::size_t column) const { return items_[check(row, column)]; }
  // The cells of one row, columns 0..Last_Column, contiguous: for bulk work on large tables.
  T* row(std::size_t row) { return items_.data() + check(row, 0); }
  const T* row(std::size_t row) const { return items_.data() + check(row, 0); }
  static constexpr std::size_t last_row = Last_Row;
  static constexpr std::size_t last_column = Last_Column;
  void fill(const T& value) { items_.fill(value); }

 private:
  static std::size_t check(std::size_t row, std::size_t column) {
    if (row > Last_Row || column > Last_Column) std::abort();
    return row * columns + column;
  }
  std::array<T, (Last_Row + 1) * (Last_Column + 1)> items_{};
};

}  // namespace quorin
