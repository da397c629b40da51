#include "data/count_file.h"

#include <algorithm>

#include "data/sheet_layout.h"
#include "text/format.h"
#include "text/items.h"
#include "text/number_text.h"
#include "text/text_file.h"

namespace quorin {

Count_Items read_count_items(std::string_view bytes) {
  Count_Items result;
  result.counts.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
  text::Item_Reader reader(bytes);
  for (;;) {
    const std::size_t line = reader.line_number();
    const std::optional<std::string_view> item = reader.next();
    if (!item) break;
    const std::optional<Long> count = text::to_long(text::Val(*item));
    if (!count) {
      result.counts.clear();
      result.bad_line = line;
      break;
    }
    result.counts.push_back(*count);
  }
  return result;
}

std::size_t store_counts(Assay_State& state, const std::vector<Long>& counts) {
  Sheet_Layout fixed_rows = Sheet_Layout::of(state);
  fixed_rows.samples = 0;
  std::size_t next = 0;
  for_each_tube(state, fixed_rows, [&](Long& cell, long, long) {
    if (next < counts.size()) cell = counts[next++];
  });

  const long tubes = fixed_rows.sample_tubes;
  if (tubes <= 0) return counts.size() - next;
  for (long sample = 1; next < counts.size() && sample <= Max_Samples; ++sample) {
    Long* row = state.Sample_Count.row(sample);
    for (long tube = 1; tube <= tubes && next < counts.size(); ++tube) row[tube] = counts[next++];
    state.Sample_Number = sample;
  }
  return counts.size() - next;
}

std::string count_file_bytes(const Assay_State& state) {
  const Sheet_Layout layout = Sheet_Layout::of(state);
  text::Line_Writer writer;
  writer.reserve(static_cast<std::size_t>(std::max(0L, layout.total())) * 10);
  for_each_tube(state, layout, [&](const Long& count, long, long) {
    if (count != 0) {
      writer.ascii(text::signed_text(count));
      writer.ascii(" ");
    }
    writer.end_line();
  });
  return writer.bytes();
}

}  // namespace quorin
