#pragma once
// A program with an assay whose standards follow a logistic dose-response, brought to the
// standard-curve screen through the navigation as a user gets there.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "graph/reg_graph.h"
#include "navigation/navigation.h"
#include "state/program.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin::testing {

// Mean counts of the NSB, TOTAL and zero-standard tubes of every assay built here.
constexpr Long Nsb_Count = 150, Total_Count = 20000, B0_Count = 8571;

class Graph_Test : public ::testing::Test {
 protected:
  Graph_Test() : program(platform) {
    for (int w = 0; w < 4; ++w) state.Weight_Name(w) = std::string("weighting ") + char('0' + w);
  }

  // Standards at these concentrations, two tubes each, 2 % apart around B/B0 = 1 / (1 + (c / 8)^1.1).
  void enter_assay(const std::vector<double>& concentrations) {
    state.STD_Number = static_cast<Integer>(concentrations.size());
    state.STD_Tubes = 2;
    for (int tube = 1; tube <= 2; ++tube) {
      state.STD_Count(1, tube) = Nsb_Count;
      state.STD_Count(2, tube) = Total_Count;
      state.STD_Count(3, tube) = B0_Count;
    }
    for (std::size_t k = 1; k <= concentrations.size(); ++k) {
      const double c = concentrations[k - 1];
      state.STD_Data(3 + k, STD_Column::Concentration) = c;
      const double count = Nsb_Count + (B0_Count - Nsb_Count) / (1 + std::pow(c / 8, 1.1));
      state.STD_Count(3 + k, 1) = static_cast<Long>(std::lround(count * 1.01));
      state.STD_Count(3 + k, 2) = static_cast<Long>(std::lround(count * 0.99));
    }
  }

  // Button 4 of the conditions screen: treats the standards and draws the standard plot.
  void show_standard_plot() {
    state.Screen_No = 1;
    Command_Exec(program, target::Standard_Curve);
  }

  // Button 8 of the curve screen.
  void switch_view() { graph().Command[target::Switch_View].on_click(); }

  Reg_Graph& graph() { return *program.screen_as<Reg_Graph>(Screen::Graph); }

  Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program;
  Assay_State& state = program.state;
};

}  // namespace quorin::testing
