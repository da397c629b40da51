// The hash of the audit trail's chain: the examples of FIPS 180-4 (one block, two blocks, a
// million bytes), and every length around the block and padding boundaries against sha256sum.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "qc/sha256.h"
#include "support/test_support.h"

namespace quorin::qc {
namespace {

TEST(SHA_256, FipsExamplesAndSha256sumAtEveryBoundary) {
  const struct {
    std::string message;
    const char* digest;
  } examples[] = {
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& example : examples) EXPECT_EQ(sha256_hex(example.message), example.digest) << example.message.size();

  // Random bytes of every length from 0 to 130 (the padding takes one block or two) and a few longer.
  testing::Scratch_Folder folder;
  std::mt19937 random(36);
  for (std::size_t length = 0; length <= 200; length += length < 130 ? 1 : 23) {
    std::string bytes(length, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    testing::write_bytes(folder.file("m"), bytes);
    FILE* tool = popen(("sha256sum " + folder.file("m")).c_str(), "r");
    ASSERT_NE(tool, nullptr);
    char digest[65] = {};
    ASSERT_EQ(std::fread(digest, 1, 64, tool), 64u);
    pclose(tool);
    EXPECT_EQ(sha256_hex(bytes), digest) << length;
  }
}

}  // namespace
}  // namespace quorin::qc
