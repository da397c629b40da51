#include "text/cp932.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace quorin::text {
namespace {

std::string bytes(std::initializer_list<unsigned char> list) { return std::string(list.begin(), list.end()); }

// Every text of the program that holds a character outside ASCII (labels, captions, messages,
// headings, printed texts: 124 texts); each must survive code page 932 both ways.
const char* const kProgramTexts[] = {
    "データ保存が終了しました",
    "印刷が終了しました",
    "ＭＳ Ｐゴシック",
    "実験担当者",
    "実験日",
    "測定物質名",
    "単位",
    "アッセイＮｏ",
    "スタンダードの点数",
    "ｽﾀﾝﾀﾞｰﾄﾞごとのチューブ数",
    "管理血清の点数",
    "管理血清ごとのチューブ数",
    "サンプルの点数",
    "サンプルごとのチューブ数",
    "希釈係数",
    "重み付け無し",
    "標準点との距離",
    "Logit変換補正",
    "標準点との距離+Logit変換補正",
    "システムを終了します　よろしいですか？",
    "保存された条件設定を読み込みます",
    "データ表示画面を表示します",
    "保存されたデータを読み込みます",
    "ＳＴＤ　ＰＬＯＴを表示します",
    "検量線を表示します",
    "PLOT表示",
    "測定結果表示を行います",
    "ウィザードを終了します",
    "ウィザードは中断されました",
    "開　　始",
    "中　　断",
    "Ｖｅｒ１．３０ (000515)",
    "条件設定",
    "スタンダード濃度",
    "条件読込",
    "データ入力",
    "測定結果表示",
    "検量線表示",
    "条件印刷",
    "終　　　了",
    "プリンタ設定",
    "条件保存",
    "Ｗｉｚａｒｄ",
    "スタンダード数は２０までです",
    "繰り返し数は１０までです",
    "管理血清数は２０までです",
    "サンプル数は１００，０００までです",
    "条件(*.crx)|*.crx",
    "条件を保存する",
    "条件を開く",
    "    実験担当者 : ",
    "    実  験  日 :",
    "    測定物質名 :",
    "    単      位 : ",
    "    アッセイＮｏ     : ",
    "    スタンダード点数 : ",
    "    スタンダードごとのチューブ数 : ",
    "    管理血清の点数 : ",
    "    管理血清ごとのチューブ数 : ",
    "    サンプルごとのチューブ数 : ",
    "    希 釈 係 数 : ",
    "濃　度",
    "測定値",
    "データ読込",
    "データ保存",
    "データ印刷",
    "測定結果",
    "終　了",
    "挿入",
    "削除",
    "総ﾁｭｰﾌﾞ数変更",
    "ﾃｷｽﾄ(*.txt)|*.txt",
    "データファイルを開く",
    "データ入力　File名: ",
    "管理血清値",
    "サンプル値",
    "挿　入",
    "実　行",
    "削　除",
    "中　止",
    "サンプルの点数は１０万までです",
    "濃  度",
    "重無1次",
    "重無3次",
    "重1 1次",
    "重1 3次",
    "重2 1次",
    "重2 3次",
    "重3 1次",
    "重3 3次",
    "log(標準品濃度)-Ｂ／Ｂo",
    "log(標準品濃度)-logit(Ｂ／Ｂo)",
    "スタンダード　プロット",
    "1次  Y=",
    "3次  Y=",
    "回帰式  STD",
    "～STD",
    "ED値と最小検出限界値",
    "印　刷",
    "値が範囲外です",
    "１次式　Ｘ１乗の係数 = ",
    "　　　　　Ｘ０乗の係数 = ",
    "３次式　Ｘ３乗の係数 = ",
    "　　　　　Ｘ２乗の係数 = ",
    "　　　　　Ｘ１乗の係数 = ",
    "標準液濃度",
    "結果印刷",
    "結果保存",
    "スタンダードデータ",
    "標準液濃度(",
    "次",
    "管理血清測定値(",
    "サンプル測定値(",
    "<条件設定>",
    "<データ入力>",
    "<検量線表示>",
    "<測定結果>",
    "調べたいキーワードをクリックして下さい。",
    "閉じる",
    "readmeﾌｧｲﾙの表示",
    "  (コマンドボタン)",
    "リードミーを準備中です。",
    "標準液濃度( 3次重み付け無し)",
    "標準液濃度( 1次標準点との距離)",
};

TEST(Cp932, EveryTextOfTheProgramRoundTrips) {
  for (const char* text : kProgramTexts) {
    Cp932_Error error;
    const auto encoded = utf8_to_cp932(text, &error);
    ASSERT_TRUE(encoded.has_value()) << text << ": refused at " << error.offset << " ("
                                     << error.character << ")";
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
      {"～", bytes({0x81, 0x60})},   // U+FF5E FULLWIDTH TILDE, not U+301C
      {"－", bytes({0x81, 0x7C})},   // U+FF0D FULLWIDTH HYPHEN-MINUS, not U+2212
      {"∥", bytes({0x81, 0x61})},   // U+2225 PARALLEL TO, not U+2016
      {"￠", bytes({0x81, 0x91})},   // U+FFE0
      {"￡", bytes({0x81, 0x92})},   // U+FFE1
      {"￢", bytes({0x81, 0xCA})},   // U+FFE2
      {"髙", bytes({0xFB, 0xFC})},   // IBM extension kanji
      {"①", bytes({0x87, 0x40})},   // NEC special characters
      {"㈱", bytes({0x87, 0x8A})},
      {"ⅰ", bytes({0xFA, 0x40})},
      {"\u3000", bytes({0x81, 0x40})},  // ideographic space
      {"ｽﾀﾝﾀﾞｰﾄﾞ", bytes({0xBD, 0xC0, 0xDD, 0xC0, 0xDE, 0xB0, 0xC4, 0xDE})},
      {"\\", bytes({0x5C})},        // 0x5C is the backslash, not the yen sign
      {"~", bytes({0x7E})},
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
  for (const char* text : {"¥", "〜", "−", "‖", "¢", "£", "¬", "—"}) {
    const auto encoded = utf8_to_cp932(text);
    if (!encoded) {
      Cp932_Error error;
      EXPECT_FALSE(utf8_to_cp932(std::string("日本") + text, &error).has_value());
      EXPECT_EQ(error.offset, 6u) << text;
      EXPECT_EQ(error.character, text);
      continue;
    }
    // Allowed only if it really comes back.
    EXPECT_EQ(cp932_to_utf8(*encoded), std::string(text)) << text;
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
  EXPECT_FALSE(utf8_to_cp932("\xFF" "a", &error).has_value());
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

TEST(Cp932, TestSupportHelperAgrees) {
  EXPECT_EQ(quorin::testing::cp932("実験担当者"), *utf8_to_cp932("実験担当者"));
}

}  // namespace
}  // namespace quorin::text
