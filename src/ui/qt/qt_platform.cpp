#include "ui/qt/qt_platform.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <algorithm>

#include "ui/qt/file_dialog.h"
#include "ui/qt/qt_progress.h"
#include "ui/qt/renderer.h"

namespace quorin::ui::qt {

namespace {
const QString Title = "QUORIN";
QWidget* active_window() { return QApplication::activeWindow(); }
}  // namespace

QString qt_filter(const std::string& filter) {
  const QString text = QString::fromStdString(filter);
  const int bar = text.indexOf('|');
  if (bar < 0) return text;
  return text.left(bar) + " (" + text.mid(bar + 1).replace(';', ' ') + ")";
}

void Qt_Platform::draw_pending() {
  if (renderer_ != nullptr) renderer_->sync();
}

void Qt_Platform::message(const std::string& text) {
  draw_pending();
  QMessageBox::information(active_window(), Title, QString::fromStdString(text));
}

bool Qt_Platform::ask_yes_no(const std::string& text) {
  draw_pending();
  return QMessageBox::question(active_window(), Title, QString::fromStdString(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool Qt_Platform::ask_yes_no_default_no(const std::string& text) {
  draw_pending();
  return QMessageBox::question(active_window(), Title, QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

int Qt_Platform::choose(const std::string& text, const std::vector<std::string>& answers) {
  draw_pending();
  QMessageBox box(QMessageBox::Question, Title, QString::fromStdString(text), QMessageBox::NoButton, active_window());
  std::vector<QAbstractButton*> buttons;
  for (const std::string& answer : answers)
    buttons.push_back(box.addButton(QString::fromStdString(answer), QMessageBox::AcceptRole));
  if (!buttons.empty()) {
    box.setDefaultButton(static_cast<QPushButton*>(buttons.front()));
    box.setEscapeButton(buttons.back());
  }
  box.exec();
  const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
  return chosen == buttons.end() ? -1 : static_cast<int>(chosen - buttons.begin());
}

std::string Qt_Platform::open_file(const File_Dialog& dialog) {
  draw_pending();
  QFileDialog chooser(active_window(), QString::fromStdString(dialog.title), QString(), qt_filter(dialog.filter));
  chooser.setFileMode(QFileDialog::ExistingFile);
  return run_file_dialog(chooser);
}

std::string Qt_Platform::save_file(const File_Dialog& dialog) {
  draw_pending();
  QFileDialog chooser(active_window(), QString::fromStdString(dialog.title), QString(), qt_filter(dialog.filter));
  chooser.setAcceptMode(QFileDialog::AcceptSave);
  if (!dialog.confirm_overwrite) chooser.setOption(QFileDialog::DontConfirmOverwrite);
  chooser.setDefaultSuffix(QString::fromStdString(dialog.default_extension));
  return run_file_dialog(chooser);
}

void Qt_Platform::printer_setup() {
  draw_pending();
  if (!printer_.has_printer()) {
    QMessageBox::information(active_window(), Title,
                             "プリンタが登録されていません。印刷はPDFファイルとして作業フォルダに保存されます。");
    return;
  }
  QPrintDialog dialog(printer_.printer(), active_window());
  dialog.exec();
}

void Qt_Platform::process_events() {
  draw_pending();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void Qt_Platform::quit() { QCoreApplication::exit(0); }

std::unique_ptr<Progress> Qt_Platform::start_progress(const std::string& what, long planned) {
  draw_pending();
  return std::make_unique<Qt_Progress>(what, planned);
}

}  // namespace quorin::ui::qt
