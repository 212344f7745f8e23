#include "core/text_encoding.hpp"

#include <gtest/gtest.h>
#include <iconv.h>

namespace orvessa {
namespace {

// The host's own converter is the reference for every byte the code page defines.
TEST(Windows1252, AgreesWithTheHostConverterAndEveryByteRoundTrips) {
  iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (int b = 1; b < 256; ++b) {
    if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) continue;
    char in[1] = {static_cast<char>(b)}, out[8] = {};
    char* in_at = in;
    char* out_at = out;
    std::size_t in_left = 1, out_left = sizeof out;
    ASSERT_NE(iconv(cd, &in_at, &in_left, &out_at, &out_left), static_cast<std::size_t>(-1)) << b;
    EXPECT_EQ(Windows1252ToUtf8(std::string(1, in[0])), std::string(out, out_at)) << b;
  }
  iconv_close(cd);
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
  EXPECT_EQ(Utf8ToWindows1252("Días € Ÿ"), "D\355as \200 \237");
}

TEST(Windows1252, RefusesWhatItCannotHoldInsteadOfSubstituting) {
  for (const char* text : {"Мир", "a日b", "\xF0\x9F\x98\x80", "Ł", "\xC3"}) {
    EXPECT_FALSE(Utf8ToWindows1252(text)) << text;
  }
}

TEST(Utf8, AcceptsWellFormedTextOnly) {
  EXPECT_TRUE(IsValidUtf8("plain / \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
  // Overlong forms, a surrogate, beyond U+10FFFF, cut short, stray bytes.
  for (const char* bad :
       {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3", "\x80", "\xFF"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  }
}

}  // namespace
}  // namespace orvessa
