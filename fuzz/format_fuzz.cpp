// The format patterns: an arbitrary double (first 8 bytes) under an arbitrary pattern.
#include "fuzz/fuzz_main.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return run_input_check("format", data, size);
}
