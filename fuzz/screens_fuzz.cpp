// The screens driven by a user's events made of arbitrary bytes.
#include "fuzz/fuzz_main.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return run_input_check("screens", data, size);
}
