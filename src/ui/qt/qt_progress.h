#pragma once
// The progress of a print job on the screen: once the job has run about a second, a dialog shows
// the pages done of the pages planned with a cancel button. While it is up, the window system's
// events are handled at each page; the dialog is modal, so only its cancel button takes input.

#include <QElapsedTimer>
#include <QProgressDialog>
#include <memory>
#include <string>

#include "ui/printer.h"

namespace quorin::ui::qt {

class Qt_Progress : public Progress {
 public:
  Qt_Progress(std::string what, long planned);
  bool advance(long done) override;
  // The dialog once it is shown, else nullptr.
  QProgressDialog* dialog() const { return dialog_.get(); }

 private:
  void show();
  std::string what_;
  long planned_;
  QElapsedTimer started_, redrawn_;  // since the job began; since the dialog was last redrawn
  std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace quorin::ui::qt
