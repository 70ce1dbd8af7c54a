#include "engine/stroke_font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

using namespace oru::engine;

namespace {

using Strokes = std::vector<std::tuple<float, float, float, float>>;

Strokes strokesOf(std::string_view text, float left, float top, float capHeight) {
  Strokes strokes;
  for (const TextSegment& s : layOutText(text, left, top, capHeight)) {
    strokes.emplace_back(s.x1, s.y1, s.x2, s.y2);
  }
  return strokes;
}

// Every printable character has a glyph of its own inside its cell, capitals span the cap height,
// descenders go below it, other bytes draw as '?', and text advances and scales by the cap height.
TEST(StrokeFont, GlyphsStayInTheirCellsAndTextAdvancesByCapHeight) {
  const float left = 10.0f, top = 20.0f, capHeight = 15.0f;
  const float advance = characterAdvance(capHeight);
  ASSERT_GT(advance, 0.0f);
  EXPECT_TRUE(layOutText(" ", left, top, capHeight).empty());

  std::map<Strokes, char> glyphOwner;
  for (char c = '!'; c <= '~'; ++c) {
    SCOPED_TRACE(::testing::Message() << "character " << c);
    const Strokes strokes = strokesOf(std::string(1, c), left, top, capHeight);
    ASSERT_FALSE(strokes.empty());
    float lowest = top;
    float highest = top + capHeight;
    for (const auto& [x1, y1, x2, y2] : strokes) {
      for (const float x : {x1, x2}) {
        EXPECT_GE(x, left);
        EXPECT_LE(x, left + advance);
      }
      for (const float y : {y1, y2}) {
        EXPECT_GE(y, top);
        EXPECT_LE(y, top + 1.6f * capHeight);
        lowest = std::max(lowest, y);
        highest = std::min(highest, y);
      }
    }
    if (c >= 'A' && c <= 'Z') {
      EXPECT_FLOAT_EQ(highest, top);
      EXPECT_FLOAT_EQ(lowest, top + capHeight);
    }
    if (std::string_view("gjpqy").find(c) != std::string_view::npos) {
      EXPECT_GT(lowest, top + capHeight);
    }
    const auto [owner, added] = glyphOwner.emplace(strokes, c);
    EXPECT_TRUE(added) << "same strokes as " << owner->second;
  }

  const Strokes question = strokesOf("?", left, top, capHeight);
  for (const int byte : {0, 9, 10, 31, 127, 128, 200, 255}) {
    SCOPED_TRACE(::testing::Message() << "byte " << byte);
    EXPECT_EQ(strokesOf(std::string(1, static_cast<char>(byte)), left, top, capHeight), question);
  }

  // "Ab" is "A" followed by "b" one advance further on; at twice the cap height every coordinate
  // measured from the text's corner doubles, the advance too.
  const Strokes a = strokesOf("A", left, top, capHeight);
  const Strokes b = strokesOf("b", left + advance, top, capHeight);
  Strokes ab = a;
  ab.insert(ab.end(), b.begin(), b.end());
  EXPECT_EQ(strokesOf("Ab", left, top, capHeight), ab);

  EXPECT_FLOAT_EQ(characterAdvance(2 * capHeight), 2 * advance);
  const Strokes small = strokesOf("Ab", 0, 0, capHeight);
  const Strokes large = strokesOf("Ab", 0, 0, 2 * capHeight);
  ASSERT_EQ(large.size(), small.size());
  for (std::size_t i = 0; i < small.size(); ++i) {
    EXPECT_FLOAT_EQ(std::get<0>(large[i]), 2 * std::get<0>(small[i]));
    EXPECT_FLOAT_EQ(std::get<1>(large[i]), 2 * std::get<1>(small[i]));
    EXPECT_FLOAT_EQ(std::get<2>(large[i]), 2 * std::get<2>(small[i]));
    EXPECT_FLOAT_EQ(std::get<3>(large[i]), 2 * std::get<3>(small[i]));
  }
}

}  // namespace
