#pragma once
// The one assay being worked on: its conditions, counts, derived values, curve choices and the
// navigation flags. A plain aggregate allocated once at full size (create it with
// std::make_unique: the sample tables alone are some 18 MB). Standard-side rows: 1 NSB,
// 2 TOTAL, 3 zero standard (B0), 3 + k standard k. Tubes run from 1; index 0 is never used.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/fixed_array.h"

namespace quorin {

using Integer = std::int16_t;
using Long = std::int32_t;

constexpr int Max_Standards = 20;
constexpr int Max_Tubes = 10;
constexpr int Max_Sera = 20;
constexpr Long Max_Samples = 100000;
// The conditions are 33 fields: 0..5 texts, 6..11 counts, 12 the dilution factor, 12 + k the
// concentration of standard k (engine/condition_fields.h).
constexpr int Condition_Boxes = 33;

// The rows of STD_Data before the standards (standard k is row 3 + k), and the columns of the
// derived tables that mean something of their own.
namespace STD_Row {
inline constexpr std::size_t NSB = 1;
inline constexpr std::size_t Total = 2;
inline constexpr std::size_t Zero = 3;
}  // namespace STD_Row
namespace STD_Column {
inline constexpr std::size_t Concentration = 0;  // of the standard, as entered
inline constexpr std::size_t Mean_Count = 1;
inline constexpr std::size_t Count_CV = 2;
inline constexpr std::size_t Percent = 3;    // the mean B/B0 in percent
inline constexpr std::size_t Back_Mean = 4;  // of the tubes read back off the curve in force
inline constexpr std::size_t Back_Range = 5;
inline constexpr std::size_t Back_CV = 6;
inline constexpr std::size_t Logit = 8;  // of the mean B/B0
}  // namespace STD_Column
namespace Sera_Column {
inline constexpr std::size_t Mean = 1;
inline constexpr std::size_t Range = 2;
inline constexpr std::size_t Conc_CV = 3;
inline constexpr std::size_t Count_CV = 5;
}  // namespace Sera_Column
namespace Sample_Column {
inline constexpr std::size_t Area_Code = 0;
inline constexpr std::size_t Mean = 1;
inline constexpr std::size_t Range = 2;
inline constexpr std::size_t Value = 3;  // the mean times the dilution factor
inline constexpr std::size_t Conc_CV = 4;
inline constexpr std::size_t Count_CV = 5;
}  // namespace Sample_Column
// The slots of Reg_Work that the curve solver reads and writes; 1..28 hold the sums and the
// elimination terms of the regression.
namespace Reg_Slot {
inline constexpr std::size_t X_Lin = 0;  // the straight line's answer
inline constexpr std::size_t A0 = 29;    // a0..a3 of the cubic in use
inline constexpr std::size_t A1 = 30;
inline constexpr std::size_t A2 = 31;
inline constexpr std::size_t A3 = 32;
inline constexpr std::size_t Slope = 33;  // of the straight line in use
inline constexpr std::size_t Intercept = 34;
inline constexpr std::size_t Newton_Point = 35;
inline constexpr std::size_t F = 36;
inline constexpr std::size_t F_Slope = 37;
inline constexpr std::size_t Answer = 38;  // x = ln(concentration)
inline constexpr std::size_t Step = 39;
inline constexpr std::size_t Relative_Step = 40;
}  // namespace Reg_Slot

// How far the standard curve has been drawn.
enum class Curve_Stage : Integer {
  Nothing = 0,        // nothing drawn yet
  Standard_Plot = 1,  // the standard plot has been drawn
  Curves = 2          // the regression has been computed and the fitted curves drawn
};

// Whether the wizard is walking the user through the screens.
enum class Wizard : Integer { Idle = 0, Running = 1 };

// The screens of the program; the numbers of the four work screens are the Screen_No values.
enum class Screen {
  None = 0,
  Conditions = 1,
  Data = 2,
  Graph = 3,
  Result = 4,
  Intro = 5,
  Help = 6,
  Model = 7,
  QC_Chart = 8,
  Profile = 9,
  Columns = 10,  // the columns of a counter's export to read
  LIS = 11       // the lab's LIS settings
};

// The Screen_No of a work screen.
constexpr std::int16_t screen_no(Screen screen) { return static_cast<std::int16_t>(screen); }

struct Assay_State {
  // Assay conditions (written by committing a conditions field).
  std::string Operator_Name;
  std::string Assay_Date;
  std::string Substance_Name;
  std::string Unit_Name;
  std::string Assay_No;
  Integer STD_Number = 0;
  Integer STD_Tubes = 0;
  Integer Sera_Number = 0;
  Integer Sera_Tubes = 0;
  Long Sample_Number = 0;
  Integer Sample_Tubes = 0;
  double Dilution_Factor = 0;
  // Each field of the conditions as it is shown and written once committed, field 2 (never
  // shown) and the standards beyond STD_Number included: the condition file and the header of
  // the result file hold these texts.
  std::array<std::string, Condition_Boxes> Condition_Texts;

  // Counts; 0 means the tube was not measured.
  Fixed_Table<Long, Max_Standards + 3, Max_Tubes> STD_Count;
  Fixed_Table<Long, Max_Sera, Max_Tubes> Sera_Count;
  Fixed_Table<Long, Max_Samples, Max_Tubes> Sample_Count;

  // Derived values.
  Fixed_Array<Integer, Max_Standards + 3> STD_Tube_N;
  Fixed_Table<double, Max_Standards + 3, 12> STD_Data;  // column 0 holds the standard concentrations
  Fixed_Table<double, Max_Standards + 3, Max_Tubes> STD_Conc;
  Fixed_Array<Integer, Max_Sera> Sera_Tube_N;
  Fixed_Table<double, Max_Sera, Max_Tubes> Sera_Conc;
  Fixed_Table<double, Max_Sera, 5> Sera_Data;
  Fixed_Array<Integer, Max_Samples> Sample_Tube_N;
  Fixed_Table<double, Max_Samples, Max_Tubes> Sample_Conc;
  Fixed_Table<double, Max_Samples, 5> Sample_Data;

  // Standard-curve choices.
  Integer Reg_Order = 0;
  Integer Weight_Type = 0;
  Integer Fit_From = 0;
  Integer Fit_To = 0;
  Curve_Stage Plot_Stage = Curve_Stage::Nothing;

  // Curve working data.
  Fixed_Array<double, Max_Standards> STD_Log_Conc;
  Fixed_Array<double, Max_Standards> Logit_Weight;
  Fixed_Array<double, Max_Standards> Distance_Weight;
  double Weight_Sum = 0;
  Fixed_Array<double, 40> Reg_Work;
  Fixed_Table<double, 3, 6> Reg_Coef;
  Fixed_Array<double, 7> ED50_Value;
  double Target_Logit = 0;
  // Which of the eight fits the last Regression could compute, indexed like ED50_Value (the
  // weighting for the straight line, 4 + the weighting for the cubic). An unavailable fit's
  // coefficients are 0 in Reg_Coef (a line refused for its slope keeps them) and must not be
  // solved; see engine/fit_choice.h.
  Fixed_Array<bool, 7> Fit_Available;

  Fixed_Array<std::string, 3> Weight_Name;

  // The curve the results are read off (engine/logistic.h): 0 the logit-log fit chosen above,
  // 1 the 4PL, 2 the 5PL; the weighting of the 4PL and 5PL fits (0 none, 1 counting statistics,
  // 2 constant CV); and the chosen model's A, B, C, D, G (1..5), fitted afresh from the standards
  // each time concentrations are read off it.
  Integer Curve_Model = 0;
  Integer Model_Weight = 0;
  Fixed_Array<double, 5> Model_Param;

  // The sample identifiers (index 1..; "" or beyond the end for a sample without one), from an
  // identifier list or a counter's export; and the concentration CV in percent above which a
  // serum or sample is flagged (engine/result_flags.h). Neither changes a number of the results.
  std::vector<std::string> Sample_Id;
  double Flag_CV_Limit = 10;
  // The columns a counter's export is read with (data/counter_export.h): the header of the
  // column of the counts and of the identifiers ("" for none). The last choice is kept for the
  // next export.
  std::string Count_Column;
  std::string Count_Id_Column;

  // What the standard curve and the result tables were last computed from (state/basis.h), 0
  // for never: Curve_Basis by the regression, Result_Basis by the computation of each table,
  // indexed by its Result_Table number (1 standard concentrations, 2 control sera, 3 samples).
  std::uint64_t Curve_Basis = 0;
  Fixed_Array<std::uint64_t, 3> Result_Basis;

  // Navigation and editing state.
  Integer Screen_No = 0;
  Screen Active_Screen = Screen::None;
  Wizard Wizard_Mode = Wizard::Idle;
  Integer Admin_Mode = 0;
  Long Total_Tubes = 0;
  Integer Edit_Flag = 0;
  // Counts typed, inserted or deleted on the data sheet since the counts were last loaded or
  // saved: the program asks before anything discards them.
  bool Counts_Unsaved = false;
  Integer Focus_Field = 0;
  std::string Condition_File;
  std::string Data_File;
  Integer Result_Table = 0;

  // The state is some 18 MB, filled with zeros when it is made: it is placed on huge pages where
  // the system offers them, so that it takes a few page faults instead of thousands.
  static void* operator new(std::size_t size);
  static void operator delete(void* memory) noexcept;
};

}  // namespace quorin
