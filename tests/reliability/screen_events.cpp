// The screens under random use: the input's bytes become the events of a user at the headless
// program (typing, keys, clicks, scrolling, closing windows, answers to questions and file
// dialogs), each run as the window system runs it, and after each event what the user sees,
// saves and prints is checked against the assay state in force.

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "data/reg_data.h"
#include "graph/reg_graph.h"
#include "reliability/input_checks.h"
#include "results/reg_result.h"
#include "state/basis.h"
#include "state/program.h"
#include "state/reg_intro.h"
#include "support/assay_digest.h"
#include "support/form_driver.h"
#include "text/cp932.h"
#include "ui/scripted_platform.h"

namespace quorin::testing {

namespace {

namespace fs = std::filesystem;
using ui::Control_Kind;

constexpr int Max_Events = 32;

// The size and time of each file of some folders, by path.
using Listing = std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>>;

// Writes UTF-8 text to a file as code page 932 with CR LF line ends.
void write_file(const fs::path& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  const std::string bytes = text::utf8_to_cp932(text).value_or(text);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

// The folders of this process: the files the open dialogs offer and the scratch folder every save
// goes to. Nothing but the saves may change, there or in the working directory.
struct Folders {
  fs::path cwd = fs::current_path(), files, saves;
  std::vector<std::string> offered;  // open-dialog answers besides the saves
  Folders() {
    // In memory where there is such a folder: every save waits for its file to reach the disk.
    const fs::path memory = "/dev/shm";
    const fs::path base = (fs::is_directory(memory) ? memory : fs::temp_directory_path()) /
                          ("screen-events-" + std::to_string(::getpid()));
    files = base / "files", saves = base / "saves";
    for (const fs::path& folder : {files, saves}) fs::create_directories(folder);
    const std::vector<std::string> head = {"検査 花子", "2026/12/06", "", "エストラジオール", "pg/mL", "R-19"};
    auto conditions = [&](std::vector<std::string> numbers) {
      std::vector<std::string> lines = head;
      lines.insert(lines.end(), numbers.begin(), numbers.end());
      lines.resize(33 + 6);
      return lines;
    };
    write_file(files / "assay.crx", conditions({"4", "2", "2", "2", "3", "2", "2.0", "1", "4", "16", "36"}));
    write_file(files / "no_factor.crx", conditions({"2", "1", "1", "1", "2", "1", "", "5", "50"}));
    write_file(files / "too_many.crx", conditions({"4", "2", "2", "11", "3", "2", "2.0", "1", "4", "16", "36"}));
    write_file(files / "counts.txt",
               {"195",  "205",  "20025", "20075", "10120", "10280", "8190", "8210", "5160", "5240", "2210", "2190",
                "1190", "1210", "4200",  "4200",  "3400",  "",      "6600", "6600", "",     "",     "4200", "10300"});
    write_file(files / "flat.txt", {"9000", "9000", "20000", "20000", "500", "500", "600", "600", "700"});
    write_file(files / "letters.txt", {"NSB,TOTAL", "12x"});
    write_file(files / "empty.txt", {});
    for (const auto& entry : fs::directory_iterator(files)) offered.push_back(entry.path().string());
    std::sort(offered.begin(), offered.end());
    offered.push_back((files / "missing.txt").string());
  }
  ~Folders() {
    std::error_code ignored;
    fs::remove_all(files.parent_path(), ignored);
  }
};

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

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
  template <typename T>
  T pick(const std::vector<T>& from) {
    return from[next() % from.size()];
  }
};

// Answers every question and file dialog from the input; a save only ever into the scratch folder.
class Fuzz_Platform : public ui::Scripted_Platform {
 public:
  explicit Fuzz_Platform(Byte_Source& in) : in_(in) {}
  bool ask_yes_no(const std::string& text) override {
    questions.push_back(text);
    return in_.next() % 2 == 1;
  }
  std::string open_file(const ui::File_Dialog& dialog) override {
    log(dialog, false);
    std::vector<std::string> choices = folders().offered;
    for (const auto& entry : fs::directory_iterator(folders().saves)) choices.push_back(entry.path().string());
    const unsigned choice = in_.next() % (choices.size() + 1);
    return choice == 0 ? "" : choices[choice - 1];
  }
  std::string save_file(const ui::File_Dialog& dialog) override {
    log(dialog, true);
    const std::string extension = dialog.default_extension.empty() ? "" : "." + dialog.default_extension;
    const std::vector<std::string> names = {"", "result" + extension, "other" + extension, "no_folder/x" + extension};
    const std::string name = in_.pick(names);
    return name.empty() ? "" : (folders().saves / name).string();
  }

 private:
  void log(const ui::File_Dialog& dialog, bool save) {
    dialogs.push_back(dialog);
    dialog_was_save.push_back(save);
  }
  Byte_Source& in_;
};

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
  return std::string(300 + 40 * (kind - 248), kind % 2 == 0 ? '9' : 'x');
}

constexpr int Page_Up = 33, Page_Down = 34;
const std::vector<int> Keys = {ui::Key_Return, ui::Key_Tab, ui::Key_Up,     ui::Key_Down,   ui::Key_Left, ui::Key_Right,
                               Page_Up,        Page_Down,   ui::Key_Escape, ui::Key_Delete, ui::Key_Back};

class Session {
 public:
  Session(std::string_view bytes, Assay_State& state) : in_{bytes}, platform_(in_), program_(platform_, state) {
    program_.anonymous_scratch_file = true;
    program_.qc_history.path = (folders().saves / "history.db").string();
    outside_ = outside_listing();
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

 private:
  // One event as the window system hands it to the program. An event that may be refused with a
  // message (a key, a typed text, a focus move) must then leave the assay as it was.
  template <typename Action>
  void dispatch(Action&& action, bool refusable = false) {
    const std::string before = refusable ? assay_digest(program_.state) : "";
    const std::size_t messages = platform_.messages.size(), dialogs = platform_.dialogs.size();
    {
      ui::Desktop::Event_Scope scope(program_.desktop);
      action();
    }
    if (std::getenv("QUORIN_SCREEN_TRACE") != nullptr)
      for (std::size_t m = messages; m < platform_.messages.size(); ++m)
        std::fprintf(stderr, "  「%s」\n", platform_.messages[m].c_str());
    if (refusable && fault_.empty() && platform_.messages.size() > messages && platform_.dialogs.size() == dialogs &&
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
    ui::Control* picked = found.empty() ? nullptr : found[in_.next() % found.size()];
    if (picked != nullptr && std::getenv("QUORIN_SCREEN_TRACE") != nullptr &&
        *std::getenv("QUORIN_SCREEN_TRACE") == '2')
      for (std::size_t k = 0; k < found.size(); ++k)
        std::fprintf(stderr, "   %zu %s(%d)\n", k, found[k]->name.c_str(), found[k]->index);
    if (picked != nullptr && std::getenv("QUORIN_SCREEN_TRACE") != nullptr)
      std::fprintf(stderr, "%s: %s(%d) %zu/%zu\n", form.caption.c_str(), picked->name.c_str(), picked->index,
                   std::find(found.begin(), found.end(), picked) - found.begin(), found.size());
    return picked;
  }

  void event() {
    const auto& forms = program_.desktop.forms();
    if (forms.empty()) return;
    const unsigned which = in_.next();
    ui::Form* form = which < 192 ? forms.back() : forms[which % forms.size()];
    if (form != forms.back()) dispatch([&] { program_.desktop.show(*form); });  // the user turns to it
    if (!program_.desktop.is_open(*form)) return;
    switch (in_.next() % 9) {
      case 0: {  // typing into a box, one key at a time
        auto* box = static_cast<ui::Text_Box*>(pick_control(*form, {Control_Kind::Text_Box}));
        if (box == nullptr) return;
        focus(*box);
        for (char c : typed_text(in_)) {
          key(*box, key_code_of(c));
          if (!usable(*box) || form->focused() != box) break;
          if (box->on_key_press) dispatch([&] { box->on_key_press(static_cast<unsigned char>(c)); }, true);
          if (!usable(*box) || box->read_only) break;
          if (box->max_length > 0 && static_cast<int>(box->text.size()) >= box->max_length) continue;
          dispatch(
              [&] {
                box->caret = static_cast<int>(box->text.size()) + 1;
                box->set_text(box->text + c);
              },
              true);
        }
        return;
      }
      case 1: {  // a paste with the mouse
        auto* box = static_cast<ui::Text_Box*>(pick_control(*form, {Control_Kind::Text_Box}));
        if (box == nullptr || box->read_only) return;
        focus(*box);
        if (usable(*box)) dispatch([&, text = typed_text(in_)] { box->set_text(text); }, true);
        return;
      }
      case 2: {  // a key in the focused control
        const int code = in_.pick(Keys);
        ui::Control* control = form->focused();
        if (control == nullptr || !control->reachable()) return;
        key(*control, code);
        // Enter on a focused button presses it.
        if (code == ui::Key_Return && control->kind == Control_Kind::Command_Button && usable(*control) &&
            control->on_click)
          dispatch(control->on_click);
        return;
      }
      case 3: {  // a click
        ui::Control* control = pick_control(*form, {Control_Kind::Command_Button, Control_Kind::Option_Button,
                                                    Control_Kind::Label, Control_Kind::Text_Box});
        if (control == nullptr) return;
        if (control->kind == Control_Kind::Command_Button && !control->on_click) {
          fault_ = "an enabled button without a handler: " + control->name + std::to_string(control->index);
          return;
        }
        if (control->takes_focus()) focus(*control);
        if (!usable(*control)) return;
        if (control->kind == Control_Kind::Command_Button) {
          const std::string before = what_the_user_sees();
          dispatch(control->on_click);
          if (what_the_user_sees() == before)
            fault_ = "a button that does nothing and says nothing: " + control->name + std::to_string(control->index);
        } else if (control->kind == Control_Kind::Option_Button)
          dispatch([&] {
            static_cast<ui::Option_Button*>(control)->select();
            if (control->on_click) control->on_click();
          });
        else if (control->on_click) dispatch(control->on_click);
        return;
      }
      case 4: {  // a double click
        ui::Control* control = pick_control(*form, {Control_Kind::Label, Control_Kind::Text_Box});
        if (control != nullptr && control->on_dbl_click) dispatch(control->on_dbl_click);
        return;
      }
      case 5: {  // the scroll bar dragged or stepped
        auto* bar = static_cast<ui::Scroll_Bar*>(pick_control(*form, {Control_Kind::Scroll_Bar}));
        if (bar == nullptr) return;
        const unsigned how = in_.next();
        const int value = how < 64 ? bar->value() + bar->small_change
                          : how < 128
                              ? bar->value() - bar->large_change
                              : bar->min + static_cast<int>(in_.next() * 256 + in_.next()) % (bar->max - bar->min + 1);
        dispatch([&] { bar->set_value(std::clamp(value, bar->min, bar->max)); });
        return;
      }
      case 6: {  // a mouse press on a picture
        auto* area = static_cast<ui::Picture_Area*>(pick_control(*form, {Control_Kind::Picture_Area}));
        if (area == nullptr || !area->on_mouse_down) return;
        const double x = area->user_x(area->width * (in_.next() / 255.0));
        const double y = area->user_y(area->height * (in_.next() / 255.0));
        const int button = 1 + static_cast<int>(in_.next() % 2);
        dispatch([&] { area->on_mouse_down(button, 0, x, y); });
        return;
      }
      case 7:  // the window's close box
        if (form->on_close_request) dispatch(form->on_close_request);
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

  // Every text, state and position of the open screens, the assay, and what the platform was
  // asked to do: what a button's click must change.
  std::string what_the_user_sees() const {
    std::string seen = assay_digest(program_.state);
    for (const ui::Form* form : program_.desktop.forms()) {
      seen += form->caption + '\n';
      for (const auto& control : form->controls()) {
        seen += std::to_string(control->visible * 2 + control->enabled) + std::to_string(control->left) + ',' +
                std::to_string(control->top);
        if (control->kind == Control_Kind::Label) seen += static_cast<ui::Label&>(*control).caption;
        if (control->kind == Control_Kind::Text_Box) seen += static_cast<ui::Text_Box&>(*control).text;
        if (control->kind == Control_Kind::Command_Button) seen += static_cast<ui::Command_Button&>(*control).caption;
        if (control->kind == Control_Kind::Option_Button)
          seen += std::to_string(static_cast<ui::Option_Button&>(*control).value);
        if (control->kind == Control_Kind::Scroll_Bar)
          seen += std::to_string(static_cast<ui::Scroll_Bar&>(*control).value());
        if (control->kind == Control_Kind::Picture_Area)
          seen += std::to_string(static_cast<ui::Picture_Area&>(*control).version());
        if (control->kind == Control_Kind::Grid) seen += std::to_string(static_cast<ui::Grid&>(*control).version());
      }
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
    for (ui::Form* form : program_.desktop.forms())
      if (std::string fault = check_shown(*form); !fault.empty()) return form->caption + ": " + fault;
    const auto& printed = platform_.recorder.ops();
    for (; printed_ < printed.size(); ++printed_)
      if (mentions_non_number(printed[printed_])) return "printed: " + printed[printed_];
    for (const auto& entry : fs::directory_iterator(folders().saves)) {
      if (entry.path().filename().string().starts_with("history.db") || !entry.is_regular_file()) continue;
      auto& seen = saved_[entry.path().string()];
      if (seen == std::pair{entry.file_size(), entry.last_write_time()}) continue;
      seen = {entry.file_size(), entry.last_write_time()};
      if (mentions_non_number(text::cp932_to_utf8(read_file(entry.path())).value_or("")))
        return "saved: " + entry.path().filename().string();
    }
    if (outside_listing() != outside_) return "a file outside the scratch folder changed";
    if (auto* sheet = program_.screen_as<Reg_Data>(Screen::Data))
      if (std::string fault = check_sheet(*sheet); !fault.empty()) return fault;
    if (auto* graph = program_.screen_as<Reg_Graph>(Screen::Graph);
        graph != nullptr && program_.state.Plot_Stage != 0 && !graph->drawing_in_force())
      return "a standard curve drawn from other standards or another range than those in force";
    if (auto* results = program_.screen_as<Reg_Result>(Screen::Result)) return check_results(*results);
    return "";
  }

  static std::string check_shown(const ui::Form& form) {
    if (mentions_non_number(form.caption)) return "caption";
    for (const auto& control : form.controls()) {
      std::string_view shown;
      switch (control->kind) {
        case Control_Kind::Label: shown = static_cast<ui::Label&>(*control).caption; break;
        case Control_Kind::Text_Box: shown = static_cast<ui::Text_Box&>(*control).text; break;
        case Control_Kind::Command_Button: shown = static_cast<ui::Command_Button&>(*control).caption; break;
        case Control_Kind::Option_Button: shown = static_cast<ui::Option_Button&>(*control).caption; break;
        case Control_Kind::Grid: {
          const auto& grid = static_cast<ui::Grid&>(*control);
          for (int r = 0; r < grid.rows(); ++r)
            for (int c = 0; c < grid.columns(); ++c)
              if (mentions_non_number(grid.cell(r, c))) return "grid cell " + grid.cell(r, c);
          break;
        }
        case Control_Kind::Picture_Area:
          for (const ui::Draw_Op& op : static_cast<ui::Picture_Area&>(*control).ops())
            if (!std::isfinite(op.x1 + op.y1 + op.x2 + op.y2)) return "a drawing at a non-number in " + control->name;
          break;
        default: break;
      }
      if (mentions_non_number(shown)) return control->name + std::to_string(control->index) + " " + std::string(shown);
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
    bool shows_rows = false;
    for (int i = 0; i < Reg_Result::Page_Rows; ++i)
      shows_rows |= !screen.Label1[Reg_Result::Page_Rows + i].caption.empty();
    if (!shows_rows) return "";
    for (Result_Kind kind :
         {Result_Kind::Standard_Data, Result_Kind::Standard_Conc, Result_Kind::Sera, Result_Kind::Sample}) {
      if (table_title(program_.state, kind) != screen.caption) continue;
      if (kind != Result_Kind::Standard_Data &&
          program_.state.Result_Basis(static_cast<std::size_t>(kind)) != basis_digest(program_.state, Basis::Results))
        return "a result table computed from other counts or conditions than those in force";
      const Result_Index index(program_.state, kind);
      Row_Cells cells;
      for (int i = 0; i < Reg_Result::Page_Rows; ++i) {
        row_cells(program_.state, kind, index.row(Reg_Result::Page_Rows * screen.Result_Page + i + 1), cells);
        for (int j = 1; j < Reg_Result::Columns; ++j)
          if (screen.Label1[Reg_Result::Page_Rows * j + i].caption != cells[j])
            return "the result table shows " + screen.Label1[Reg_Result::Page_Rows * j + i].caption + " for " +
                   cells[j];
      }
      return "";
    }
    return "a result table under the caption " + screen.caption;
  }

  Byte_Source in_;
  Fuzz_Platform platform_;
  Program program_;
  Listing outside_, saved_;
  std::size_t printed_ = 0;
  std::string fault_;
};

}  // namespace

std::string check_screens(std::string_view bytes) {
  folders();
  // One state for every session, made anew in place: its tables are too large to allocate each time.
  static const std::unique_ptr<Assay_State> state = std::make_unique<Assay_State>();
  std::destroy_at(state.get());
  std::construct_at(state.get());
  return Session(bytes, *state).run();
}

}  // namespace quorin::testing
