#include "lis/oru_message.h"

#include <chrono>
#include <cmath>
#include <sstream>
#include <utility>
#include <vector>

#include "lis/hl7_text.h"
#include "qc/qc_run.h"
#include "text/cp932.h"
#include "text/format.h"
#include "text/text_clean.h"

namespace quorin::lis {

namespace {

constexpr const char* Sending_Application = "QUORIN";

using Fields = std::vector<std::pair<int, std::string>>;

// A segment from its fields by number, in rising order; the fields not given stay empty.
std::string segment(const char* name, const Fields& fields) {
  std::string out = name;
  int at = 0;
  for (const auto& [number, value] : fields) {
    out.append(static_cast<std::size_t>(number - at), '|');
    out += value;
    at = number;
  }
  return out + '\r';
}

// A coded element of the program's own (local) code: "<code>^<code>^L".
std::string local_code(const std::string& name) {
  const std::string code = hl7_escaped(name);
  return code + '^' + code + "^L";
}

// A value as HL7's NM type holds it: the digits of the number the CSV export writes (at most 15
// significant), written out in full where that number has an exponent, which NM does not allow.
std::string nm_text(double value) {
  const std::string text = text::Format(value, "");
  const std::size_t e = text.find('e');
  if (e == std::string::npos) return text;
  const bool negative = text[0] == '-';
  std::string digits;
  int point = -1;
  for (std::size_t i = negative ? 1 : 0; i < e; ++i) {
    if (text[i] == '.') point = static_cast<int>(digits.size());
    else digits += text[i];
  }
  if (point < 0) point = static_cast<int>(digits.size());
  point += std::stoi(text.substr(e + 1));
  std::string out = negative ? "-" : "";
  if (point <= 0) return out + "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  if (static_cast<std::size_t>(point) >= digits.size())
    return out + digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
  return out + digits.substr(0, static_cast<std::size_t>(point)) + '.' + digits.substr(static_cast<std::size_t>(point));
}

// The typed assay date as HL7's date "YYYYMMDD", "" when it is not a date of the calendar.
std::string hl7_date(const std::string& typed) {
  const std::string key = qc::date_key(typed);  // "YYYY-MM-DD" when it reads as a date
  // A text that does not read as a date stays as typed, and may look like one ("abcd-ef-gh").
  for (std::size_t i = 0; i < 10; ++i)
    if (key.size() != 10 || (i == 4 || i == 7 ? key[i] != '-' : key[i] < '0' || key[i] > '9')) return "";
  const std::chrono::year_month_day day{std::chrono::year(std::stoi(key.substr(0, 4))),
                                        std::chrono::month(static_cast<unsigned>(std::stoi(key.substr(5, 2)))),
                                        std::chrono::day(static_cast<unsigned>(std::stoi(key.substr(8, 2))))};
  return day.ok() ? key.substr(0, 4) + key.substr(5, 2) + key.substr(8, 2) : "";
}

// The program's flags split into HL7's abnormal flags (OBX-8) and notes for those HL7 has none for.
struct Flag_Parts {
  std::string abnormal;  // "<", ">" or "" (repetitions joined by "~")
  std::vector<std::string> notes;
};

Flag_Parts flag_parts(const std::string& flags) {
  Flag_Parts parts;
  std::istringstream words(flags);
  for (std::string flag; words >> flag;) {
    if (flag == ">" || flag == "<") {
      parts.abnormal += (parts.abnormal.empty() ? "" : "~") + flag;
    } else if (flag == "CV") {
      parts.notes.push_back("CV: 濃度の CV が上限を超えています");
    } else if (flag == "1") {
      parts.notes.push_back("1: 使えたチューブが 1 本だけです");
    } else if (flag == "×") {
      parts.notes.push_back("×: 使えたチューブがありません");
    } else {
      parts.notes.push_back("フラグ " + flag);
    }
  }
  return parts;
}

}  // namespace

std::string sample_label(const LIS_Result& result) {
  return "サンプル " + text::bare_text(result.number) + " (ID " + result.id + ")";
}

std::string hl7_time(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[32];
  return std::string(text, std::strftime(text, sizeof text, "%Y%m%d%H%M%S%z", &local));
}

ORU_Message oru_message(const LIS_Result& r, const LIS_Settings& settings, const std::string& control_id,
                        const std::string& sent_at) {
  if (r.id.empty()) return {"", "サンプル " + text::bare_text(r.number) + " に ID がありません"};
  const std::string substance = text::Text_Clean(r.substance);
  if (substance.empty()) return {"", "測定物質名がありません"};
  const std::string date = hl7_date(r.assay_date);
  if (date.empty()) return {"", "実験日を年月日 (例 2026/12/01) として読めません: " + text::Text_Clean(r.assay_date)};

  const bool has_value = r.value && std::isfinite(*r.value);
  const Flag_Parts flags = flag_parts(r.flags);
  std::vector<std::string> notes;
  if (!has_value) notes.push_back("値なし: " + (r.no_value_reason.empty() ? "値を読めません" : r.no_value_reason));
  notes.insert(notes.end(), flags.notes.begin(), flags.notes.end());
  if (r.interval)
    notes.push_back("95%区間: " + nm_text(r.interval->lower) + "～" + nm_text(r.interval->upper) + " " + r.unit +
                    (r.interval->mark.empty() ? "" : " " + r.interval->mark));

  const std::string id = hl7_escaped(r.id), code = local_code(substance);
  std::string message = "MSH|^~\\&|" + std::string(Sending_Application) + '|' + hl7_escaped(settings.sending_facility) +
                        '|' + hl7_escaped(settings.receiving_application) + '|' +
                        hl7_escaped(settings.receiving_facility) + '|' + sent_at + "||ORU^R01^ORU_R01|" +
                        hl7_escaped(control_id) + "|P|2.5.1||||||UNICODE UTF-8\r";
  message += segment("PID", {{1, "1"}, {3, id}});
  message += segment("OBR", {{1, "1"},
                             {2, id},
                             {3, hl7_escaped(text::Text_Clean(r.assay_no))},
                             {4, code},
                             {7, date},
                             {22, sent_at},
                             {25, "F"}});
  message += segment("OBX", {{1, "1"},
                             {2, has_value ? "NM" : ""},
                             {3, code},
                             {5, has_value ? nm_text(*r.value) : ""},
                             {6, hl7_escaped(text::Text_Clean(r.unit))},
                             {8, flags.abnormal},
                             {11, has_value ? "F" : "X"},
                             {14, date}});
  for (std::size_t n = 0; n < notes.size(); ++n)
    message +=
        segment("NTE", {{1, text::bare_text(static_cast<long long>(n + 1))}, {2, "L"}, {3, hl7_escaped(notes[n])}});
  // Declared UTF-8 in MSH-18: anything else would be refused or garbled by the LIS and stay at the
  // head of the outbox.
  if (!text::valid_utf8(message))
    return {"", "UTF-8 でない文字があります (施設名やアプリケーション名を確かめてください)"};
  return {message, ""};
}

Outgoing_Messages make_messages(const std::vector<LIS_Result>& results, const LIS_Settings& settings, Control_Ids& ids,
                                const std::string& sent_at) {
  Outgoing_Messages made;
  made.messages.reserve(results.size());
  for (const LIS_Result& result : results) {
    Outgoing message{ids.next(), sample_label(result), ""};
    ORU_Message oru = oru_message(result, settings, message.control_id, sent_at);
    if (!oru.problem.empty()) return {{}, result.id.empty() ? oru.problem : message.sample + ": " + oru.problem};
    message.text = std::move(oru.text);
    made.messages.push_back(std::move(message));
  }
  return made;
}

Outgoing_Messages make_messages_now(const std::vector<LIS_Result>& results, const LIS_Settings& settings) {
  Control_Ids ids;
  return make_messages(results, settings, ids, hl7_time(std::time(nullptr)));
}

}  // namespace quorin::lis
