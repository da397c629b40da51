// The conditions screen: the commit of each kind of box with its limits, the standard fields
// shown by the number of standards, the Enter order and what does not commit.

#include "conditions_fixture.h"
#include "state/navigation.h"
#include "support/assay_digest.h"
#include "text/number_text.h"

namespace quorin {
namespace {

using testing::paste_with_mouse;

// Each case starts from 5 stored in the box's field; a refused count puts back the stored one.
TEST_F(Conditions_Screen, CountsAreRoundedHalfToEvenAndKeptWithinTheirLimits) {
  struct Case {
    int box;
    std::string typed, shown, message;
  };
  const Case cases[] = {
      {6, "25", "5", "スタンダード数は２０までです"},
      {6, "20.4", "5", "スタンダード数は２０までです"},  // the limit holds for the value as typed
      {6, "-1", "5", "スタンダード数は０から２０までです"},
      {6, "20.0", "20", ""},
      {7, "2.5", "2", ""},
      {7, "3.5", "4", ""},
      {7, "0", "", ""},
      {8, "21", "5", "管理血清数は２０までです"},
      {9, "10.5", "5", "繰り返し数は１０までです"},
      {10, "100000", "100000", ""},
      {10, "100001", "5", "サンプル数は１００，０００までです"},
      {10, "-1e12", "5", "サンプル数は０から１００，０００までです"},
      {11, "1e400", "5", "繰り返し数は１０までです"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("box " + std::to_string(c.box) + " typed " + c.typed);
    enter(c.box, "5");
    platform.messages.clear();
    enter(c.box, c.typed);
    const long long stored[] = {state.STD_Number, state.STD_Tubes,     state.Sera_Number,
                                state.Sera_Tubes, state.Sample_Number, state.Sample_Tubes};
    EXPECT_EQ(info(c.box).text, c.shown);
    EXPECT_EQ(stored[c.box - 6], c.shown.empty() ? 0 : std::stoll(c.shown)) << "the box shows what is stored";
    EXPECT_EQ(platform.messages, c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
  }
  enter(6, "0");
  enter(6, "25");
  EXPECT_EQ(info(6).text, "0") << "the digit 0, not an empty box";
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
    std::string typed, shown, message;
  };
  const Case cases[] = {
      {13, "0.5", ".5000", ""},
      {12, "2", "2.0000", ""},
      {15, "", "", ""},
      {16, "12.5kg", "7.0000", concentration(4)},
      {17, "1,000", "7.0000", concentration(5)},
      {20, "0", "7.0000", concentration(8)},
      {21, "1e309", "7.0000", concentration(9)},
      {22, "１２", "7.0000", concentration(10)},
      {12, "x10", "7.0000", factor},
      {12, "-2", "7.0000", factor},
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
      EXPECT_EQ(c.box == 12 ? state.Dilution_Factor : state.STD_Data(c.box - 12 + 3, 0), text::Val(c.shown));
      EXPECT_EQ(platform.messages,
                c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
      if (!c.message.empty()) EXPECT_EQ(testing::assay_digest(state), before);
    }
  }
  // Fewer standards hide the rest but keep their values.
  enter(25, "12");
  enter(6, "3");
  EXPECT_EQ(shown_standards(), 3);
  EXPECT_EQ(state.STD_Data(16, 0), 12);
  enter(6, "20");
  EXPECT_EQ(info(25).text, "12.0000");
}

TEST_F(Conditions_Screen, EnterVisitsTheShownFieldsInOrderAndWrapsToTheOperator) {
  for (int standards : {0, 3, 20}) {
    SCOPED_TRACE(std::to_string(standards) + " standards");
    enter(6, std::to_string(standards));
    std::vector<int> expected{0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    for (int k = 1; k <= standards; ++k) expected.push_back(12 + k);
    expected.push_back(0);
    testing::focus(info(0));
    std::vector<int> order{state.Focus_Field};
    while (order.size() < expected.size()) {
      testing::press(*screen().focused(), ui::Key_Return);
      ASSERT_EQ(screen().focused(), &info(state.Focus_Field));
      order.push_back(state.Focus_Field);
    }
    EXPECT_EQ(order, expected);
    EXPECT_EQ(state.Edit_Flag, 0) << "Enter is not an edit";
  }
}

// A box is committed when it is left after a key, or at the end of the event that changed it
// without one (the mouse) or that turned to another window; never while the user types in it.
// Each commit applies the button-state rule here.
TEST_F(Conditions_Screen, NoBoxShowsAConditionThatIsNotInForce) {
  state.Active_Screen = Screen::None;
  testing::type_over(info(7), "2");
  EXPECT_EQ(state.STD_Tubes, 0) << "still typing";
  testing::press(info(7), ui::Key_Return);
  EXPECT_EQ(state.STD_Tubes, 2) << "typed, then Enter: committed";
  EXPECT_EQ(screen().focused(), &info(8));
  EXPECT_FALSE(screen().Command[2].enabled) << "no standards yet";

  paste_with_mouse(info(6), "4");
  EXPECT_EQ(state.STD_Number, 4) << "changed with the mouse alone: committed at once";
  EXPECT_EQ(shown_standards(), 4);
  EXPECT_EQ(state.Active_Screen, Screen::Conditions);
  EXPECT_TRUE(screen().Command[2].enabled);
  EXPECT_EQ(state.Total_Tubes, 14);

  testing::type_over(info(9), "3");
  {
    ui::Desktop::Event_Scope activation(program.desktop);  // the user clicks another window
    program.show(Screen::Help);
  }
  EXPECT_EQ(state.Sera_Tubes, 3) << "left by turning to another window";
}

TEST_F(Conditions_Screen, ButtonsRequestTheirTargetsFromScreenOne) {
  EXPECT_EQ(screen().focused(), &screen().Command[0]);
  testing::click(screen().Command[12]);
  EXPECT_EQ(platform.printer_setups, 1);
  EXPECT_EQ(state.Screen_No, 1);
  testing::click(screen().Command[0]);
  testing::click(screen().Command[13]);
  ASSERT_EQ(platform.dialogs.size(), 2u);
  EXPECT_EQ(platform.dialogs[0].title + platform.dialogs[1].title, "条件を開く条件を保存する");
  EXPECT_EQ(platform.dialog_was_save, (std::vector<bool>{false, true}));
  for (const ui::File_Dialog& dialog : platform.dialogs)
    EXPECT_EQ(dialog.filter + dialog.default_extension, "条件(*.crx)|*.crxcrx");
  EXPECT_TRUE(platform.messages.empty()) << "a cancelled dialog says nothing";
}

TEST_F(Conditions_Screen, LayoutKeepsEveryControlInsideTheWindowWithoutOverlaps) {
  enter(6, "20");
  std::vector<const ui::Control*> shown;
  for (const auto& control : screen().controls())
    if (control->visible) shown.push_back(control.get());
  EXPECT_EQ(shown.size(), 1u + 2 * 32 + 10) << "heading, 32 labelled boxes, ten buttons";
  for (const ui::Control* c : shown) {
    EXPECT_LE(c->left + c->width, screen().client_width) << c->name << c->index;
    EXPECT_LE(c->top + c->height, screen().client_height) << c->name << c->index;
    for (const ui::Control* d : shown)
      EXPECT_TRUE(c == d || c->left + c->width <= d->left || d->left + d->width <= c->left ||
                  c->top + c->height <= d->top || d->top + d->height <= c->top)
          << c->name << c->index << " overlaps " << d->name << d->index;
  }
}

}  // namespace
}  // namespace quorin
