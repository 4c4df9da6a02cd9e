// One small picture of the animation for a fixed seed, compared pixel for pixel. It pins the
// order of random draws, the single-precision store points, the pose and the pixel rules at
// once. After an intended change, rewrite it with ZARMOK_UPDATE_GOLDEN=1 and look at the new
// picture (a binary PPM, followed by a digest line of the bugs' reals) before committing it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "fake/headless_saver.h"

namespace zarmok {
namespace {

std::string Ppm(const TRasterCanvas& c) {
  std::string out =
      "P6\n" + std::to_string(c.Width()) + " " + std::to_string(c.Height()) + "\n255\n";
  for (int32_t y = 0; y < c.Height(); ++y) {
    for (int32_t x = 0; x < c.Width(); ++x) {
      const uint32_t p = c.PixelAt(x, y);
      out += static_cast<char>((p >> 16) & 0xFF);
      out += static_cast<char>((p >> 8) & 0xFF);
      out += static_cast<char>(p & 0xFF);
    }
  }
  return out;
}

struct GoldenCase {
  const char* file;
  const char* bugs_type;
};

class GoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenTest, PictureAfterFixedSeedMatches) {
  testing::THeadlessSaver saver({{"BugsType", GetParam().bugs_type}, {"MaxBugs", "5"}}, 20261207,
                                160, 120);
  // A running digest of every live bug's reals after every step: the exact single-precision
  // values, which a picture alone can hide.
  uint64_t digest = 1469598103934665603ull;
  saver.Run(600, [&](int64_t step) {
    if (step == 0) return;
    for (int i = 0; i < 5; ++i) {
      const TBug& b = saver.window->Bugs[i];
      for (float v : {b.X, b.Y, b.Dir, b.V}) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        digest = (digest ^ bits) * 1099511628211ull;
      }
    }
  });
  char digest_text[32];
  std::snprintf(digest_text, sizeof digest_text, "%016llx\n",
                static_cast<unsigned long long>(digest));
  const std::string got = Ppm(saver.Picture()) + "digest " + digest_text;
  const std::string path = std::string(ZARMOK_TEST_DATA_DIR) + "/" + GetParam().file;
  const char* update = std::getenv("ZARMOK_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    std::ofstream(path, std::ios::binary) << got;
    GTEST_SKIP() << "rewrote " << path;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "missing " << path << " (ZARMOK_UPDATE_GOLDEN=1 writes it)";
  const std::string want((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(got.size(), want.size());
  size_t differing = 0;
  for (size_t i = 0; i < got.size(); ++i) differing += got[i] != want[i];
  EXPECT_EQ(differing, 0u) << "bytes differ from " << path;
}

INSTANTIATE_TEST_SUITE_P(BothStyles, GoldenTest,
                         ::testing::Values(GoldenCase{"golden_160x120_type_a.ppm", "0"},
                                           GoldenCase{"golden_160x120_type_b.ppm", "1"}),
                         [](const auto& info) {
                           return std::string(info.param.bugs_type) == "0" ? "TypeA" : "TypeB";
                         });

}  // namespace
}  // namespace zarmok
