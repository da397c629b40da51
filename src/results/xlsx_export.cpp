// The results as an Excel workbook, written by libxlsxwriter and saved in one piece like every
// other file of the program. Every call to the library is checked: a refusal is a refusal of the
// save, and the file stays as it was.
#include <cmath>
#include <optional>
#include <vector>

#include <xlsxwriter.h>

#include "engine/fit_choice.h"
#include "engine/model_comparison.h"
#include "engine/result_curve.h"
#include "results/export_rows.h"
#include "results/result_export.h"
#include "results/workbook_check.h"
#include "text/format.h"
#include "text/text_clean.h"
#include "text/text_file.h"
#include "text/workbook_text.h"

namespace quorin {

namespace {

// Light red, as spreadsheets mark a value to look at.
constexpr lxw_color_t Flag_Shade = 0xFFC7CE;

// The first refusal of the library in a workbook, with the cell it concerns: any refusal is a
// refusal of the whole save.
class Refusal {
 public:
  void note(lxw_error error, const std::string& where = "") {
    if (error == LXW_NO_ERROR || error_ != LXW_NO_ERROR) return;
    error_ = error;
    where_ = where;
  }
  bool any() const { return error_ != LXW_NO_ERROR; }
  std::string reason() const {
    const std::string what = error_ == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED
                                 ? "Excel のセルに入る長さ (32767 文字) を超える文字列があります"
                                 : std::string("Excel ファイルを作れません: ") + lxw_strerror(error_);
    return where_.empty() ? what : where_ + ": " + what;
  }

 private:
  lxw_error error_ = LXW_NO_ERROR;
  std::string where_;
};

class Sheet {
 public:
  Sheet(lxw_workbook* book, const char* name, const std::vector<std::string>& headings, lxw_format* bold,
        Refusal& refusal)
      : sheet_(workbook_add_worksheet(book, name)), name_(name), refusal_(refusal) {
    if (sheet_ == nullptr) {
      refusal_.note(LXW_ERROR_CREATING_TMPFILE, std::string(name) + " シート");
      return;
    }
    for (std::size_t c = 0; c < headings.size(); ++c) text(0, c, headings[c], bold);
    refusal_.note(worksheet_set_column(sheet_, 0, static_cast<lxw_col_t>(headings.size() - 1), 16, nullptr));
  }
  // Every text of the workbook (the headings and cells of every sheet) goes through here: the
  // library writes a text as it stands, so what a spreadsheet would read as an escape is marked.
  void text(std::size_t row, std::size_t column, const std::string& value, lxw_format* format = nullptr) {
    if (sheet_ == nullptr) return;
    const std::string cell = text::workbook_text(value);
    check(worksheet_write_string(sheet_, cell_row(row), cell_column(column), cell.c_str(), format), row, column);
  }
  // A number as a number; nothing for none (or for what is no finite number).
  void number(std::size_t row, std::size_t column, const std::optional<double>& value, lxw_format* format = nullptr) {
    if (sheet_ == nullptr) return;
    if (value && std::isfinite(*value))
      check(worksheet_write_number(sheet_, cell_row(row), cell_column(column), *value, format), row, column);
    else if (format != nullptr)
      check(worksheet_write_blank(sheet_, cell_row(row), cell_column(column), format), row, column);
  }

 private:
  static lxw_row_t cell_row(std::size_t row) { return static_cast<lxw_row_t>(row); }
  static lxw_col_t cell_column(std::size_t column) { return static_cast<lxw_col_t>(column); }
  void check(lxw_error error, std::size_t row, std::size_t column) {
    if (error == LXW_NO_ERROR || refusal_.any()) return;
    char cell[32];
    lxw_rowcol_to_cell(cell, cell_row(row), cell_column(column));
    refusal_.note(error, name_ + " シートの " + cell);
  }
  lxw_worksheet* sheet_;
  std::string name_;
  Refusal& refusal_;
};

// "平均濃度 (ng/mL)", or the heading alone without a unit.
std::string with_unit(const char* heading, const std::string& unit) {
  return unit.empty() ? heading : std::string(heading) + " (" + unit + ")";
}

// The curve in use as the model screen judges it: kind, weighting, parameters with their standard
// errors (the 4PL and 5PL; the logit-log fit's coefficients have none), ED50, AIC, range.
void curve_sheet(lxw_workbook* book, Assay_State& state, lxw_format* bold, Refusal& refusal) {
  Sheet sheet(book, "検量線", {"項目", "値", "標準誤差"}, bold, refusal);
  const int kind = curve_in_use(state);
  const Model_Comparison comparison = compare_models(state, model_in_use(state) ? state.Model_Weight : 0);
  const Model_Column& column = comparison.columns[static_cast<std::size_t>(kind)];
  std::size_t row = 1;
  auto line = [&](const std::string& name, const std::optional<double>& value,
                  const std::optional<double>& error = {}) {
    sheet.text(row, 0, name);
    sheet.number(row, 1, value);
    sheet.number(row++, 2, error);
  };
  sheet.text(row, 0, "曲線");
  sheet.text(row++, 1, result_curve_name(state));
  sheet.text(row, 0, "モデル");
  sheet.text(row++, 1, model_name(kind));
  sheet.text(row, 0, "重み付け");
  sheet.text(
      row++, 1,
      model_in_use(state) ? model_weight_name(state.Model_Weight) : fit_label(state.Weight_Type, state.Reg_Order));
  if (!column.available) {
    sheet.text(row, 0, "計算できません");
    sheet.text(row++, 1, column.problem);
  } else if (kind == Logit_Log) {
    const int terms = state.Reg_Order == 3 ? 4 : 2;
    for (int k = 0; k < terms; ++k) line("a" + text::bare_text(k), column.polynomial[static_cast<std::size_t>(k)]);
  } else {
    const char* names[] = {"A", "B", "C", "D", "G"};
    const auto values = column.fit.curve.values();
    for (int k = 0; k < column.fit.curve.parameters(); ++k)
      line(names[k], values[static_cast<std::size_t>(k)], column.fit.error[static_cast<std::size_t>(k)]);
  }
  const std::string unit = text::Text_Clean(state.Unit_Name);
  line(with_unit("ED50", unit), column.ed50 > 0 ? std::optional<double>(column.ed50) : std::nullopt);
  line("AIC", column.fit.aic);
  line("点数", column.fit.n);
  sheet.text(row, 0, "回帰範囲");
  sheet.text(row++, 1, "STD " + text::bare_text(state.Fit_From) + " ～ STD " + text::bare_text(state.Fit_To));
  for (const auto& [name, standard] : {std::pair{"範囲の下限", state.Fit_From}, std::pair{"範囲の上限", state.Fit_To}})
    if (standard >= 1 && standard <= std::min<int>(state.STD_Number, Max_Standards))
      line(with_unit(name, unit), state.STD_Data(static_cast<std::size_t>(standard) + 3, STD_Column::Concentration));
}

// Writes the workbook into `file`; "" or why it could not. The library keeps each sheet in a
// scratch file of its own, made with a name that it removes at once, and assembles the workbook
// through more of them when it is closed: the termination signals are held while it makes them
// (adding the sheets, closing the book), so that none leaves one behind.
std::string write_workbook(Assay_State& state, const std::string& file) {
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;  // rows go out as they are written: a large assay stays small
  lxw_workbook* book = workbook_new_opt(file.c_str(), &options);
  if (book == nullptr) return "作業ファイルを作れません";
  Refusal refusal;
  lxw_format* bold = workbook_add_format(book);
  lxw_format* shaded = workbook_add_format(book);
  if (bold == nullptr || shaded == nullptr) refusal.note(LXW_ERROR_MEMORY_MALLOC_FAILED);
  if (bold != nullptr) format_set_bold(bold);
  if (shaded != nullptr) {
    format_set_bg_color(shaded, Flag_Shade);
    format_set_pattern(shaded, LXW_PATTERN_SOLID);
  }

  const std::string unit = text::Text_Clean(state.Unit_Name);
  std::optional<text::Termination_Held> held(std::in_place);
  // The 95 % interval beside each mean and value, and after them "仮定" where it rests on an assumption.
  Sheet samples(book, "検体",
                {"番号", "ID", with_unit("平均濃度", unit), with_unit("95%下限", unit), with_unit("95%上限", unit),
                 with_unit("希釈補正値", unit), with_unit("サンプル値95%下限", unit),
                 with_unit("サンプル値95%上限", unit), "95%区間の前提", "CV (%)", "有効チューブ数", "フラグ"},
                bold, refusal);
  Sheet sera(book, "管理血清",
             {"番号", with_unit("平均濃度", unit), with_unit("95%下限", unit), with_unit("95%上限", unit),
              "95%区間の前提", "CV (%)", "有効チューブ数", "フラグ"},
             bold, refusal);
  Sheet standards(book, "スタンダード",
                  {"番号", with_unit("濃度", unit), with_unit("逆算平均濃度", unit), with_unit("95%下限", unit),
                   with_unit("95%上限", unit), "95%区間の前提", "回収率 (%)", "CV (%)", "有効チューブ数", "フラグ"},
                  bold, refusal);
  held.reset();
  std::size_t sample_row = 0, serum_row = 0, standard_row = 0;
  for_each_export_row(state, flag_limits(state), [&](const Export_Row& r) {
    lxw_format* mark = r.flags != 0 ? shaded : nullptr;
    // Cells from the left, each after the one before.
    std::size_t column = 0;
    auto number = [&](Sheet& sheet, std::size_t row, const std::optional<double>& value, lxw_format* format = nullptr) {
      sheet.number(row, column++, value, format);
    };
    auto text = [&](Sheet& sheet, std::size_t row, const std::string& value, lxw_format* format = nullptr) {
      sheet.text(row, column++, value, format);
    };
    auto interval = [&](Sheet& sheet, std::size_t row, const std::optional<Concentration_Interval>& bounds) {
      number(sheet, row, bounds ? std::optional<double>(bounds->lower) : std::nullopt);
      number(sheet, row, bounds ? std::optional<double>(bounds->upper) : std::nullopt);
    };
    auto tail = [&](Sheet& sheet, std::size_t row) {
      number(sheet, row, r.cv);
      number(sheet, row, r.usable);
      text(sheet, row, flags_text(r.flags), mark);
    };
    switch (r.kind) {
      case Result_Kind::Sample:
        ++sample_row;
        number(samples, sample_row, r.number);
        text(samples, sample_row, r.id);
        number(samples, sample_row, r.mean, mark);
        interval(samples, sample_row, r.interval);
        number(samples, sample_row, r.value, mark);
        interval(samples, sample_row, r.value_interval);
        text(samples, sample_row, interval_premise(r.interval));
        tail(samples, sample_row);
        break;
      case Result_Kind::Sera:
        ++serum_row;
        number(sera, serum_row, r.number);
        number(sera, serum_row, r.mean, mark);
        interval(sera, serum_row, r.interval);
        text(sera, serum_row, interval_premise(r.interval));
        tail(sera, serum_row);
        break;
      default: {
        ++standard_row;
        const double nominal = state.STD_Data(static_cast<std::size_t>(r.number) + 3, STD_Column::Concentration);
        number(standards, standard_row, r.number);
        number(standards, standard_row, nominal);
        number(standards, standard_row, r.mean, mark);
        interval(standards, standard_row, r.interval);
        text(standards, standard_row, interval_premise(r.interval));
        number(standards, standard_row,
               r.mean && nominal > 0 ? std::optional<double>(100 * *r.mean / nominal) : std::nullopt, mark);
        tail(standards, standard_row);
      }
    }
  });
  held.emplace();
  curve_sheet(book, state, bold, refusal);
  refusal.note(workbook_close(book));
  return refusal.any() ? refusal.reason() : "";
}

}  // namespace

std::string save_results_xlsx(Assay_State& state, const std::string& path) {
  // The library writes the workbook straight into the save's own temporary file, which has no
  // name until it is complete (or holds the termination signals while it has one).
  if (std::string refusal = export_refusal(state); !refusal.empty()) return refusal;
  text::Atomic_File file(path);
  if (const std::string failure = file.failure(); !failure.empty()) return failure;
  std::string reason = write_workbook(state, file.writer_path());
  if (reason.empty()) reason = workbook_parts_whole(file.writer_path());
  if (!reason.empty()) {
    file.discard();
    return "ファイルを保存できません: " + path + " (" + reason + ")";
  }
  return file.commit();
}

}  // namespace quorin
