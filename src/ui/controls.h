#pragma once
// The controls of a screen: plain objects holding the properties the screens use and the event
// slots they react to. Positions and sizes are in twips (1/1440 inch), relative to the form's
// client area or to the container (a Picture_Area) the control lies in. The Qt layer renders
// them; tests read and drive them directly.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quorin::ui {

struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Colour&, const Colour&) = default;
};
inline constexpr Colour Black{0, 0, 0};
inline constexpr Colour White{255, 255, 255};
inline constexpr Colour Light_Grey{192, 192, 192};
inline constexpr Colour Yellow{255, 255, 0};
inline constexpr Colour Green{0, 255, 0};
inline constexpr Colour Red{255, 0, 0};
inline constexpr Colour Blue{0, 0, 255};
inline constexpr Colour Dark_Blue{0, 0, 192};
inline constexpr Colour Button_Face{240, 240, 240};

// Virtual key codes passed to key-down slots.
enum Key : int {
  Key_Back = 8,
  Key_Tab = 9,
  Key_Return = 13,
  Key_Shift = 16,
  Key_Escape = 27,
  Key_Left = 37,
  Key_Up = 38,
  Key_Right = 39,
  Key_Down = 40,
  Key_Delete = 46
};

enum class Align { Left, Right, Center };
enum class Control_Kind {
  Label,
  Text_Box,
  Command_Button,
  Option_Button,
  Scroll_Bar,
  Picture_Area,
  Line_Element,
  Grid,
  Timer
};

class Form;
class Picture_Area;

class Control {
 public:
  Control(Control_Kind kind, std::string name, int index) : kind(kind), name(std::move(name)), index(index) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const Control_Kind kind;
  const std::string name;  // the array name the screen uses, e.g. "info", "Command"
  const int index;         // index within its array, -1 for a single control
  Form* form = nullptr;
  Picture_Area* container = nullptr;

  int left = 0, top = 0, width = 0, height = 0;
  bool visible = true;
  bool enabled = true;
  double font_size = 9;
  Colour fore_colour = Black;
  // Shown when the pointer rests on the control, also while it is disabled: what would enable a
  // greyed button.
  std::string tip;

  void move(int new_left, int new_top, int new_width, int new_height) {
    left = new_left;
    top = new_top;
    width = new_width;
    height = new_height;
  }
  // True for the kinds that can hold the keyboard focus.
  bool takes_focus() const {
    return kind == Control_Kind::Text_Box || kind == Control_Kind::Command_Button ||
           kind == Control_Kind::Option_Button;
  }
  // Visible and enabled here and in every container above.
  bool reachable() const;

  std::function<void()> on_click;
  std::function<void()> on_dbl_click;
  std::function<void()> on_got_focus;
  std::function<void()> on_lost_focus;
  // Before the key reaches the control (a typed character is not yet in the text).
  std::function<void(int key_code, int shift)> on_key_down;
  // A typed character (after key-down, before it is entered).
  std::function<void(int character)> on_key_press;
};

class Label : public Control {
 public:
  Label(std::string name, int index) : Control(Control_Kind::Label, std::move(name), index) {}
  std::string caption;
  Align alignment = Align::Left;
  bool border = false;
  bool opaque = false;  // paints back_colour behind the text
  Colour back_colour = White;
};

class Text_Box : public Control {
 public:
  Text_Box(std::string name, int index) : Control(Control_Kind::Text_Box, std::move(name), index) {}
  std::string text;
  int max_length = 0;  // in characters, 0 = no limit
  Align alignment = Align::Left;
  bool multi_line = false;
  bool vertical_scroll = false;
  bool read_only = false;
  int caret = 0;  // caret position in characters
  std::function<void()> on_change;
  // Replaces the text as the user's typing would, firing the change slot.
  void set_text(std::string value);
};

class Command_Button : public Control {
 public:
  Command_Button(std::string name, int index) : Control(Control_Kind::Command_Button, std::move(name), index) {}
  std::string caption;
};

// Option buttons in the same container and with the same array name form one group.
class Option_Button : public Control {
 public:
  Option_Button(std::string name, int index) : Control(Control_Kind::Option_Button, std::move(name), index) {}
  std::string caption;
  bool value = false;
  // Selects this button and clears the others of its group (no click slot is fired).
  void select();
};

class Scroll_Bar : public Control {
 public:
  Scroll_Bar(std::string name, int index, bool vertical)
      : Control(Control_Kind::Scroll_Bar, std::move(name), index), vertical(vertical) {}
  const bool vertical;
  int min = 0, max = 32767, small_change = 1, large_change = 1;
  int value() const { return value_; }
  // Setting the value (clamped to min..max) fires the change slot when it changes, as a user's
  // scrolling does.
  void set_value(int new_value);
  // A new range; a value outside it is brought inside, firing the change slot.
  void set_range(int new_min, int new_max);
  std::function<void()> on_change;

 private:
  int value_ = 0;
};

enum class Draw_Style { Solid = 0, Dashed = 1, Dotted = 2 };

// One drawing operation of a picture area, in the area's user coordinates.
struct Draw_Op {
  enum class Type { Line, Circle, Point };
  Type type = Type::Line;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // circle: centre x1, y1 and radius x2
  Colour colour = Black;
  Draw_Style style = Draw_Style::Solid;
  friend bool operator==(const Draw_Op&, const Draw_Op&) = default;
};

// A picture area keeps what is drawn on it as a display list in its user coordinate system
// (left, top, width, height; by default its own twips). It can also contain other controls.
class Picture_Area : public Control {
 public:
  Picture_Area(std::string name, int index) : Control(Control_Kind::Picture_Area, std::move(name), index) {}
  Colour back_colour = White;
  bool border = true;
  double scale_left = 0, scale_top = 0, scale_width = 0, scale_height = 0;  // 0 width: twips
  Draw_Style draw_style = Draw_Style::Solid;

  void clear() {
    ops_.clear();
    ++version_;
  }
  void scale(double new_left, double new_top, double new_width, double new_height) {
    scale_left = new_left;
    scale_top = new_top;
    scale_width = new_width;
    scale_height = new_height;
    ++version_;
  }
  void line(double x1, double y1, double x2, double y2, Colour colour);
  void circle(double x, double y, double radius, Colour colour);
  // The mark of a point: a circle drawn whole inside the area, clear of its border; a point
  // beyond an edge (or too near it) stands against that edge.
  void circle_inside(double x, double y, double radius, Colour colour);
  void point(double x, double y, Colour colour);
  // A line from the last point drawn (as a pen moving on) to (x, y).
  void line_to(double x, double y, Colour colour) { line(pen_x_, pen_y_, x, y, colour); }

  const std::vector<Draw_Op>& ops() const { return ops_; }
  // Grows with every change of the drawing, so a renderer knows when to repaint.
  unsigned version() const { return version_; }
  // Twips within the area to user coordinates.
  double user_x(double twips_x) const;
  double user_y(double twips_y) const;

  // Mouse press at user coordinates (button 1 left, 2 right).
  std::function<void(int button, int shift, double x, double y)> on_mouse_down;

 private:
  std::vector<Draw_Op> ops_;
  double pen_x_ = 0, pen_y_ = 0;
  unsigned version_ = 0;
};

// A straight line drawn over its container, in the container's user coordinates.
class Line_Element : public Control {
 public:
  Line_Element(std::string name, int index) : Control(Control_Kind::Line_Element, std::move(name), index) {}
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  Colour colour = Black;
  void set(double new_x1, double new_y1, double new_x2, double new_y2) {
    x1 = new_x1;
    y1 = new_y1;
    x2 = new_x2;
    y2 = new_y2;
  }
};

// A table of texts: row 0 and column 0 are headings. Column widths in twips.
class Grid : public Control {
 public:
  Grid(std::string name, int index) : Control(Control_Kind::Grid, std::move(name), index) {}
  void resize(int rows, int columns);
  int rows() const { return rows_; }
  int columns() const { return columns_; }
  const std::string& cell(int row, int column) const { return cells_.at(row * columns_ + column); }
  void set_cell(int row, int column, std::string text);
  int column_width(int column) const { return widths_.at(column); }
  void set_column_width(int column, int twips);
  unsigned version() const { return version_; }

 private:
  int rows_ = 0, columns_ = 0;
  std::vector<std::string> cells_;
  std::vector<int> widths_;
  unsigned version_ = 0;
};

class Timer : public Control {
 public:
  Timer(std::string name, int index) : Control(Control_Kind::Timer, std::move(name), index) { visible = false; }
  int interval_ms = 0;
  std::function<void()> on_timer;
};

}  // namespace quorin::ui
