#include "engine/image_scaling.h"

#include <gtest/gtest.h>

using namespace oru::engine;

namespace {

// A picture of one colour.
RgbaImage filled(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
  RgbaImage image;
  image.resize(width, height);
  for (size_t i = 0; i < image.pixels.size(); i += 4) {
    image.pixels[i] = red;
    image.pixels[i + 1] = green;
    image.pixels[i + 2] = blue;
    image.pixels[i + 3] = 0;
  }
  return image;
}

}  // namespace

TEST(ClipSize, FramesWiderThan640AreScaledDownKeepingTheirAspect) {
  EXPECT_EQ(clipSize(640, 480).width, 640);
  EXPECT_EQ(clipSize(320, 900).height, 900);
  EXPECT_EQ(clipSize(1280, 720).width, 640);
  EXPECT_EQ(clipSize(1280, 720).height, 360);
  EXPECT_EQ(clipSize(1024, 768).height, 480);
  EXPECT_EQ(clipSize(4000, 2).height, 1);
}

TEST(FitInto, ScalesInLinearLightLetterboxesOtherAspectsAndReadsRowsFromEitherEnd) {
  // One colour stays that colour, opaque.
  RgbaImage target;
  target.resize(640, 480);
  fitInto(filled(1280, 960, 200, 100, 3), target);
  EXPECT_EQ(target.row(479)[0], 200);
  EXPECT_EQ(target.row(0)[1], 100);
  EXPECT_EQ(target.row(240)[2], 3);
  EXPECT_EQ(target.row(240)[3], 255);

  // Half white, half black averages to half the light: level 188, not 128.
  RgbaImage halves = filled(2, 1, 0, 0, 0);
  halves.pixels[0] = halves.pixels[1] = halves.pixels[2] = 255;
  target.resize(1, 1);
  fitInto(halves, target);
  EXPECT_EQ(target.pixels[0], 188);

  // A wider picture fits the width, centred between black bands; rows read
  // back from the bottom come out the right way up.
  RgbaImage wide = filled(200, 100, 255, 255, 255);
  wide.bottomUp = true;
  wide.pixels[0] = 0;  // the bottom row's first pixel, stored first
  target.resize(100, 100);
  fitInto(wide, target);
  EXPECT_EQ(target.row(24)[0], 0);
  EXPECT_EQ(target.row(25)[4], 255);
  EXPECT_EQ(target.row(74)[4], 255);
  EXPECT_EQ(target.row(75)[0], 0);
  EXPECT_LT(target.row(74)[0], 255);
  EXPECT_EQ(target.row(25)[0], 255);
  EXPECT_EQ(target.row(99)[3], 255);
}
