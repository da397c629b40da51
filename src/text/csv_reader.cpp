#include "text/csv_reader.h"

#include "text/format.h"

namespace quorin::text {

namespace {

constexpr char Quote = '"';

bool is_line_end(char c) { return c == '\n' || c == '\r'; }

}  // namespace

bool Csv_Reader::at_row_end() const { return position_ >= text_.size() || is_line_end(text_[position_]); }

void Csv_Reader::skip_row_end() {
  if (position_ >= text_.size()) return;
  if (text_[position_] == '\r' && position_ + 1 < text_.size() && text_[position_ + 1] == '\n') ++position_;
  ++position_;
  ++line_;
}

// Blanks around a quoted cell: spaces, and tabs where they do not separate cells.
void Csv_Reader::skip_blanks() {
  while (position_ < text_.size() && (text_[position_] == ' ' || (text_[position_] == '\t' && separator_ != '\t')))
    ++position_;
}

bool Csv_Reader::quoted_cell() {
  const std::size_t opened_line = line_;
  const std::size_t begin = ++position_;  // after the opening quote
  bool doubled = false;
  for (;; ++position_) {
    if (position_ >= text_.size()) {
      fault_ = Csv_Fault::Open_Quote;
      fault_line_ = opened_line;
      return false;
    }
    const char c = text_[position_];
    if (c == Quote) {
      if (position_ + 1 < text_.size() && text_[position_ + 1] == Quote) {
        doubled = true;
        ++position_;
        continue;
      }
      break;
    }
    // A line end inside the quotes is part of the cell; CR LF counts as one line.
    if (c == '\n' || (c == '\r' && !(position_ + 1 < text_.size() && text_[position_ + 1] == '\n'))) ++line_;
  }
  const std::string_view inside = text_.substr(begin, position_ - begin);
  ++position_;  // the closing quote
  if (!doubled) {
    places_.push_back({begin, inside.size(), false});
  } else {
    const std::size_t at = unquoted_.size();
    for (std::size_t i = 0; i < inside.size(); ++i) {
      unquoted_.push_back(inside[i]);
      if (inside[i] == Quote) ++i;  // the second quote of a pair
    }
    places_.push_back({at, unquoted_.size() - at, true});
  }
  skip_blanks();
  if (!at_row_end() && text_[position_] != separator_) {
    fault_ = Csv_Fault::After_Quote;
    fault_line_ = line_;
    return false;
  }
  return true;
}

const Csv_Row* Csv_Reader::next() {
  if (fault_ != Csv_Fault::None || position_ >= text_.size()) return nullptr;
  ++row_.number;
  row_.line = line_;
  row_.cells.clear();
  places_.clear();
  unquoted_.clear();
  for (;;) {
    // One cell, from position_ to the separator or the row's end.
    const std::size_t start = position_;
    skip_blanks();
    if (position_ < text_.size() && text_[position_] == Quote) {
      if (!quoted_cell()) {
        fault_row_ = row_.number;
        return nullptr;
      }
    } else {
      position_ = start;
      while (!at_row_end() && text_[position_] != separator_) ++position_;
      places_.push_back({start, position_ - start, false});
    }
    if (at_row_end()) break;
    ++position_;  // the separator: one more cell follows, empty at the row's end
  }
  skip_row_end();
  for (const Place& place : places_)
    row_.cells.push_back(place.from_buffer ? std::string_view(unquoted_).substr(place.begin, place.size)
                                           : text_.substr(place.begin, place.size));
  return &row_;
}

char csv_separator(std::string_view text) {
  bool quoted = false;  // a doubled quote inside a quoted cell turns this off and on again
  for (const char c : text) {
    if (c == '"') quoted = !quoted;
    else if (!quoted && (c == '\r' || c == '\n')) break;
    else if (!quoted && c == '\t') return '\t';
  }
  return ',';
}

std::string csv_row_text(std::size_t number, std::size_t line) {
  std::string text = bare_text(static_cast<long long>(number)) + " 行目";
  if (line != number) text += " (ファイルの " + bare_text(static_cast<long long>(line)) + " 行目)";
  return text;
}

std::string csv_row_text(const Csv_Row& row) { return csv_row_text(row.number, row.line); }

}  // namespace quorin::text
