#include "core/text_encoding.hpp"

#include <gtest/gtest.h>

namespace orvessa {
namespace {

TEST(Windows1252, EveryByteSurvivesTheRoundTripThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::string utf8 = Windows1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  auto back = Utf8ToWindows1252(utf8);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, all);
}

TEST(Windows1252, MapsTheLettersTheProgramWrites) {
  EXPECT_EQ(Utf8ToWindows1252("D\xC3\xAD"
                              "as"),
            std::optional<std::string>("D\xED"
                                       "as"));
  EXPECT_EQ(Utf8ToWindows1252("\xE2\x82\xAC"), std::optional<std::string>("\x80"));  // euro sign
  EXPECT_EQ(Utf8ToWindows1252("\xC5\xB8"), std::optional<std::string>("\x9F"));      // Y diaeresis
  EXPECT_EQ(Windows1252ToUtf8("Espa\xF1"
                              "a \x93x\x94"),
            "Espa\xC3\xB1"
            "a \xE2\x80\x9Cx\xE2\x80\x9D");
}

TEST(Windows1252, RefusesWhatItCannotHoldInsteadOfSubstituting) {
  EXPECT_FALSE(Utf8ToWindows1252("\xD0\x9C\xD0\xB8\xD1\x80"));  // Cyrillic
  EXPECT_FALSE(
      Utf8ToWindows1252("a\xE6\x97\xA5"
                        "b"));                          // CJK
  EXPECT_FALSE(Utf8ToWindows1252("\xF0\x9F\x98\x80"));  // outside the BMP
  EXPECT_FALSE(Utf8ToWindows1252("\xC5\x81"));          // L with stroke: Latin, not in the page
}

TEST(Utf8, RejectsMalformedSequences) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain / \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));      // overlong, three bytes
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xC3"));              // cut short
  EXPECT_FALSE(IsValidUtf8("\x80"));              // stray continuation
  EXPECT_FALSE(IsValidUtf8("\xFF"));
}

}  // namespace
}  // namespace orvessa
