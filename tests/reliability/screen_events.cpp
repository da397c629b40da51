// The screens under random use: the input's bytes become the events of a user at the headless
// program (typing, keys, clicks, scrolling, closing windows, answers to questions and file
// dialogs), each run as the window system runs it, and after each event what the user sees,
// saves and prints is checked against the assay state in force.

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/reg_data.h"
#include "engine/precision_profile.h"
#include "engine/result_curve.h"
#include "graph/reg_graph.h"
#include "intro/reg_intro.h"
#include "models/reg_model.h"
#include "qc/history_store.h"
#include "qc/reg_profile.h"
#include "qc/reg_qc.h"
#include "reliability/input_checks.h"
#include "results/reg_result.h"
#include "state/basis.h"
#include "state/program.h"
#include "support/assay_digest.h"
#include "support/form_driver.h"
#include "text/cp932.h"
#include "text/format.h"
#include "ui/scripted_platform.h"

namespace quorin::testing {

namespace {

namespace fs = std::filesystem;
using ui::Control_Kind;

constexpr int Max_Events = 32;

// The size and time of each file of some folders, by path.
using Listing = std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>>;

// Writes the lines ('|' between them) as code page 932 with CR LF line ends; a condition file
// with blank lines up to its full length.
void write_file(const fs::path& path, std::string_view lines) {
  std::string text;
  for (char c : lines) text += c == '|' ? std::string("\r\n") : std::string(1, c);
  if (!lines.empty()) text += "\r\n";
  for (long n = std::count(lines.begin(), lines.end(), '|') + 1; path.extension() == ".crx" && n < 39; ++n)
    text += "\r\n";
  std::ofstream(path, std::ios::binary) << text::utf8_to_cp932(text).value_or(text);
}

// The files the open dialogs offer, by name and lines: conditions, count files, identifier lists
// and counters' exports, good and bad of each kind.
const std::pair<const char*, std::string> Made_Files[] = {
    // offered first, in this order, since the first inputs were kept
    {"assay.crx", "検査 花子|2026/12/06||エストラジオール|pg/mL|R-19|4|2|2|2|3|2|2.0|1|4|16|36"},
    {"counts.txt",
     "195|205|20025|20075|10120|10280|8190|8210|5160|5240|2210|2190|1190|1210|4200|4200|3400||"
     "6600|6600|||4200|10300"},
    {"empty.txt", ""},
    {"flat.txt", "9000|9000|20000|20000|500|500|600|600|700"},
    {"letters.txt", "NSB,TOTAL|12x"},
    {"no_factor.crx", "検査 花子|2026/12/06||エストラジオール|pg/mL|R-19|2|1|1|1|2|1||5|50"},
    {"too_many.crx", "検査 花子|2026/12/06||エストラジオール|pg/mL|R-19|4|2|2|11|3|2|2.0|1|4|16|36"},
    // the identifier lists and counters' exports
    {"ids.txt", "検体-001|検体-002|検体-003"},
    {"id_pairs.csv", "1,\"A,1\"|3,C-3"},
    {"ids_twice.txt", "X-1|X-1"},
    {"ids_too_many.txt", "a|b|c|d|e|f|g|h|i|j|k"},
    {"counter.csv",
     "Tube,CPM,Sample ID|1,195.4,|2,205,|3,20025,|4,20075,|5,10120,|6,10280,|7,8190,|8,8210,|9,5160,|10,5240,"
     "|11,2210,|12,2190,|13,1190,|14,1210,|15,4200,|16,4190,|17,3400,|18,3390,|19,6600,S-1|20,6610,S-1"
     "|21,5100,\"S,2\"|22,5080,\"S,2\"|23,4200,S-3|24,10300,S-3"},
    {"counter_bad.csv", "Tube,CPM,Sample ID|1,195,|2,2O5,"},
    {"counter_no_header.tsv", ""}};
constexpr std::size_t First_Lab_File = 7;

// The folders of this process: the files the open dialogs offer, the scratch folder every save
// goes to and a working directory of its own (the suite's other programs write into the one they
// share), worked in only while a session runs. Nothing but the saves may change, there or in the
// working directory.
struct Folders {
  fs::path cwd, files, saves;
  Folders() {
    // In memory where there is such a folder: every save waits for its file to reach the disk.
    const fs::path base = (fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) /
                          ("screen-events-" + std::to_string(::getpid()));
    cwd = base / "work", files = base / "files", saves = base / "saves";
    for (const fs::path& folder : {cwd, files, saves}) fs::create_directories(folder);
    for (const auto& [name, lines] : Made_Files) write_file(files / name, lines);
  }
  ~Folders() {
    std::error_code ignored;
    fs::remove_all(files.parent_path(), ignored);
  }
};

const Folders& folders() {
  static const Folders made;
  return made;
}

// The input's bytes, read one at a time; 0 once they are used up.
struct Byte_Source {
  std::string_view bytes;
  std::size_t at = 0;
  bool empty() const { return at >= bytes.size(); }
  unsigned next() { return empty() ? 0 : static_cast<unsigned char>(bytes[at++]); }
};

// A file of the scratch folder that is no history at all, offered to the history's dialog.
constexpr const char* Broken_History = "broken.sqlite";

// Answers every question and file dialog from the input (the base class logs them): an open
// dialog offers a cancel, the condition and count files, a missing file, the saves, then the
// identifier lists and counters' exports (in that order, so that the inputs kept before these
// were offered still choose the same files); a save only ever goes into the scratch folder.
struct Fuzz_Platform : ui::Scripted_Platform {
  explicit Fuzz_Platform(Byte_Source& in) : in_(in) {}
  bool ask_yes_no(const std::string& text) override {
    Scripted_Platform::ask_yes_no(text);
    return in_.next() % 2 == 1;
  }
  std::string open_file(const ui::File_Dialog& dialog) override {
    Scripted_Platform::open_file(dialog);
    std::vector<std::string> choices = {""};
    for (std::size_t f = 0; f < First_Lab_File; ++f)
      choices.push_back((folders().files / Made_Files[f].first).string());
    choices.push_back((folders().files / "missing.txt").string());
    const std::size_t saves = choices.size();
    for (const auto& entry : fs::directory_iterator(folders().saves))
      if (entry.path().filename() != Broken_History) choices.push_back(entry.path().string());
    std::sort(choices.begin() + saves, choices.end());  // as a dialog lists them, whatever the folder's order
    for (std::size_t f = First_Lab_File; f < std::size(Made_Files); ++f)
      choices.push_back((folders().files / Made_Files[f].first).string());
    return choices[in_.next() % choices.size()];
  }
  std::string save_file(const ui::File_Dialog& dialog) override {
    Scripted_Platform::save_file(dialog);
    const std::string extension = dialog.default_extension.empty() ? "" : "." + dialog.default_extension;
    const std::string names[] = {"", "result" + extension, "other" + extension, "no_folder/x" + extension,
                                 Broken_History};
    const std::string& name = names[in_.next() % std::size(names)];
    return name.empty() ? "" : (folders().saves / name).string();
  }
  Byte_Source& in_;
};

// A history server for the control chart's box: the one a fuzz run started (QUORIN_FUZZ_SERVER),
// else one that is down.
const char* const Given_Server = std::getenv("QUORIN_FUZZ_SERVER");
const std::string Server_Uri = Given_Server != nullptr && *Given_Server != '\0'
                                   ? Given_Server
                                   : "postgresql:///quorin_fuzz?host=/nonexistent/quorin";

// A text a user may type: numbers of every form, blanks, letters (never an n, so that no typed
// word reads as a non-number), Japanese and very long texts. Numbers stay small enough for short
// runs: an assay of a thousand samples, not of a hundred thousand.
std::string typed_text(Byte_Source& in) {
  static const std::vector<std::string> forms = {
      "0",  "1",  "2",  "-5", "2.5",    ".5", "1e309",  "12x", "1,000",     "99999999999", "３",   "",    " ", "100001",
      "20", "21", "10", "11", "1e309x", "-0", "1E-320", "1e2", "検査 太郎", "ｱｲｳｴｵ",       "①～Ⅱ", "abc", "Qx"};
  const unsigned kind = in.next();
  if (kind < 160) return forms[kind % forms.size()];
  if (kind < 224) return std::to_string(static_cast<int>(in.next() * 4) - 200);
  if (kind < 248) {
    static const std::string keys = "0123456789.-+ ,eEabcdxyzQ/";
    std::string text;
    for (unsigned length = in.next() % 12; length > 0; --length) text += keys[in.next() % keys.size()];
    return text;
  }
  if (kind < 252) return std::string(300 + 80 * (kind - 248), kind % 2 == 0 ? '9' : 'x');
  // The headers of a counter's export, a history server that answers (or is down), one never there.
  const std::string lab_texts[] = {"CPM", "Sample ID", Server_Uri, "postgresql:///nowhere?host=/nonexistent"};
  return lab_texts[kind - 252];
}

constexpr int Keys[] = {ui::Key_Return, ui::Key_Tab,    ui::Key_Up,       ui::Key_Down,
                        ui::Key_Left,   ui::Key_Right,  33 /* page up */, 34 /* page down */,
                        ui::Key_Escape, ui::Key_Delete, ui::Key_Back};

// What a control shows: its text, the cells of a grid, the state of an option or a scroll bar, the
// version of a picture, or "nan" for a picture that draws at a point that is not a number.
std::string shown(const ui::Control& control) {
  if (auto* label = dynamic_cast<const ui::Label*>(&control)) return label->caption;
  if (auto* box = dynamic_cast<const ui::Text_Box*>(&control)) return box->text;
  if (auto* button = dynamic_cast<const ui::Command_Button*>(&control)) return button->caption;
  if (auto* option = dynamic_cast<const ui::Option_Button*>(&control))
    return option->caption + std::to_string(option->value);
  if (auto* bar = dynamic_cast<const ui::Scroll_Bar*>(&control)) return std::to_string(bar->value());
  std::string seen;
  if (auto* grid = dynamic_cast<const ui::Grid*>(&control))
    for (int r = 0; r < grid->rows(); ++r)
      for (int c = 0; c < grid->columns(); ++c) seen += grid->cell(r, c) + '\n';
  if (auto* area = dynamic_cast<const ui::Picture_Area*>(&control)) {
    for (const ui::Draw_Op& op : area->ops())
      if (!std::isfinite(op.x1 + op.y1 + op.x2 + op.y2)) return "a drawing at nan";
    seen = std::to_string(area->version());
  }
  return seen;
}

struct Session {
  Session(std::string_view bytes, Assay_State& state) : in_{bytes}, platform_(in_), program_(platform_, state) {
    program_.qc_history.path = (folders().saves / "history.db").string();
    std::ofstream(folders().saves / Broken_History) << "no history\n";
    // The columns a lab's counter writes, as the dialog remembers them from the last export.
    state.Count_Column = "CPM", state.Count_Id_Column = "Sample ID";
  }

  std::string run() {
    program_.start();
    if (auto* intro = program_.screen_as<Reg_Intro>(Screen::Intro))
      for (int tick = 0; tick < 6; ++tick) dispatch(intro->Timer1.on_timer);
    std::string fault = check();
    for (int events = 0; fault.empty() && events < Max_Events && !in_.empty() && !program_.ended(); ++events) {
      event();
      fault = check();
    }
    for (const auto& entry : fs::directory_iterator(folders().saves)) fs::remove_all(entry.path());
    return fault;
  }

  // One event as the window system hands it to the program. An event that may be refused with a
  // message (a key, a typed text, a focus move) must then leave the assay as it was; a warning is
  // no refusal.
  template <typename Action>
  void dispatch(Action&& action, bool refusable = false) {
    const std::uint64_t before = refusable ? assay_digest(program_.state) : 0;
    const std::size_t messages = platform_.messages.size(), warnings = platform_.warnings,
                      dialogs = platform_.dialogs.size();
    {
      ui::Desktop::Event_Scope scope(program_.desktop);
      action();
    }
    const bool refused = platform_.messages.size() - messages > platform_.warnings - warnings;
    if (refusable && fault_.empty() && refused && platform_.dialogs.size() == dialogs &&
        assay_digest(program_.state) != before)
      fault_ = "the assay changed by an action refused with: " + platform_.messages.back();
  }
  bool usable(const ui::Control& control) const {
    return program_.desktop.is_open(*control.form) && control.reachable();
  }
  void focus(ui::Control& control) {
    dispatch([&] { control.form->set_focus(control); }, true);
  }
  void key(ui::Control& control, int code) {
    if (usable(control) && control.on_key_down) dispatch([&] { control.on_key_down(code, 0); }, true);
  }

  // A reachable control of the form of one of these kinds, or nullptr.
  ui::Control* pick_control(ui::Form& form, std::initializer_list<Control_Kind> kinds) {
    std::vector<ui::Control*> found;
    for (const auto& control : form.controls())
      if (std::find(kinds.begin(), kinds.end(), control->kind) != kinds.end() && control->reachable())
        found.push_back(control.get());
    return found.empty() ? nullptr : found[in_.next() % found.size()];
  }

  void event() {
    const auto& forms = program_.desktop.forms();
    if (forms.empty()) return;
    const unsigned which = in_.next();
    ui::Form* form = which < 192 ? forms.back() : forms[which % forms.size()];
    if (form != forms.back()) dispatch([&] { program_.desktop.show(*form); });  // the user turns to it
    if (!program_.desktop.is_open(*form)) return;
    const unsigned kind = in_.next() % 9;
    switch (kind) {
      case 0:
      case 1: {  // typing into a box one key at a time, or a paste with the mouse
        auto* box = static_cast<ui::Text_Box*>(pick_control(*form, {Control_Kind::Text_Box}));
        if (box == nullptr || (kind == 1 && box->read_only)) return;
        focus(*box);
        if (kind == 1) {
          if (usable(*box)) dispatch([&, text = typed_text(in_)] { box->set_text(text); }, true);
          return;
        }
        for (char c : typed_text(in_)) {
          key(*box, key_code_of(c));
          if (!usable(*box) || form->focused() != box) break;
          if (box->on_key_press) dispatch([&] { box->on_key_press(static_cast<unsigned char>(c)); }, true);
          if (!usable(*box) || box->read_only) break;
          if (box->max_length > 0 && static_cast<int>(box->text.size()) >= box->max_length) continue;
          dispatch([&] { box->caret = static_cast<int>(box->text.size()) + 1, box->set_text(box->text + c); }, true);
        }
        return;
      }
      case 2: {  // a key in the focused control; Enter on a focused button presses it
        const int code = Keys[in_.next() % std::size(Keys)];
        ui::Control* control = form->focused();
        if (control == nullptr || !control->reachable()) return;
        key(*control, code);
        if (code == ui::Key_Return && control->kind == Control_Kind::Command_Button && usable(*control) &&
            control->on_click)
          dispatch(control->on_click);
        return;
      }
      case 3: {  // a click
        ui::Control* control = pick_control(*form, {Control_Kind::Command_Button, Control_Kind::Option_Button,
                                                    Control_Kind::Label, Control_Kind::Text_Box});
        if (control == nullptr) return;
        const bool button = control->kind == Control_Kind::Command_Button;
        const std::string name = form->caption + " " + control->name + std::to_string(control->index) +
                                 (button ? " " + static_cast<ui::Command_Button*>(control)->caption : "");
        if (button && !control->on_click) return void(fault_ = "an enabled button without a handler: " + name);
        if (control->takes_focus()) focus(*control);
        if (!usable(*control)) return;
        const std::string before = button ? what_the_user_sees() : "";
        if (control->kind == Control_Kind::Option_Button || control->on_click)
          dispatch([&] {
            if (control->kind == Control_Kind::Option_Button) static_cast<ui::Option_Button*>(control)->select();
            if (control->on_click) control->on_click();
          });
        if (button && what_the_user_sees() == before && !moves_only_empty_rows(*control))
          fault_ = "a button that does nothing and says nothing: " + name;
        return;
      }
      case 4:  // a double click
        if (ui::Control* c = pick_control(*form, {Control_Kind::Label, Control_Kind::Text_Box}); c && c->on_dbl_click)
          dispatch(c->on_dbl_click);
        return;
      case 5: {  // the scroll bar dragged or stepped
        auto* bar = static_cast<ui::Scroll_Bar*>(pick_control(*form, {Control_Kind::Scroll_Bar}));
        if (bar == nullptr) return;
        const unsigned how = in_.next();
        int value = how < 64 ? bar->value() + bar->small_change : bar->value() - bar->large_change;
        if (how >= 128) value = bar->min + static_cast<int>(in_.next() * 256 + in_.next()) % (bar->max - bar->min + 1);
        dispatch([&] { bar->set_value(std::clamp(value, bar->min, bar->max)); });
        return;
      }
      case 6: {  // a mouse press on a picture
        auto* area = static_cast<ui::Picture_Area*>(pick_control(*form, {Control_Kind::Picture_Area}));
        if (area == nullptr || !area->on_mouse_down) return;
        const double x = area->user_x(area->width * (in_.next() / 255.0)),
                     y = area->user_y(area->height * (in_.next() / 255.0));
        const int button = 1 + static_cast<int>(in_.next() % 2);
        dispatch([&] { area->on_mouse_down(button, 0, x, y); });
        return;
      }
      case 7:  // the window's close box
        if (form->close_control != nullptr) dispatch([&] { form->close_box_clicked(); });
        return;
      default: {  // a timer ticks, or the focus moves with the mouse
        if (auto* timer = static_cast<ui::Timer*>(pick_control(*form, {Control_Kind::Timer})); timer && timer->on_timer)
          dispatch(timer->on_timer);
        else if (ui::Control* control = pick_control(*form, {Control_Kind::Text_Box, Control_Kind::Command_Button}))
          focus(*control);
        return;
      }
    }
  }

  // 挿入 or 削除 on the data sheet where every row from the current one down is empty: the empty
  // rows move, and the sheet looks as it did.
  bool moves_only_empty_rows(const ui::Control& control) const {
    auto* sheet = program_.screen_as<Reg_Data>(Screen::Data);
    if (sheet == nullptr || (&control != &sheet->Command1 && &control != &sheet->Command2) || sheet->Change_Mode != 0)
      return false;
    bool empty = true;
    long row = 0;
    for_each_tube(program_.state, sheet->layout(),
                  [&](Long count, long, long) { empty = empty && (++row < sheet->current_row() || count == 0); });
    return empty;
  }

  // Every text, state and position of the open screens, the assay, and what the platform was
  // asked to do: what a button's click must change.
  std::string what_the_user_sees() const {
    std::string seen = std::to_string(assay_digest(program_.state)) + '\n';
    for (const ui::Form* form : program_.desktop.forms()) {
      seen += form->caption + '\n';
      for (const auto& c : form->controls())
        seen += std::to_string(c->visible * 2 + c->enabled) + ',' + std::to_string(c->left) + ',' +
                std::to_string(c->top) + ',' + shown(*c) + '\n';
    }
    return seen + std::to_string(platform_.messages.size() + platform_.questions.size() + platform_.dialogs.size() +
                                 platform_.recorder.ops().size() + platform_.printer_setups + program_.ended());
  }

  // Names, sizes and times of every file outside the scratch folder that the program may reach.
  static Listing outside_listing() {
    Listing listing;
    for (const fs::path& folder : {folders().cwd, folders().files, folders().saves.parent_path()})
      for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) listing[entry.path().string()] = {entry.file_size(), entry.last_write_time()};
    return listing;
  }

  std::string check() {
    if (!fault_.empty()) return fault_;
    if (const std::string seen = what_the_user_sees(); mentions_non_number(seen)) return "shown:\n" + seen;
    const auto& printed = platform_.recorder.ops();
    for (; printed_ < printed.size(); ++printed_)
      if (mentions_non_number(printed[printed_])) return "printed: " + printed[printed_];
    for (const auto& entry : fs::directory_iterator(folders().saves)) {
      // Histories are databases, not texts.
      const std::string name = entry.path().filename().string();
      if (name.starts_with("history.db") || name.find(".sqlite") != std::string::npos || !entry.is_regular_file())
        continue;
      std::ifstream file(entry.path(), std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(file), {}};
      if (mentions_non_number(text::cp932_to_utf8(bytes).value_or(""))) return "saved: " + entry.path().string();
    }
    if (outside_listing() != outside_) return "a file outside the scratch folder changed";
    auto* sheet = program_.screen_as<Reg_Data>(Screen::Data);
    auto* results = program_.screen_as<Reg_Result>(Screen::Result);
    return (sheet ? check_sheet(*sheet) : "") + check_windows() + check_greyed_buttons() +
           (results ? check_results(*results) : "");
  }

  // A box that shows a value of the state in force shows it, unless the user is typing into it.
  static bool shows(const ui::Text_Box& box, const std::string& in_force) {
    return box.form->focused() == &box || box.text == in_force;
  }

  // Every open window shows the revision in force (the curve, the results, the identifiers, the CV
  // limit, the history), or says that it does not and offers, on itself, what draws it afresh.
  std::string check_windows() {
    const Assay_State& s = program_.state;
    const std::string limit = qc::limit_text(s.Flag_CV_Limit);
    if (auto* models = program_.screen_as<Reg_Model>(Screen::Model);
        models && (models->curves_out_of_date() ? !models->Redraw.reachable() : models->out_of_date()))
      return "a model screen showing a comparison of other standards, fits or choices than those in force";
    if (auto* chart = program_.screen_as<Reg_QC>(Screen::QC_Chart)) {
      if (chart->out_of_date() && !chart->Update.reachable())
        return "a control chart showing the assay's run of other results, without a word";
      if (!program_.qc_history.path.empty() &&
          chart->History_Label.caption.find(qc::shown_history(program_.qc_history.path)) == std::string::npos)
        return "a control chart naming another history than the one in use: " + chart->History_Label.caption;
    }
    if (auto* profile = program_.screen_as<Reg_Profile>(Screen::Profile)) {
      if (profile->out_of_date() && !profile->Update.reachable())
        return "a precision profile of other results, without a word";
      if (!profile->out_of_date() && profile->profile().cv_limit != s.Flag_CV_Limit)
        return "a precision profile drawn with another CV limit than the one in force";
      if (!shows(profile->Limit_Box, limit)) return "the profile's CV limit box shows " + profile->Limit_Box.text;
    }
    if (auto* results = program_.screen_as<Reg_Result>(Screen::Result); results && !shows(results->CV_Box, limit))
      return "the results screen's CV limit box shows " + results->CV_Box.text;
    if (auto* graph = program_.screen_as<Reg_Graph>(Screen::Graph)) return check_graph(*graph);
    return "";
  }

  std::string check_graph(Reg_Graph& graph) {
    const Assay_State& s = program_.state;
    if (s.Plot_Stage == Curve_Stage::Nothing) return "";
    if (!graph.drawing_in_force())
      return graph.marked_out_of_date() && graph.Redraw.reachable()
                 ? ""
                 : "a standard curve drawn from other standards or another range than those in force, without a word";
    if (graph.marked_out_of_date()) return "a standard curve in force put away as out of date";
    for (int b : {0, 1}) {
      const int n = s.STD_Number, value = b == 0 ? s.Fit_From : s.Fit_To;
      if (!shows(graph.Range_Box[b], std::to_string(value >= 1 && value <= n ? value : b == 0 ? 1 : n)))
        return "a range box shows " + graph.Range_Box[b].text + " beside the range in force";
    }
    if (s.Plot_Stage != Curve_Stage::Curves) return "";
    if (graph.Range_Label[0].caption !=
        "FROM ST " + text::signed_text(s.Fit_From) + " TO " + text::signed_text(s.Fit_To))
      return "the curves name another range than the one in force: " + graph.Range_Label[0].caption;
    for (const auto& [index, choice] : graph.Choice)
      if (choice->value != (!model_in_use(s) && index == 2 * s.Weight_Type + (s.Reg_Order == 1 ? 0 : 1)))
        return "the curve screen marks another fit than the one the results use";
    return "";
  }

  // A greyed button says what would enable it, but where the screen shows why all the same: the
  // start-up screen before its buttons appear, the data sheet while it takes a new number of samples.
  std::string check_greyed_buttons() {
    const auto* sheet = program_.screen_as<Reg_Data>(Screen::Data);
    for (const ui::Form* form : program_.desktop.forms()) {
      if (form == program_.screen(Screen::Intro) || (form == sheet && sheet->Change_Mode == 1)) continue;
      for (const auto& c : form->controls())
        if (c->kind == Control_Kind::Command_Button && c->visible && !c->enabled && c->tip.empty())
          return "a greyed button that does not say what would enable it: " + form->caption + " " + c->name +
                 std::to_string(c->index);
    }
    return "";
  }

  std::string check_sheet(Reg_Data& sheet) {
    std::vector<Long> counts;
    for_each_tube(program_.state, sheet.layout(), [&](Long count, long, long) { counts.push_back(count); });
    for (int i = 0; i < Reg_Data::Page_Rows; ++i) {
      const long row = static_cast<long>(Reg_Data::Page_Rows) * sheet.Sheet_Page + i + 1;
      if (i == sheet.Sheet_Row && sheet.Cell_Dirty != 0) continue;
      const std::string expected = row <= static_cast<long>(counts.size()) ? count_text(counts[row - 1]) : "";
      if (sheet.Label1[60 + i].caption != expected)
        return "the sheet shows " + sheet.Label1[60 + i].caption + " for the count " + expected + " of row " +
               std::to_string(row);
    }
    return "";
  }

  std::string check_results(Reg_Result& screen) {
    const int rows = Reg_Result::Page_Rows;
    bool shows_rows = false;
    for (int i = 0; i < rows; ++i) shows_rows |= !screen.Label1[rows + i].caption.empty();
    if (!shows_rows) return "";
    for (Result_Kind kind :
         {Result_Kind::Standard_Data, Result_Kind::Standard_Conc, Result_Kind::Sera, Result_Kind::Sample}) {
      if (table_title(program_.state, kind) != screen.caption) continue;
      if (kind != Result_Kind::Standard_Data &&
          program_.state.Result_Basis(static_cast<std::size_t>(kind)) != basis_digest(program_.state, Basis::Results))
        return "a result table computed from other counts or conditions than those in force";
      const Result_Index index(program_.state, kind);
      const Flag_Limits limits = flag_limits(program_.state);  // the flags of the curve in force
      if (const std::string summary =
              kind == Result_Kind::Standard_Data ? "" : flag_summary(program_.state, kind, limits);
          screen.Flag_Label.caption != summary)
        return "the flags' line shows " + screen.Flag_Label.caption + " for " + summary;
      Row_Cells cells;
      for (int i = 0; i < rows; ++i) {
        row_cells(program_.state, kind, index.row(rows * screen.Result_Page + i + 1), cells, &limits);
        for (int j = 1; j < Reg_Result::Columns; ++j)
          if (screen.Label1[rows * j + i].caption != cells[j])
            return "the result table shows " + screen.Label1[rows * j + i].caption + " for " + cells[j];
      }
      return "";
    }
    return "a result table under the caption " + screen.caption;
  }

  Byte_Source in_;
  Fuzz_Platform platform_;
  Program program_;
  Listing outside_ = outside_listing();
  std::size_t printed_ = 0;
  std::string fault_;
};

}  // namespace

std::string check_screens(std::string_view bytes) {
  // One state for every session, made anew in place: its tables are too large to allocate each time.
  static const std::unique_ptr<Assay_State> state = std::make_unique<Assay_State>();
  std::destroy_at(state.get());
  std::construct_at(state.get());
  // The session works in its own folder; the caller's is restored, so that a fuzzer's paths given
  // relative to it (its corpus, its crashes) still name the same files.
  const fs::path caller = fs::current_path();
  fs::current_path(folders().cwd);
  const std::string fault = Session(bytes, *state).run();
  fs::current_path(caller);
  return fault;
}

}  // namespace quorin::testing
