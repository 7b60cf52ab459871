// Checks the header number form, FormatTwoDecimals, against the slow
// reference in tests/reference_decimal.h on arbitrary binary32 bit patterns:
// every four input bytes are one value.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "decimal_format.h"
#include "reference_decimal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (std::size_t at = 0; at + 4 <= size; at += 4) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, data + at, 4);
    const auto value = std::bit_cast<float>(bits);
    char out[kMaxTwoDecimalsLength];
    const std::size_t length = FormatTwoDecimals(value, out);
    const std::string expected = ReferenceTwoDecimals(value);
    if (length > sizeof out || std::string(out, length) != expected) {
      (void)std::fprintf(stderr, "bits %08x: got \"%.*s\", expected \"%s\"\n", bits,
                         static_cast<int>(length), out, expected.c_str());
      std::abort();
    }
  }
  return 0;
}
