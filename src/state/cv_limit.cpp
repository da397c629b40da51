#include "state/cv_limit.h"

#include "engine/precision_profile.h"
#include "state/program.h"
#include "text/number_text.h"
#include "text/text_clean.h"

namespace quorin {

bool Commit_CV_Limit(Program& program, const std::string& typed) {
  const std::string text = text::Text_Clean(typed);
  const double limit = text::Val(text);
  if (!text::starts_with_number(text) || !(limit > 0) || limit > 100) {
    program.platform.message("CV の上限は 0 より大きく 100 以下の数値で入力してください");
    return false;
  }
  program.state.Flag_CV_Limit = limit;
  return true;
}

std::string cv_limit_text(const Program& program) { return qc::limit_text(program.state.Flag_CV_Limit); }

}  // namespace quorin
