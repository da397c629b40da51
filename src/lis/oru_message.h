#pragma once
// One sample's result as an HL7 v2.5.1 ORU^R01 message, segments ended by CR:
//   MSH  the program as sending application (MSH-3 "QUORIN"), the lab's sending facility, the
//        receiving application and facility, the time, ORU^R01^ORU_R01, the control ID, P, 2.5.1,
//        MSH-18 "UNICODE UTF-8"
//   PID  PID-3 the sample's identifier
//   OBR  OBR-2 the identifier (the placer's number), OBR-3 the assay number, OBR-4 the substance,
//        OBR-7 the assay date, OBR-22 the time, OBR-25 F
//   OBX  OBX-2 NM, OBX-3 the substance, OBX-5 the dilution-corrected value, OBX-6 the unit, OBX-8
//        ">" or "<" (HL7 table 0078: above or below the measuring range), OBX-11 F, OBX-14 the
//        assay date. A sample without a value has OBX-2 and OBX-5 empty and OBX-11 X (results
//        cannot be obtained), never a 0.
//   NTE  one note each: why there is no value, each flag without an HL7 flag (CV, 1, ×), the 95 %
//        interval.

#include <ctime>
#include <string>
#include <vector>

#include "lis/control_id.h"
#include "lis/lis_result.h"

namespace quorin::lis {

// The sample as messages name it: "サンプル 12 (ID A-0012)".
std::string sample_label(const LIS_Result& result);

// A time as HL7 writes it, local with its zone: "20261201170509+0900".
std::string hl7_time(std::time_t when);

struct ORU_Message {
  std::string text;     // the message, "" when it cannot be made
  std::string problem;  // why it cannot ("実験日を年月日として読めません: ...")
};

// The message of one result, with its control ID and the time `sent_at` (hl7_time). A result
// without an identifier, or whose assay date is not a date, makes none.
ORU_Message oru_message(const LIS_Result& result, const LIS_Settings& settings, const std::string& control_id,
                        const std::string& sent_at);

// A message made to be sent: its control ID and the sample it is about go with it.
struct Outgoing {
  std::string control_id;
  std::string sample;  // sample_label
  std::string text;
};

// The messages of all results, each with the next ID of `ids`, all made at the time `sent_at`.
// When one result makes none, there are none, and `problem` names the sample and says why.
struct Outgoing_Messages {
  std::vector<Outgoing> messages;
  std::string problem;
};
Outgoing_Messages make_messages(const std::vector<LIS_Result>& results, const LIS_Settings& settings, Control_Ids& ids,
                                const std::string& sent_at);

// The messages of all results made now, with a new series of IDs: made once, so that a file and
// an LIS given the same run's messages get the same bytes (IDs and times alike).
Outgoing_Messages make_messages_now(const std::vector<LIS_Result>& results, const LIS_Settings& settings);

}  // namespace quorin::lis
