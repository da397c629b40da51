#include "batch/lis_tools.h"

#include <ostream>

#include "batch/batch_options.h"
#include "lis/lis_send.h"

namespace quorin::batch {

int run_lis_sync(const lis::LIS_Link& link, std::ostream& errors) {
  const lis::Delivery_Report report = lis::send_waiting(link);
  for (const std::string& line : report.lines) errors << line << '\n';
  return report.failed ? Exit_Failed : report.waiting > 0 ? Exit_LIS_Waiting : Exit_Done;
}

}  // namespace quorin::batch
