#pragma once
// The 95 % interval cells of every row of the results CSV, made on the machine's other cores
// while the calling thread writes the rows: reading each item's interval off the curve and
// writing its bounds costs about half of what the rest of a row does, and done beside the rows
// instead of among them it adds little to the export's time.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/assay_state.h"
#include "engine/concentration_interval.h"
#include "engine/result_flags.h"

namespace quorin {

class Interval_Cells {
 public:
  // Starts on every row of the export of `state`: its standards, control sera and samples in
  // number order, as for_each_export_row gives them, each judged by its flags against `limits`
  // and read off the curve of `basis`.
  Interval_Cells(const Assay_State& state, const Flag_Limits& limits, Interval_Basis basis);
  // Stops the cores still at work and waits for them.
  ~Interval_Cells();
  Interval_Cells(const Interval_Cells&) = delete;
  Interval_Cells& operator=(const Interval_Cells&) = delete;

  // ",lower,upper" of the mean of row `row` (counted from 0 over the whole export), ",," for
  // none. Waits until the row's cells are made (making them itself when no core is at them);
  // throws what making them threw.
  std::string_view mean_cells(std::size_t row);
  // ",lower,upper,premise" of the dilution-corrected value (a sample's; ",," for the others and
  // for none) and the mark "仮定" of an interval that rests on an assumption.
  std::string_view value_cells(std::size_t row);

 private:
  // The cells of consecutive rows: row r's mean cells are text[ends[2r], ends[2r+1]), its value
  // cells text[ends[2r+1], ends[2r+2]).
  struct Chunk {
    std::string text;
    std::vector<std::uint32_t> ends;
    std::exception_ptr failure;
    std::atomic<bool> ready{false};
  };

  const Chunk& chunk_of(std::size_t row);
  void make(std::size_t chunk);
  void work();

  const Assay_State& state_;
  const Flag_Limits limits_;
  const Interval_Basis basis_;
  Long standards_ = 0, sera_ = 0, rows_ = 0;
  std::vector<Chunk> chunks_;
  std::atomic<std::size_t> next_{0};  // the first chunk nobody has taken
  std::atomic<bool> stop_{false};
  std::vector<std::thread> workers_;
};

}  // namespace quorin
