#include "state/page_identity.h"

#include "engine/result_curve.h"
#include "text/display_width.h"
#include "text/text_clean.h"

namespace quorin {

namespace {
// Each typed text keeps 16 columns, so that the line leaves room for the page number at 8 points.
constexpr std::size_t Field_Columns = 16;

// "測定物質 コルチゾール   ", or "" for a field left empty.
std::string field(const char* label, const std::string& typed) {
  const std::string shown = text::clip_to_columns(text::Text_Clean(typed), Field_Columns);
  return shown.empty() ? "" : std::string(label) + " " + shown + "   ";
}
}  // namespace

std::string page_identity(const Assay_State& state) {
  return field("測定物質", state.Substance_Name) + field("アッセイ", state.Assay_No) +
         field("実験日", state.Assay_Date) + "検量線 " + result_curve_name(state);
}

ui::Job screen_print_job(const Assay_State& state) {
  ui::Job job;
  job.identity = page_identity(state);
  job.ask_when_long = true;
  return job;
}

}  // namespace quorin
