// The count data file reader on arbitrary bytes, stored into a sheet and written back.
#include "fuzz/fuzz_main.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return run_input_check("count_file", data, size);
}
