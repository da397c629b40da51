#include "ui/qt/file_dialog.h"

#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QTreeView>

namespace quorin::ui::qt {

namespace {
// The columns of Qt's file list.
constexpr int Size_Column = 1, Time_Column = 3;
}  // namespace

QVariant Japanese_File_Columns::data(const QModelIndex& index, int role) const {
  const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
  const int column = index.column();
  if (role != Qt::DisplayRole || files == nullptr || (column != Size_Column && column != Time_Column))
    return QIdentityProxyModel::data(index, role);
  const QFileInfo file = files->fileInfo(mapToSource(index));
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  if (column == Time_Column) return japanese.toString(file.lastModified(), QLocale::ShortFormat);
  return file.isDir() ? QString() : japanese.formattedDataSize(file.size());
}

std::string run_file_dialog(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
  dialog.setProxyModel(new Japanese_File_Columns(&dialog));
  // Each date and size whole ("2026/12/07 10:02" is wider than the column Qt gives it).
  if (auto* list = dialog.findChild<QTreeView*>("treeView"))
    for (int column : {Size_Column, Time_Column})
      list->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return "";
  return dialog.selectedFiles().first().toStdString();
}

}  // namespace quorin::ui::qt
