#pragma once
// What the program sends to the laboratory information system (LIS): one sample's result, and
// the lab's settings that name the sender, the receiver and where the LIS listens. The lab's
// names have no defaults: what is not given is sent empty.

#include <optional>
#include <string>

namespace quorin::lis {

// The 95 % interval of a value, with the mark of the assumption it rests on ("" for none).
struct LIS_Interval {
  double lower = 0;
  double upper = 0;
  std::string mark;
};

// One sample's result as the LIS receives it.
struct LIS_Result {
  long number = 0;              // the sample's number in the assay, for messages
  std::string id;               // the sample's identifier (never empty in a message)
  std::string substance;        // the substance measured
  std::string assay_no;         // the assay number
  std::string assay_date;       // the assay date as typed ("2026/12/01")
  std::optional<double> value;  // the dilution-corrected value; none when it cannot be read
  std::string no_value_reason;  // why there is none ("使えたチューブがありません")
  std::string unit;
  std::string flags;  // the flags as the program shows them, blank-separated ("> CV 1", "×", "")
  std::optional<LIS_Interval> interval;
};

// Where the LIS listens, and how long to wait for it (connecting, and for each acknowledgement).
struct LIS_Link {
  std::string host;
  int port = 0;
  double timeout_s = 30;
};

// The lab's settings of the messages and the link.
struct LIS_Settings {
  std::string sending_facility;       // MSH-4: the lab sending
  std::string receiving_application;  // MSH-5
  std::string receiving_facility;     // MSH-6
  LIS_Link link;
};

}  // namespace quorin::lis
