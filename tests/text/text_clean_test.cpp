#include "text/text_clean.h"

#include <gtest/gtest.h>

#include <string>

namespace quorin::text {
namespace {

TEST(TextClean, TrimsBlanksAndRemovesLineBreaksAndNul) {
  struct Case {
    std::string typed, cleaned;
  };
  const Case cases[] = {
      {"  12\r\n", "12"},
      {"ab\rcd", "abcd"},
      {std::string("a\0b", 3), "ab"},
      {"\t x \t", "\t x \t"},  // tabs are not blanks here
      {"　山田　", "山田"},    // ideographic blanks are trimmed too
      {"  ", ""},
      {"a  b", "a  b"},
  };
  for (const Case& c : cases) EXPECT_EQ(Text_Clean(c.typed), c.cleaned) << c.typed;
}

}  // namespace
}  // namespace quorin::text
