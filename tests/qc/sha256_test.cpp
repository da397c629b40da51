// The hash of the audit trail's chain against sha256sum at every length around the block and
// padding boundaries, and FIPS 180-4's example of a million bytes.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "batch/batch_fixture.h"
#include "qc/sha256.h"

namespace quorin::qc {
namespace {

TEST(SHA_256, FipsExamplesAndSha256sumAtEveryBoundary) {
  // FIPS 180-4's long example: a million bytes, many blocks.
  EXPECT_EQ(sha256_hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");

  // Random bytes of every length from 0 to 130 (the padding takes one block or two) and a few longer.
  testing::Scratch_Folder folder;
  std::mt19937 random(36);
  for (std::size_t length = 0; length <= 200; length += length < 130 ? 1 : 23) {
    std::string bytes(length, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    testing::write_bytes(folder.file("m"), bytes);
    EXPECT_EQ(sha256_hex(bytes), testing::piped("sha256sum " + folder.file("m")).substr(0, 64)) << length;
  }
}

}  // namespace
}  // namespace quorin::qc
