// The standard-curve screen's part of the navigation.
#include "graph/graph_procedures.h"
#include "engine/fit_choice.h"
#include "graph/reg_graph.h"
#include "state/program.h"

namespace quorin {

namespace {
// The curve screen; the dispatcher and the wizard load it before they call its procedures.
Reg_Graph& graph_screen(Program& program) { return static_cast<Reg_Graph&>(program.load(Screen::Graph)); }
}  // namespace

std::unique_ptr<ui::Form> Make_Reg_Graph(Program& program) { return std::make_unique<Reg_Graph>(program); }

void Standard_Plotting(Program& program) { graph_screen(program).Standard_Plotting(); }

void Show_Fitted_Curves(Program& program) { graph_screen(program).Fit_And_Draw(); }

bool Draw_Fitted_Curves(Program& program) { return graph_screen(program).Draw_Curves(); }

void Check_Graph(Program& program) {
  if (auto* screen = program.screen_as<Reg_Graph>(Screen::Graph)) screen->check_drawing();
}

// The wizard goes on to the results only with the chosen fit drawn.
void Wizard_Show_Curves(Program& program) {
  Assay_State& state = program.state;
  if (!graph_screen(program).Fit_And_Draw() || !fit_available(state, state.Weight_Type, state.Reg_Order))
    state.Wizard_Mode = Wizard::Idle;
}

}  // namespace quorin
