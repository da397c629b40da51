// The form model behaves as the screens rely on: focus events in order, option groups, scroll
// bars that report changes, picture areas that keep what is drawn, desktop life cycle.

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "ui/desktop.h"
#include "ui/form.h"
#include "ui/recording_printer.h"

namespace quorin::ui {
namespace {

struct Two_Boxes : Form {
  Two_Boxes() : Form("test", 3000, 2000) {
    for (int i = 0; i < 2; ++i) {
      Text_Box& box = add(box_array, i, 0, 400 * i, 1000, 300);
      box.on_got_focus = [this, i] { log.push_back("got " + std::to_string(i)); };
      box.on_lost_focus = [this, i] { log.push_back("lost " + std::to_string(i)); };
    }
  }
  Control_Array<Text_Box> box_array{"box"};
  std::vector<std::string> log;
};

TEST(Focus, MovingFocusFiresLostBeforeGot) {
  Two_Boxes form;
  form.set_focus(form.box_array[0]);
  form.set_focus(form.box_array[1]);
  form.set_focus(form.box_array[1]);  // already there: nothing
  EXPECT_EQ(form.log, (std::vector<std::string>{"got 0", "lost 0", "got 1"}));
  EXPECT_EQ(form.focused(), &form.box_array[1]);
}

TEST(Focus, LostFocusStepMayTakeTheFocusElsewhere) {
  Two_Boxes form;
  form.set_focus(form.box_array[0]);
  // A refused value sends the focus back to its box before the other box gets it.
  form.box_array[0].on_lost_focus = [&form] { form.set_focus(form.box_array[0]); };
  form.set_focus(form.box_array[1]);
  EXPECT_EQ(form.focused(), &form.box_array[0]);
  EXPECT_EQ(std::count(form.log.begin(), form.log.end(), "got 1"), 0);
}

TEST(Controls, ArraysAreFoundByNameAndIndex) {
  Two_Boxes form;
  EXPECT_EQ(form.find("box", 1), &form.box_array[1]);
  EXPECT_EQ(form.find("box", 2), nullptr);
  EXPECT_TRUE(form.box_array.has(0));
  EXPECT_FALSE(form.box_array.has(5));
}

TEST(Controls, TextChangeFiresOnlyOnRealChange) {
  Two_Boxes form;
  int changes = 0;
  form.box_array[0].on_change = [&] { ++changes; };
  form.box_array[0].set_text("12");
  form.box_array[0].set_text("12");
  EXPECT_EQ(changes, 1);
}

TEST(Controls, OptionButtonsOfOneGroupExcludeEachOther) {
  Form form("test", 1000, 1000);
  Control_Array<Option_Button> choices{"Option1"};
  Control_Array<Option_Button> others{"Option2"};
  for (int i = 0; i < 3; ++i) form.add(choices, i, 0, 0, 10, 10);
  Option_Button& other = form.add(others, 0, 0, 0, 10, 10);
  other.select();
  choices[0].select();
  choices[2].select();
  EXPECT_FALSE(choices[0].value);
  EXPECT_TRUE(choices[2].value);
  EXPECT_TRUE(other.value) << "another array is another group";
}

TEST(Controls, ScrollBarClampsAndReportsChanges) {
  Form form("test", 1000, 1000);
  Scroll_Bar& bar = form.add<Scroll_Bar>("VScroll1", 0, 0, 255, 1000, true);
  std::vector<int> seen;
  bar.on_change = [&] { seen.push_back(bar.value()); };
  bar.set_range(0, 5);
  bar.set_value(3);
  bar.set_value(3);
  bar.set_value(9);
  bar.set_range(0, 2);  // shrinking the range brings the value back inside
  EXPECT_EQ(seen, (std::vector<int>{3, 5, 2}));
}

TEST(Controls, ReachableLooksThroughContainers) {
  Form form("test", 1000, 1000);
  Picture_Area& outer = form.add<Picture_Area>("Picture1", 0, 0, 500, 500);
  Label& inner = form.add<Label>("Label1", 0, 0, 100, 100);
  put_inside(inner, outer);
  EXPECT_TRUE(inner.reachable());
  outer.visible = false;
  EXPECT_FALSE(inner.reachable());
}

TEST(PictureArea, KeepsOperationsInUserCoordinates) {
  Form form("test", 3000, 6000);
  Picture_Area& plot = form.add<Picture_Area>("Picture1", 0, 0, 2800, 5000);
  plot.scale(1.0, -3.5, 2.0, 7.0);
  plot.draw_style = Draw_Style::Dotted;
  plot.line(1, -3, 3, -3, Light_Grey);
  plot.draw_style = Draw_Style::Solid;
  plot.point(1, 0, Yellow);
  plot.line_to(2, 1, Yellow);
  plot.circle(2, 1, 0.025, Yellow);
  ASSERT_EQ(plot.ops().size(), 4u);
  EXPECT_EQ(plot.ops()[0].style, Draw_Style::Dotted);
  EXPECT_EQ(plot.ops()[2], (Draw_Op{Draw_Op::Type::Line, 1, 0, 2, 1, Yellow, Draw_Style::Solid}));
  // Mouse positions in twips map onto the user coordinate system.
  EXPECT_DOUBLE_EQ(plot.user_x(1400), 2.0);
  EXPECT_DOUBLE_EQ(plot.user_y(2500), 0.0);
  const unsigned before = plot.version();
  plot.clear();
  EXPECT_TRUE(plot.ops().empty());
  EXPECT_NE(plot.version(), before);
}

TEST(RecordingPrinter, RecordsOperationsAndMovesTheCurrentPosition) {
  Recording_Printer printer;
  printer.set_font_size(14);
  printer.set_position(1000, 600);
  printer.print("Data", false);
  EXPECT_GT(printer.current_x(), 1000);
  printer.print("");
  EXPECT_EQ(printer.current_x(), 0);
  EXPECT_GT(printer.current_y(), 600);
  printer.set_draw_style(Draw_Style::Dashed);
  printer.line(0, 750, 9600, 750);
  printer.line(0, 1000, 9600, 1000);
  printer.set_draw_style(Draw_Style::Solid);
  printer.rectangle(0, 750, 9600, 1000.5);
  printer.circle(1000, 2000, 60);
  printer.end_document();
  EXPECT_EQ(printer.ops(),
            (std::vector<std::string>{"font 14", "text 1000,600 \"Data\"", "text 1560,600 \"\" eol", "style 1",
                                      "line 0,750 9600,750", "line 0,1000 9600,1000", "style 0",
                                      "rect 0,750 9600,1000.5", "circle 1000,2000 r60", "end"}));
  EXPECT_EQ(printer.documents(), 1);
}

struct Counting_Form : Form {
  Counting_Form() : Form("counting", 100, 100) {}
  void activate() override { ++activations; }
  int activations = 0;
};

TEST(Desktop, ShowActivatesOnlyWhenComingToTheFront) {
  Desktop desktop;
  Counting_Form a, b;
  desktop.show(a);
  desktop.show(a);
  desktop.show(b);
  desktop.show(a);
  EXPECT_EQ(a.activations, 2);
  EXPECT_EQ(b.activations, 1);
  EXPECT_EQ(desktop.front(), &a);
}

TEST(Desktop, FormClosedDuringAnEventLivesUntilTheEventEnds) {
  Desktop desktop;
  bool destroyed = false;
  struct Watched : Form {
    explicit Watched(bool& flag) : Form("watched", 100, 100), flag(flag) {}
    ~Watched() override { flag = true; }
    bool& flag;
  };
  auto form = std::make_unique<Watched>(destroyed);
  desktop.show(*form);
  {
    Desktop::Event_Scope scope(desktop);
    desktop.close(std::move(form));
    EXPECT_FALSE(destroyed) << "a handler of the form may still be running";
    EXPECT_EQ(desktop.front(), nullptr);
  }
  EXPECT_TRUE(destroyed);
}

}  // namespace
}  // namespace quorin::ui
