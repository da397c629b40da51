#pragma once
// How the program uses its control-serum history: where the file lives, opening it so that a
// failure is told once and the program goes on without it, and judging the assay being worked
// on against the runs stored before it.

#include <optional>
#include <string>
#include <vector>

#include "qc/history_store.h"
#include "qc/qc_series.h"

namespace quorin {
class Program;
}

namespace quorin::qc {

// $XDG_DATA_HOME/quorin/qc.sqlite, else $HOME/.local/share/quorin/qc.sqlite; "" when neither
// variable is set.
std::string default_history_path();

enum class Access {
  Off,      // no history kept, or it failed earlier in this run
  Opened,   // the store is open
  No_File,  // opened for reading, the file does not exist yet: no runs
};

// Opens the program's history file. A failure is told to the user once, together with the
// fact that the program goes on without the history, and the history is off from then on.
Access open_history(Program& program, History_Store& store, Connection::Mode mode);

// Tells the user why the history failed and that the program goes on without it; the history is
// off for the rest of the run (until another file is chosen).
void give_up_history(Program& program, const Db_Outcome& outcome);

// The stored runs of a substance and its targets as a judged series, with `extra` (the assay
// being worked on) in the place of its stored run; `place` is then its index. The targets rest on
// the stored runs only. The assay is saved when the history holds its run with the values shown
// (or, for a report printed just before the save, will hold them); a stored run of the same assay
// with other values is `stored_twin`, shown beside it as what it is.
struct Judged_Runs {
  Series series;
  std::optional<std::size_t> place;
  bool assay_saved = false;
  std::optional<QC_Run> stored_twin;
};
std::optional<Judged_Runs> judged_runs(Program& program, const std::string& substance,
                                       const std::optional<QC_Run>& extra);

// The assay being worked on, judged against the history: nullopt when the program keeps none.
// `problem` tells why the assay cannot be judged (no substance, assay number or date).
struct Assay_Judgement {
  std::string problem;
  Judged_Runs runs;
};
std::optional<Assay_Judgement> judge_assay(Program& program);

// The judgement as the message and the printout show it: the assay, the verdict with the
// rules that fired, then one line per serum with its mean, its z and its target.
std::vector<std::string> judgement_lines(const Assay_Judgement& judgement);

// A serum's concentration as the control-serum table shows it ("12.345").
std::string serum_concentration_text(double value);

// "+3.52", "-0.20": a z in SD units.
std::string z_text(double z);

}  // namespace quorin::qc
