#include "core/box_number.hpp"

#include <gtest/gtest.h>

namespace orvessa {
namespace {

TEST(BoxValue, ReadsTheLeadingNumberSkippingBlanks) {
  EXPECT_EQ(BoxValue("15"), 15);
  EXPECT_EQ(BoxValue(" 1 5 "), 15);
  EXPECT_EQ(BoxValue("-1 "), -1);
  EXPECT_EQ(BoxValue("+7"), 7);
  EXPECT_EQ(BoxValue("12abc"), 12);
  EXPECT_EQ(BoxValue("3:30"), 3);
  EXPECT_EQ(BoxValue("00"), 0);
  EXPECT_EQ(BoxValue("1e2"), 100);
  EXPECT_EQ(BoxValue("2e"), 2);  // an exponent without digits is not part of the number
}

TEST(BoxValue, TextWithoutANumberIsZero) {
  EXPECT_EQ(BoxValue(""), 0);
  EXPECT_EQ(BoxValue("abc"), 0);
  EXPECT_EQ(BoxValue("-"), 0);
  EXPECT_EQ(BoxValue("."), 0);
}

TEST(BoxValue, RoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(BoxValue("0.5"), 0);
  EXPECT_EQ(BoxValue("1.5"), 2);
  EXPECT_EQ(BoxValue("2.5"), 2);
  EXPECT_EQ(BoxValue("2.51"), 3);
  EXPECT_EQ(BoxValue("-2.5"), -2);
  EXPECT_EQ(BoxValue(".7"), 1);
}

TEST(BoxValue, ValuesOutsideSixteenBitsAreBounded) {
  EXPECT_EQ(BoxValue("32767"), 32767);
  EXPECT_EQ(BoxValue("32768"), 32767);
  EXPECT_EQ(BoxValue("99999999999999999999999"), 32767);
  EXPECT_EQ(BoxValue("-32768"), -32768);
  EXPECT_EQ(BoxValue("-40000"), -32768);
  EXPECT_EQ(BoxValue("1e400"), 32767);
}

}  // namespace
}  // namespace orvessa
