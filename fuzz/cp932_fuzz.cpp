// The code page 932 decoder on arbitrary bytes, and the encoder on arbitrary UTF-8.
#include "fuzz/fuzz_main.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return run_input_check("cp932", data, size);
}
