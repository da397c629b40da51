// The Qt renderer wires both ways: model properties reach the widgets, and key-down, typing,
// focus and clicks on the widgets reach the model's slots. Runs on the offscreen platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <string>
#include <vector>

#include "qt_application.h"
#include "ui/desktop.h"
#include "ui/form.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/renderer.h"

namespace quorin::ui::qt {
namespace {

struct Test_Form : Form {
  Test_Form() : Form("テスト画面", 4500, 3000) {
    for (int i = 0; i < 2; ++i) {
      Text_Box& box = add(boxes, i, 120, 120 + 480 * i, 2000, 330);
      box.on_key_down = [this, i](int key, int) {
        log.push_back("key " + std::to_string(i) + " " + std::to_string(key));
      };
      box.on_got_focus = [this, i] { log.push_back("got " + std::to_string(i)); };
      box.on_lost_focus = [this, i] { log.push_back("lost " + std::to_string(i)); };
      box.on_change = [this, i] { log.push_back("text " + std::to_string(i) + " " + boxes[i].text); };
    }
    Command_Button& button = add<Command_Button>("Command1", 120, 1200, 1335, 375);
    button.caption = "実　行";
    button.on_click = [this] {
      log.push_back("click");
      caption_label->caption = "押されました";
    };
    caption_label = &add<Label>("Label1", 120, 1800, 3000, 300);
    caption_label->caption = "初めの文字";
    bar = &add<Scroll_Bar>("VScroll1", 4000, 0, 255, 2000, true);
    bar->set_range(0, 10);
    bar->on_change = [this] { log.push_back("scroll " + std::to_string(bar->value())); };
  }
  Control_Array<Text_Box> boxes{"box"};
  Label* caption_label = nullptr;
  Scroll_Bar* bar = nullptr;
  std::vector<std::string> log;
};

class Renderer_Test : public ::testing::Test {
 protected:
  Renderer_Test() : renderer(desktop, {}) {
    test_application();
    renderer.dispatch([this] { desktop.show(form); });
    window = renderer.window_of(form);
    window->activateWindow();
    QApplication::processEvents();
  }
  template <typename T>
  T* widget(const Control& control) {
    return qobject_cast<T*>(renderer.widget_of(control));
  }

  Desktop desktop;
  Test_Form form;
  Renderer renderer;
  QWidget* window = nullptr;
};

TEST_F(Renderer_Test, ControlsAppearAtTheirTwipsPositions) {
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), QString("テスト画面"));
  EXPECT_EQ(window->size(), QSize(300, 200));
  auto* button = widget<QPushButton>(*form.find("Command1"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->geometry(), QRect(8, 80, 89, 25));
  EXPECT_EQ(button->text(), QString("実　行"));
}

TEST_F(Renderer_Test, KeyDownReachesTheModelBeforeTheCharacterIsEntered) {
  auto* edit = widget<QLineEdit>(form.boxes[0]);
  ASSERT_NE(edit, nullptr);
  std::string text_at_key_down = "unset";
  form.boxes[0].on_key_down = [&](int key, int) {
    if (key == '7') text_at_key_down = form.boxes[0].text;
  };
  edit->setFocus();
  QApplication::processEvents();
  QTest::keyClick(edit, Qt::Key_7);
  EXPECT_EQ(text_at_key_down, "");
  EXPECT_EQ(form.boxes[0].text, "7");
}

TEST_F(Renderer_Test, EnterGoesToTheModelAndFocusFollowsTheModel) {
  form.boxes[0].on_key_down = [this](int key, int) {
    if (key == Key_Return) form.set_focus(form.boxes[1]);
  };
  auto* first = widget<QLineEdit>(form.boxes[0]);
  auto* second = widget<QLineEdit>(form.boxes[1]);
  first->setFocus();
  QApplication::processEvents();
  QTest::keyClick(first, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(form.focused(), &form.boxes[1]);
  EXPECT_TRUE(second->hasFocus());
  const std::vector<std::string> expected_tail{"lost 0", "got 1"};
  ASSERT_GE(form.log.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(form.log.end() - 2, form.log.end()), expected_tail);
}

TEST_F(Renderer_Test, ClickRunsTheSlotAndTheChangedCaptionIsShown) {
  auto* button = widget<QPushButton>(*form.find("Command1"));
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(form.log.back(), "click");
  EXPECT_EQ(widget<QLabel>(*form.caption_label)->text(), QString("押されました"));
}

TEST_F(Renderer_Test, ModelChangesReachWidgetsAndScrollingReachesTheModel) {
  renderer.dispatch([this] {
    form.boxes[1].text = "12.5000";
    form.boxes[1].visible = false;
    form.find("Command1")->enabled = false;
  });
  EXPECT_EQ(widget<QLineEdit>(form.boxes[1])->text(), QString("12.5000"));
  EXPECT_FALSE(widget<QLineEdit>(form.boxes[1])->isVisibleTo(window));
  EXPECT_FALSE(widget<QPushButton>(*form.find("Command1"))->isEnabled());

  widget<QScrollBar>(*form.bar)->setValue(4);
  EXPECT_EQ(form.bar->value(), 4);
  EXPECT_EQ(form.log.back(), "scroll 4");
}

TEST(QtFilter, FileDialogFilterInQtForm) {
  EXPECT_EQ(qt_filter("条件(*.crx)|*.crx"), QString("条件(*.crx) (*.crx)"));
  EXPECT_EQ(qt_filter("ﾃｷｽﾄ(*.txt)|*.txt"), QString("ﾃｷｽﾄ(*.txt) (*.txt)"));
}

}  // namespace
}  // namespace quorin::ui::qt
