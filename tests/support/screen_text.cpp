#include "support/screen_text.h"

#include "support/test_support.h"

namespace quorin::testing {

namespace {

std::string number(double value) { return figures(value, 6); }

std::string op_text(const ui::Draw_Op& op) {
  static const char* const types[] = {"line", "circle", "point"};
  const ui::Colour c = op.colour;
  return std::string(types[static_cast<int>(op.type)]) + " " + number(op.x1) + "," + number(op.y1) + " " +
         number(op.x2) + "," + number(op.y2) + " rgb " + std::to_string(c.r) + "," + std::to_string(c.g) + "," +
         std::to_string(c.b) + (op.style == ui::Draw_Style::Solid ? "" : " style " + std::to_string(int(op.style)));
}

// Runs of more than eight operations of one kind as their count, first, middle and last; an
// operation of no kind ("") is alike no other.
void shortened(std::string& out, const std::vector<std::string>& ops, std::string (*kind)(const std::string&)) {
  for (std::size_t first = 0, end; first < ops.size(); first = end) {
    const std::string first_kind = kind(ops[first]);
    for (end = first + 1; end < ops.size() && !first_kind.empty() && kind(ops[end]) == first_kind;) ++end;
    if (end - first <= 8) {
      for (std::size_t k = first; k < end; ++k) out += "  " + ops[k] + "\n";
    } else {
      out += "  " + std::to_string(end - first) + " alike: " + ops[first] + "\n  ... " + ops[(first + end) / 2] +
             "\n  ... " + ops[end - 1] + "\n";
    }
  }
}

void picture_text(std::string& out, const ui::Picture_Area& picture) {
  out += " scale " + number(picture.scale_left) + "," + number(picture.scale_top) + " " + number(picture.scale_width) +
         "," + number(picture.scale_height) + "\n";
  std::vector<std::string> ops;
  for (const ui::Draw_Op& op : picture.ops()) ops.push_back(op_text(op));
  // Alike: of one type, colour and style.
  shortened(out, ops, [](const std::string& op) { return op.substr(0, op.find(' ')) + op.substr(op.find(" rgb")); });
}

}  // namespace

std::string ops_text(const std::vector<std::string>& ops) {
  std::string out;
  shortened(out, ops, [](const std::string& op) {
    const std::string kind = op.substr(0, op.find(' '));
    return kind == "text" ? std::string() : kind;
  });
  return out;
}

std::string screen_text(const ui::Form& form) {
  std::string out = "caption " + form.caption + "\n";
  for (const auto& owned : form.controls()) {
    const ui::Control& c = *owned;
    bool shown = c.visible;
    for (const ui::Control* up = c.container; up != nullptr && shown; up = up->container) shown = up->visible;
    if (!shown) continue;
    std::string line = c.name + (c.index >= 0 ? "[" + std::to_string(c.index) + "]" : "");
    std::string text;
    if (const auto* label = dynamic_cast<const ui::Label*>(&c)) text = label->caption;
    if (const auto* box = dynamic_cast<const ui::Text_Box*>(&c)) text = box->text;
    if (const auto* button = dynamic_cast<const ui::Command_Button*>(&c)) text = button->caption;
    if (const auto* option = dynamic_cast<const ui::Option_Button*>(&c))
      text = option->caption + (option->value ? " (chosen)" : "");
    if (const auto* bar = dynamic_cast<const ui::Scroll_Bar*>(&c))
      text = std::to_string(bar->value()) + " of " + std::to_string(bar->min) + ".." + std::to_string(bar->max);
    if (text.empty() && c.enabled && (c.kind == ui::Control_Kind::Label || c.kind == ui::Control_Kind::Line_Element))
      continue;
    out += line + " " + text + (c.enabled ? "" : " (disabled)") + "\n";
    if (const auto* grid = dynamic_cast<const ui::Grid*>(&c)) {
      // A long table by its headings and every 25th row: 1, 26, 51...
      for (int r = 0; r < grid->rows(); ++r) {
        if (grid->rows() > 8 && r > 1 && r % 25 != 1) continue;
        out += " ";
        for (int col = 0; col < grid->columns(); ++col) out += grid->cell(r, col) + "|";
        out += "\n";
      }
    }
    if (const auto* picture = dynamic_cast<const ui::Picture_Area*>(&c)) picture_text(out, *picture);
  }
  return out;
}

}  // namespace quorin::testing
