#include "results/reg_result.h"

#include "results/interval_text.h"
#include "results/lis_send_button.h"
#include "results/results_procedures.h"
#include "state/basis.h"
#include "state/commands.h"
#include "state/current_curve.h"
#include "state/cv_limit.h"
#include "state/program.h"
#include "text/display_width.h"
#include "text/format.h"

namespace quorin {

namespace {

constexpr int Header_Height = 495;
constexpr double Header_Font = 9, Small_Header_Font = 7;

// What a table is computed from: the standard data only from the standards' counts and
// concentrations, the others from the curve, its choice and the sera and samples as well.
Basis basis_of(Result_Kind kind) { return kind == Result_Kind::Standard_Data ? Basis::Standards : Basis::Results; }
constexpr int Body_Top = 480;
constexpr int Row_Height = 360;
// The cells of the row chosen.
constexpr ui::Colour Chosen_Row{204, 228, 255};

struct Column_Place {
  int left, width;
};

Column_Place column_place(int j) {
  if (j == 0) return {0, 1095};
  if (j == 1) return {1080, 1815};
  return {2880 + 1080 * (j - 2), 1095};
}

}  // namespace

Reg_Result::Reg_Result(Program& program)
    : Work_Screen("測定結果", 12255, 9900),
      VScroll1(add<ui::Scroll_Bar>("VScroll1", 11520, Body_Top, 255, 7215, /*vertical=*/true)),
      Flag_Label(add<ui::Label>("Flag_Label", 120, 8760, 12000, 300)),
      // Two lines: a whole identifier of 64 full-width characters takes more than one.
      Id_Label(add<ui::Label>("Id_Label", 120, 9060, 12000, 480)),
      Interval_Label(add<ui::Label>("Interval_Label", 120, 9540, 12000, 300)),
      CV_Box(add<ui::Text_Box>("CV_Box", 4080, 8280, 720, 330)),
      program_(program) {
  add<ui::Label>("CV_Caption", 2760, 8310, 1300, 300).caption = "CV の上限 (%)";
  CV_Box.alignment = ui::Align::Right;
  shown_limit_ = program_.state.Flag_CV_Limit;
  CV_Box.text = cv_limit_text(program_);
  CV_Box.on_key_down = [this](int key_code, int) {
    if (key_code == ui::Key_Return) commit_cv_limit();
  };
  CV_Box.on_lost_focus = [this] {
    if (CV_Box.text != cv_limit_text(program_)) commit_cv_limit();
  };
  const char* export_captions[] = {"CSV保存", "Excel保存"};
  for (int e = 0; e < 2; ++e) {
    ui::Command_Button& button = add(Export, e, 5640 + 1320 * e, 8280, 1215, 375);
    button.caption = export_captions[e];
    button.on_click = [this, e] { e == 0 ? Result_Export_CSV(program_) : Result_Export_XLSX(program_); };
  }
  const char* lis_captions[] = {"LIS送信", "LIS設定"};
  for (int e = 0; e < 2; ++e) {
    ui::Command_Button& button = add(LIS, e, 9600 + 1320 * e, 8280, 1215, 375);
    button.caption = lis_captions[e];
    button.on_click = [this, e] { e == 0 ? Result_LIS_Send(program_) : void(program_.show(Screen::LIS)); };
  }
  for (int j = 0; j < Columns; ++j) {
    const Column_Place place = column_place(j);
    ui::Label& header = add(Label, j, place.left, 0, place.width, Header_Height);
    header.border = true;
    header.alignment = ui::Align::Center;
    for (int i = 0; i < Page_Rows; ++i) {
      const int cell_width = j == 0 ? 1092 : place.width;
      ui::Label& cell = add(Label1, Page_Rows * j + i, place.left, Body_Top + Row_Height * i, cell_width, Row_Height);
      cell.border = true;
      cell.on_click = [this, i] { choose_row(Page_Rows * Result_Page + i + 1); };
      cell.alignment = j <= 1 ? ui::Align::Center : ui::Align::Right;  // row and tube numbers, item names
    }
  }
  VScroll1.set_range(0, 1);
  VScroll1.on_change = [this] {
    Result_Page = VScroll1.value();
    Page_Disp();
  };

  struct Button {
    int index, left, top;
    const char* caption;
  };
  // The last two stand in a second row: the control-serum history and the samples' precision.
  const Button buttons[] = {
      {target::Standard_Table, 120, 7800, "標準液濃度"}, {target::Sera_Table, 1440, 7800, "管理血清値"},
      {target::Sample_Table, 2760, 7800, "サンプル値"},  {target::Standard_Curve, 4320, 7800, "検量線表示"},
      {target::Data_Sheet, 5640, 7800, "データ入力"},    {target::Conditions, 6960, 7800, "条件設定"},
      {target::Print, 8280, 7800, "結果印刷"},           {target::Save, 9600, 7800, "結果保存"},
      {target::Exit, 10920, 7800, "終　　　了"},         {target::Open_File, 13000, 5520, "検量線表示"},
      {target::Results, 13000, 5520, "検量線表示"},      {target::Switch_View, 13000, 6000, "条件設定"},
      {target::QC_Chart, 120, 8280, "精度管理図"},       {target::Precision_Profile, 1440, 8280, "精度ﾌﾟﾛﾌｧｲﾙ"},
      {target::Whole_Report, 8280, 8280, "一括印刷"},
  };
  for (const Button& b : buttons) {
    ui::Command_Button& button = add(Command, b.index, b.left, b.top, 1215, 375);
    button.caption = b.caption;
    // 0, 3 and 8 lie outside the window; hidden, so that the keyboard cannot reach them either.
    button.visible = b.left < client_width;
    button.on_click = [this, n = b.index] {
      program_.state.Screen_No = screen_no(Screen::Result);
      program_.command(n);
    };
  }
  close_control = &Command[target::Exit];
}

void Reg_Result::load() {
  program_.state.Active_Screen = Screen::Result;
  program_.enable_commands();
}

void Reg_Result::activate() {
  // The next table starts on its first page; what is shown now stays until then.
  Result_Page = 0;
  program_.state.Active_Screen = Screen::Result;
  program_.enable_commands();
  enable_table_buttons();
}

void Reg_Result::show_table(Result_Kind kind) {
  Assay_State& state = program_.state;
  caption = table_title(state, kind);
  const auto& headers = table_headers(kind);
  for (int j = 0; j < Columns; ++j) {
    Label[j].caption = headers[j];
    // A header longer than its column ("Mean Calc Conc.") is set smaller, so that none is cut off.
    const double columns = static_cast<double>(text::display_columns(headers[j]));
    Label[j].font_size = Header_Font * 10 * columns > Label[j].width ? Small_Header_Font : Header_Font;
  }
  table_ = Result_Index(state, kind);
  chosen_row_ = 0;
  held_ = kind;
  shown_basis_ = basis_digest(state, basis_of(kind));
  shown_labels_ = labels_digest(state);
  if (kind != Result_Kind::Standard_Data)
    state.Result_Table = static_cast<Integer>(kind);  // 1 standard concentrations, 2 sera, 3 samples
  enable_table_buttons();
  show_flags();
  // The bar is brought to the page (the first after an activation, else the one shown), and a
  // shorter table brings both back to its last page.
  const Long page = Result_Page;
  VScroll1.set_range(0, scroll_maximum(state, kind, table_.rows()));
  VScroll1.set_value(page);
  Result_Page = VScroll1.value();
  Page_Disp();
}

void Reg_Result::check_table() {
  if (shown_limit_ != program_.state.Flag_CV_Limit) {
    shown_limit_ = program_.state.Flag_CV_Limit;
    CV_Box.text = cv_limit_text(program_);
  }
  // The navigation's button rule may have enabled what this screen greys.
  enable_table_buttons();
  if (shown_basis_ == 0) return;
  if (basis_digest(program_.state, basis_of(table_.kind())) != shown_basis_) {
    shown_basis_ = 0;
    table_ = Result_Index();
    chosen_row_ = 0;
    caption = "測定結果 ― 表の計算後に条件または測定値が変わりました。ボタンで計算し直してください";
    Flag_Label.caption = "";
    enable_table_buttons();
    Page_Disp();
    return;
  }
  if (const std::uint64_t labels = labels_digest(program_.state); labels != shown_labels_) {
    shown_labels_ = labels;
    show_flags();
    Page_Disp();
  }
}

void Reg_Result::enable_table_buttons() {
  const std::pair<Result_Kind, int> buttons[] = {{Result_Kind::Standard_Conc, target::Standard_Table},
                                                 {Result_Kind::Sera, target::Sera_Table},
                                                 {Result_Kind::Sample, target::Sample_Table}};
  for (const auto& [kind, button] : buttons) {
    Command[button].enabled = shown_basis_ == 0 || table_.kind() != kind;
    Command[button].tip = Command[button].enabled ? "" : "この表を最新の結果で表示しています";
  }
  ui::Command_Button& print = Command[target::Print];
  print.enabled = held_ != Result_Kind::Standard_Data;
  print.tip = print.enabled ? "" : "標準液濃度・管理血清値・サンプル値のどれかの表を表示すると印刷できます";
  ui::Command_Button& profile = Command[target::Precision_Profile];
  profile.enabled = held_ == Result_Kind::Sample;
  profile.tip = profile.enabled ? "" : "サンプル値の表を表示すると開けます";
  LIS[0].tip = lis_send_blocker(program_);
  LIS[0].enabled = LIS[0].tip.empty();
}

void Reg_Result::show_flags() {
  const Curve_Outcome& curve = Current_Curve(program_);
  limits_ = flag_limits(program_.state, curve.curve ? &*curve.curve : nullptr);
  const bool flagged = table_.kind() != Result_Kind::Standard_Data;
  Flag_Label.caption = flagged ? flag_summary(program_.state, table_.kind(), limits_) : "";
}

void Reg_Result::commit_cv_limit() {
  Commit_CV_Limit(program_, CV_Box.text);
  CV_Box.text = cv_limit_text(program_);
  check_table();
}

void Reg_Result::Page_Disp() {
  Row_Cells cells;
  for (int i = 0; i < Page_Rows; ++i) {
    const Long row = Page_Rows * Result_Page + i + 1;
    Label1[i].caption = text::bare_text(row);
    row_cells(program_.state, table_.kind(), table_.row(row), cells, &limits_);
    for (int j = 0; j < Columns; ++j) {
      ui::Label& cell = Label1[Page_Rows * j + i];
      if (j > 0) cell.caption = cells[j];
      cell.opaque = row == chosen_row_;
      cell.back_colour = row == chosen_row_ ? Chosen_Row : ui::White;
    }
  }
  show_chosen_identifier();
  show_chosen_interval();
}

void Reg_Result::choose_row(Long row) {
  chosen_row_ = table_.row(row).item != 0 ? row : 0;
  Page_Disp();
}

void Reg_Result::show_chosen_identifier() {
  const Row_Source chosen = table_.row(chosen_row_);
  if (shown_basis_ == 0 || table_.kind() != Result_Kind::Sample) {
    Id_Label.caption = "";
  } else if (chosen.item == 0) {
    Id_Label.caption = "行をクリックすると、そのサンプルの ID をここに省略せずに表示します";
  } else {
    const std::string& id = sample_id(program_.state, chosen.item);
    Id_Label.caption = "Sample" + text::signed_text(chosen.item) + " の ID: " + (id.empty() ? "(なし)" : id);
  }
}

void Reg_Result::show_chosen_interval() {
  const Row_Source chosen = table_.row(chosen_row_);
  const Result_Kind kind = table_.kind();
  Interval_Label.caption = "";
  if (shown_basis_ == 0 || chosen.item == 0 || kind == Result_Kind::Standard_Data) return;
  const Assay_State& state = program_.state;
  const Curve_Outcome& curve = Current_Curve(program_);
  if (!curve.curve) return;
  const auto interval = item_interval(state, interval_basis(state, *curve.curve), kind, chosen.item,
                                      item_flags(state, kind, chosen.item, limits_));
  if (!interval) return;
  const char* name = kind == Result_Kind::Standard_Conc ? "STD" : kind == Result_Kind::Sera ? "Sera" : "Sample";
  // Bounds of many digits end in "…" rather than run past the line (the printout and the exports
  // hold them whole).
  constexpr double Label_Columns = 133;  // 12000 twips
  Interval_Label.caption = text::elide_to_columns(
      name + text::signed_text(chosen.item) + " の " + interval_text(kind, interval, state.Dilution_Factor),
      Label_Columns, Screen_Widest_Half_Width);
}

}  // namespace quorin
