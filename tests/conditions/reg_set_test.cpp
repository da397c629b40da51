// The conditions screen: its load step, the commit of each kind of box with its limits, the
// standard fields shown by the number of standards, the Enter order and what does not commit.

#include <cmath>

#include "conditions_fixture.h"
#include "state/navigation.h"
#include "support/assay_digest.h"

namespace quorin {
namespace {

using testing::focus;
using testing::paste_with_mouse;
using testing::press;
using testing::type_over;

TEST_F(Conditions_Screen, LoadStepStartsEmptyWithWeightNamesAndFocusOnLoadButton) {
  EXPECT_EQ(screen().caption, "条件設定");
  EXPECT_EQ(state.Weight_Name(0), "重み付け無し");
  EXPECT_EQ(state.Weight_Name(3), "標準点との距離+Logit変換補正");
  EXPECT_EQ(box_texts(), std::vector<std::string>(33));
  EXPECT_TRUE(shown_standards().empty());
  EXPECT_FALSE(info(2).visible);
  for (int i : {2, 3, 4}) EXPECT_FALSE(screen().Command[i].enabled) << i;
  EXPECT_EQ(screen().focused(), &screen().Command[0]);
}

TEST_F(Conditions_Screen, TextFieldsAreCleanedAndStored) {
  struct Case {
    int box;
    std::string typed, shown;
    std::string Assay_State::*field;
  };
  const Case cases[] = {
      {0, "  山田 太郎  ", "山田 太郎", &Assay_State::Operator_Name},
      {1, "2000/05/15", "2000/05/15", &Assay_State::Assay_Date},
      {3, "　ＴＳＨ　", "ＴＳＨ", &Assay_State::Substance_Name},
      {4, "μIU/ml", "μIU/ml", &Assay_State::Unit_Name},
      {5, "12, \"A\"", "12, \"A\"", &Assay_State::Assay_No},
  };
  for (const Case& c : cases) {
    enter(c.box, c.typed);
    EXPECT_EQ(info(c.box).text, c.shown) << c.box;
    EXPECT_EQ(state.*c.field, c.shown) << c.box;
  }
  EXPECT_TRUE(platform.messages.empty());
}

// Each case starts from 5 stored in the box's field (1 for the samples' count).
TEST_F(Conditions_Screen, CountsAreRoundedHalfToEvenAndKeptWithinTheirLimits) {
  struct Case {
    int box;
    std::string typed;
    long long stored;
    std::string shown, message;
  };
  const Case cases[] = {
      {6, "25", 5, "5", "スタンダード数は２０までです"},
      {6, "20.4", 5, "5", "スタンダード数は２０までです"},
      {6, "20.0", 20, "20", ""},
      {6, "-1", 5, "5", "スタンダード数は０から２０までです"},
      {7, "2.5", 2, "2", ""},
      {7, "3.5", 4, "4", ""},
      {7, "11", 5, "5", "繰り返し数は１０までです"},
      {7, "0", 0, "", ""},
      {8, "21", 5, "5", "管理血清数は２０までです"},
      {9, "10.5", 5, "5", "繰り返し数は１０までです"},
      {9, "-3", 5, "5", "繰り返し数は０から１０までです"},
      {10, "100000", 100000, "100000", ""},
      {10, "100001", 5, "5", "サンプル数は１００，０００までです"},
      {10, "1e12", 5, "5", "サンプル数は１００，０００までです"},
      {10, "-1e12", 5, "5", "サンプル数は０から１００，０００までです"},
      {11, "1e400", 5, "5", "繰り返し数は１０までです"},
  };
  auto stored = [this](int box) -> long long {
    switch (box) {
      case 6: return state.STD_Number;
      case 7: return state.STD_Tubes;
      case 8: return state.Sera_Number;
      case 9: return state.Sera_Tubes;
      case 10: return state.Sample_Number;
      default: return state.Sample_Tubes;
    }
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("box " + std::to_string(c.box) + " typed " + c.typed);
    enter(c.box, "5");
    platform.messages.clear();
    enter(c.box, c.typed);
    EXPECT_EQ(stored(c.box), c.stored);
    EXPECT_EQ(info(c.box).text, c.shown);
    EXPECT_EQ(platform.messages, c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
  }
}

TEST_F(Conditions_Screen, RefusedNumberOfStandardsPutsBackTheStoredOneAsADigit) {
  enter(6, "25");
  EXPECT_EQ(info(6).text, "0") << "nothing stored yet: the digit 0, not an empty box";
  enter(6, "8");
  enter(6, "25");
  EXPECT_EQ(platform.messages, std::vector<std::string>(2, "スタンダード数は２０までです"));
  EXPECT_EQ(info(6).text, "8");
  EXPECT_EQ(state.STD_Number, 8);
  EXPECT_EQ(shown_standards(), one_to(8));
}

// A concentration or the dilution factor is one number above 0, or nothing (not entered yet).
// Anything else is refused with the box's message, and the box and the assay stay as they were,
// whether it was typed or changed with the mouse alone.
TEST_F(Conditions_Screen, ValueBoxesTakeOneNumberAboveZeroOrNothing) {
  const std::string factor = "希釈係数は０より大きい数値で入力してください";
  auto concentration = [](int k) {
    return "スタンダード " + std::to_string(k) + " の濃度は０より大きい数値で入力してください";
  };
  struct Case {
    int box;
    std::string typed, shown;
    double stored;
    std::string message;
  };
  const Case cases[] = {
      {13, "0.5", ".5000", 0.5, ""},
      {12, "2", "2.0000", 2, ""},
      {15, "", "", 0, ""},
      {16, "12.5kg", "7.0000", 7, concentration(4)},
      {17, "1,000", "7.0000", 7, concentration(5)},
      {18, "abc", "7.0000", 7, concentration(6)},
      {20, "0", "7.0000", 7, concentration(8)},
      {21, "1e309", "7.0000", 7, concentration(9)},
      {22, "１２", "7.0000", 7, concentration(10)},
      {12, "x10", "7.0000", 7, factor},
      {12, "-2", "7.0000", 7, factor},
      {12, "nan", "7.0000", 7, factor},
  };
  enter(6, "20");
  for (const bool typed : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE((typed ? "typed " : "pasted ") + c.typed + " into box " + std::to_string(c.box));
      enter(c.box, "7");
      platform.messages.clear();
      const std::string before = testing::assay_digest(state);
      if (typed) {
        enter(c.box, c.typed);
      } else {
        paste_with_mouse(info(c.box), c.typed);  // committed when the paste is over
      }
      EXPECT_EQ(info(c.box).text, c.shown);
      EXPECT_EQ(c.box == 12 ? state.Dilution_Factor : state.STD_Data(c.box - 12 + 3, 0), c.stored);
      EXPECT_EQ(platform.messages,
                c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
      if (!c.message.empty()) {
        EXPECT_EQ(testing::assay_digest(state), before);
      }
    }
  }
}

TEST_F(Conditions_Screen, FewerStandardsHideTheRestButKeepTheirValues) {
  enter(6, "8");
  EXPECT_EQ(shown_standards(), one_to(8));
  for (int k = 1; k <= 8; ++k) enter(12 + k, std::to_string(k * 10));
  enter(6, "3");
  EXPECT_EQ(shown_standards(), one_to(3));
  for (int k = 4; k <= 8; ++k) {
    EXPECT_EQ(info(12 + k).text, std::to_string(k * 10) + ".0000");
    EXPECT_EQ(state.STD_Data(3 + k, 0), k * 10);
  }
  enter(6, "8");
  EXPECT_EQ(info(20).text, "80.0000");
}

TEST_F(Conditions_Screen, EnterVisitsTheShownFieldsInOrderAndWrapsToTheOperator) {
  for (int standards : {0, 3, 20}) {
    SCOPED_TRACE(std::to_string(standards) + " standards");
    enter(6, std::to_string(standards));
    std::vector<int> expected{0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    for (int k = 1; k <= standards; ++k) expected.push_back(12 + k);
    expected.push_back(0);

    focus(info(0));
    std::vector<int> order{state.Focus_Field};
    while (order.size() < expected.size()) {
      press(*screen().focused(), ui::Key_Return);
      ASSERT_EQ(screen().focused(), &info(state.Focus_Field));
      order.push_back(state.Focus_Field);
    }
    EXPECT_EQ(order, expected);
    EXPECT_EQ(state.Edit_Flag, 0) << "Enter is not an edit";
  }
}

// A box is committed when it is left after a key, or at the end of the event that changed it
// without one (the mouse) or that turned to another window; never while the user types in it.
TEST_F(Conditions_Screen, NoBoxShowsAConditionThatIsNotInForce) {
  type_over(info(7), "2");
  EXPECT_EQ(state.STD_Tubes, 0) << "still typing";
  press(info(7), ui::Key_Return);
  EXPECT_EQ(state.STD_Tubes, 2) << "typed, then Enter: committed";
  EXPECT_EQ(screen().focused(), &info(8));

  paste_with_mouse(info(6), "4");
  EXPECT_EQ(state.STD_Number, 4) << "changed with the mouse alone: committed at once";
  EXPECT_EQ(shown_standards(), one_to(4));

  type_over(info(9), "3");
  {
    ui::Desktop::Event_Scope activation(program.desktop);  // the user clicks another window
    program.show(Screen::Help);
  }
  EXPECT_EQ(state.Sera_Tubes, 3) << "left by turning to another window";
  EXPECT_EQ(info(9).text, "3");
}

TEST_F(Conditions_Screen, CommitAppliesTheButtonStateRuleHere) {
  state.Active_Screen = Screen::None;
  enter(6, "2");
  EXPECT_FALSE(screen().Command[2].enabled) << "no tubes yet";
  enter(7, "2");
  EXPECT_EQ(state.Active_Screen, Screen::Conditions);
  EXPECT_TRUE(screen().Command[2].enabled);
  EXPECT_EQ(state.Total_Tubes, 10);
}

TEST_F(Conditions_Screen, ButtonsRequestTheirTargetsFromScreenOne) {
  testing::click(screen().Command[12]);
  EXPECT_EQ(platform.printer_setups, 1);
  EXPECT_EQ(state.Screen_No, 1);
  testing::click(screen().Command[0]);
  testing::click(screen().Command[13]);
  ASSERT_EQ(platform.dialogs.size(), 2u);
  EXPECT_EQ(platform.dialogs[0].title, "条件を開く");
  EXPECT_EQ(platform.dialogs[1].title, "条件を保存する");
  EXPECT_EQ(platform.dialog_was_save, (std::vector<bool>{false, true}));
  for (const ui::File_Dialog& dialog : platform.dialogs) {
    EXPECT_EQ(dialog.filter, "条件(*.crx)|*.crx");
    EXPECT_EQ(dialog.default_extension, "crx");
  }
  EXPECT_TRUE(platform.messages.empty()) << "a cancelled dialog says nothing";
}

TEST_F(Conditions_Screen, LayoutKeepsEveryControlInsideTheWindowWithoutOverlaps) {
  enter(6, "20");
  std::vector<const ui::Control*> shown;
  for (const auto& control : screen().controls())
    if (control->visible) shown.push_back(control.get());
  EXPECT_EQ(shown.size(), 1u + 2 * 32 + 10) << "heading, 32 labelled boxes, ten buttons";
  for (std::size_t a = 0; a < shown.size(); ++a) {
    const ui::Control& c = *shown[a];
    EXPECT_LE(c.left + c.width, screen().client_width) << c.name << c.index;
    EXPECT_LE(c.top + c.height, screen().client_height) << c.name << c.index;
    for (std::size_t b = a + 1; b < shown.size(); ++b) {
      const ui::Control& d = *shown[b];
      const bool apart = c.left + c.width <= d.left || d.left + d.width <= c.left || c.top + c.height <= d.top ||
                         d.top + d.height <= c.top;
      EXPECT_TRUE(apart) << c.name << c.index << " overlaps " << d.name << d.index;
    }
  }
}

}  // namespace
}  // namespace quorin
