// The commit of one conditions box: the engine's rule for the field, shown in the box.
#include <string>

#include "conditions/reg_set.h"
#include "engine/condition_commit.h"
#include "state/program.h"

namespace quorin {

void Reg_Set::commit(int i) {
  ui::Text_Box& box = info[i];
  const Condition_Commit commit = commit_condition(program_.state, i, box.text);
  if (!commit.refusal.empty()) {
    box.text = commit.cleaned;
    program_.platform.message(commit.refusal);
  }
  box.text = committed_texts_[static_cast<std::size_t>(i)] = program_.state.Condition_Texts[static_cast<std::size_t>(i)];
  if (i == 6) show_standard_fields();
}

void Reg_Set::show_committed_texts() {
  const auto& texts = program_.state.Condition_Texts;
  for (auto& [i, box] : info) {
    const std::string& text = texts[static_cast<std::size_t>(i)];
    if (text == committed_texts_[static_cast<std::size_t>(i)]) continue;
    box->text = committed_texts_[static_cast<std::size_t>(i)] = text;
  }
  show_standard_fields();
}

}  // namespace quorin
