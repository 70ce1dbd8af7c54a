#include "engine/glow_texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

using namespace oru::engine;

namespace {

constexpr int textureSide = 128;

// The falloff levels at distances 0.5, 1.5, ..., 31.5.
const int profileLevels[32] = {252, 249, 244, 238, 231, 223, 214, 203, 192, 181, 168,
                               155, 140, 126, 112, 98,  86,  74,  64,  54,  46,  38,
                               31,  25,  19,  14,  10,  6,   4,   2,   0,   0};

// Reference falloff: find the two profile points around the distance and
// interpolate between them.
double referenceLevel(double distance) {
  if (distance <= 0.5) return profileLevels[0];
  if (distance >= 31.5) return profileLevels[31];
  for (int i = 0; i < 31; ++i) {
    const double lo = i + 0.5;
    const double hi = i + 1.5;
    if (distance <= hi) {
      return profileLevels[i] +
             (profileLevels[i + 1] - profileLevels[i]) * (distance - lo) / (hi - lo);
    }
  }
  return 0;
}

int radialLevel(double cx, double cy, int column, int row) {
  return static_cast<int>(std::floor(referenceLevel(std::hypot(column - cx, row - cy)) + 0.5));
}

int texel(const std::vector<unsigned char>& texture, int column, int row) {
  return texture[row * textureSide + column];
}

class GlowTextureTest : public ::testing::Test {
 protected:
  std::vector<unsigned char> texture = makeGlowTexture();
};

TEST(LineProfile, HoldsTheFalloffLevels) {
  ASSERT_EQ(glowTextureSize, textureSide);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(lineProfile[i], profileLevels[i]) << i;
}

TEST(ProfileLevel, ExactAtTheProfilePoints) {
  EXPECT_FLOAT_EQ(profileLevel(0.5), 252.0f);
  EXPECT_FLOAT_EQ(profileLevel(1.5), 249.0f);
  EXPECT_FLOAT_EQ(profileLevel(13.5), 126.0f);
  EXPECT_FLOAT_EQ(profileLevel(29.5), 2.0f);
  EXPECT_FLOAT_EQ(profileLevel(30.5), 0.0f);
}

TEST(ProfileLevel, InterpolatesLinearlyBetweenPoints) {
  EXPECT_FLOAT_EQ(profileLevel(1.0), 250.5f);
  EXPECT_FLOAT_EQ(profileLevel(2.0), 246.5f);
  EXPECT_FLOAT_EQ(profileLevel(15.75), 95.0f);  // 98 - 12 * 0.25
  EXPECT_FLOAT_EQ(profileLevel(29.0), 3.0f);
}

TEST(ProfileLevel, ClampedOutsideTheProfile) {
  EXPECT_FLOAT_EQ(profileLevel(0.0), 252.0f);
  EXPECT_FLOAT_EQ(profileLevel(0.25), 252.0f);
  EXPECT_FLOAT_EQ(profileLevel(31.5), 0.0f);
  EXPECT_FLOAT_EQ(profileLevel(45.0), 0.0f);
}

TEST_F(GlowTextureTest, HasOneByteForEveryTexel) {
  EXPECT_EQ(texture.size(), static_cast<size_t>(textureSide * textureSide));
}

TEST_F(GlowTextureTest, StraightRowsAreTheMirroredProfile) {
  const int expected[64] = {0,   0,   2,   4,   6,   10,  14,  19,  25,  31,  38,  46,  54,
                            64,  74,  86,  98,  112, 126, 140, 155, 168, 181, 192, 203, 214,
                            223, 231, 238, 244, 249, 252, 252, 249, 244, 238, 231, 223, 214,
                            203, 192, 181, 168, 155, 140, 126, 112, 98,  86,  74,  64,  54,
                            46,  38,  31,  25,  19,  14,  10,  6,   4,   2,   0,   0};
  for (int row = 31; row <= 110; ++row) {
    for (int column = 0; column < 64; ++column) {
      ASSERT_EQ(texel(texture, column, row), expected[column])
          << "column " << column << " row " << row;
    }
  }
}

TEST_F(GlowTextureTest, ClosingRowIsAFaintEdge) {
  for (int column = 0; column < 64; ++column) {
    const int expected = (column >= 2 && column <= 61) ? 2 : 0;
    EXPECT_EQ(texel(texture, column, 111), expected) << "column " << column;
  }
}

TEST_F(GlowTextureTest, EmptyRegionsAreZero) {
  for (int row = 112; row < textureSide; ++row) {
    for (int column = 0; column < 64; ++column) {
      ASSERT_EQ(texel(texture, column, row), 0) << "column " << column << " row " << row;
    }
  }
  for (int row = 64; row < textureSide; ++row) {
    for (int column = 64; column < textureSide; ++column) {
      ASSERT_EQ(texel(texture, column, row), 0) << "column " << column << " row " << row;
    }
  }
}

TEST_F(GlowTextureTest, RoundedEndIsUpperHalfOfASpotOnTheStrip) {
  int worst = 0;
  for (int row = 0; row <= 30; ++row) {
    for (int column = 0; column < 64; ++column) {
      const int expected = radialLevel(31.5, 31.5, column, row);
      const int deviation = std::abs(texel(texture, column, row) - expected);
      worst = std::max(worst, deviation);
      EXPECT_LE(deviation, 2) << "column " << column << " row " << row;
    }
  }
  RecordProperty("max_deviation", worst);
  // The corners lie beyond the glow; the texels nearest its centre are bright.
  EXPECT_EQ(texel(texture, 0, 0), 0);
  EXPECT_EQ(texel(texture, 63, 0), 0);
  EXPECT_GE(texel(texture, 31, 30), 240);
  EXPECT_GE(texel(texture, 32, 30), 240);
}

TEST_F(GlowTextureTest, PointSpotIsCentredOnTexel96And31) {
  int worst = 0;
  for (int row = 0; row < 64; ++row) {
    for (int column = 64; column < textureSide; ++column) {
      if (column == 96 && row == 31) continue;
      const int expected = radialLevel(96, 31, column, row);
      const int deviation = std::abs(texel(texture, column, row) - expected);
      worst = std::max(worst, deviation);
      EXPECT_LE(deviation, 4) << "column " << column << " row " << row;
    }
  }
  RecordProperty("max_deviation", worst);
  EXPECT_EQ(texel(texture, 96, 31), 254);
  // The spot stays inside its quadrant: nothing beyond its edges.
  EXPECT_EQ(texel(texture, 64, 31), 0);
  EXPECT_EQ(texel(texture, 96, 63), 0);
}

}  // namespace
