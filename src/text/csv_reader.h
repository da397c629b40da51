#pragma once
// The reader of the comma- or tab-separated files that spreadsheets and counters write, by the
// rules of RFC 4180, so that a row of the file is one row of the table whatever its cells hold:
// - a row ends at a line end (CR LF, LF or a lone CR) outside quotes; a last row without one is
//   still a row, and the line end after it starts none;
// - cells are separated by the separator; an unquoted cell is taken as it stands, a double quote
//   inside it included;
// - a cell whose first character (after blanks) is a double quote is quoted: it runs to the next
//   lone double quote and may hold the separator and line ends; "" inside it is one double quote;
//   only blanks may follow the closing quote before the separator or the line end;
// - a quote that is never closed, or text after a closing quote, is a fault of the file, named by
//   its row and line: nothing after it is read.
// Cells are views into the text (or, for a quoted cell with doubled quotes, into the row's own
// buffer), valid until the next row is read: a file of a million rows is read without a string
// per cell.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorin::text {

struct Csv_Row {
  std::size_t number = 0;  // 1-based: the row as a spreadsheet numbers it
  std::size_t line = 0;    // the 1-based line of the file it starts on
  std::vector<std::string_view> cells;
};

enum class Csv_Fault {
  None,
  Open_Quote,  // a quoted cell runs to the end of the text
  After_Quote  // something other than blanks follows a closing quote
};

class Csv_Reader {
 public:
  Csv_Reader(std::string_view text, char separator) : text_(text), separator_(separator) {}
  // The next row, or nullptr at the end of the text or at a fault (see fault()).
  const Csv_Row* next();
  Csv_Fault fault() const { return fault_; }
  // The row and line of the fault: where the quoted cell begins, or where the stray text stands.
  std::size_t fault_row() const { return fault_row_; }
  std::size_t fault_line() const { return fault_line_; }

 private:
  // Reads a quoted cell from position_ (at its opening quote); false at a fault.
  bool quoted_cell();
  bool at_row_end() const;
  void skip_row_end();
  void skip_blanks();

  std::string_view text_;
  char separator_;
  std::size_t position_ = 0;
  std::size_t line_ = 1;
  Csv_Row row_;
  std::string unquoted_;  // the cells of this row that held doubled quotes, one after another
  // Where each cell of the row lies: in the text, or (from_buffer) in unquoted_.
  struct Place {
    std::size_t begin, size;
    bool from_buffer;
  };
  std::vector<Place> places_;
  Csv_Fault fault_ = Csv_Fault::None;
  std::size_t fault_row_ = 0, fault_line_ = 0;
};

// The separator of a file by its first row: a tab when one stands outside its quoted cells, else
// a comma.
char csv_separator(std::string_view text);

// The number of a row as the program's messages give it: "5 行目", with the line of the file it
// starts on when that differs, "5 行目 (ファイルの 7 行目)".
std::string csv_row_text(const Csv_Row& row);
std::string csv_row_text(std::size_t number, std::size_t line);

}  // namespace quorin::text
