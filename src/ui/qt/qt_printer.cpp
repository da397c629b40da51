#include "ui/qt/qt_printer.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPrinterInfo>

namespace quorin::ui::qt {

namespace {
constexpr double Twips_Per_Inch = 1440.0;
constexpr double Pen_Width = 12.0;  // twips, about 0.2 mm

// A4 portrait with 12 mm margins.
QPageLayout pdf_layout() {
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12),
                     QPageLayout::Millimeter);
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

Qt_Printer::Qt_Printer() {
  if (!QPrinterInfo::defaultPrinter().isNull()) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
}

Qt_Printer::~Qt_Printer() { end_job(); }

bool Qt_Printer::has_printer() const { return printer_ != nullptr && fixed_pdf_path_.empty(); }

void Qt_Printer::begin_job() {
  end_job();
  failure_.clear();
  pdf_path_.clear();
  if (!has_printer()) pdf_path_ = fixed_pdf_path_.empty() ? unique_pdf_path() : fixed_pdf_path_;
}

void Qt_Printer::end_job() {
  if (painter_.isActive()) painter_.end();
  pdf_.reset();
  page_ended_ = false;
}

// The painter of the current page, starting a document or a new PDF page when needed.
QPainter* Qt_Printer::page() {
  if (painter_.isActive() && !page_ended_) return &painter_;
  if (painter_.isActive() && pdf_) {
    pdf_->newPage();
    page_ended_ = false;
    return &painter_;
  }
  page_ended_ = false;
  QPaintDevice* device = nullptr;
  if (has_printer()) {
    device = printer_.get();
  } else {
    if (pdf_path_.empty()) pdf_path_ = fixed_pdf_path_.empty() ? unique_pdf_path() : fixed_pdf_path_;
    pdf_ = std::make_unique<QPdfWriter>(QString::fromStdString(pdf_path_));
    pdf_->setResolution(static_cast<int>(Twips_Per_Inch));
    pdf_->setPageLayout(pdf_layout());
    pdf_->setCreator("QUORIN");
    device = pdf_.get();
  }
  if (!painter_.begin(device)) {
    failure_ = has_printer() ? "プリンタに出力できません" : "PDFファイルを作成できません: " + pdf_path_;
    return nullptr;
  }
  const double scale = device->logicalDpiX() / Twips_Per_Inch;
  painter_.scale(scale, device->logicalDpiY() / Twips_Per_Inch);
  painter_.setRenderHint(QPainter::Antialiasing);
  return &painter_;
}

QPen Qt_Printer::pen() const {
  QPen pen(Qt::black);
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

double Qt_Printer::printable_height() const {
  const QPageLayout layout = has_printer() ? printer_->pageLayout() : pdf_layout();
  return layout.paintRect(QPageLayout::Inch).height() * Twips_Per_Inch;
}

double Qt_Printer::line_height() const {
  QPaintDevice* device = painter_.isActive() ? painter_.device() : nullptr;
  if (device == nullptr) return Printer::line_height();
  const QFontMetricsF metrics(font(), device);
  return metrics.height() / (device->logicalDpiY() / Twips_Per_Inch);
}

void Qt_Printer::line(double x1, double y1, double x2, double y2) {
  if (QPainter* painter = page()) {
    painter->setPen(pen());
    painter->drawLine(QPointF(x1, y1), QPointF(x2, y2));
  }
}

void Qt_Printer::rectangle(double x1, double y1, double x2, double y2) {
  if (QPainter* painter = page()) {
    painter->setPen(pen());
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized());
  }
}

void Qt_Printer::circle(double x, double y, double radius) {
  if (QPainter* painter = page()) {
    painter->setPen(pen());
    painter->setBrush(Qt::NoBrush);
    painter->drawEllipse(QPointF(x, y), radius, radius);
  }
}

void Qt_Printer::point(double x, double y) {
  if (QPainter* painter = page()) {
    QPen dot = pen();
    dot.setCapStyle(Qt::RoundCap);
    painter->setPen(dot);
    painter->drawPoint(QPointF(x, y));
  }
}

void Qt_Printer::end_document() {
  if (!painter_.isActive()) return;
  if (pdf_) {
    page_ended_ = true;  // the next operation opens a new page of the same file
  } else {
    painter_.end();  // the document goes to the printer as a job of its own
  }
}

}  // namespace quorin::ui::qt
