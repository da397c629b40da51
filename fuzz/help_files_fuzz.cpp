// The help.csv and readme.csv readers on arbitrary bytes.
#include "fuzz/fuzz_main.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return run_input_check("help_files", data, size);
}
