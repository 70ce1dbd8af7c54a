#include "engine/stroke_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace oru::engine;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

void expectCorner(const QuadCorner& actual, const QuadCorner& expected, int index) {
  SCOPED_TRACE(::testing::Message() << "corner " << index + 1);
  EXPECT_EQ(actual.x, expected.x);
  EXPECT_EQ(actual.y, expected.y);
  EXPECT_EQ(actual.s, expected.s);
  EXPECT_EQ(actual.t, expected.t);
}

template <size_t N>
void expectCorners(const std::array<QuadCorner, N>& actual,
                   const std::array<QuadCorner, N>& expected) {
  for (size_t i = 0; i < N; ++i) {
    expectCorner(actual[i], expected[i], static_cast<int>(i));
  }
}

TEST(PointQuad, LineWidthSquareShowingTheTurnedSpot) {
  expectCorners(
      pointQuad(4.0f),
      {{{-4, -4, 0.5f, 0.5f}, {-4, 4, 1.0f, 0.5f}, {4, 4, 1.0f, 0.0f}, {4, -4, 0.5f, 0.0f}}});
}

TEST(PointQuad, ScalesWithHalfWidth) {
  const auto quad = pointQuad(1.5f);
  EXPECT_EQ(quad[0].x, -1.5f);
  EXPECT_EQ(quad[0].y, -1.5f);
  EXPECT_EQ(quad[2].x, 1.5f);
  EXPECT_EQ(quad[2].y, 1.5f);
}

TEST(LineQuads, CapsAndBodyOfAHundredLongLine) {
  // Covers x from -4 to 104: start cap -4..4, body 4..96, end cap 96..104.
  expectCorners(lineQuads(100.0f, 4.0f), {{{-4, -4, 0.0f, 0.0f},
                                           {-4, 4, 0.5f, 0.0f},
                                           {4, 4, 0.5f, 0.5f},
                                           {4, -4, 0.0f, 0.5f},
                                           {4, -4, 0.0f, 0.75f},
                                           {4, 4, 0.5f, 0.75f},
                                           {96, 4, 0.5f, 0.25f},
                                           {96, -4, 0.0f, 0.25f},
                                           {104, -4, 0.0f, 0.0f},
                                           {104, 4, 0.5f, 0.0f},
                                           {96, 4, 0.5f, 0.5f},
                                           {96, -4, 0.0f, 0.5f}}});
}

TEST(LineQuads, LineAsLongAsItsWidthHasZeroLengthBody) {
  const auto corners = lineQuads(8.0f, 4.0f);
  // Body corners 5-8 all at x = 4; the caps span -4..4 and 4..12.
  EXPECT_EQ(corners[4].x, 4.0f);
  EXPECT_EQ(corners[5].x, 4.0f);
  EXPECT_EQ(corners[6].x, 4.0f);
  EXPECT_EQ(corners[7].x, 4.0f);
  EXPECT_EQ(corners[0].x, -4.0f);
  EXPECT_EQ(corners[8].x, 12.0f);
  EXPECT_EQ(corners[10].x, 4.0f);
}

TEST(LineQuads, NegativeWidthGoesIntoTheSameFormulas) {
  // Line width -8: the body spans -4..104 and both caps lie inside it.
  expectCorners(lineQuads(100.0f, -4.0f), {{{4, 4, 0.0f, 0.0f},
                                            {4, -4, 0.5f, 0.0f},
                                            {-4, -4, 0.5f, 0.5f},
                                            {-4, 4, 0.0f, 0.5f},
                                            {-4, 4, 0.0f, 0.75f},
                                            {-4, -4, 0.5f, 0.75f},
                                            {104, -4, 0.5f, 0.25f},
                                            {104, 4, 0.0f, 0.25f},
                                            {96, 4, 0.0f, 0.0f},
                                            {96, -4, 0.5f, 0.0f},
                                            {104, -4, 0.5f, 0.5f},
                                            {104, 4, 0.0f, 0.5f}}});
}

TEST(PlaceLine, AnglesOfAxisAlignedLines) {
  const auto right = placeLine(0, 0, 100, 0, 4);
  EXPECT_EQ(right.kind, LinePlacement::Band);
  EXPECT_EQ(right.length, 100.0f);
  EXPECT_EQ(right.angle, 0.0f);

  const auto left = placeLine(100, 0, 0, 0, 4);
  EXPECT_EQ(left.kind, LinePlacement::Band);
  EXPECT_EQ(left.length, 100.0f);
  EXPECT_EQ(left.angle, 180.0f);

  const auto down = placeLine(0, 0, 0, 50, 4);
  EXPECT_EQ(down.kind, LinePlacement::Band);
  EXPECT_EQ(down.length, 50.0f);
  EXPECT_EQ(down.angle, 90.0f);

  const auto up = placeLine(0, 50, 0, 0, 4);
  EXPECT_EQ(up.kind, LinePlacement::Band);
  EXPECT_EQ(up.length, 50.0f);
  EXPECT_EQ(up.angle, -90.0f);
}

TEST(PlaceLine, ThreeFourFiveLine) {
  const auto line = placeLine(1, 2, 4, 6, 2);
  EXPECT_EQ(line.kind, LinePlacement::Band);
  EXPECT_EQ(line.length, 5.0f);
  EXPECT_NEAR(line.angle, 53.130102, 1e-4);

  // Pointing the other way adds 180 to the arctangent of the same quotient.
  const auto back = placeLine(4, 6, 1, 2, 2);
  EXPECT_EQ(back.length, 5.0f);
  EXPECT_NEAR(back.angle, 233.130102, 1e-4);
}

TEST(PlaceLine, AngleUsesSinglePrecisionPiInDouble) {
  // The true-pi or an all-float computation both give 26.565052.
  EXPECT_EQ(placeLine(0, 0, 2, 1, 0).angle, 26.5650501f);
  EXPECT_EQ(placeLine(0, 0, 1, 5, 0).angle, 78.6900635f);
}

TEST(PlaceLine, HalfTurnIsAddedInSinglePrecision) {
  // Adding 180 before rounding to float would give 116.565056.
  EXPECT_EQ(placeLine(0, 0, -1, 2, 0).angle, 116.565048f);
  // Here it would give 126.869896.
  EXPECT_EQ(placeLine(0, 0, -3, 4, 0).angle, 126.869904f);
}

TEST(PlaceLine, LengthIsTakenInDoublePrecision) {
  // Squaring and summing in float would give 4097.68359.
  EXPECT_EQ(placeLine(0, 0, 2897, 2898, 4).length, 4097.68408f);
}

TEST(PlaceLine, LineShorterThanItsWidthIsASpot) {
  EXPECT_EQ(placeLine(10, 10, 12, 10, 4).kind, LinePlacement::Spot);
  EXPECT_EQ(placeLine(0, 0, 3, 4, 4).kind, LinePlacement::Spot);
  EXPECT_EQ(placeLine(0, 0, 7.99f, 0, 4).kind, LinePlacement::Spot);
  // A zero-length line with a positive width is a spot as well.
  EXPECT_EQ(placeLine(5, 5, 5, 5, 4).kind, LinePlacement::Spot);
}

TEST(PlaceLine, LineExactlyAsLongAsItsWidthIsABand) {
  const auto line = placeLine(0, 0, 8, 0, 4);
  EXPECT_EQ(line.kind, LinePlacement::Band);
  EXPECT_EQ(line.length, 8.0f);
  EXPECT_EQ(line.angle, 0.0f);
}

TEST(PlaceLine, NegativeWidthNeverMakesASpot) {
  const auto line = placeLine(0, 0, 100, 0, -4);
  EXPECT_EQ(line.kind, LinePlacement::Band);
  EXPECT_EQ(line.length, 100.0f);
  EXPECT_EQ(line.angle, 0.0f);
}

TEST(PlaceLine, ZeroLengthWithoutPositiveWidthDrawsNothing) {
  // 2w > L fails, and the angle would be atan(0/0).
  EXPECT_EQ(placeLine(5, 5, 5, 5, 0).kind, LinePlacement::Nothing);
  EXPECT_EQ(placeLine(5, 5, 5, 5, -4).kind, LinePlacement::Nothing);
}

TEST(PlaceLine, NonFiniteCoordinatesDrawNothing) {
  EXPECT_EQ(placeLine(kNaN, 0, 100, 0, 4).kind, LinePlacement::Nothing);
  EXPECT_EQ(placeLine(0, 0, 100, kNaN, 4).kind, LinePlacement::Nothing);
  // The start is finite, so a spot could be drawn there; the length is not.
  EXPECT_EQ(placeLine(0, 0, kNaN, kNaN, 4).kind, LinePlacement::Nothing);
  EXPECT_EQ(placeLine(0, 0, kInf, 0, 4).kind, LinePlacement::Nothing);
  EXPECT_EQ(placeLine(0, 0, 0, -kInf, 4).kind, LinePlacement::Nothing);
  // Differences that overflow the float range are infinite too.
  EXPECT_EQ(placeLine(-3e38f, 0, 3e38f, 0, 4).kind, LinePlacement::Nothing);
}

TEST(PlaceLine, NaNLengthIsNeverASpotWhateverTheWidth) {
  EXPECT_EQ(placeLine(0, 0, kNaN, 0, 1e30f).kind, LinePlacement::Nothing);
  EXPECT_EQ(placeLine(0, 0, kNaN, 0, kInf).kind, LinePlacement::Nothing);
}

}  // namespace
