#pragma once
// The four result tables as rows. A table lists items (standard rows, standards, control sera or
// samples); each listed item gives one row per measured tube, numbered by a tube number X that
// runs on over the whole table, and then its summary row. Only one small entry per listed item
// is kept: the texts of a row are formatted from the assay state when the row is shown, so a
// table of a million rows costs a few megabytes.

#include <array>
#include <string>
#include <vector>

#include "engine/assay_state.h"
#include "engine/result_flags.h"
#include "engine/result_kind.h"

namespace quorin {

// The measured tubes 1..n of item i (its STD_Tube_N, Sera_Tube_N or Sample_Tube_N), held to
// 0..Max_Tubes. For the standard concentrations item s is the standard in row s + 3.
int measured_tubes(const Assay_State& state, Result_Kind kind, Long item);

// The standard tables give every item its summary row; a serum or sample without a measured
// tube gives no row at all.
bool listed(Result_Kind kind, int tubes);

// "NSB", "TOTAL", "ST 0" (the zero standard), "ST 1", ... for standard row k.
std::string standard_row_name(int k);

// The window caption of a table, which the printout repeats as its title:
// "標準液濃度( 3次重み付け無し)", "管理血清測定値(...)", "サンプル測定値(...)", with a 4PL or 5PL in
// use "標準液濃度( 4PL 計数統計)" and so on; "スタンダードデータ".
std::string table_title(const Assay_State& state, Result_Kind kind);

// The ten column headers ("" where none).
const std::array<const char*, 10>& table_headers(Result_Kind kind);

// Where a table row comes from.
struct Row_Source {
  Long item = 0;         // 0 when the row holds nothing
  int tube = 0;          // 1.. for a tube row, 0 for the item's summary row
  Long tube_number = 0;  // X of a tube row
};

// The rows of one table, built in one pass over its items.
class Result_Index {
 public:
  Result_Index() = default;
  Result_Index(const Assay_State& state, Result_Kind kind);

  Result_Kind kind() const { return kind_; }
  // The number of filled rows.
  Long rows() const { return rows_; }
  // Row r, 1-based; an empty source outside 1..rows().
  Row_Source row(Long r) const;

 private:
  struct Entry {
    Long item;
    Long first_row;          // the row of its first tube (its summary row when it has none)
    Long first_tube_number;  // X of its first tube
    int tubes;
  };
  Result_Kind kind_ = Result_Kind::Standard_Data;
  std::vector<Entry> entries_;
  Long rows_ = 0;
};

// The texts of columns 1..9 of a row (column 0, the row number, is left as it is), as the screen
// shows them. A sample's summary row carries its identifier under the counts (shown_identifier).
// With limits, an item's summary row carries its flags under the calculated concentration, and a
// tube or item that could not be read off the curve shows its side ("<", ">") in place of its
// concentration, with no statistics of concentrations beside it.
using Row_Cells = std::array<std::string, 10>;
void row_cells(const Assay_State& state, Result_Kind kind, const Row_Source& source, Row_Cells& cells,
               const Flag_Limits* limits = nullptr);

// A sample's identifier, "" when it has none.
const std::string& sample_id(const Assay_State& state, Long sample);

// Columns of 90 twips (half an em at the screens' 9 points): the widest half-width letters of the
// screens' proportional face take nearly two.
inline constexpr double Screen_Widest_Half_Width = 1.85;

// An identifier as the sample table's cell shows it: whole when it fits, else its start ended by
// "…" (the screen shows the whole of the row chosen under the table).
std::string shown_identifier(std::string_view id);

// The last page of the scroll bar: the larger of (n + 3)·m \ 20 + 1, with the table's items n
// and tubes per item m, and (rows − 1) \ 20, so that the last filled row can be reached.
int scroll_maximum(const Assay_State& state, Result_Kind kind, Long rows);

}  // namespace quorin
