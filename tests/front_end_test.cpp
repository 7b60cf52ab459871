#include "front_end.h"

#include <gtest/gtest.h>

#include <utility>

TEST(ChooseDelimiter, PrintableFirstByteOrTabForTElseTheComma) {
  // clang-format off
  for (const auto& [argument, delimiter] : {
           std::pair{"t", '\t'}, {"tab", '\t'}, {"T", 'T'}, {";", ';'}, {" ", ' '}, {"~x", '~'},
           {"!", '!'}, {"", ','}, {"\t", ','}, {"\x1f;", ','}, {"\x7f", ','}, {"\x80", ','},
           {"\xc3\xa9", ','}, {"\xff", ','}})
    EXPECT_EQ(ChooseDelimiter(argument), delimiter) << '"' << argument << '"';
  // clang-format on
}
