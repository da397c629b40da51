// The leading-number reader and the whole-number conversions on arbitrary text.
#include "fuzz/fuzz_main.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return run_input_check("leading_number", data, size);
}
