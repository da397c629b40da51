#include "lis/hl7_ack.h"

#include <vector>

#include "lis/hl7_text.h"

namespace quorin::lis {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

// Field n of a segment split at its separator (field 0 is the segment's name).
std::string_view field(const std::vector<std::string_view>& fields, std::size_t n) {
  return n < fields.size() ? fields[n] : std::string_view();
}

// A coded field as a person reads it: its components joined by blanks.
std::string readable(std::string_view coded, char component) {
  std::string out;
  for (const std::string_view part : split(coded, component))
    if (!part.empty()) out += (out.empty() ? "" : " ") + hl7_unescaped(part);
  return out;
}

}  // namespace

HL7_Ack read_ack(std::string_view message) {
  HL7_Ack ack;
  if (message.size() < 8 || message.substr(0, 3) != "MSH") {
    ack.problem = "HL7 のメッセージではありません";
    return ack;
  }
  const char separator = message[3], component = message[4];
  bool has_msa = false;
  std::vector<std::string> texts;
  for (std::string_view line : split(message, '\r')) {
    for (std::string_view segment : split(line, '\n')) {
      const std::vector<std::string_view> fields = split(segment, separator);
      if (fields[0] == "MSA" && !has_msa) {
        has_msa = true;
        ack.code = readable(field(fields, 1), component);
        ack.control_id = hl7_unescaped(field(fields, 2));
        if (const std::string text = hl7_unescaped(field(fields, 3)); !text.empty()) texts.push_back(text);
      } else if (fields[0] == "ERR") {
        std::string text = hl7_unescaped(field(fields, 8));
        if (text.empty()) text = readable(field(fields, 3), component);
        if (text.empty()) text = readable(field(fields, 1), component);
        if (!text.empty()) texts.push_back(text);
      }
    }
  }
  if (!has_msa) ack.problem = "MSA セグメントがありません";
  for (const std::string& text : texts) ack.text += (ack.text.empty() ? "" : " / ") + text;
  return ack;
}

}  // namespace quorin::lis
