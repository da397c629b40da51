#include "text/cp932.h"

#include <gtest/gtest.h>

#include <string>

namespace quorin::text {
namespace {

// Every character outside ASCII that the program's own saved and printed texts use.
const char* const Program_Texts[] = {
    "システムを終了します　よろしいですか？ｽﾀﾝﾀﾞｰﾄﾞごとのチューブ数調べたいキーワードをクリックして下さい。",
    "標準液濃度( 3次重み付け無し)保存された条件設定を読み込みますサンプルの点数は１０万までですＳＴＤ　ＰＬＯＴを表示",
    "データファイルを開くED値と最小検出限界値標準点との距離+Logit変換補正Ｗｉｚａｒｄ実験担当者ウィザードは中断",
    "管理血清数は２０までです総ﾁｭｰﾌﾞ数変更３次式　Ｘ３乗の係数 = 測定物質名アッセイＮｏ値が範囲外です結果印刷",
    "Ｖｅｒ１．３０ (000515)繰り返し数は１０までですlog(標準品濃度)-Ｂ／Ｂoスタンダード　プロット閉じる",
    "readmeﾌｧｲﾙの表示  (コマンドボタン)ＭＳ Ｐゴシック単位希釈係数データ表示画面を検量線を表示しますデータ入力削除",
    "ﾃｷｽﾄ(*.txt)|*.txt回帰式  "
    "STDリードミーを準備中です。実験日測定結果表示を行います開　　始１００，０００挿入中　止～STD",
};

TEST(Cp932, TheProgramsTextsAndTheClassicTrapsRoundTrip) {
  for (const char* text : Program_Texts) {
    Cp932_Error error;
    const auto encoded = utf8_to_cp932(text, &error);
    ASSERT_TRUE(encoded.has_value()) << text << ": refused at " << error.offset << " (" << error.character << ")";
    EXPECT_EQ(cp932_to_utf8(*encoded), std::string(text));
  }
  std::string ascii;
  for (int c = 0; c < 0x80; ++c) ascii.push_back(static_cast<char>(c));
  // clang-format off
  const std::pair<std::string, std::string> pairs[] = {
      {ascii, ascii}, {ascii + "あ", ascii + "\x82\xA0"}, {"", ""}, {"～", "\x81\x60"} /* U+FF5E, not U+301C */,
      {"－", "\x81\x7C"}, {"∥", "\x81\x61"}, {"￠", "\x81\x91"}, {"￢", "\x81\xCA"}, {"髙", "\xFB\xFC"}, {"①", "\x87\x40"},
      {"ⅰ", "\xFA\x40"}, {"\u3000", "\x81\x40"}, {"ｽﾀﾝﾀﾞｰﾄﾞ", "\xBD\xC0\xDD\xC0\xDE\xB0\xC4\xDE"},
      {"\\", "\\"} /* 0x5C is the backslash, not the yen sign */};
  // clang-format on
  for (const auto& [utf8, cp932] : pairs) {
    EXPECT_EQ(utf8_to_cp932(utf8), cp932) << utf8;
    EXPECT_EQ(cp932_to_utf8(cp932), utf8) << utf8;
  }
  // NEC-selected IBM extensions read as the same characters as the IBM ones.
  EXPECT_EQ(cp932_to_utf8("\xEE\xEF\xED\x40"), std::string("ⅰ纊"));
}

// Characters it cannot hold, characters glibc maps one way only (they would read back as
// another), broken UTF-8 and bytes that are no code page 932: refused where they stand.
TEST(Cp932, RefusesWhatDoesNotComeBack) {
  // clang-format off
  const std::pair<std::string, std::size_t> texts[] = {
      {"ab😀", 2}, {"ab€cd", 2}, {"äx", 0}, {"한", 0}, {"\u00A0", 0}, {"日本¥", 6}, {"〜", 0}, {"−", 0}, {"‖", 0},
      {"ab\xC3", 2}, {"\xFF" "a", 0}, {"あ\xED\xA0\x80", 3}, {"\xC0\xAF", 0}};
  const std::pair<std::string, std::size_t> bytes[] = {
      {"ab\x81", 2}, {"a\x81\x20", 1}, {"\x82\xA0\x80", 2}, {"\xA0", 0}, {"\xFD", 0}, {"\xFF", 0}, {"\x81\x7F", 0}};
  // clang-format on
  Cp932_Error error;
  for (const auto& [text, offset] : texts) {
    EXPECT_FALSE(utf8_to_cp932(text, &error).has_value()) << text;
    EXPECT_EQ(error.offset, offset) << text;
  }
  for (const auto& [text, offset] : bytes) {
    EXPECT_FALSE(cp932_to_utf8(text, &error).has_value()) << text;
    EXPECT_EQ(error.offset, offset) << text;
  }
  utf8_to_cp932("ab€cd", &error);
  EXPECT_EQ(error.character, "€");
  utf8_to_cp932("ab\xC3", &error);
  EXPECT_EQ(error.character, "\\xC3");
}

}  // namespace
}  // namespace quorin::text
