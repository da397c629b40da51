// The graph printout of an eight-point cortisol assay as a PDF of two pages: the standard plot
// page, then the regression page.
//
//   ./build/release/graph_pdf_shot out.pdf
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "curve/reg_graph.h"
#include "state/navigation.h"
#include "state/program.h"
#include "state/targets.h"
#include "ui/qt/fonts.h"
#include "ui/qt/qt_printer.h"
#include "ui/scripted_platform.h"

namespace {

using namespace quorin;

class Pdf_Platform : public ui::Scripted_Platform {
 public:
  ui::Printer& printer() override { return pdf; }
  ui::qt::Qt_Printer pdf;
};

void enter_assay(Program& program) {
  Assay_State& s = program.state;
  program.show(Screen::Conditions);  // names the weightings
  s.STD_Number = 8;
  s.STD_Tubes = 2;
  const double concentrations[] = {0.5, 1, 2, 5, 10, 20, 40, 60};
  for (int k = 1; k <= 8; ++k) s.STD_Data(3 + k, 0) = concentrations[k - 1];
  const Long counts[11][2] = {{346, 347},   {21465, 21660}, {9973, 9914}, {9334, 9336}, {8865, 8672}, {7910, 7832},
                              {6088, 6038}, {4392, 4411},   {2812, 2764}, {1689, 1730}, {1251, 1198}};
  for (int row = 1; row <= 11; ++row)
    for (int tube = 1; tube <= 2; ++tube) s.STD_Count(row, tube) = counts[row - 1][tube - 1];
  s.Screen_No = 1;
  Command_Exec(program, target::Standard_Curve);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.pdf\n", argv[0]);
    return 2;
  }
  if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  ui::qt::install_screen_font();
  Pdf_Platform platform;
  platform.pdf.set_pdf_path(argv[1]);
  Program program(platform);
  enter_assay(program);

  platform.pdf.begin_job();
  Graph_PRT(program);
  program.screen_as<Reg_Graph>(Screen::Graph)->Fit_And_Draw();
  Graph_PRT(program);
  platform.pdf.end_job();

  for (const auto& message : platform.messages) std::fprintf(stderr, "message: %s\n", message.c_str());
  if (!platform.pdf.failure().empty()) {
    std::fprintf(stderr, "%s\n", platform.pdf.failure().c_str());
    return 1;
  }
  return 0;
}
