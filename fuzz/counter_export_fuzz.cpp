// The reader of a counter's own export on arbitrary bytes, its rows written again and read back.
#include "fuzz/fuzz_main.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return run_input_check("counter_export", data, size);
}
