#include <gtest/gtest.h>

#include <cmath>

#include "script/text_encoding.h"
#include "script/value_conversion.h"

using namespace oru::script;

using namespace std::string_literals;

TEST(ByteStrings, KeepLowEightBitsAndStopAtZero) {
  const char16_t units[] = {u'a', u'\u00e9', u'\u0141', u'\u20ac', u'\u0100', u'b'};
  EXPECT_EQ(lowBytes(units, 3), std::string("a\xe9\x41"));
  // U+20AC's low byte is 0xAC; U+0100's low byte is zero and ends the string.
  EXPECT_EQ(lowBytes(units, 6), std::string("a\xe9\x41\xac"));
  EXPECT_EQ(lowBytes(units, 0), "");
}

TEST(ByteStrings, EngineMessagesDecodeToTheSameBytes) {
  EXPECT_EQ(utf8ToBytes("plain"), "plain");
  EXPECT_EQ(utf8ToBytes("caf\xc3\xa9"), "caf\xe9");
  EXPECT_EQ(utf8ToBytes("\xe2\x82\xac"), "\xac");  // U+20AC
  // U+1F600 is the surrogate pair D83D DE00 in UTF-16.
  EXPECT_EQ(utf8ToBytes("\xf0\x9f\x98\x80"), "\x3d\x00"s);
  // A truncated sequence keeps what it has.
  EXPECT_EQ(utf8ToBytes("a\xc3"), "a\x03");
}

TEST(IntegerConversion, RoundsHalvesUpward) {
  int32_t result = -1;
  ASSERT_TRUE(roundToInt32(640.5, result));
  EXPECT_EQ(result, 641);
  ASSERT_TRUE(roundToInt32(640.4, result));
  EXPECT_EQ(result, 640);
  ASSERT_TRUE(roundToInt32(2.5, result));
  EXPECT_EQ(result, 3);
  ASSERT_TRUE(roundToInt32(-0.5, result));
  EXPECT_EQ(result, 0);
  ASSERT_TRUE(roundToInt32(-1.5, result));
  EXPECT_EQ(result, -1);
  ASSERT_TRUE(roundToInt32(0.49999999999999994, result));
  EXPECT_EQ(result, 0);
}

TEST(IntegerConversion, FailsOutsideTheSigned32BitRange) {
  int32_t result = 0;
  ASSERT_TRUE(roundToInt32(2147483647.4, result));
  EXPECT_EQ(result, 2147483647);
  EXPECT_FALSE(roundToInt32(2147483647.5, result));
  ASSERT_TRUE(roundToInt32(-2147483648.5, result));
  EXPECT_EQ(result, -2147483648);
  EXPECT_FALSE(roundToInt32(-2147483649.0, result));
  EXPECT_FALSE(roundToInt32(4294967296.0, result));
  EXPECT_FALSE(roundToInt32(std::nan(""), result));
  EXPECT_FALSE(roundToInt32(HUGE_VAL, result));
  EXPECT_FALSE(roundToInt32(-HUGE_VAL, result));
}
