// The graph printout of an eight-point cortisol assay as a PDF of two pages: the standard plot
// page, then the regression page.
//
//   ./build/release/graph_pdf_shot out.pdf
#include "graph/graph_prt.h"
#include "graph/reg_graph.h"
#include "navigation/navigation.h"
#include "shot.h"
#include "state/program.h"
#include "ui/print_job.h"

namespace {

using namespace quorin;

void enter_assay(Program& program) {
  Assay_State& s = program.state;
  program.show(Screen::Conditions);  // names the weightings
  s.STD_Number = 8;
  s.STD_Tubes = 2;
  const double concentrations[] = {0.5, 1, 2, 5, 10, 20, 40, 60};
  for (int k = 1; k <= 8; ++k) s.STD_Data(3 + k, STD_Column::Concentration) = concentrations[k - 1];
  const Long counts[11][2] = {{346, 347},   {21465, 21660}, {9973, 9914}, {9334, 9336}, {8865, 8672}, {7910, 7832},
                              {6088, 6038}, {4392, 4411},   {2812, 2764}, {1689, 1730}, {1251, 1198}};
  for (int row = 1; row <= 11; ++row)
    for (int tube = 1; tube <= 2; ++tube) s.STD_Count(row, tube) = counts[row - 1][tube - 1];
  s.Screen_No = 1;
  Command_Exec(program, target::Standard_Curve);
}

}  // namespace

int main(int argc, char** argv) {
  return shots::run_pdf(argc, argv, [](Program& program, ui::Scripted_Platform&) {
    enter_assay(program);
    ui::run_print_job(program.platform, 2, [&program](ui::Printer& printer) {
      print_standard_page(program, printer);
      program.screen_as<Reg_Graph>(Screen::Graph)->Fit_And_Draw();
      print_regression_page(program, printer);
    });
  });
}
