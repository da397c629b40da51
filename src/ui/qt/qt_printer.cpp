#include "ui/qt/qt_printer.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPrinterInfo>

#include "text/text_file.h"

namespace quorin::ui::qt {

namespace {
constexpr double Twips_Per_Inch = 1440.0;
constexpr double Pen_Width = 12.0;  // twips, about 0.2 mm

// A4 portrait with 12 mm margins at top and bottom and 9 mm at the sides, so that the widest
// table (the samples', 10800 twips) fits across.
QPageLayout pdf_layout() {
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(9, 12, 9, 12), QPageLayout::Millimeter);
}

std::string unique_pdf_path() {
  const QString stamp = QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
  QString base = QDir::current().filePath("quorin-print-" + stamp);
  QString path = base + ".pdf";
  for (int n = 2; QFileInfo::exists(path); ++n) path = base + "-" + QString::number(n) + ".pdf";
  if (!QFileInfo(QDir::currentPath()).isWritable()) path = QDir(QDir::tempPath()).filePath(QFileInfo(path).fileName());
  return path.toStdString();
}
}  // namespace

// What QPdfWriter writes goes into the program's safe file, gathered into large writes.
class Pdf_Device : public QIODevice {
 public:
  explicit Pdf_Device(const std::string& path) : file_(path) { open(QIODevice::WriteOnly); }

  // Writes what is gathered; false after any failure.
  bool flush_all() {
    const bool written = file_.write(pending_);
    pending_.clear();
    return written;
  }
  text::Atomic_File& file() { return file_; }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    pending_.append(data, static_cast<std::size_t>(size));
    if (pending_.size() >= Gather_Bytes && !flush_all()) return -1;
    return size;
  }

 private:
  static constexpr std::size_t Gather_Bytes = 1 << 16;
  text::Atomic_File file_;
  std::string pending_;
};

Qt_Printer::Qt_Printer() {
  if (!QPrinterInfo::defaultPrinter().isNull()) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
}

Qt_Printer::~Qt_Printer() {
  close_painter();
  discard_file();
}

bool Qt_Printer::has_printer() const { return printer_ != nullptr && fixed_pdf_path_.empty(); }

void Qt_Printer::start_job(const Job& job) {
  close_painter();
  discard_file();
  job_ = job;
  failure_.clear();
  pdf_path_.clear();
  if (!has_printer()) pdf_path_ = fixed_pdf_path_.empty() ? unique_pdf_path() : fixed_pdf_path_;
}

void Qt_Printer::close_painter() {
  if (painter_.isActive()) painter_.end();
  pdf_.reset();
  page_ended_ = false;
}

std::string Qt_Printer::pdf_failure(const std::string& reason) const {
  return "PDFファイルを作成できません: " + pdf_path_ + " (" + reason + ")";
}

void Qt_Printer::finish_job(bool cancelled) {
  if (cancelled && painter_.isActive() && !pdf_) printer_->abort();
  close_painter();
  if (!file_) return;
  if (!cancelled && !file_->flush_all() && failure_.empty()) failure_ = pdf_failure(file_->file().reason());
  if (cancelled || !failure_.empty()) return discard_file();
  if (!job_.keep_file_aside) failure_ = commit_file();
}

std::string Qt_Printer::commit_file() {
  if (!file_) return "";
  const bool committed = file_->file().commit().empty();
  const std::string reason = file_->file().reason();
  file_.reset();
  return committed ? "" : pdf_failure(reason);
}

void Qt_Printer::discard_file() { file_.reset(); }

// The PDF writer of the job's file, or nullptr (the failure noted) when the file cannot be made.
QPaintDevice* Qt_Printer::open_pdf() {
  file_ = std::make_unique<Pdf_Device>(pdf_path_);
  if (const std::string& reason = file_->file().reason(); !reason.empty()) {
    failure_ = pdf_failure(reason);
    file_.reset();
    return nullptr;
  }
  pdf_ = std::make_unique<QPdfWriter>(file_.get());
  pdf_->setResolution(static_cast<int>(Twips_Per_Inch));
  pdf_->setPageLayout(pdf_layout());
  pdf_->setCreator("QUORIN");
  return pdf_.get();
}

// The painter of the current page, starting a document or a new page when needed.
QPainter* Qt_Printer::page() {
  if (stopped()) return nullptr;
  if (painter_.isActive() && !page_ended_) return &painter_;
  if (painter_.isActive() && (pdf_ || job_.one_document)) {
    if (pdf_) pdf_->newPage();
    else printer_->newPage();
    page_ended_ = false;
    return &painter_;
  }
  page_ended_ = false;
  QPaintDevice* device = has_printer() ? printer_.get() : open_pdf();
  if (device == nullptr) return nullptr;
  if (!painter_.begin(device)) {
    failure_ = has_printer() ? "プリンタに出力できません" : pdf_failure("PDFを書き始められません");
    return nullptr;
  }
  const double scale = device->logicalDpiX() / Twips_Per_Inch;
  painter_.scale(scale, device->logicalDpiY() / Twips_Per_Inch);
  painter_.setRenderHint(QPainter::Antialiasing);
  return &painter_;
}

QPen Qt_Printer::pen() const {
  QPen pen(QColor(colour().r, colour().g, colour().b));
  pen.setWidthF(Pen_Width);
  switch (draw_style()) {
    case Draw_Style::Dashed: pen.setStyle(Qt::DashLine); break;
    case Draw_Style::Dotted: pen.setStyle(Qt::DotLine); break;
    case Draw_Style::Solid: break;
  }
  return pen;
}

QFont Qt_Printer::font() const {
  // The printouts align their columns with blanks: they need a fixed-pitch face.
  QFont font("ＭＳ ゴシック");
  font.setPointSizeF(font_size());
  return font;
}

double Qt_Printer::draw_text(const std::string& text, bool) {
  QPainter* painter = page();
  if (painter == nullptr) return 0;
  painter->setFont(font());
  painter->setPen(Qt::black);
  const QString qtext = QString::fromStdString(text);
  const QFontMetricsF metrics(painter->font(), painter->device());
  const double scale = painter->device()->logicalDpiX() / Twips_Per_Inch;
  const double width = metrics.horizontalAdvance(qtext) / scale;
  painter->drawText(QPointF(current_x(), current_y() + metrics.ascent() / scale), qtext);
  return width;
}

double Qt_Printer::sheet_height() const {
  const QPageLayout layout = has_printer() ? printer_->pageLayout() : pdf_layout();
  return layout.paintRect(QPageLayout::Inch).height() * Twips_Per_Inch;
}

double Qt_Printer::line_height() const {
  QPaintDevice* device = painter_.isActive() ? painter_.device() : nullptr;
  if (device == nullptr) return Printer::line_height();
  const QFontMetricsF metrics(font(), device);
  return metrics.height() / (device->logicalDpiY() / Twips_Per_Inch);
}

void Qt_Printer::draw_line(double x1, double y1, double x2, double y2) {
  if (QPainter* painter = page()) {
    painter->setPen(pen());
    painter->drawLine(QPointF(x1, y1), QPointF(x2, y2));
  }
}

void Qt_Printer::draw_rectangle(double x1, double y1, double x2, double y2) {
  if (QPainter* painter = page()) {
    painter->setPen(pen());
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized());
  }
}

void Qt_Printer::draw_circle(double x, double y, double radius) {
  if (QPainter* painter = page()) {
    painter->setPen(pen());
    painter->setBrush(Qt::NoBrush);
    painter->drawEllipse(QPointF(x, y), radius, radius);
  }
}

void Qt_Printer::draw_point(double x, double y) {
  if (QPainter* painter = page()) {
    QPen dot = pen();
    dot.setCapStyle(Qt::RoundCap);
    painter->setPen(dot);
    painter->drawPoint(QPointF(x, y));
  }
}

void Qt_Printer::send_document() {
  if (!painter_.isActive()) return;
  if (pdf_ || job_.one_document) {
    page_ended_ = true;  // the next operation opens a new page of the same document
  } else {
    painter_.end();  // the document goes to the printer as a job of its own
  }
  // A write that failed on the way (a full disk) stops the job here.
  if (file_ && failure_.empty() && !file_->file().reason().empty()) failure_ = pdf_failure(file_->file().reason());
}

}  // namespace quorin::ui::qt
