#include "front_end.h"

#include <gtest/gtest.h>

#include <utility>

TEST(ChooseDelimiter, PrintableFirstByteOrTabForTElseTheComma) {
  // The edges of printable ASCII (0x1F/0x20, 0x7E/0x7F/0x80), a capital T,
  // and a longer argument, of which the first byte counts (the cases hold t
  // and the empty argument).
  // clang-format off
  for (const auto& [argument, delimiter] : {std::pair{"T", 'T'}, {"\x1f", ','}, {" ", ' '},
           {"~x", '~'}, {"\x7f", ','}, {"\x80", ','}})
    EXPECT_EQ(ChooseDelimiter(argument), delimiter) << '"' << argument << '"';
  // clang-format on
}
