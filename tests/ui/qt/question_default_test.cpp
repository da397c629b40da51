// The answer Enter gives in the real message box: Yes for a question such as the exit's, No for a
// question whose Yes deletes or replaces a record.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QtTest/QTest>

#include "ui/qt/qt_platform.h"

namespace quorin::ui::qt {
namespace {

TEST(Qt_Questions, EnterAnswersNoWhereYesDeletesOrReplaces) {
  static int argc = 1;
  static char name[] = "question_default_test";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() == nullptr) new QApplication(argc, argv);  // kept for the process, as Qt wants
  Qt_Platform platform;
  for (const bool deletes : {false, true}) {
    QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
    const bool yes = deletes ? platform.ask_yes_no_default_no("精度管理の履歴から次の測定を削除しますか？")
                             : platform.ask_yes_no("システムを終了します　よろしいですか？");
    EXPECT_EQ(yes, !deletes);
  }
}

}  // namespace
}  // namespace quorin::ui::qt
