#include "engine/condition_commit.h"

#include <string>
#include <type_traits>
#include <variant>

#include "engine/condition_fields.h"
#include "text/format.h"
#include "text/number_text.h"
#include "text/text_clean.h"

namespace quorin {

namespace {

constexpr const char* Count_Pattern = "##";
constexpr const char* Value_Pattern = "###.0000";

constexpr std::string Assay_State::*text_fields[] = {
    &Assay_State::Operator_Name,  &Assay_State::Assay_Date, nullptr,  // field 2 is not kept
    &Assay_State::Substance_Name, &Assay_State::Unit_Name,  &Assay_State::Assay_No};

// A count field (6..11): where it is stored and what the user is told outside 0..limit.
struct Count_Field {
  std::variant<Integer Assay_State::*, Long Assay_State::*> field;
  const char* too_many;
  const char* out_of_range;
};

const Count_Field count_fields[] = {
    {&Assay_State::STD_Number, "スタンダード数は２０までです", "スタンダード数は０から２０までです"},
    {&Assay_State::STD_Tubes, "繰り返し数は１０までです", "繰り返し数は０から１０までです"},
    {&Assay_State::Sera_Number, "管理血清数は２０までです", "管理血清数は０から２０までです"},
    {&Assay_State::Sera_Tubes, "繰り返し数は１０までです", "繰り返し数は０から１０までです"},
    {&Assay_State::Sample_Number, "サンプル数は１００，０００までです", "サンプル数は０から１００，０００までです"},
    {&Assay_State::Sample_Tubes, "繰り返し数は１０までです", "繰り返し数は０から１０までです"},
};

long long stored_count(const Assay_State& state, const Count_Field& count) {
  return std::visit([&](auto member) -> long long { return state.*member; }, count.field);
}

// `whole` is a whole number within 0..limit, so it fits the field's type.
void store_count(Assay_State& state, const Count_Field& count, double whole) {
  std::visit([&](auto member) { state.*member = static_cast<std::remove_reference_t<decltype(state.*member)>>(whole); },
             count.field);
}

// What the user is told when a value field holds anything but one number above 0.
std::string value_refused(int field) {
  if (field == Dilution_Box) return "希釈係数は０より大きい数値で入力してください";
  return "スタンダード " + text::bare_text(field - Dilution_Box) + " の濃度は０より大きい数値で入力してください";
}

// A value as its field shows it: empty for 0, which means not entered yet.
std::string value_text(double value) { return value == 0 ? "" : text::Format(value, Value_Pattern); }

// The text the field shows once committed, and the refusal if any.
std::pair<std::string, std::string> committed(Assay_State& state, int field, const std::string& cleaned) {
  if (field < First_Count_Box) {
    if (text_fields[field] != nullptr) state.*text_fields[field] = cleaned;
    return {cleaned, ""};
  }
  if (field >= Dilution_Box) {
    double& stored = field == Dilution_Box ? state.Dilution_Factor
                                           : state.STD_Data(field - Dilution_Box + 3, STD_Column::Concentration);
    const std::optional<double> value = positive_value(cleaned);
    if (!value) return {value_text(stored), value_refused(field)};
    stored = *value;
    return {value_text(stored), ""};
  }
  const Count_Field& count = count_fields[field - First_Count_Box];
  // The limits hold for the value as typed, before rounding: 20.4 standards are too many.
  const double v = text::Val(cleaned);
  if (v < 0 || v > count_box(field).limit)
    return {text::bare_text(stored_count(state, count)), v < 0 ? count.out_of_range : count.too_many};
  store_count(state, count, text::round_half_even(v));
  // The field shows the number now stored (2.5 tubes are 2), never a text the state does not hold.
  return {text::Format(static_cast<double>(stored_count(state, count)), Count_Pattern), ""};
}

}  // namespace

Condition_Commit commit_condition(Assay_State& state, int field, const std::string& typed) {
  const std::string cleaned = text::Text_Clean(typed);
  auto [shown, refusal] = committed(state, field, cleaned);
  state.Condition_Texts[static_cast<std::size_t>(field)] = std::move(shown);
  // A count is shown in its form while its refusal is told.
  const bool count = field >= First_Count_Box && field < Dilution_Box;
  return {count ? text::Format_Text(cleaned, Count_Pattern) : cleaned, std::move(refusal)};
}

std::vector<std::string> load_condition_lines(Assay_State& state, const Condition_Lines& lines,
                                              const std::string& path) {
  state.Condition_File = path;
  for (std::size_t i = 0; i < lines.fields.size(); ++i) state.Condition_Texts[i] = lines.fields[i];
  for (std::size_t k = 1; k <= lines.standards.size(); ++k) state.Condition_Texts[12 + k] = lines.standards[k - 1];
  state.Edit_Flag = 0;  // what was typed before is replaced by the file
  std::vector<std::string> refusals;
  for (int i = 0; i < Condition_Boxes; ++i)
    if (Condition_Commit commit = commit_condition(state, i, state.Condition_Texts[static_cast<std::size_t>(i)]);
        !commit.refusal.empty())
      refusals.push_back(std::move(commit.refusal));
  return refusals;
}

}  // namespace quorin
