// The standard-curve screen of an eight-point cortisol assay in administrator mode.
//
//   ./build/release/graph_shot out.png [plot | curves | tables | readout | stale]
//
// plot: the standard plot; curves: the four fitted curves with the cubic of weighting 2 chosen;
// tables: the same scrolled to the ED and detection-limit tables; readout: an ED value read off
// plot 1 by clicking it; stale: the curves after a standard's count was changed.
#include <cstring>
#include <initializer_list>

#include "graph/reg_graph.h"
#include "navigation/navigation.h"
#include "shot.h"

namespace {

using namespace quorin;

void enter_assay(Program& program) {
  Assay_State& s = program.state;
  program.show(Screen::Conditions);  // names the weightings
  s.Admin_Mode = 1;
  s.STD_Number = 8;
  s.STD_Tubes = 2;
  const double concentrations[] = {0.5, 1, 2, 5, 10, 20, 40, 60};
  for (int k = 1; k <= 8; ++k) s.STD_Data(3 + k, STD_Column::Concentration) = concentrations[k - 1];
  const std::initializer_list<Long> counts[] = {{346, 347},   {21465, 21660}, {9973, 9914}, {9334, 9336},
                                                {8865, 8672}, {7910, 7832},   {6088, 6038}, {4392, 4411},
                                                {2812, 2764}, {1689, 1730},   {1251, 1198}};
  for (int row = 1; row <= 11; ++row) {
    int tube = 0;
    for (Long count : counts[row - 1]) s.STD_Count(row, ++tube) = count;
  }
  s.Screen_No = 1;
  Command_Exec(program, target::Standard_Curve);
}

}  // namespace

int main(int argc, char** argv) {
  const char* scene = argc > 2 ? argv[2] : "plot";
  return shots::run(argc, argv, [scene](Program& program, ui::Scripted_Platform&) {
    enter_assay(program);
    if (std::strcmp(scene, "plot") == 0) return;
    auto& graph = *program.screen_as<Reg_Graph>(Screen::Graph);
    graph.Command[target::Switch_View].on_click();
    graph.Choice[5].on_click();
    if (std::strcmp(scene, "tables") == 0) graph.HScroll1.set_value(24);
    if (std::strcmp(scene, "readout") == 0) graph.Picture1[1].on_mouse_down(1, 0, 2.0, -1.4);
    if (std::strcmp(scene, "stale") == 0) {
      ui::Desktop::Event_Scope edit(program.desktop);
      program.state.STD_Count(5, 1) += 100;
    }
  });
}
