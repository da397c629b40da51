#include "results/result_table.h"

#include <algorithm>

#include "engine/result_curve.h"
#include "engine/treatment_standard.h"
#include "text/display_width.h"
#include "text/format.h"

namespace quorin {

using text::bare_text;
using text::Format;
using text::signed_text;

int measured_tubes(const Assay_State& s, Result_Kind kind, Long item) {
  int tubes = 0;
  switch (kind) {
    case Result_Kind::Standard_Data: tubes = s.STD_Tube_N(item); break;
    case Result_Kind::Standard_Conc: tubes = s.STD_Tube_N(item + 3); break;
    case Result_Kind::Sera: tubes = s.Sera_Tube_N(item); break;
    case Result_Kind::Sample: tubes = s.Sample_Tube_N(item); break;
  }
  return std::clamp(tubes, 0, Max_Tubes);
}

bool listed(Result_Kind kind, int tubes) {
  return tubes > 0 || kind == Result_Kind::Standard_Data || kind == Result_Kind::Standard_Conc;
}

std::string standard_row_name(int k) {
  if (k == 1) return "NSB";
  if (k == 2) return "TOTAL";
  return "ST" + signed_text(k - 3);
}

std::string table_title(const Assay_State& s, Result_Kind kind) {
  const char* head = "";
  switch (kind) {
    case Result_Kind::Standard_Data: return "スタンダードデータ";
    case Result_Kind::Standard_Conc: head = "標準液濃度("; break;
    case Result_Kind::Sera: head = "管理血清測定値("; break;
    case Result_Kind::Sample: head = "サンプル測定値("; break;
  }
  return head + result_curve_label(s) + ")";
}

const std::array<const char*, 10>& table_headers(Result_Kind kind) {
  static const std::array<const char*, 10> headers[] = {
      {"", "No.", "Remark", "Counts", "Mean", "Count CV", "B/B0(%)", "", "", ""},
      {"No.", "Remark", "STD.Conc.", "Counts", "Mean Count", "Count CV", "Calc.Conc.", "Mean Conc.", "Conc. CV", ""},
      {"No.", "Remark", "Counts", "Calc Conc.", "Count CV", "Mean Calc Conc.", "Range", "Conc. CV", "", ""},
      {"No.", "Remark", "Counts", "Calc Conc.", "Count CV", "Mean Calc Conc.", "Range", "Smpl Val.", "Conc. CV",
       "Area"},
  };
  return headers[static_cast<int>(kind)];
}

Result_Index::Result_Index(const Assay_State& s, Result_Kind kind) : kind_(kind) {
  const Long items = item_count(s, kind);
  Long row = 1;
  Long tube_number = 1;
  for (Long item = 1; item <= items; ++item) {
    const int tubes = measured_tubes(s, kind, item);
    if (!listed(kind, tubes)) continue;
    entries_.push_back({item, row, tube_number, tubes});
    row += tubes + 1;
    tube_number += tubes;
  }
  rows_ = row - 1;
}

Row_Source Result_Index::row(Long r) const {
  if (r < 1 || r > rows_) return {};
  // The last item whose first row is not after r.
  const auto after = std::upper_bound(entries_.begin(), entries_.end(), r,
                                      [](Long wanted, const Entry& e) { return wanted < e.first_row; });
  const Entry& e = *(after - 1);
  const Long offset = r - e.first_row;
  if (offset < e.tubes) return {e.item, static_cast<int>(offset) + 1, e.first_tube_number + offset};
  return {e.item, 0, 0};
}

namespace {

void standard_data_cells(const Assay_State& s, const Row_Source& r, Row_Cells& c) {
  const auto k = static_cast<std::size_t>(r.item);
  if (r.tube > 0) {
    c[1] = signed_text(r.tube_number);
    c[2] = standard_row_name(static_cast<int>(k));
    c[3] = Format(s.STD_Count(k, r.tube), "######");
    return;
  }
  c[4] = Format(s.STD_Data(k, STD_Column::Mean_Count), "##0");
  c[5] = Format(s.STD_Data(k, STD_Column::Count_CV), "##0.00");
  // NSB and TOTAL have no B/B0, and no row has one when the zero standard is not above the NSB.
  if (k >= 3 && response_defined(s)) c[6] = Format(s.STD_Data(k, STD_Column::Percent), "##0.00");
}

void standard_conc_cells(const Assay_State& s, const Row_Source& r, Row_Cells& c) {
  const auto k = static_cast<std::size_t>(r.item + 3);
  if (r.tube > 0) {
    c[1] = bare_text(r.tube_number);
    c[2] = Format(s.STD_Data(k, STD_Column::Concentration), "###0.00");
    c[3] = Format(s.STD_Count(k, r.tube), "#####");
    c[6] = Format(s.STD_Conc(k, r.tube), "###0.00");
    return;
  }
  c[1] = "STD" + signed_text(r.item);
  c[4] = Format(s.STD_Data(k, STD_Column::Mean_Count), "####");
  c[5] = Format(s.STD_Data(k, STD_Column::Count_CV), "##0.00");
  c[7] = Format(s.STD_Data(k, STD_Column::Back_Mean), "####0.00");
  c[8] = Format(s.STD_Data(k, STD_Column::Back_CV), "##0.00");
}

void sera_cells(const Assay_State& s, const Row_Source& r, Row_Cells& c) {
  const auto i = static_cast<std::size_t>(r.item);
  if (r.tube > 0) {
    c[1] = signed_text(r.tube_number);
    c[2] = Format(s.Sera_Count(i, r.tube), "#####");
    c[3] = Format(s.Sera_Conc(i, r.tube), "####0.000");
    return;
  }
  c[1] = "Sera" + signed_text(r.item);
  c[4] = Format(s.Sera_Data(i, Sera_Column::Count_CV), "##0.00");
  c[5] = Format(s.Sera_Data(i, Sera_Column::Mean), "###0.000");
  c[6] = Format(s.Sera_Data(i, Sera_Column::Range), "####0.000");
  c[7] = Format(s.Sera_Data(i, Sera_Column::Conc_CV), "##0.00");
}

void sample_cells(const Assay_State& s, const Row_Source& r, Row_Cells& c) {
  const auto i = static_cast<std::size_t>(r.item);
  if (r.tube > 0) {
    c[1] = signed_text(r.tube_number);
    c[2] = Format(s.Sample_Count(i, r.tube), "#####");
    c[3] = Format(s.Sample_Conc(i, r.tube), "#####0.000");
    return;
  }
  c[1] = "Sample" + signed_text(r.item);
  c[4] = Format(s.Sample_Data(i, Sample_Column::Count_CV), "##0.00");
  c[5] = Format(s.Sample_Data(i, Sample_Column::Mean), "#####0.000");
  c[6] = Format(s.Sample_Data(i, Sample_Column::Range), "####0.000");
  c[7] = Format(s.Sample_Data(i, Sample_Column::Value), "#####0.000");
  c[8] = Format(s.Sample_Data(i, Sample_Column::Conc_CV), "##0.00");
  c[9] = Format(s.Sample_Data(i, Sample_Column::Area_Code), "##");  // area 0 (below the first standard) shows empty
}

}  // namespace

std::string shown_identifier(std::string_view id) {
  // The cell is 1095 twips wide, some 11.5 columns inside its frame.
  constexpr double Cell_Columns = 11.5;
  return text::elide_to_columns(id, Cell_Columns, Screen_Widest_Half_Width);
}

const std::string& sample_id(const Assay_State& s, Long sample) {
  static const std::string none;
  return sample >= 1 && static_cast<std::size_t>(sample) < s.Sample_Id.size() ? s.Sample_Id[sample] : none;
}

void row_cells(const Assay_State& s, Result_Kind kind, const Row_Source& source, Row_Cells& cells,
               const Flag_Limits* limits) {
  for (std::size_t j = 1; j < cells.size(); ++j) cells[j].clear();
  if (source.item == 0) return;
  switch (kind) {
    case Result_Kind::Standard_Data: standard_data_cells(s, source, cells); break;
    case Result_Kind::Standard_Conc: standard_conc_cells(s, source, cells); break;
    case Result_Kind::Sera: sera_cells(s, source, cells); break;
    case Result_Kind::Sample: sample_cells(s, source, cells); break;
  }
  if (kind == Result_Kind::Standard_Data) return;
  if (kind == Result_Kind::Standard_Conc) {
    if (source.tube == 0 && limits != nullptr) cells[6] = flags_text(item_flags(s, kind, source.item, *limits));
    return;
  }
  if (source.tube != 0) {
    // A tube that could not be read shows the side it lies beyond instead of a concentration.
    if (limits != nullptr)
      if (const unsigned side = unread_tube(s, kind, source.item, source.tube, *limits); side != 0)
        cells[3] = side_text(side);
    return;
  }
  if (kind == Result_Kind::Sample) cells[2] = shown_identifier(sample_id(s, source.item));
  if (limits == nullptr) return;
  const unsigned flags = item_flags(s, kind, source.item, *limits);
  cells[3] = flags_text(flags);
  // Without a usable tube there is no concentration: the side stands where it would, and the
  // statistics of concentrations are empty.
  if (usable_tubes(s, kind, source.item) == 0) {
    cells[5] = side_text(flags);
    cells[6].clear();
    if (kind == Result_Kind::Sample) {
      cells[7] = side_text(flags);
      cells[8].clear();
    } else {
      cells[7].clear();
    }
  }
}

int scroll_maximum(const Assay_State& s, Result_Kind kind, Long rows) {
  long long items = 0, tubes = 0;
  switch (kind) {
    case Result_Kind::Standard_Data:
    case Result_Kind::Standard_Conc:
      items = s.STD_Number;
      tubes = s.STD_Tubes;
      break;
    case Result_Kind::Sera:
      items = s.Sera_Number;
      tubes = s.Sera_Tubes;
      break;
    case Result_Kind::Sample:
      items = s.Sample_Number;
      tubes = s.Sample_Tubes;
      break;
  }
  const long long planned = (items + 3) * tubes / 20 + 1;
  const long long filled = (static_cast<long long>(rows) - 1) / 20;
  return static_cast<int>(std::max(planned, filled));
}

}  // namespace quorin
