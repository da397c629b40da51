#include "data/count_file.h"

#include <algorithm>
#include <cstring>

#include "data/sheet_layout.h"
#include "text/format.h"
#include "text/items.h"
#include "text/number_text.h"
#include "text/text_file.h"

namespace quorin {

namespace {

constexpr char End_Of_File_Mark = '\x1A';

// The blanks that may stand around a count (those Val skips).
constexpr bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

Count_Fault count_of(std::string_view item, Long& count) {
  while (!item.empty() && is_blank(item.front())) item.remove_prefix(1);
  while (!item.empty() && is_blank(item.back())) item.remove_suffix(1);
  count = 0;
  if (item.empty()) return Count_Fault::None;
  // The common item at once: a sign and up to nine digits.
  const std::size_t sign = item[0] == '-' || item[0] == '+' ? 1 : 0;
  if (item.size() > sign && item.size() - sign <= 9) {
    std::size_t i = sign;
    for (; i < item.size() && is_digit(item[i]); ++i) count = count * 10 + (item[i] - '0');
    if (i == item.size()) {
      if (item[0] == '-') count = -count;
      return Count_Fault::None;
    }
    count = 0;
  }
  if (std::any_of(item.begin(), item.end(), is_blank)) return Count_Fault::Not_A_Count;
  const std::optional<double> value = text::sole_number(item);
  if (!value) return Count_Fault::Not_A_Count;
  const std::optional<Long> whole = text::to_long(*value);
  if (!whole) return Count_Fault::Too_Large;
  count = *whole;
  return Count_Fault::None;
}

// Takes the items of a file one by one.
class Count_Reader {
 public:
  Count_Reader(std::size_t room, std::size_t size_hint) : room_(room) {
    items_.counts.reserve(std::min(room, size_hint / 2 + 1));
  }
  // False when the item is no count: reading stops there.
  bool take(std::string_view item, std::size_t line) {
    Long count = 0;
    if (const Count_Fault fault = count_of(item, count); fault != Count_Fault::None) {
      refuse(fault, line, item);
      return false;
    }
    if (items_.total++ < room_) items_.counts.push_back(count);
    return true;
  }
  void refuse(Count_Fault fault, std::size_t line, std::string_view item) {
    items_.fault = fault;
    items_.bad_line = line;
    items_.bad_item = item;
    items_.counts.clear();
  }
  Count_Items finish() { return std::move(items_); }

 private:
  std::size_t room_;
  Count_Items items_;
};

// The items of the text after a 0x1A byte, none when it holds nothing but blanks, line ends and
// marks (an end-of-file mark in its old place).
std::size_t items_after_mark(const text::Item_Stream::Source& rest) {
  bool holds_items = false;
  text::Item_Stream items([&](char* into, std::size_t room) {
    const std::size_t n = rest(into, room);
    holds_items =
        holds_items || std::any_of(into, into + n, [](char c) { return !is_blank(c) && c != End_Of_File_Mark; });
    return n;
  });
  std::size_t count = 0;
  while (items.next()) ++count;
  return holds_items ? count : 0;
}

void note_mark(Count_Items& items, std::size_t line, std::size_t after) {
  if (after == 0) return;
  items.mark_line = line;
  items.after_mark = after;
}

}  // namespace

Count_Items read_count_items(std::string_view bytes, std::size_t room) {
  const std::size_t mark = bytes.find(End_Of_File_Mark);
  std::string_view rest = mark == std::string_view::npos ? std::string_view() : bytes.substr(mark + 1);
  bytes = bytes.substr(0, mark);
  Count_Reader reader(room, bytes.size());
  text::Item_Reader items(bytes);
  for (;;) {
    const std::size_t line = items.line_number();
    const std::optional<std::string_view> item = items.next();
    if (!item || !reader.take(*item, line)) break;
  }
  Count_Items result = reader.finish();
  if (mark != std::string_view::npos && result.fault == Count_Fault::None)
    note_mark(result, items.line_number(), items_after_mark([&rest](char* into, std::size_t room) {
                const std::size_t n = rest.copy(into, room);
                rest.remove_prefix(n);
                return n;
              }));
  return result;
}

Count_File read_count_file(const std::string& path, std::size_t room) {
  Count_File result;
  text::File_Reader file(path);
  if (!file.failure().empty()) {
    result.failure = file.failure();
    return result;
  }
  bool first_part = true, ended = false;
  std::string after_mark;  // the rest of the part in which a 0x1A byte ended the text
  // Parts of 1 MiB; a small file in one part of about its size.
  const std::size_t part = std::clamp(file.size_hint() + 1, std::size_t{4096}, std::size_t{1} << 20);
  text::Item_Stream items(
      [&](char* into, std::size_t size) -> std::size_t {
        if (ended) return 0;
        std::size_t n = file.read(into, size);
        if (first_part) {
          first_part = false;
          result.not_text = text::looks_binary(std::string_view(into, n));
          if (result.not_text) return 0;
        }
        if (const void* mark = std::memchr(into, End_Of_File_Mark, n)) {
          const char* const at = static_cast<const char*>(mark);
          after_mark.assign(at + 1, static_cast<std::size_t>(into + n - (at + 1)));
          n = static_cast<std::size_t>(at - into);
          ended = true;
        }
        return n;
      },
      part);
  Count_Reader reader(room, file.size_hint());
  for (;;) {
    const std::size_t line = items.line_number();
    const std::optional<std::string_view> item = items.next();
    if (!item || !reader.take(*item, line)) break;
    // An item of megabytes is no count, even where its first part could be one.
    if (items.too_long()) reader.refuse(Count_Fault::Not_A_Count, line, "");
  }
  result.items = reader.finish();
  if (ended && result.items.fault == Count_Fault::None)
    note_mark(result.items, items.line_number(), items_after_mark([&](char* into, std::size_t room) {
                if (after_mark.empty()) return file.read(into, room);
                const std::size_t n = after_mark.copy(into, room);
                after_mark.erase(0, n);
                return n;
              }));
  result.failure = file.failure();
  return result;
}

Count_Fault read_count_item(std::string_view item, Long& count) { return count_of(item, count); }

std::size_t count_room(const Assay_State& state) {
  const Sheet_Layout layout = Sheet_Layout::of(state);
  const long fixed = std::max(0L, layout.sera_end());
  return static_cast<std::size_t>(fixed + std::max(0L, layout.sample_tubes) * Max_Samples);
}

Stored_Counts store_counts(Assay_State& state, const Count_Items& items) {
  const std::vector<Long>& counts = items.counts;
  Stored_Counts stored;
  std::size_t next = 0;
  auto store = [&](Long& cell) {
    if (next < counts.size()) {
      cell = counts[next++];
    } else {
      cell = 0;
      ++stored.missing;
    }
  };
  Sheet_Layout fixed_rows = Sheet_Layout::of(state);
  fixed_rows.samples = 0;
  for_each_tube(state, fixed_rows, [&](Long& cell, long, long) { store(cell); });

  const long tubes = fixed_rows.sample_tubes;
  if (tubes > 0) {
    if (next < counts.size()) {
      for (long sample = 1; next < counts.size() && sample <= Max_Samples; ++sample) {
        Long* row = state.Sample_Count.row(sample);
        for (long tube = 1; tube <= tubes; ++tube) store(row[tube]);
        state.Sample_Number = sample;
      }
    } else {  // no sample item: the samples in force stay, without counts
      const Long samples = std::clamp<Long>(state.Sample_Number, 0, Max_Samples);
      for (Long sample = 1; sample <= samples; ++sample) {
        Long* row = state.Sample_Count.row(sample);
        for (long tube = 1; tube <= tubes; ++tube) store(row[tube]);
      }
    }
  }
  stored.left_over = items.total - next;
  return stored;
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
