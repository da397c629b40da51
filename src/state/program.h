#pragma once
// The running program: the one assay state, the platform services and the screens. A screen is
// created (running its load step) the first time it is shown and discarded when it is closed, so
// its load step runs again the next time.

#include <map>
#include <memory>
#include <string>

#include "engine/assay_state.h"
#include "engine/result_curve.h"
#include "ui/desktop.h"
#include "ui/platform.h"

namespace quorin {

class Program {
  // First, so that it outlives the screens (declared below) that refer to it.
  std::unique_ptr<Assay_State> state_;

 public:
  explicit Program(ui::Platform& platform);
  // A program on a state kept by the caller, which must outlive it: a driver that runs many short
  // sessions one after another reuses one state instead of allocating its tables each time.
  Program(ui::Platform& platform, Assay_State& state);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  Assay_State& state;
  ui::Platform& platform;
  ui::Desktop desktop;

  // The curve in force and the revision it was made for (state/current_curve.h).
  struct Curve_Product {
    std::uint64_t revision = 0;
    Curve_Outcome outcome;
  } curve_in_force;

  // The control-serum history this run of the program keeps.
  struct QC_History {
    std::string path;                  // its file; "" keeps no history
    std::string failure;               // why it failed, once it has: the program then goes on without it
    std::string last_verdict;          // the judgement last shown, so that the same one is not repeated
    bool ask_before_replacing = true;  // the screens ask before a stored run is replaced; the command line tells
    bool report_as_kept = false;       // a report printed before the save shows the assay's run as kept
    // Where the run of the last save went.
    enum class Record { None, Kept, Waiting, Declined, Nowhere } last_record = Record::None;
  } qc_history;

  // Opens the start-up screen.
  void start();
  // Runs the request of a screen's command button (Command_Exec), and sets which buttons of the
  // active screen are enabled (Command_Enable): the navigation above the screens does both.
  void command(int target);
  void enable_commands();
  // The screen if it is loaded, else nullptr.
  ui::Form* screen(Screen which) const;
  template <typename T>
  T* screen_as(Screen which) const {
    return dynamic_cast<T*>(screen(which));
  }
  // Creates the screen and runs its load step when it is not loaded yet; does not bring it to the front.
  ui::Form& load(Screen which);
  // Loads the screen if needed and brings it to the front.
  ui::Form& show(Screen which);
  // Discards the screen (nothing when it is not loaded).
  void close(Screen which);
  // Closes every screen and asks the platform to end.
  void end();
  bool ended() const { return ended_; }

 private:
  std::map<Screen, std::unique_ptr<ui::Form>> screens_;
  bool ended_ = false;
};

}  // namespace quorin
