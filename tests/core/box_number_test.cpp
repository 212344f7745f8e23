#include "core/box_number.hpp"

#include <gtest/gtest.h>

namespace orvessa {
namespace {

// The leading number, blanks skipped; halves to the even neighbour; bounded to 16 bits; 0
// without a number.
TEST(BoxValue, ReadsTheLeadingNumberRoundedAndBounded) {
  const std::pair<const char*, int> cases[] = {{"15", 15},
                                               {" 1 5 ", 15},
                                               {"-1 ", -1},
                                               {"+7", 7},
                                               {"12abc", 12},
                                               {"3:30", 3},
                                               {"1e2", 100},
                                               {"2e", 2},
                                               {"", 0},
                                               {"abc", 0},
                                               {"-", 0},
                                               {".", 0},
                                               {"0.5", 0},
                                               {"1.5", 2},
                                               {"2.5", 2},
                                               {"2.51", 3},
                                               {"-2.5", -2},
                                               {".7", 1},
                                               {"32768", 32767},
                                               {"-40000", -32768},
                                               {"-32768", -32768},
                                               {"1e400", 32767},
                                               {"99999999999999999999999", 32767}};
  for (const auto& [text, value] : cases) EXPECT_EQ(BoxValue(text), value) << text;
}

}  // namespace
}  // namespace orvessa
