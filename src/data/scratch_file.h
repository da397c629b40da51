#pragma once
// The data sheet's working copy of the counts: a file of fixed 8-byte records, record k holding
// sheet row k (k from 1) at byte 8·(k − 1): count (signed 32-bit), group number and tube number
// (signed 16-bit each), all little-endian. The file is one that no folder holds: each sheet has
// its own, which goes with its owner however the program ends, so two programs started in one
// folder never share one and no file of the user's is touched.
//
// Every operation reports failure by returning false; the file is then closed and every later
// operation fails too, so a sheet never shows half-written rows as if they were stored.

#include <cstddef>
#include <memory>
#include <vector>

#include "engine/assay_state.h"

namespace quorin {

struct Cell_Rec {
  Long count = 0;
  Integer group = 0;
  Integer tube = 0;
  friend bool operator==(const Cell_Rec&, const Cell_Rec&) = default;
};

class Scratch_File {
 public:
  static constexpr long Record_Length = 8;

  Scratch_File() = default;
  ~Scratch_File();
  Scratch_File(const Scratch_File&) = delete;
  Scratch_File& operator=(const Scratch_File&) = delete;

  // Opens a new empty file (closing the one held); it is gone once it is closed.
  bool open_anonymous();
  bool is_open() const { return fd_ >= 0; }

  // Makes the file hold exactly `count` records, record 1 first, with one write: fill(put)
  // calls put(Cell_Rec) once for each record in order.
  template <typename Fill>
  bool rebuild(long count, Fill&& fill) {
    if (fd_ < 0 || count < 0) return false;
    const auto size = static_cast<std::size_t>(count) * Record_Length;
    // Every byte is written below, so the buffer is left uninitialised.
    const std::unique_ptr<unsigned char[]> bytes(new unsigned char[size]);
    long put = 0;
    fill([&](const Cell_Rec& record) {
      if (put < count) encode(record, bytes.get() + put * Record_Length);
      ++put;
    });
    if (put != count) return fail();  // more or fewer records than the sheet has rows
    return replace_with(bytes.get(), size);
  }
  // Reads records first .. first + count − 1 with one positioned read.
  bool read(long first, long count, Cell_Rec* out);
  bool write_count(long record, Long count);

  // Moves the counts of records `row` .. `last` down by one record; the count of `last` is
  // lost and `row` gets 0. Groups and tubes stay where they are.
  bool insert_count(long row, long last);
  // Moves the counts of records `row` + 1 .. `last` up by one record over the count of `row`;
  // `last` gets 0.
  bool delete_count(long row, long last);

 private:
  bool read_bytes(long first, long count, std::vector<unsigned char>& bytes);
  bool write_bytes(long first, const unsigned char* bytes, std::size_t size);
  bool replace_with(const unsigned char* bytes, std::size_t size);
  static void encode(const Cell_Rec& record, unsigned char* at);
  bool fail();
  int fd_ = -1;
};

}  // namespace quorin
