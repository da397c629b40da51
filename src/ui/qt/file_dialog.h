#pragma once
// The program's open and save dialogs: Qt's own dialog (not the desktop's), its sizes and dates in
// Japanese forms whatever the system's locale says (Qt's file list writes them in the system
// locale's, "173 bytes" and "7 Dec 2026" under LANG=C.UTF-8).

#include <QFileDialog>
#include <QIdentityProxyModel>
#include <string>

namespace quorin::ui::qt {

// The file list's columns as Qt's own model gives them, but the size and the time of a file in
// Japanese forms ("173 バイト", "2026/12/07 10:02").
class Japanese_File_Columns : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;
  QVariant data(const QModelIndex& index, int role) const override;
};

// Runs the dialog with the Japanese columns; the chosen file, or "" when the user cancelled.
std::string run_file_dialog(QFileDialog& dialog);

}  // namespace quorin::ui::qt
