// The model screen of the example assay after the wizard: the fitted curves' button pressed, a
// weighting and a model chosen; or the curve screen that leads to it.
//
//   ./build/release/model_shot out.png [weighting 0..2] [model 0..2] [curves]
#include <cstdlib>
#include <string>

#include "graph/reg_graph.h"
#include "models/reg_model.h"
#include "results_assay.h"
#include "shot.h"

int main(int argc, char** argv) {
  const int weighting = argc > 2 ? std::atoi(argv[2]) : 1;
  const int model = argc > 3 ? std::atoi(argv[3]) : 1;
  const bool curves = argc > 4 && std::string(argv[4]) == "curves";
  return quorin::shots::run(argc, argv, [&](quorin::Program& program, quorin::ui::Scripted_Platform& platform) {
    using namespace quorin;
    shots::run_example_wizard(program, platform);
    auto& graph = *program.screen_as<Reg_Graph>(Screen::Graph);
    program.desktop.show(graph);
    if (curves) return;
    graph.Command[target::Models].on_click();
    auto& models = *program.screen_as<Reg_Model>(Screen::Model);
    models.Weight_Choice[weighting].on_click();
    models.Model_Choice[model].on_click();
  });
}
