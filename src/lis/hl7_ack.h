#pragma once
// The acknowledgement (ACK) an LIS returns for a message: its MSA segment, and the texts of its
// MSA-3 and ERR segments, in which an LIS says why it did not accept a message.

#include <string>
#include <string_view>

namespace quorin::lis {

struct HL7_Ack {
  std::string code;        // MSA-1: AA, CA (accepted), AE, AR, CE, CR (not accepted)
  std::string control_id;  // MSA-2: the control ID of the message acknowledged
  std::string text;        // MSA-3 and each ERR's ERR-8 (else ERR-3, else ERR-1), unescaped, " / " between
  std::string problem;     // "" when the bytes are an acknowledgement; else why not
};

// Reads an acknowledgement: segments ended by CR (or LF), beginning with MSH, whose fourth
// character is the field separator.
HL7_Ack read_ack(std::string_view message);

// True for the codes by which an LIS accepts a message.
inline bool accepted(const HL7_Ack& ack) { return ack.code == "AA" || ack.code == "CA"; }

}  // namespace quorin::lis
