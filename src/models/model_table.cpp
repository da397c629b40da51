#include "models/model_table.h"

#include <cmath>
#include <functional>

#include "engine/plot_axes.h"
#include "text/format.h"

namespace quorin {

namespace {

constexpr int Digits = 6;        // significant digits of the fitted values
constexpr int Error_Digits = 4;  // and of their standard errors

std::string value_text(double value) {
  const std::string text = text::significant_text(value, Digits);
  return text.empty() ? No_Value_Text : text;
}

std::string concentration_text(const std::optional<double>& value) {
  return value ? text::Format(*value, "0.00000") : No_Value_Text;
}

std::string recovery_text(const Recovery& recovery) {
  return recovery.percent ? text::Format(*recovery.percent, "0.00") : "範囲外";
}

// One row: the heading and, for every available column, what `cell` makes of it.
Model_Row row(const Model_Comparison& c, const std::string& heading,
              const std::function<std::string(const Model_Column&)>& cell) {
  Model_Row r;
  r[0] = heading;
  for (int kind = 0; kind < Model_Kinds; ++kind)
    r[1 + kind] = c.columns[kind].available ? cell(c.columns[kind]) : No_Value_Text;
  return r;
}

}  // namespace

std::vector<Model_Row> model_table(const Model_Comparison& c, bool ed_rows) {
  std::vector<Model_Row> rows;
  Model_Row headings;
  for (int kind = 0; kind < Model_Kinds; ++kind) headings[1 + kind] = c.columns[kind].heading;
  rows.push_back(headings);

  const char* const names[5] = {"A 上限", "B 傾き", "C", "D 下限", "G 非対称"};
  for (int i = 0; i < 5; ++i) {
    rows.push_back(row(c, names[i], [i](const Model_Column& m) -> std::string {
      if (m.kind == Logit_Log || i >= m.parameters) return No_Value_Text;
      return value_text(m.fit.curve.values()[i]) + " ± " + text::significant_text(m.fit.error[i], Error_Digits);
    }));
  }
  rows.push_back(row(c, "ED50", [](const Model_Column& m) { return m.ed50 > 0 ? value_text(m.ed50) : No_Value_Text; }));
  rows.push_back(row(c, "RSS", [](const Model_Column& m) { return value_text(m.fit.rss); }));
  rows.push_back(row(c, "s", [](const Model_Column& m) { return value_text(m.fit.s); }));
  rows.push_back(row(c, "AIC", [](const Model_Column& m) { return value_text(m.fit.aic); }));
  rows.push_back(row(c, "点の数", [](const Model_Column& m) { return text::bare_text(m.fit.n); }));
  rows.push_back(row(c, "回収率 最悪 %", [](const Model_Column& m) -> std::string {
    const auto worst = m.worst();
    if (!worst) return No_Value_Text;
    return recovery_text(*worst) + " (STD" + text::signed_text(worst->standard) + ")";
  }));
  const auto& standards =
      c.columns[Four_PL].available ? c.columns[Four_PL].recoveries : c.columns[Logit_Log].recoveries;
  for (std::size_t k = 0; k < standards.size(); ++k) {
    rows.push_back(row(c, "回収率 STD" + text::signed_text(standards[k].standard) + " %", [k](const Model_Column& m) {
      return k < m.recoveries.size() ? recovery_text(m.recoveries[k]) : No_Value_Text;
    }));
  }
  for (int d = 1; d <= 3; ++d)
    rows.push_back(row(c, "AVG-STDx" + text::signed_text(d),
                       [d](const Model_Column& m) { return concentration_text(m.detection[d]); }));
  for (int response = ed_rows ? 100 : 90; response >= (ed_rows ? 0 : 10); response -= ed_rows ? 1 : 10)
    rows.push_back(row(c, "B/B0" + text::signed_text(response) + " %",
                       [response](const Model_Column& m) { return concentration_text(m.ed[101 - response]); }));
  return rows;
}

std::string model_problems(const Model_Comparison& c) {
  std::string text = c.problem;
  for (const Model_Column& column : c.columns) {
    if (column.available || column.problem.empty() || column.problem == c.problem) continue;
    text += (text.empty() ? "" : "\n") + column.problem;
  }
  return text;
}

}  // namespace quorin
