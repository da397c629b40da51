#pragma once
// What a fuzz target does with each input: runs the check of tests/reliability/input_checks.h
// of the target's name and aborts, so that libFuzzer keeps the input, when it finds a fault.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "reliability/input_checks.h"

inline int run_input_check(const char* target, const std::uint8_t* data, std::size_t size) {
  const quorin::testing::Input_Check check = quorin::testing::input_check(target);
  if (check == nullptr) {
    std::fprintf(stderr, "no check named %s\n", target);
    std::abort();
  }
  const std::string fault = check(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!fault.empty()) {
    std::fprintf(stderr, "%s: %s\n", target, fault.c_str());
    std::abort();
  }
  return 0;
}
