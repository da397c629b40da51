// The form model as the screens rely on it: focus events in order, option groups, scroll bars
// that report changes, picture areas that keep what is drawn, the desktop's life cycle.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/desktop.h"
#include "ui/form.h"

namespace quorin::ui {
namespace {

struct Logged_Form : Form {
  Logged_Form() : Form("test", 3000, 6000) {}
  ~Logged_Form() override {
    if (destroyed != nullptr) *destroyed = true;
  }
  void activate() override { log.push_back("activated"); }
  std::vector<std::string> log;
  bool* destroyed = nullptr;
};

TEST(Form, EventsComeAsTheScreensExpectOnTheDesktop) {
  Logged_Form form;
  Control_Array<Text_Box> boxes{"box"};
  for (int i = 0; i < 2; ++i) {
    Text_Box& box = form.add(boxes, i, 0, 400 * i, 1000, 300);
    box.on_got_focus = [&form, i] { form.log.push_back("got " + std::to_string(i)); };
    box.on_lost_focus = [&form, i] { form.log.push_back("lost " + std::to_string(i)); };
    box.on_change = [&form, i] { form.log.push_back("text " + std::to_string(i)); };
  }
  form.set_focus(boxes[0]);
  form.set_focus(boxes[1]);
  form.set_focus(boxes[1]);  // already there: nothing
  boxes[1].set_text("12");
  boxes[1].set_text("12");
  // A refused value sends the focus back to its box before the other box gets it.
  boxes[1].on_lost_focus = [&] { form.set_focus(boxes[1]); };
  form.set_focus(boxes[0]);
  EXPECT_EQ(form.log, (std::vector<std::string>{"got 0", "lost 0", "got 1", "text 1", "lost 0", "got 1"}));
  EXPECT_TRUE(form.focused() == &boxes[1] && form.find("box", 1) == &boxes[1] && form.find("box", 2) == nullptr);

  Control_Array<Option_Button> choices{"Option1"}, others{"Option2"};
  for (int i = 0; i < 3; ++i) form.add(choices, i, 0, 0, 10, 10);
  form.add(others, 0, 0, 0, 10, 10).select();
  choices[0].select();
  choices[2].select();
  EXPECT_TRUE(!choices[0].value && choices[2].value && others[0].value) << "one group per array";

  Scroll_Bar& bar = form.add<Scroll_Bar>("VScroll1", 0, 0, 255, 1000, true);
  std::vector<int> seen;
  bar.on_change = [&] { seen.push_back(bar.value()); };
  bar.set_range(0, 5);
  for (int value : {3, 3, 9}) bar.set_value(value);
  bar.set_range(0, 2);  // shrinking the range brings the value back inside
  EXPECT_EQ(seen, (std::vector<int>{3, 5, 2}));

  Picture_Area& plot = form.add<Picture_Area>("Picture1", 0, 0, 2800, 5000);
  put_inside(boxes[0], plot);
  plot.scale(1.0, -3.5, 2.0, 7.0);
  plot.line(1, -3, 3, -3, Light_Grey);
  EXPECT_EQ(plot.user_x(1400) + plot.user_y(2500), 2.0) << "mouse positions in twips, in the plot's units";
  const unsigned before = plot.version();
  plot.clear();
  EXPECT_TRUE(plot.ops().empty() && plot.version() != before);
  plot.visible = false;
  EXPECT_FALSE(boxes[0].reachable());

  // The desktop activates a form only when it comes to the front, and keeps a closed one until
  // the event ends.
  Desktop desktop;
  auto closing = std::make_unique<Logged_Form>();
  Logged_Form other;
  bool destroyed = false;
  closing->destroyed = &destroyed;
  for (Form* shown : std::initializer_list<Form*>{closing.get(), closing.get(), &other, closing.get()})
    desktop.show(*shown);
  EXPECT_EQ(closing->log.size(), 2u) << "activated only when coming to the front";
  {
    Desktop::Event_Scope scope(desktop);
    desktop.close(std::move(closing));
    EXPECT_FALSE(destroyed) << "a handler of the form may still be running";
  }
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(desktop.front(), &other);
}

}  // namespace
}  // namespace quorin::ui
