// Every page of the whole report and every screen of the example assay and of a large one (20
// standards, 20 control sera) as a reader sees them: no text leaves its page or window or runs
// into another text, a rule or a curve, and every page names the assay with its place in the job.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>
#include <tuple>

#include "batch/batch_fixture.h"
#include "report/print_report.h"
#include "state/commands.h"
#include "state/program.h"
#include "support/form_driver.h"
#include "support/test_support.h"
#include "support/text_search.h"
#include "text/cp932.h"
#include "text/display_width.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

using testing::Example_Conditions;
using testing::Example_Counts;
using testing::lines_of;

// What a reader would see run together: on a printed page, a text leaving the page or crossing
// another text, a rule, a mark or a curve; on a screen, a control leaving its window or crossing
// another control, a caption longer than its control, a window larger than a 1366×768 screen.
// Texts are measured in the printouts' fixed-pitch face: a half-width character is half an em.

// A4 portrait less margins of 9 mm at the sides and 12 mm at top and bottom, as the PDF output
// lays out its pages.
constexpr double Page_Width = (210.0 - 18.0) / 25.4 * 1440;
constexpr double Page_Height = (297.0 - 24.0) / 25.4 * 1440;
constexpr double Twips_Per_Pixel = 15;
constexpr int Screen_Width = 1366, Screen_Height = 768 - 48;  // less a taskbar and a title bar

struct Box {
  double left, top, right, bottom;
  std::string what;
};

bool inside(const Box& inner, double right, double bottom) {
  return inner.left >= 0 && inner.top >= 0 && inner.right <= right && inner.bottom <= bottom;
}
// Texts side by side keep this far apart, so that no word runs into the next; lines of text may
// stand one em apart. A text may stand against the rule of its cell (the tables print their cells
// from the rule), never across it.
constexpr double Gap = 10;

constexpr double Rounding = 0.5;  // of scaled pages' coordinates

bool cross(const Box& a, const Box& b, double gap = 0) {
  return a.left - gap < b.right - Rounding && b.left - gap < a.right - Rounding && a.top < b.bottom - Rounding &&
         b.top < a.bottom - Rounding;
}

// A drawn mark as the box it covers; a line is kept as its end points.
struct Mark {
  double x1, y1, x2, y2;
  bool is_line;
};

// True when the segment passes through the inside of the box (Liang–Barsky clipping).
bool passes_through(const Mark& mark, const Box& box) {
  if (!mark.is_line) return cross(Box{mark.x1, mark.y1, mark.x2, mark.y2, ""}, box);
  double t0 = 0, t1 = 1;
  const double dx = mark.x2 - mark.x1, dy = mark.y2 - mark.y1;
  const double p[] = {-dx, dx, -dy, dy};
  const double q[] = {mark.x1 - box.left, box.right - mark.x1, mark.y1 - box.top, box.bottom - mark.y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0 && q[i] <= 0) return false;  // parallel to the side, outside it
    if (p[i] < 0) t0 = std::max(t0, q[i] / p[i]);
    if (p[i] > 0) t1 = std::min(t1, q[i] / p[i]);
  }
  return t0 < t1;
}

std::string name_of(const ui::Control& control) {
  return control.name + (control.index >= 0 ? "(" + std::to_string(control.index) + ")" : "");
}

// A control's caption, and the part of its width the caption may not fill: a button keeps a margin
// at either side, an option button its round mark.
std::pair<std::string, int> caption_of(const ui::Control& control) {
  if (const auto* label = dynamic_cast<const ui::Label*>(&control)) return {label->caption, 0};
  if (const auto* button = dynamic_cast<const ui::Command_Button*>(&control)) return {button->caption, 120};
  if (const auto* option = dynamic_cast<const ui::Option_Button*>(&control)) return {option->caption, 300};
  return {"", 0};
}

// The least radius of a circle that marks a point on paper (smaller ones dot a curve).
constexpr double Point_Radius = 20;

// The recorded operations of a printer (pages ended by "end"), one finding per clash:
// "page 3: \"100\" crosses \"log(標準品濃度)\"".
std::vector<std::string> page_clashes(const std::vector<std::string>& ops) {
  std::vector<std::string> found;
  std::vector<Box> texts;
  std::vector<Mark> marks, frames;  // frames: the sides of rectangles
  double font = 10;
  int page = 1;
  auto close_page = [&] {
    const std::string where = "page " + std::to_string(page) + ": ";
    // The mark of a point (not the dots of a dotted curve, which run to the frame as a line does).
    for (const Mark& mark : marks)
      if (!mark.is_line && mark.x2 - mark.x1 >= 2 * Point_Radius &&
          std::any_of(frames.begin(), frames.end(), [&](const Mark& side) {
            return passes_through(side, Box{mark.x1, mark.y1, mark.x2, mark.y2, ""});
          }))
        found.push_back(where + "a circle at " + testing::figures((mark.x1 + mark.x2) / 2, 6) + "," +
                        testing::figures((mark.y1 + mark.y2) / 2, 6) + " is cut by a frame");
    for (std::size_t i = 0; i < texts.size(); ++i) {
      if (!inside(texts[i], Page_Width, Page_Height)) found.push_back(where + texts[i].what + " leaves the page");
      for (std::size_t j = i + 1; j < texts.size(); ++j)
        if (cross(texts[i], texts[j], Gap)) found.push_back(where + texts[i].what + " crosses " + texts[j].what);
      if (std::any_of(marks.begin(), marks.end(), [&](const Mark& mark) { return passes_through(mark, texts[i]); }))
        found.push_back(where + texts[i].what + " is crossed by a drawing");
    }
    texts.clear();
    marks.clear();
    frames.clear();
    ++page;
  };
  for (const std::string& op : ops) {
    std::istringstream in(op);
    std::string kind, radius;
    in >> kind;
    char comma = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (kind == "font") {
      in >> font;
    } else if (kind == "text") {
      in >> x1 >> comma >> y1;
      // The box of the text from its first to its last non-blank character.
      const std::string text = op.substr(op.find('"') + 1, op.rfind('"') - op.find('"') - 1);
      const std::size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
      if (first != std::string::npos)  // a column is font * 10 wide
        texts.push_back({x1 + font * 10 * double(first), y1,
                         x1 + font * 10 * double(text::display_columns(text.substr(0, last + 1))), y1 + font * 20,
                         "\"" + text.substr(first, last + 1 - first) + "\""});
    } else if (kind == "line" || kind == "rect") {
      in >> x1 >> comma >> y1 >> x2 >> comma >> y2;
      if (kind == "line") marks.push_back({x1, y1, x2, y2, true});
      else  // a rectangle's four sides
        for (auto* list : {&marks, &frames})
          list->insert(
              list->end(),
              {{x1, y1, x2, y1, true}, {x2, y1, x2, y2, true}, {x1, y2, x2, y2, true}, {x1, y1, x1, y2, true}});
    } else if (kind == "circle" || kind == "point") {
      in >> x1 >> comma >> y1 >> radius;
      const double r = kind == "point" ? 1 : std::stod(radius.substr(1));
      marks.push_back({x1 - r, y1 - r, x1 + r, y1 + r, false});
    } else if (kind == "end") {
      close_page();
    }
  }
  return found;
}

// What a reader would see run together on a form and every control on it.
std::vector<std::string> form_clashes(const ui::Form& form) {
  std::vector<std::string> found;
  const std::string where = form.caption + ": ";
  if (form.client_width > Screen_Width * Twips_Per_Pixel || form.client_height > Screen_Height * Twips_Per_Pixel)
    found.push_back(where + "the window is larger than the screen");
  const bool has_scroll_bar = std::any_of(form.controls().begin(), form.controls().end(), [](const auto& control) {
    return control->kind == ui::Control_Kind::Scroll_Bar && control->container == nullptr;
  });
  std::vector<const ui::Control*> shown;
  for (const auto& control : form.controls())
    if (control->visible && control->kind != ui::Control_Kind::Timer &&
        control->kind != ui::Control_Kind::Line_Element &&
        (control->container == nullptr || control->container->visible))
      shown.push_back(control.get());
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const ui::Control& c = *shown[i];
    const Box box{double(c.left), double(c.top), double(c.left + c.width), double(c.top + c.height), name_of(c)};
    const double right = c.container ? c.container->width : form.client_width;
    const double bottom = c.container ? c.container->height : form.client_height;
    // A picture inside a picture, or beside a scroll bar, is a list or plot that scrolls there.
    const bool scrolls = c.kind == ui::Control_Kind::Picture_Area && (c.container != nullptr || has_scroll_bar);
    if (!scrolls && !inside(box, right, bottom)) found.push_back(where + box.what + " leaves its window");
    const auto [caption, margin] = caption_of(c);
    // A caption of several lines (a line break in it) is as wide as its longest line.
    std::size_t columns = 0;
    std::istringstream lines(caption);
    for (std::string line; std::getline(lines, line);) columns = std::max(columns, text::display_columns(line));
    if (c.font_size * 10 * static_cast<double>(columns) > c.width - margin)
      found.push_back(where + box.what + "'s caption \"" + caption + "\" is wider than it");
    // The circles of a picture (the marks of its points) lie whole inside, clear of its one-pixel border.
    if (const auto* area = dynamic_cast<const ui::Picture_Area*>(&c); area && area->scale_width && area->scale_height)
      for (const ui::Draw_Op& op : area->ops()) {
        const double x = (op.x1 - area->scale_left) / area->scale_width * area->width;
        const double y = (op.y1 - area->scale_top) / area->scale_height * area->height;
        const double r = std::abs(op.x2 / area->scale_width * area->width) + Twips_Per_Pixel;
        if (op.type == ui::Draw_Op::Type::Circle &&
            (x - r < 0 || y - r < 0 || x + r > area->width || y + r > area->height))
          found.push_back(where + box.what + " cuts the circle at " + testing::figures(op.x1, 6) + "," +
                          testing::figures(op.y1, 6));
      }
    for (std::size_t j = i + 1; j < shown.size(); ++j) {
      const ui::Control& d = *shown[j];
      if (d.container != c.container) continue;
      const Box other{double(d.left), double(d.top), double(d.left + d.width), double(d.top + d.height), name_of(d)};
      // Cells of a grid of labels share their border: one pixel.
      const Box inner{other.left + Twips_Per_Pixel, other.top + Twips_Per_Pixel, other.right - Twips_Per_Pixel,
                      other.bottom - Twips_Per_Pixel, other.what};
      // A text box may lie over the cell it edits.
      const bool editor = (c.kind == ui::Control_Kind::Text_Box) != (d.kind == ui::Control_Kind::Text_Box) &&
                          std::abs(c.top - d.top) <= Twips_Per_Pixel && std::abs(c.left - d.left) <= Twips_Per_Pixel;
      if (!editor && cross(box, inner)) found.push_back(where + box.what + " crosses " + other.what);
    }
  }
  return found;
}

// An assay of `standards` standards and `sera` control sera in triplicate and `samples` samples in
// duplicate, counted on a smooth competitive curve with a little scatter; its two files in `folder`.
std::pair<std::string, std::string> write_assay(const testing::Scratch_Folder& folder, int standards, int sera,
                                                int samples) {
  std::ostringstream conditions, counts;
  conditions << "検査 太郎\r\n2026年12月01日\r\n\r\nテストステロン（遊離型）\r\nng/mL\r\nLARGE-2020-007\r\n"
             << standards << "\r\n3\r\n"
             << sera << "\r\n3\r\n"
             << samples << "\r\n2\r\n1.0000\r\n";
  for (int k = 1; k <= 20; ++k)
    conditions << (k <= standards ? std::to_string(0.25 * std::pow(1.45, k)) : "") << "\r\n";
  counts << " 300 \r\n 300 \r\n 300 \r\n 21000 \r\n 21000 \r\n 21000 \r\n";  // the NSB and total tubes
  // n tubes of an item of concentration conc, on the curve.
  auto tubes = [&](double conc, int n) {
    for (int t = 0; t < n; ++t) counts << ' ' << std::round(300 + 9700 / (1 + conc / 8.0) + 37 * (t % 3)) << " \r\n";
  };
  tubes(0, 3);
  for (int k = 1; k <= standards; ++k) tubes(0.25 * std::pow(1.45, k), 3);
  for (int k = 1; k <= sera; ++k) tubes(0.3 * k, 3);
  for (int k = 1; k <= samples; ++k) tubes(0.5 + (k % 97), 2);
  const auto crx = folder.file("large.crx"), txt = folder.file("large.txt");
  testing::write_bytes(crx, *text::utf8_to_cp932(conditions.str()));
  testing::write_bytes(txt, counts.str());
  return {crx, txt};
}

// The report of a batch run of the two files, pages as the options choose.
ui::Recording_Printer report_of(const std::string& crx, const std::string& txt, const testing::Scratch_Folder& folder,
                                long first_page = 1, long last_page = 0) {
  batch::Batch_Options options;
  options.conditions = crx, options.counts = txt;
  options.result = folder.file("result.txt"), options.pdf = folder.file("report.pdf");
  options.first_page = first_page, options.last_page = last_page;
  testing::Batch_Outcome outcome = testing::run_in_process(options);
  EXPECT_EQ(outcome.status, batch::Exit_Done) << outcome.errors;
  return std::move(outcome.printed);
}

// The "n / N" of every page's foot, in order.
std::vector<std::string> page_numbers(const ui::Recording_Printer& printer) {
  std::vector<std::string> numbers;
  for (const std::string& op : printer.ops())
    if (const auto printed = testing::printed_text(op);
        printed && printed->position.starts_with("9200,") && testing::is_page_number(printed->text))
      numbers.push_back(printed->text);
  return numbers;
}

// "first / all" .. "last / all", the feet of pages first to last (none when first is 0).
std::vector<std::string> numbered(int first, int last, const std::string& all) {
  std::vector<std::string> feet;
  for (int n = first; n <= last && n > 0; ++n) feet.push_back(std::to_string(n) + " / " + all);
  return feet;
}

// Every report page, and every screen the assays reach with each result table shown in turn, of
// the example assay and the large one.
TEST(Layout, EveryReportPageAndScreenIsClearAndEveryPageNamesItsPlaceInTheJob) {
  testing::Scratch_Folder folder;
  const auto [crx, txt] = write_assay(folder, 20, 20, 30);
  for (const auto& [conditions, counts] : {std::pair{Example_Conditions, Example_Counts}, std::pair{crx, txt}}) {
    SCOPED_TRACE(conditions);
    const ui::Recording_Printer printer = report_of(conditions, counts, folder);
    EXPECT_EQ(lines_of(page_clashes(printer.ops())), "");
    EXPECT_EQ(page_numbers(printer), numbered(1, printer.documents(), std::to_string(printer.documents())));

    ui::Scripted_Platform platform;
    Program program(platform);
    program.start();
    std::set<std::string> clashes;
    auto look = [&] {
      for (int which = 1; which <= 9; ++which)
        if (const ui::Form* form = program.screen(static_cast<Screen>(which)))
          for (std::string& clash : form_clashes(*form)) clashes.insert(std::move(clash));
    };
    look();
    testing::run_wizard(program, platform, conditions, counts);
    ASSERT_NE(program.screen(Screen::Result), nullptr) << lines_of(platform.messages);
    // Each request made on the screen that offers it: the curve screen's two, then the results'.
    for (const int request : {target::Switch_View, target::Models, target::Standard_Table, target::Sample_Table,
                              target::QC_Chart, target::Precision_Profile, target::Help}) {
      look();
      const bool on_curve = request == target::Switch_View || request == target::Models;
      program.state.Screen_No = screen_no(on_curve ? Screen::Graph : Screen::Result);
      program.command(request);
    }
    look();
    // The data sheet changing the number of samples shows the box of the number.
    ASSERT_NE(program.screen(Screen::Data), nullptr);
    testing::click(*program.screen(Screen::Data)->find("Command3"));
    look();
    {  // a standard's count changed: the curve and model screens put their views away
      ui::Desktop::Event_Scope event(program.desktop);
      program.state.STD_Count(4, 1) += 1;
    }
    look();
    EXPECT_EQ(lines_of({clashes.begin(), clashes.end()}), "");
  }
}

// A report of more than 500 pages asks first on the screens: closing the question prints nothing,
// "1–20 ページ" the first twenty pages numbered over the whole report. A batch run never asks and
// prints the pages --pages names, numbered the same way.
TEST(Long_Report, AsksFirstOnTheScreensAndNeverInABatchRun) {
  testing::Scratch_Folder folder;
  const auto [crx, txt] = write_assay(folder, 8, 3, 10000);
  std::string all;
  for (const auto& [choice, first, last] : {std::tuple{-1, 0, 0}, std::tuple{1, 1, 20}}) {
    ui::Scripted_Platform platform;
    Program program(platform);
    testing::run_wizard(program, platform, crx, txt);
    platform.choices = {choice};
    Report_PRT(program);
    ASSERT_EQ(platform.questions.size(), 1u) << lines_of(platform.messages);
    const auto asked = testing::between(platform.questions[0], "全部で ", " ページ");
    ASSERT_TRUE(asked && testing::is_digits(*asked)) << platform.questions[0];
    all = *asked;
    EXPECT_GT(std::stol(all), 500);
    EXPECT_EQ(page_numbers(platform.recorder), numbered(first, last, all));
  }
  EXPECT_EQ(page_numbers(report_of(crx, txt, folder, 3, 5)), numbered(3, 5, all));
}

}  // namespace
}  // namespace quorin
