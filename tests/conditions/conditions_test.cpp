// The conditions screen and its file: the commit of each kind of box with its limits, the
// standard fields shown by their number, the Enter order and what does not commit; the exact
// bytes saved and printed, loaded back as the same 33 boxes, the standards taken from the first
// lines that hold something, and every malformed file refused with the screen and the assay state
// left exactly as they were.

#include <gtest/gtest.h>

#include "conditions/reg_set.h"
#include "navigation/navigation.h"
#include "state/program_fixture.h"
#include "support/assay_digest.h"
#include "text/format.h"

namespace quorin {
namespace {

// Code page 932 bytes of a file with `standards` in line 7 and the concentrations from line 14
// on, two standards at 1 and 10 unless told; `change` replaces lines by their index first.
std::string file_of(const std::string& standards, const std::vector<std::string>& concentrations = {"1", "10"},
                    const std::vector<std::pair<int, std::string>>& change = {}, const std::string& line_end = "\r\n") {
  std::vector<std::string> lines{"佐藤", "2000/06/01", "",  "ＬＨ", "mIU/ml", "7",     standards,
                                 "2",    "1",          "2", "4",    "2",      "1.0000"};
  lines.insert(lines.end(), concentrations.begin(), concentrations.end());
  lines.resize(std::max<std::size_t>(lines.size(), 33));
  for (const auto& [index, text] : change) lines[static_cast<std::size_t>(index)] = text;
  std::string bytes;
  for (const std::string& line : lines) bytes += testing::cp932(line) + line_end;
  return bytes;
}

class Conditions : public testing::Program_Test {
 protected:
  Conditions() { program.show(Screen::Conditions); }
  Reg_Set& screen() { return *program.screen_as<Reg_Set>(Screen::Conditions); }
  ui::Text_Box& info(int i) { return screen().info[i]; }

  // Types over box i and moves on to the load button, as a user clicking elsewhere.
  void enter(int i, const std::string& typed) {
    testing::type_over(info(i), typed);
    testing::focus(screen().Command[0]);
  }
  void load(const std::string& path, const std::string& bytes) {
    testing::write_bytes(path, bytes);
    platform.file_answers.push_back(path);
    testing::click(screen().Command[target::Open_File]);
  }
  // How many standards have their box and label shown (always the first ones).
  int shown_standards() {
    int shown = 0;
    for (int k = 1; k <= Max_Standards; ++k) {
      EXPECT_EQ(info(12 + k).visible, screen().Label1[12 + k].visible) << "standard " << k;
      if (info(12 + k).visible) { EXPECT_EQ(shown++, k - 1) << "standard " << k << " follows a hidden one"; }
    }
    return shown;
  }
  // Everything a condition file can change, to compare before and after a refused load.
  std::string snapshot() {
    std::string shot = std::to_string(testing::assay_digest(state)) + screen().caption;
    for (const auto& [i, box] : screen().info) shot += box->text + (box->visible ? "|" : "/");
    return shot;
  }
};

// Each row starts from 5 stored in the box's field. A count is rounded half to even and kept
// within its limit as typed (20.4 standards are too many); a concentration or the dilution factor
// is one number above 0, or nothing (not entered yet). Anything else is refused with the box's
// message, and the box and the assay stay as they were, whether it was typed or changed with the
// mouse alone. Recorded: the box, what was typed, what it shows, what is stored, what is told.
TEST_F(Conditions, BoxesCommitWhatTheyShowWithinTheirLimits) {
  // clang-format off
  const std::pair<int, const char*> rows[] = {
      {6, "25"}, {6, "20.4"}, {6, "-1"}, {6, "20.0"}, {7, "2.5"}, {7, "3.5"}, {7, "0"}, {8, "21"}, {9, "10.5"},
      {10, "100000"}, {10, "100001"}, {10, "-1e12"}, {11, "1e400"}, {13, "0.5"}, {12, "2"}, {15, ""}, {16, "12.5kg"},
      {17, "1,000"}, {20, "0"}, {21, "1e309"}, {22, "１２"}, {12, "x10"}, {12, "-2"}};
  // clang-format on
  std::string seen;
  for (const bool mouse : {false, true}) {
    for (const auto& [box, typed] : rows) {
      enter(6, "20");
      enter(box, "5");
      platform.messages.clear();
      const std::uint64_t before = testing::assay_digest(state);
      mouse ? testing::paste_with_mouse(info(box), typed) : enter(box, typed);  // a paste commits when it is over
      const double counts[] = {double(state.STD_Number), double(state.STD_Tubes),     double(state.Sera_Number),
                               double(state.Sera_Tubes), double(state.Sample_Number), double(state.Sample_Tubes)};
      const double stored = box < 12    ? counts[box - 6]
                            : box == 12 ? state.Dilution_Factor
                                        : state.STD_Data(box - 9, STD_Column::Concentration);
      seen += std::string(mouse ? "pasted" : "typed") + " box " + std::to_string(box) + " \"" + typed + "\" shows \"" +
              info(box).text + "\" stores" + text::general_number(stored);
      for (const std::string& message : platform.messages) seen += "| " + message;
      seen += "\n";
      if (!platform.messages.empty()) { EXPECT_EQ(testing::assay_digest(state), before) << box << " " << typed; }
    }
  }
  testing::expect_golden("boxes.txt", seen);
  enter(6, "0");
  enter(6, "25");
  EXPECT_EQ(info(6).text, "0") << "the digit 0, not an empty box";
}

// Enter visits the shown fields in order and wraps to the operator. A box is committed when it is
// left after a key, or at the end of the event that changed it without one (the mouse) or that
// turned to another window; never while the user types in it. Each commit applies the
// button-state rule here.
TEST_F(Conditions, EnterOrderAndNoBoxShowsAConditionThatIsNotInForce) {
  enter(6, "1");
  std::vector<int> order{0};
  testing::focus(info(0));
  for (int k = 0; k < 14; ++k) testing::press(*screen().focused(), ui::Key_Return), order.push_back(state.Focus_Field);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0, 1}));
  EXPECT_TRUE(screen().focused() == &info(1) && state.Edit_Flag == 0) << "Enter is not an edit";

  state.Active_Screen = Screen::None;
  testing::type_over(info(7), "2");
  const Integer while_typing = state.STD_Tubes;
  testing::press(info(7), ui::Key_Return);
  EXPECT_TRUE(while_typing == 0 && state.STD_Tubes == 2) << "committed by Enter only";
  testing::paste_with_mouse(info(6), "4");  // committed at once
  EXPECT_EQ(shown_standards(), 4);
  EXPECT_TRUE(screen().Command[target::Data_Sheet].enabled);
  testing::type_over(info(9), "3");
  {
    ui::Desktop::Event_Scope activation(program.desktop);  // the user clicks another window
    program.show(Screen::Help);
  }
  EXPECT_EQ(state.Sera_Tubes, 3) << "left by turning to another window";
}

// Typed texts are cleaned, the saved file holds the boxes as shown in code page 932 with CR LF, the
// printout prints them, and the file loads back into another program as the same 33 boxes.
TEST_F(Conditions, SavedPrintedAndLoadedBackAsShownOrRefused) {
  // clang-format off
  const std::pair<int, std::string> typed[] = {
      {0, "  田中, \"次郎\"  "}, {1, "平成12年5月15日"}, {3, "　ｺﾙﾁｿﾞｰﾙ～　"}, {4, "μIU/ml"}, {5, "No.\"7\",B"},
      {6, "20"}, {7, "3"}, {8, "2"}, {9, "3"}, {10, "100000"}, {11, "10"}, {12, "0.25"}};
  // clang-format on
  for (const auto& [box, text] : typed) enter(box, text);
  for (int k = 1; k <= 20; ++k) enter(12 + k, std::to_string(k * 0.75));
  const std::string path = folder.file("round.crx");
  platform.file_answers.push_back(path);
  testing::click(screen().Command[target::Save_Conditions]);
  const std::string saved = testing::read_bytes(path);
  testing::expect_golden("round.crx", saved);
  testing::click(screen().Command[target::Print]);
  testing::expect_golden("printout.txt", testing::lines_of(platform.recorder.ops()));
  EXPECT_EQ(platform.messages, std::vector<std::string>{"印刷が終了しました"});

  ui::Scripted_Platform other_platform;
  Program other(other_platform);
  other.show(Screen::Conditions);
  other_platform.file_answers.push_back(path);
  Reg_Set& loaded = *other.screen_as<Reg_Set>(Screen::Conditions);
  testing::click(loaded.Command[target::Open_File]);
  for (int i = 0; i <= 32; ++i) EXPECT_EQ(loaded.info[i].text, info(i).text) << i;
  EXPECT_TRUE(other_platform.messages.empty());

  // A text code page 932 cannot hold is refused, and a cancelled dialog saves nothing; the file
  // stays as it was. (Paths that cannot be written are the file failures test's, for every save.)
  platform.messages.clear();
  enter(4, "café");
  platform.file_answers.push_back(path);
  testing::click(screen().Command[target::Save_Conditions]);
  testing::click(screen().Command[target::Save_Conditions]);  // no answer queued: the dialog is cancelled
  EXPECT_EQ(platform.messages, std::vector<std::string>{"条件を保存できません: " + path +
                                                        "\n「単位」の「é」はシフトJISで保存できない文字です"});
  EXPECT_EQ(testing::read_bytes(path), saved);
}

TEST_F(Conditions, LoadedFileBecomesTheCaptionAndTheStandardsTheFirstLinesHoldingSomethingOrIsRefused) {
  load(folder.file("gaps.crx"), file_of("3", {"", "   ", "　", "1.5", "3", "6.25", "99"}, {}, "\n"));  // LF alone too
  EXPECT_EQ(screen().caption + "|" + state.Condition_File, folder.file("gaps.crx") + "|" + folder.file("gaps.crx"));
  EXPECT_EQ(shown_standards(), 3);
  EXPECT_EQ(info(13).text + info(14).text + info(15).text + "|" + info(16).text, "1.50003.00006.2500|");
  EXPECT_EQ(state.STD_Data(7, STD_Column::Concentration), 0) << "standards beyond the number are not read";
  EXPECT_EQ(screen().focused(), &screen().Command[target::Data_Sheet]) << "on to data entry";
  // Fewer standards keep the earlier texts of the hidden ones, committed with them.
  load(folder.file("eight.crx"), file_of("8", {"1", "2", "3", "4", "5", "6", "7", "8"}));
  load(folder.file("five.crx"), file_of("5", {"10", "20", "30", "40", "50", "777", "777", "777"}));
  EXPECT_EQ(shown_standards(), 5);
  EXPECT_EQ(info(17).text + info(18).text + info(20).text, "50.00006.00008.0000");
  // An older file may lack the dilution factor, or hold one that is not a number: it loads without
  // one (not with the one in force before), and the user is told (golden/older.txt).
  std::string older;
  for (const std::string factor : {"", "x10"}) {
    enter(12, "3");
    platform.messages.clear();
    load(folder.file("older.crx"), file_of("2", {"1", "10"}, {{12, factor}}));
    older += testing::lines_of(platform.messages);
    EXPECT_TRUE(state.Dilution_Factor == 0 && info(12).text.empty());
  }
  testing::expect_golden("older.txt", older);

  // Malformed files are refused with nothing changed. Recorded: what the user is told of each
  // file, where the wizard asked for it and stops.
  std::string bad_code = file_of("2");
  bad_code.replace(bad_code.find("mIU"), 1, "\x81\x20");  // a lead byte without its trail byte
  // clang-format off
  const std::string files[] = {"", std::string("\x00\x01\x02\x03", 4) + "conditions", bad_code, file_of("2").substr(0, 34),
      file_of("abc"), file_of("20.4"), file_of("-1"), file_of("5", {"1", "", "2"}), file_of("2", {"1", "10"}, {{9, "11"}}),
      file_of("2", {"1", "10"}, {{9, ""}}), file_of("2", {"1", "1,000"})};
  // clang-format on
  load(folder.file("good.crx"), file_of("2"));
  enter(13, "3.5");  // a standard typed since the load
  const std::string before = snapshot();
  std::string told;
  for (const std::string& bytes : files) {
    platform.messages.clear();
    state.Wizard_Mode = Wizard::Running;
    load(folder.file("bad.crx"), bytes);
    for (const std::string& message : platform.messages) told += message + "\n";
    EXPECT_EQ(state.Wizard_Mode, Wizard::Idle) << "a running wizard stops";
    EXPECT_EQ(snapshot(), before) << told;
  }
  for (std::size_t at; (at = told.find(folder.path().string())) != std::string::npos;)
    told.replace(at, folder.path().string().size(), "<folder>");
  testing::expect_golden("refused.txt", told);
}

}  // namespace
}  // namespace quorin
