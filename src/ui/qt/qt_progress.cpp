#include "ui/qt/qt_progress.h"

#include <QApplication>
#include <algorithm>
#include <climits>

namespace quorin::ui::qt {

namespace {
constexpr qint64 Show_After_Ms = 1000;
constexpr qint64 Redraw_Every_Ms = 100;
}  // namespace

Qt_Progress::Qt_Progress(std::string what, long planned) : what_(std::move(what)), planned_(planned) {
  started_.start();
}

void Qt_Progress::show() {
  dialog_ = std::make_unique<QProgressDialog>(QApplication::activeWindow());
  dialog_->setWindowTitle("QUORIN");
  dialog_->setWindowModality(Qt::ApplicationModal);
  dialog_->setCancelButtonText("中止");
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  dialog_->setMinimumDuration(0);
  dialog_->setMinimumWidth(360);
  dialog_->setRange(0, static_cast<int>(std::min<long>(planned_, INT_MAX)));
  dialog_->show();
  redrawn_.start();
}

bool Qt_Progress::advance(long done) {
  if (dialog_ == nullptr) {
    if (started_.elapsed() < Show_After_Ms) return true;
    show();
  } else if (redrawn_.elapsed() < Redraw_Every_Ms && done != planned_) {
    return !dialog_->wasCanceled();
  }
  redrawn_.restart();
  dialog_->setLabelText(QString::fromStdString(what_) + "\n" + QString::number(done) + " / " +
                        QString::number(planned_) + " ページ");
  dialog_->setValue(static_cast<int>(std::min<long>(done, INT_MAX)));
  QCoreApplication::processEvents();
  return !dialog_->wasCanceled();
}

}  // namespace quorin::ui::qt
