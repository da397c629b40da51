#include "results/interval_cells.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "results/export_rows.h"
#include "results/result_table.h"
#include "text/format.h"

namespace quorin {

namespace {

// Rows per chunk: the calling thread waits for the first chunk alone, well under a millisecond.
constexpr Long Chunk_Rows = 2048;

// ",lower,upper" at full precision (up to 15 significant digits), ",," for none.
void append_bounds(std::string& text, const std::optional<Concentration_Interval>& interval) {
  char cells[2 * text::General_Number_Size + 2];
  char* end = cells;
  *end++ = ',';
  if (interval) end = text::shortest_number_to(end, interval->lower);
  *end++ = ',';
  if (interval) end = text::shortest_number_to(end, interval->upper);
  text.append(cells, end);
}

}  // namespace

Interval_Cells::Interval_Cells(const Assay_State& state, const Flag_Limits& limits, Interval_Basis basis)
    : state_(state),
      limits_(limits),
      basis_(std::move(basis)),
      standards_(item_count(state, Result_Kind::Standard_Conc)),
      sera_(item_count(state, Result_Kind::Sera)),
      rows_(standards_ + sera_ + item_count(state, Result_Kind::Sample)),
      chunks_(static_cast<std::size_t>((rows_ + Chunk_Rows - 1) / Chunk_Rows)) {
  // The calling thread writes the rows, the other cores make the cells; on one core a single
  // worker still lets the two take turns.
  const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
  const std::size_t workers = std::min<std::size_t>(cores - 1, chunks_.size());
  try {
    for (std::size_t w = 0; w < workers; ++w) workers_.emplace_back([this] { work(); });
  } catch (const std::system_error&) {  // no thread to be had: the calling thread makes the cells
  }
}

Interval_Cells::~Interval_Cells() {
  stop_ = true;
  for (std::thread& worker : workers_) worker.join();
}

void Interval_Cells::work() {
  for (std::size_t chunk = next_++; chunk < chunks_.size() && !stop_; chunk = next_++) make(chunk);
}

void Interval_Cells::make(std::size_t index) {
  Chunk& chunk = chunks_[index];
  try {
    const Long first = static_cast<Long>(index) * Chunk_Rows;
    const Long last = std::min(rows_, first + Chunk_Rows);
    chunk.text.reserve(static_cast<std::size_t>(last - first) * 80);
    chunk.ends.reserve(static_cast<std::size_t>(last - first) * 2 + 1);
    chunk.ends.push_back(0);
    for (Long row = first; row < last; ++row) {
      Result_Kind kind = Result_Kind::Sample;
      Long item = row + 1 - standards_ - sera_;
      if (row < standards_) {
        kind = Result_Kind::Standard_Conc;
        item = row + 1;
      } else if (row < standards_ + sera_) {
        kind = Result_Kind::Sera;
        item = row + 1 - standards_;
      }
      const auto interval = item_interval(state_, basis_, kind, item, item_flags(state_, kind, item, limits_));
      append_bounds(chunk.text, interval);
      chunk.ends.push_back(static_cast<std::uint32_t>(chunk.text.size()));
      append_bounds(chunk.text, kind == Result_Kind::Sample && interval
                                    ? std::optional(diluted(*interval, state_.Dilution_Factor))
                                    : std::nullopt);
      chunk.text += ',';
      chunk.text += interval_premise(interval);
      chunk.ends.push_back(static_cast<std::uint32_t>(chunk.text.size()));
    }
  } catch (...) {
    chunk.failure = std::current_exception();
  }
  chunk.ready.store(true, std::memory_order_release);
  chunk.ready.notify_all();
}

const Interval_Cells::Chunk& Interval_Cells::chunk_of(std::size_t row) {
  Chunk& chunk = chunks_[row / static_cast<std::size_t>(Chunk_Rows)];
  while (!chunk.ready.load(std::memory_order_acquire)) {
    // Rather than wait idle, take a chunk nobody has: with no worker, this makes them all in turn.
    if (const std::size_t free = next_++; free < chunks_.size()) make(free);
    else chunk.ready.wait(false, std::memory_order_acquire);
  }
  if (chunk.failure) std::rethrow_exception(chunk.failure);
  return chunk;
}

std::string_view Interval_Cells::mean_cells(std::size_t row) {
  const Chunk& chunk = chunk_of(row);
  const std::size_t r = row % static_cast<std::size_t>(Chunk_Rows);
  return std::string_view(chunk.text).substr(chunk.ends[2 * r], chunk.ends[2 * r + 1] - chunk.ends[2 * r]);
}

std::string_view Interval_Cells::value_cells(std::size_t row) {
  const Chunk& chunk = chunk_of(row);
  const std::size_t r = row % static_cast<std::size_t>(Chunk_Rows);
  return std::string_view(chunk.text).substr(chunk.ends[2 * r + 1], chunk.ends[2 * r + 2] - chunk.ends[2 * r + 1]);
}

}  // namespace quorin
