// The commit of one conditions box: the check of its value, the form it is shown in and the
// field of the assay state it goes to.
#include <string>
#include <type_traits>
#include <variant>

#include "conditions/condition_fields.h"
#include "conditions/reg_set.h"
#include "state/commands.h"
#include "state/program.h"
#include "text/format.h"
#include "text/number_text.h"
#include "text/text_clean.h"

namespace quorin {

namespace {

constexpr const char* Count_Pattern = "##";
constexpr const char* Value_Pattern = "###.0000";

constexpr std::string Assay_State::*text_fields[] = {
    &Assay_State::Operator_Name,  &Assay_State::Assay_Date, nullptr,  // box 2 is not kept
    &Assay_State::Substance_Name, &Assay_State::Unit_Name,  &Assay_State::Assay_No};

// A count box (6..11): its field and what the user is told outside 0..limit.
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

// What the user is told when a value box holds anything but one number above 0.
std::string value_refused(int box) {
  if (box == Dilution_Box) return "希釈係数は０より大きい数値で入力してください";
  return "スタンダード " + text::bare_text(box - Dilution_Box) + " の濃度は０より大きい数値で入力してください";
}

// A value as its box shows it: empty for 0, which means not entered yet.
std::string value_text(double value) { return value == 0 ? "" : text::Format(value, Value_Pattern); }

}  // namespace

void Reg_Set::commit(int i) {
  commit_box(i);
  committed_texts_[static_cast<std::size_t>(i)] = info[i].text;
}

void Reg_Set::commit_box(int i) {
  Assay_State& state = program_.state;
  ui::Text_Box& box = info[i];
  const std::string cleaned = text::Text_Clean(box.text);
  const double v = text::Val(cleaned);

  if (i < First_Count_Box) {
    box.text = cleaned;
    if (text_fields[i] != nullptr) state.*text_fields[i] = cleaned;
    return;
  }
  if (i >= Dilution_Box) {
    double& stored =
        i == Dilution_Box ? state.Dilution_Factor : state.STD_Data(i - Dilution_Box + 3, STD_Column::Concentration);
    const std::optional<double> value = positive_value(cleaned);
    if (!value) {
      box.text = cleaned;
      program_.platform.message(value_refused(i));
      box.text = value_text(stored);
      return;
    }
    stored = *value;
    box.text = value_text(stored);
    return;
  }

  const Count_Field& count = count_fields[i - First_Count_Box];
  box.text = text::Format_Text(cleaned, Count_Pattern);
  // The limits hold for the value as typed, before rounding: 20.4 standards are too many.
  if (v < 0 || v > count_box(i).limit) {
    program_.platform.message(v < 0 ? count.out_of_range : count.too_many);
    box.text = text::bare_text(stored_count(state, count));
    return;
  }
  store_count(state, count, text::round_half_even(v));
  // The box shows the number now stored (2.5 tubes are 2), never a text the state does not hold.
  box.text = text::Format(static_cast<double>(stored_count(state, count)), Count_Pattern);
  if (i == 6) show_standard_fields();
}

}  // namespace quorin
