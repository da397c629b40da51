#pragma once
// The results screen's "LIS送信": the samples' results sent to the LIS of the lab's settings
// (lis/lis_settings_file.h), the tables computed first as for every output.

#include <string>

namespace quorin {

class Program;

// Why "LIS送信" has nothing to do now (no settings, or no sample with an identifier), as the
// button's tip; "" when it can send.
std::string lis_send_blocker(const Program& program);

// Asks, then sends with the progress followed, and tells what was sent, what waits and how many
// samples were left out for want of an identifier.
void Result_LIS_Send(Program& program);

}  // namespace quorin
