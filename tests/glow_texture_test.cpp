// The glow texture checked by what its shape must be, not by a copy of its
// levels: the straight rows are the falloff curve mirrored about the strip's
// centre line, the two round parts fall off evenly in every direction, and
// everything outside the shapes is dark.
#include "engine/glow_texture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

using namespace oru::engine;

namespace {

constexpr int side = glowTextureSize;
constexpr int half = side / 2;

// A block of texels: columns [left, right), rows [top, bottom).
struct Region {
  int left, right, top, bottom;
};

class GlowTextureTest : public ::testing::Test {
 protected:
  int at(int column, int row) const { return texture[row * side + column]; }

  // The first texel of region not at level, or success.
  ::testing::AssertionResult holdsOnly(const Region& region, int level) const {
    for (int row = region.top; row < region.bottom; ++row)
      for (int column = region.left; column < region.right; ++column)
        if (at(column, row) != level)
          return ::testing::AssertionFailure()
                 << "texel (" << column << ", " << row << ") holds " << at(column, row);
    return ::testing::AssertionSuccess();
  }

  // Whether region is a round glow centred on (centreX2 / 2, centreY2 / 2)
  // (given doubled, so that a centre between texels is exact): texels at one
  // distance from the centre hold one level, the level never rises with the
  // distance, and each texel lies within bound of the falloff curve's level
  // at its distance, rounded.
  ::testing::AssertionResult isRoundGlow(const Region& region, int centreX2, int centreY2,
                                         int bound) const {
    // Levels by the square of the doubled distance, which is a whole number.
    std::map<int, int> levelAt;
    for (int row = region.top; row < region.bottom; ++row) {
      for (int column = region.left; column < region.right; ++column) {
        const int dx2 = 2 * column - centreX2, dy2 = 2 * row - centreY2;
        const int level = at(column, row);
        const auto [known, added] = levelAt.emplace(dx2 * dx2 + dy2 * dy2, level);
        if (!added && known->second != level)
          return ::testing::AssertionFailure()
                 << "texel (" << column << ", " << row << ") holds " << level
                 << ", another at its distance " << known->second;
        const int curve = static_cast<int>(std::lround(profileLevel(std::hypot(dx2, dy2) / 2)));
        if (std::abs(level - curve) > bound)
          return ::testing::AssertionFailure() << "texel (" << column << ", " << row << ") holds "
                                               << level << ", the curve " << curve;
      }
    }
    int previous = 255;
    for (const auto& [distance2, level] : levelAt) {
      if (level > previous)
        return ::testing::AssertionFailure()
               << "the level rises to " << level << " at distance " << std::sqrt(distance2) / 2;
      previous = level;
    }
    return ::testing::AssertionSuccess();
  }

  const std::vector<unsigned char> texture = makeGlowTexture();
};

TEST(LineProfile, FallsFromItsPeakToNothing) {
  EXPECT_EQ(lineProfile.front(), 252);
  EXPECT_EQ(lineProfile.back(), 0);
  for (size_t i = 1; i < lineProfile.size(); ++i)
    EXPECT_LE(lineProfile[i], lineProfile[i - 1]) << "at point " << i;
}

TEST(ProfileLevel, FollowsTheProfileLinearlyBetweenItsPointsAndClampsOutside) {
  const int points = static_cast<int>(lineProfile.size());
  for (int i = 0; i < points; ++i) {
    // The points lie at the distances 0.5, 1.5, ...
    EXPECT_FLOAT_EQ(profileLevel(i + 0.5), lineProfile[i]) << "at point " << i;
    if (i + 1 == points) break;
    const float near = lineProfile[i], far = lineProfile[i + 1];
    EXPECT_FLOAT_EQ(profileLevel(i + 1.0), (near + far) / 2) << "after point " << i;
    EXPECT_FLOAT_EQ(profileLevel(i + 0.75), near + (far - near) / 4) << "after point " << i;
  }
  for (double inside : {-1.0, 0.0, 0.25}) EXPECT_FLOAT_EQ(profileLevel(inside), lineProfile[0]);
  for (double outside : {31.5, 32.0, 45.0, 1e9}) EXPECT_FLOAT_EQ(profileLevel(outside), 0);
}

TEST_F(GlowTextureTest, StraightRowsAreOneRowTheProfileMirroredAboutTheCentreLine) {
  ASSERT_EQ(texture.size(), static_cast<size_t>(side * side));
  for (int row = 32; row <= 110; ++row)
    for (int column = 0; column < half; ++column)
      ASSERT_EQ(at(column, row), at(column, 31)) << "column " << column << " row " << row;
  for (int i = 0; i < half / 2; ++i) {
    // Outward from the centre line, between columns 31 and 32, on both sides.
    EXPECT_EQ(at(half / 2 + i, 31), lineProfile[i]) << "column " << half / 2 + i;
    EXPECT_EQ(at(half / 2 - 1 - i, 31), lineProfile[i]) << "column " << half / 2 - 1 - i;
  }
}

TEST_F(GlowTextureTest, ClosingRowAndEmptyRegionsHoldExactlyTheirLevels) {
  EXPECT_TRUE(holdsOnly({2, 62, 111, 112}, 2));
  EXPECT_TRUE(holdsOnly({0, 2, 111, 112}, 0));
  EXPECT_TRUE(holdsOnly({62, half, 111, 112}, 0));
  EXPECT_TRUE(holdsOnly({0, half, 112, side}, 0));
  EXPECT_TRUE(holdsOnly({half, side, half, side}, 0));
  // The strip is dark along its outer columns and its top row, and the spot
  // along every edge of its square, so that filtering never blends one shape
  // into the other.
  EXPECT_TRUE(holdsOnly({0, 1, 0, side}, 0));
  EXPECT_TRUE(holdsOnly({half - 1, half, 0, side}, 0));
  EXPECT_TRUE(holdsOnly({0, half, 0, 1}, 0));
  EXPECT_TRUE(holdsOnly({half, side, 0, 1}, 0));
  EXPECT_TRUE(holdsOnly({half, side, half - 1, half}, 0));
  EXPECT_TRUE(holdsOnly({half, half + 1, 0, half}, 0));
  EXPECT_TRUE(holdsOnly({side - 1, side, 0, half}, 0));
}

TEST_F(GlowTextureTest, RoundedEndIsTheUpperHalfOfARoundGlowOnTheCentreLine) {
  EXPECT_TRUE(isRoundGlow({0, half, 0, 31}, 63, 63, 2));
  // Where it meets the straight part, it is nowhere brighter than the strip.
  for (int column = 0; column < half; ++column)
    EXPECT_LE(at(column, 30), at(column, 31)) << "column " << column;
}

TEST_F(GlowTextureTest, PointSpotIsARoundGlowOnTexel96And31WithABrighterCentre) {
  EXPECT_TRUE(isRoundGlow({half, side, 0, half}, 192, 62, 4));
  EXPECT_EQ(at(96, 31), 254);
}

}  // namespace
