// The form model as the screens rely on it: focus events in order, option groups, scroll bars
// that report changes, picture areas that keep what is drawn, the desktop's life cycle.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/desktop.h"
#include "ui/form.h"

namespace quorin::ui {
namespace {

TEST(Form, FocusTextAndOptionEventsComeAsTheScreensExpect) {
  Form form("test", 3000, 2000);
  Control_Array<Text_Box> boxes{"box"};
  std::vector<std::string> log;
  for (int i = 0; i < 2; ++i) {
    Text_Box& box = form.add(boxes, i, 0, 400 * i, 1000, 300);
    box.on_got_focus = [&log, i] { log.push_back("got " + std::to_string(i)); };
    box.on_lost_focus = [&log, i] { log.push_back("lost " + std::to_string(i)); };
    box.on_change = [&log, i] { log.push_back("text " + std::to_string(i)); };
  }
  form.set_focus(boxes[0]);
  form.set_focus(boxes[1]);
  form.set_focus(boxes[1]);  // already there: nothing
  boxes[1].set_text("12");
  boxes[1].set_text("12");
  // A refused value sends the focus back to its box before the other box gets it.
  boxes[1].on_lost_focus = [&] { form.set_focus(boxes[1]); };
  form.set_focus(boxes[0]);
  EXPECT_EQ(log, (std::vector<std::string>{"got 0", "lost 0", "got 1", "text 1", "lost 0", "got 1"}));
  EXPECT_EQ(form.focused(), &boxes[1]);
  EXPECT_TRUE(form.find("box", 1) == &boxes[1] && form.find("box", 2) == nullptr);

  Control_Array<Option_Button> choices{"Option1"}, others{"Option2"};
  for (int i = 0; i < 3; ++i) form.add(choices, i, 0, 0, 10, 10);
  form.add(others, 0, 0, 0, 10, 10).select();
  choices[0].select();
  choices[2].select();
  EXPECT_TRUE(!choices[0].value && choices[2].value && others[0].value) << "one group per array";
}

TEST(Form, ScrollBarsClampAndPicturesKeepTheirDrawing) {
  Form form("test", 3000, 6000);
  Scroll_Bar& bar = form.add<Scroll_Bar>("VScroll1", 0, 0, 255, 1000, true);
  std::vector<int> seen;
  bar.on_change = [&] { seen.push_back(bar.value()); };
  bar.set_range(0, 5);
  for (int value : {3, 3, 9}) bar.set_value(value);
  bar.set_range(0, 2);  // shrinking the range brings the value back inside
  EXPECT_EQ(seen, (std::vector<int>{3, 5, 2}));

  Picture_Area& plot = form.add<Picture_Area>("Picture1", 0, 0, 2800, 5000);
  Label& inside = form.add<Label>("Label1", 0, 0, 100, 100);
  put_inside(inside, plot);
  plot.scale(1.0, -3.5, 2.0, 7.0);
  plot.line(1, -3, 3, -3, Light_Grey);
  EXPECT_EQ(plot.ops().at(0), (Draw_Op{Draw_Op::Type::Line, 1, -3, 3, -3, Light_Grey, Draw_Style::Solid}));
  EXPECT_EQ(plot.user_x(1400) + plot.user_y(2500), 2.0) << "mouse positions in twips, in the plot's units";
  const unsigned before = plot.version();
  plot.clear();
  EXPECT_TRUE(plot.ops().empty() && plot.version() != before);
  plot.visible = false;
  EXPECT_FALSE(inside.reachable());
}

TEST(Desktop, ActivatesOnlyWhenComingToTheFrontAndKeepsAClosedFormUntilTheEventEnds) {
  struct Watched : Form {
    explicit Watched(bool& destroyed) : Form("watched", 100, 100), destroyed(destroyed) {}
    ~Watched() override { destroyed = true; }
    void activate() override { ++activations; }
    bool& destroyed;
    int activations = 0;
  };
  Desktop desktop;
  bool destroyed = false, other_destroyed = false;
  auto form = std::make_unique<Watched>(destroyed);
  Watched other(other_destroyed);
  desktop.show(*form);
  desktop.show(*form);
  desktop.show(other);
  desktop.show(*form);
  EXPECT_EQ(form->activations, 2);
  EXPECT_EQ(other.activations, 1);
  {
    Desktop::Event_Scope scope(desktop);
    desktop.close(std::move(form));
    EXPECT_FALSE(destroyed) << "a handler of the form may still be running";
  }
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(desktop.front(), &other);
}

}  // namespace
}  // namespace quorin::ui
