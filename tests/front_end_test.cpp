#include "front_end.h"

#include <gtest/gtest.h>

#include <utility>

TEST(ChooseDelimiter, PrintableFirstByteOrTabForTElseTheComma) {
  // The edges of printable ASCII (0x1F/0x20, 0x7E/0x7F/0x80), the letter t
  // in both cases, and no byte at all.
  // clang-format off
  for (const auto& [argument, delimiter] : {std::pair{"t", '\t'}, {"T", 'T'}, {"", ','},
           {"\x1f", ','}, {" ", ' '}, {"~x", '~'}, {"\x7f", ','}, {"\x80", ','}})
    EXPECT_EQ(ChooseDelimiter(argument), delimiter) << '"' << argument << '"';
  // clang-format on
}
