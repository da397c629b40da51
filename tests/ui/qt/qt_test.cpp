// The Qt layer on the offscreen platform: the renderer wires both ways (model properties reach
// the widgets; key-down, typing, focus, clicks and the close box reach the model's slots) and
// places a new window clear of the button that opened it; the file dialogs' list speaks Japanese
// forms; Enter answers a question with its default; and the whole report goes into a PDF file
// where no printer is installed: one page per document, written beside its file and put in place
// only when complete, so that a cancelled or failed job leaves the earlier file as it was and no
// temporary file, and "印刷が終了しました" is shown only once the file is complete.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <tuple>

#include "navigation/navigation.h"
#include "results/reg_result.h"
#include "state/program.h"
#include "support/form_driver.h"
#include "support/test_support.h"
#include "ui/desktop.h"
#include "ui/qt/file_dialog.h"
#include "ui/qt/fonts.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/qt_printer.h"
#include "ui/qt/renderer.h"
#include "ui/qt/translations.h"
#include "ui/scripted_platform.h"

namespace quorin::ui::qt {
namespace {

// The one QApplication of the tests, created on first use and never destroyed: destroying it
// among the other static objects at exit would outlive parts of Qt it still needs.
QApplication& test_application() {
  static int argc = 1;
  static char name[] = "quorin_qt_tests";
  static char* argv[] = {name, nullptr};
  static QApplication& app = *new QApplication(argc, argv);
  static const bool fonts_installed = (install_screen_font(), true);
  (void)fonts_installed;
  return app;
}

// Qt's own dialogs speak Japanese once the program has loaded Qt's translations, in whatever locale
// the run started: the buttons of a question, and the file dialogs' list, which gives a file's size
// and time in Japanese forms (Qt's own list writes "173 bytes" and "7 Dec 2026" under LANG=C). Enter
// answers Yes to a question such as the exit's, No to a question whose Yes deletes or replaces a
// record.
TEST(Qt_Dialogs, SpeakJapaneseAndEnterAnswersNoWhereYesDeletesOrReplaces) {
  test_application();
  ASSERT_TRUE(install_qt_translations());
  QMessageBox box(QMessageBox::Question, "QUORIN", "終了しますか",
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::Save);
  const QRegularExpression japanese("[\\x{3040}-\\x{30FF}\\x{4E00}-\\x{9FFF}]");
  for (const auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel, QMessageBox::Save})
    EXPECT_TRUE(box.button(button)->text().contains(japanese)) << box.button(button)->text().toStdString();

  testing::Scratch_Folder folder;
  testing::write_bytes(folder.file("counts.txt"), std::string(173, '1'));
  QFileSystemModel files;
  QSignalSpy loaded(&files, &QFileSystemModel::directoryLoaded);
  files.setRootPath(QString::fromStdString(folder.path().string()));
  ASSERT_TRUE(loaded.wait(5000));
  Japanese_File_Columns columns;
  columns.setSourceModel(&files);
  const QModelIndex file = columns.mapFromSource(files.index(QString::fromStdString(folder.file("counts.txt"))));
  const QString size = columns.index(file.row(), 1, file.parent()).data().toString();
  const QString time = columns.index(file.row(), 3, file.parent()).data().toString();
  EXPECT_TRUE(size.startsWith("173") && size.contains(QRegularExpression("[\\x{30A0}-\\x{30FF}]")))
      << size.toStdString();
  EXPECT_TRUE(time.contains(QRegularExpression("^\\d{4}/\\d{2}/\\d{2}"))) << time.toStdString();

  Qt_Platform platform;
  for (const bool deletes : {false, true}) {
    QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
    const bool yes = deletes ? platform.ask_yes_no_default_no("精度管理の履歴から次の測定を削除しますか？")
                             : platform.ask_yes_no("システムを終了します　よろしいですか？");
    EXPECT_EQ(yes, !deletes);
  }
}

TEST(Renderer, WidgetsStandAtTheirTwipsWireBothWaysAndLargeFormsScroll) {
  test_application();
  const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
  Desktop desktop;
  Form form("テスト画面", 4500, 3000), without_close("閉じる操作のない画面", 1500, 1000),
      opened("開かれた画面", 6000, 4000), large("大きな画面", (room.width() + 200) * 15, (room.height() + 200) * 15);
  Control_Array<Text_Box> boxes{"box"};
  std::vector<std::string> log;
  for (int i = 0; i < 2; ++i) {
    Text_Box& box = form.add(boxes, i, 120, 120 + 480 * i, 2000, 330);
    box.on_key_down = [&, i](int key, int) {
      log.push_back("key " + std::to_string(key) + " at \"" + boxes[i].text + "\"");
      if (key == Key_Return) form.set_focus(boxes[1]);
    };
    box.on_lost_focus = [&log, i] { log.push_back("lost " + std::to_string(i)); };
  }
  Command_Button& button_model = form.add<Command_Button>("Command1", 120, 1200, 1335, 375);
  Label& label = form.add<Label>("Label1", 120, 1800, 3000, 300);
  Scroll_Bar& bar = form.add<Scroll_Bar>("VScroll1", 4000, 0, 255, 2000, true);
  Command_Button& open = form.add<Command_Button>("Command2", 2500, 1200, 1335, 375);
  Command_Button& greyed = form.add<Command_Button>("Command3", 120, 2300, 1335, 375);
  open.on_click = [&] { desktop.show(opened); };
  greyed.enabled = false;
  greyed.tip = "条件を入力すると使えます";
  button_model.caption = "実　行";
  int clicks = 0;
  button_model.on_click = [&] { label.caption = "押されました " + std::to_string(++clicks); };
  form.close_control = &button_model;
  bar.set_range(0, 10);
  bar.on_change = [&] { log.push_back("scroll " + std::to_string(bar.value())); };
  Renderer renderer(desktop, {});
  renderer.dispatch([&] { desktop.show(form); });
  QWidget* window = renderer.window_of(form);
  ASSERT_NE(window, nullptr);
  window->activateWindow();
  QApplication::processEvents();
  auto* button = qobject_cast<QPushButton*>(renderer.widget_of(button_model));
  auto* first = qobject_cast<QLineEdit*>(renderer.widget_of(boxes[0]));
  auto* second = qobject_cast<QLineEdit*>(renderer.widget_of(boxes[1]));
  EXPECT_EQ(window->windowTitle() + " " + button->text(), QString("テスト画面 実　行"));
  EXPECT_TRUE(window->size() == QSize(300, 200) && button->geometry() == QRect(8, 80, 89, 25)) << "15 twips a pixel";
  QTest::mouseClick(button, Qt::LeftButton);
  window->close();  // the close box clicks the form's close control; the form decides
  EXPECT_TRUE(clicks == 2 && window->isVisible());

  log.clear();
  first->setFocus();
  QApplication::processEvents();
  QTest::keyClick(first, Qt::Key_7);
  EXPECT_EQ(boxes[0].text, "7");
  QTest::keyClick(first, Qt::Key_Return);
  QApplication::processEvents();
  qobject_cast<QScrollBar*>(renderer.widget_of(bar))->setValue(4);
  EXPECT_EQ(log, (std::vector<std::string>{"key 55 at \"\"", "key 13 at \"7\"", "lost 0", "scroll 4"}));
  EXPECT_TRUE(form.focused() == &boxes[1] && second->hasFocus());

  renderer.dispatch([&] {
    boxes[1].text = "12.5000";
    boxes[1].visible = button_model.enabled = false;
  });
  EXPECT_TRUE(second->text() == "12.5000" && !second->isVisibleTo(window) && !button->isEnabled());
  window->close();
  EXPECT_EQ(qobject_cast<QLabel*>(renderer.widget_of(label))->text(), QString("押されました 2")) << "disabled";
  auto offers_close_box = [](const QWidget* w) {
    return !(w->windowFlags() & Qt::CustomizeWindowHint) || (w->windowFlags() & Qt::WindowCloseButtonHint);
  };
  renderer.dispatch([&] { desktop.show(without_close); });
  EXPECT_TRUE(offers_close_box(window) && !offers_close_box(renderer.window_of(without_close)));
  EXPECT_EQ(qt_filter("条件(*.crx)|*.crx"), QString("条件(*.crx) (*.crx)"));

  // A window opened by a button keeps clear of it; a greyed button says, in its tip, what would
  // enable it.
  renderer.dispatch([&] { desktop.show(form); });
  auto* opener = qobject_cast<QPushButton*>(renderer.widget_of(open));
  QTest::mouseClick(opener, Qt::LeftButton);
  QApplication::processEvents();
  ASSERT_NE(renderer.window_of(opened), nullptr);
  EXPECT_FALSE(
      renderer.window_of(opened)->frameGeometry().intersects(QRect(opener->mapToGlobal(QPoint()), opener->size())));
  EXPECT_EQ(renderer.widget_of(greyed)->toolTip(), QString("条件を入力すると使えます"));

  // A form larger than the screen opens in a window that keeps to the screen's free area and
  // scrolls; the controls keep their places on a client of the form's full size.
  Command_Button& corner =
      large.add<Command_Button>("Command1", large.client_width - 1400, large.client_height - 400, 1335, 375);
  renderer.dispatch([&] { desktop.show(large); });
  QApplication::processEvents();
  const QWidget* big = renderer.window_of(large);
  const auto* area = big ? big->findChild<QScrollArea*>() : nullptr;
  ASSERT_NE(area, nullptr);
  EXPECT_TRUE(room.contains(big->frameGeometry()));
  EXPECT_EQ(area->widget()->size(), QSize(to_pixels(large.client_width), to_pixels(large.client_height)));
  EXPECT_EQ(renderer.widget_of(corner)->parentWidget(), area->widget());
}

// A platform without a printer; each message notes whether the PDF file was complete then.
struct Pdf_Platform : Scripted_Platform {
  Printer& printer() override { return pdf; }
  void message(const std::string& text) override {
    Scripted_Platform::message(text);
    file_complete_at_message.push_back(testing::read_bytes(path).ends_with("%%EOF\n"));
  }
  Qt_Printer pdf;
  std::string path;
  std::vector<bool> file_complete_at_message;
};

TEST(Report_Pdf, EndsWithTheFileCompleteOrTheEarlierFileUntouched) {
  test_application();
  testing::Scratch_Folder folder;
  Pdf_Platform platform;
  platform.path = folder.file("report.pdf");
  platform.pdf.set_pdf_path(platform.path);
  Program program(platform);
  testing::run_wizard(program, platform, testing::Example_Conditions, testing::Example_Counts);
  auto& report_button = program.screen_as<Reg_Result>(Screen::Result)->Command[target::Whole_Report];

  const std::tuple<long, rlim_t, std::string> jobs[] = {
      {3, RLIM_INFINITY, "印刷を中止しました"},  // cancelled at page 3
      {0, 20000, "印刷できませんでした\nPDFファイルを作成できません: " + platform.path + " (ファイルが大きすぎます)"},
      {0, RLIM_INFINITY, "印刷が終了しました\nPDFファイル: " + platform.path}};
  const std::string earlier = "the earlier report";
  for (const auto& [cancel_at_page, size_limit, message] : jobs) {
    testing::write_bytes(platform.path, earlier);
    platform.messages.clear();
    platform.file_complete_at_message.clear();
    platform.cancel_at_step = cancel_at_page;
    {
      testing::File_Size_Limit limit(size_limit);
      testing::click(report_button);
    }
    EXPECT_EQ(platform.messages, std::vector<std::string>{message});
    EXPECT_EQ(testing::read_bytes(platform.path) == earlier, !message.starts_with("印刷が終了")) << message;
    EXPECT_EQ(testing::leftover_temp_files(folder.path()), 0);
  }
  EXPECT_EQ(platform.progresses.front().done, 3) << "the job stopped at the page it was cancelled";
  EXPECT_EQ(platform.file_complete_at_message, std::vector<bool>{true});
  EXPECT_EQ(platform.progresses.back().done, platform.progresses.back().planned);
  const std::string pdf = testing::read_bytes(platform.path);
  EXPECT_EQ(
      QString::fromLatin1(pdf.data(), static_cast<int>(pdf.size())).count(QRegularExpression("/Type\\s*/Page\\b")),
      platform.progresses.back().planned);
}

}  // namespace
}  // namespace quorin::ui::qt
