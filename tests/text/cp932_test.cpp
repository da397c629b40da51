#include "text/cp932.h"

#include <gtest/gtest.h>

#include <string>

namespace quorin::text {
namespace {

std::string bytes(std::initializer_list<unsigned char> list) { return std::string(list.begin(), list.end()); }

// Texts of the program that it saves or prints, chosen so that together they hold every
// character outside ASCII those texts use (196 characters); each must survive code page 932.
const char* const kProgramTexts[] = {
    "システムを終了します　よろしいですか？",
    "ｽﾀﾝﾀﾞｰﾄﾞごとのチューブ数",
    "調べたいキーワードをクリックして下さい。",
    "標準液濃度( 3次重み付け無し)",
    "保存された条件設定を読み込みます",
    "サンプルの点数は１０万までです",
    "ＳＴＤ　ＰＬＯＴを表示します",
    "データファイルを開く",
    "ED値と最小検出限界値",
    "標準点との距離+Logit変換補正",
    "Ｗｉｚａｒｄ",
    "実験担当者",
    "ウィザードは中断されました",
    "管理血清数は２０までです",
    "総ﾁｭｰﾌﾞ数変更",
    "３次式　Ｘ３乗の係数 = ",
    "測定物質名",
    "アッセイＮｏ",
    "値が範囲外です",
    "結果印刷",
    "Ｖｅｒ１．３０ (000515)",
    "繰り返し数は１０までです",
    "log(標準品濃度)-Ｂ／Ｂo",
    "スタンダード　プロット",
    "閉じる",
    "readmeﾌｧｲﾙの表示",
    "  (コマンドボタン)",
    "ＭＳ Ｐゴシック",
    "単位",
    "希釈係数",
    "データ表示画面を表示します",
    "検量線を表示します",
    "データ入力",
    "削除",
    "ﾃｷｽﾄ(*.txt)|*.txt",
    "回帰式  STD",
    "リードミーを準備中です。",
    "実験日",
    "測定結果表示を行います",
    "開　　始",
    "サンプル数は１００，０００までです",
    "挿入",
    "中　止",
    "～STD",
};

TEST(Cp932, EveryTextOfTheProgramRoundTrips) {
  for (const char* text : kProgramTexts) {
    Cp932_Error error;
    const auto encoded = utf8_to_cp932(text, &error);
    ASSERT_TRUE(encoded.has_value()) << text << ": refused at " << error.offset << " (" << error.character << ")";
    EXPECT_NE(*encoded, std::string(text)) << "not converted: " << text;
    const auto decoded = cp932_to_utf8(*encoded, &error);
    ASSERT_TRUE(decoded.has_value()) << text;
    EXPECT_EQ(*decoded, text);
  }
}

TEST(Cp932, AsciiIsUnchanged) {
  std::string all;
  for (int c = 0; c < 0x80; ++c) all.push_back(static_cast<char>(c));
  EXPECT_EQ(utf8_to_cp932(all), all);
  EXPECT_EQ(cp932_to_utf8(all), all);
  EXPECT_EQ(utf8_to_cp932(""), std::string());
  EXPECT_EQ(cp932_to_utf8(""), std::string());
  // Through iconv as well (a non-ASCII character forces the conversion of the whole text).
  EXPECT_EQ(utf8_to_cp932(all + "あ"), all + bytes({0x82, 0xA0}));
  EXPECT_EQ(cp932_to_utf8(all + bytes({0x82, 0xA0})), all + "あ");
}

struct Pair {
  const char* utf8;
  std::string cp932;
};

TEST(Cp932, ClassicTraps) {
  const Pair pairs[] = {
      {"～", bytes({0x81, 0x60})},  // U+FF5E FULLWIDTH TILDE, not U+301C
      {"－", bytes({0x81, 0x7C})},  // U+FF0D FULLWIDTH HYPHEN-MINUS, not U+2212
      {"∥", bytes({0x81, 0x61})},   // U+2225 PARALLEL TO, not U+2016
      {"￠", bytes({0x81, 0x91})},  // U+FFE0
      {"￢", bytes({0x81, 0xCA})},  // U+FFE2
      {"髙", bytes({0xFB, 0xFC})},  // IBM extension kanji
      {"①", bytes({0x87, 0x40})},   // NEC special characters
      {"ⅰ", bytes({0xFA, 0x40})},
      {"\u3000", bytes({0x81, 0x40})},  // ideographic space
      {"ｽﾀﾝﾀﾞｰﾄﾞ", bytes({0xBD, 0xC0, 0xDD, 0xC0, 0xDE, 0xB0, 0xC4, 0xDE})},
      {"\\", bytes({0x5C})},  // 0x5C is the backslash, not the yen sign
      {"～STD", bytes({0x81, 0x60, 'S', 'T', 'D'})},
  };
  for (const auto& p : pairs) {
    EXPECT_EQ(utf8_to_cp932(p.utf8), p.cp932) << p.utf8;
    EXPECT_EQ(cp932_to_utf8(p.cp932), std::string(p.utf8)) << p.utf8;
  }
  // NEC-selected IBM extensions (0xED, 0xEE) read as the same characters as the IBM ones.
  EXPECT_EQ(cp932_to_utf8(bytes({0xEE, 0xEF})), std::string("ⅰ"));
  EXPECT_EQ(cp932_to_utf8(bytes({0xED, 0x40})), std::string("纊"));
}

TEST(Cp932, RefusesCharactersItCannotHold) {
  for (const char* text : {"😀", "€", "ä", "한", "\u00A0"}) {
    Cp932_Error error;
    const std::string input = std::string("ab") + text + "cd";
    EXPECT_FALSE(utf8_to_cp932(input, &error).has_value()) << text;
    EXPECT_EQ(error.offset, 2u) << text;
    EXPECT_EQ(error.character, text);
  }
}

TEST(Cp932, RefusesOneWayMappings) {
  // glibc writes these as the bytes of another character, so reading the file back would not
  // give them again: they are refused rather than replaced silently.
  // Either refused at the character, or allowed only if it really comes back.
  for (const char* text : {"¥", "〜", "−", "‖", "¢", "£", "¬", "—"}) {
    const std::string input = std::string("日本") + text;
    Cp932_Error error;
    if (const auto encoded = utf8_to_cp932(input, &error)) {
      EXPECT_EQ(cp932_to_utf8(*encoded), input) << text;
    } else {
      EXPECT_EQ(error.offset, 6u) << text;
      EXPECT_EQ(error.character, text);
    }
  }
  EXPECT_FALSE(utf8_to_cp932("¥").has_value());
  EXPECT_FALSE(utf8_to_cp932("〜").has_value());
}

TEST(Cp932, EveryAcceptedCharacterComesBack) {
  // Exhaustive over the Basic Multilingual Plane: whatever is accepted reads back unchanged.
  int accepted = 0;
  for (char32_t c = 0x80; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string utf8;
    if (c < 0x800) {
      utf8 = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    } else {
      utf8 = {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
              static_cast<char>(0x80 | (c & 0x3F))};
    }
    const auto encoded = utf8_to_cp932(utf8);
    if (!encoded) continue;
    ++accepted;
    ASSERT_EQ(cp932_to_utf8(*encoded), utf8) << "U+" << std::hex << static_cast<unsigned>(c);
  }
  EXPECT_GT(accepted, 7000);
}

TEST(Cp932, RefusesInvalidUtf8) {
  Cp932_Error error;
  EXPECT_FALSE(utf8_to_cp932("ab\xC3", &error).has_value());  // cut short
  EXPECT_EQ(error.offset, 2u);
  EXPECT_EQ(error.character, "\\xC3");
  EXPECT_FALSE(utf8_to_cp932("\xFF"
                             "a",
                             &error)
                   .has_value());
  EXPECT_EQ(error.offset, 0u);
  EXPECT_FALSE(utf8_to_cp932("あ\xED\xA0\x80", &error).has_value());  // a surrogate
  EXPECT_EQ(error.offset, 3u);
  EXPECT_FALSE(utf8_to_cp932("\xC0\xAF", &error).has_value());  // overlong "/"
  EXPECT_EQ(error.offset, 0u);
}

TEST(Cp932, RefusesInvalidBytes) {
  Cp932_Error error;
  EXPECT_FALSE(cp932_to_utf8(bytes({'a', 'b', 0x81}), &error).has_value());  // lone lead byte
  EXPECT_EQ(error.offset, 2u);
  EXPECT_TRUE(error.character.empty());
  EXPECT_FALSE(cp932_to_utf8(bytes({'a', 0x81, 0x20}), &error).has_value());
  EXPECT_EQ(error.offset, 1u);
  EXPECT_FALSE(cp932_to_utf8(bytes({0x82, 0xA0, 0x80}), &error).has_value());  // 0x80 is unused
  EXPECT_EQ(error.offset, 2u);
  EXPECT_FALSE(cp932_to_utf8(bytes({0xA0}), &error).has_value());
  EXPECT_EQ(error.offset, 0u);
  EXPECT_FALSE(cp932_to_utf8(bytes({0xFD}), &error).has_value());
  EXPECT_FALSE(cp932_to_utf8(bytes({0xFF}), &error).has_value());
  EXPECT_FALSE(cp932_to_utf8(bytes({0x81, 0x7F}), &error).has_value());
  // Nothing was replaced: the error path gives no text at all.
  EXPECT_EQ(cp932_to_utf8(bytes({0x88, 0x9F})), std::string("亜"));
}

}  // namespace
}  // namespace quorin::text
