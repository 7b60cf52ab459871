// Writes the small example history file shipped in examples/: a slow
// pressure swing with a little noise and a few dropped samples.
//
//   make_sample_history examples/sample.hst
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

void Put32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_sample_history OUTPUT\n", stderr);
    return 2;
  }
  // The header: unused bytes hold a pattern; the title at 144, the scale
  // range at 112, the sample period and the times at 186, 202 and 206.
  std::string bytes(226, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0xA0 + i % 31);
  const char title[32] = "Drum pressure, boiler 2";
  std::memcpy(bytes.data() + 144, title, sizeof title);
  const float scale[4] = {0.0f, 32000.0f, 0.0f, 16.5f};
  for (std::size_t i = 0; i < 4; ++i)
    Put32(bytes, 112 + 4 * i, std::bit_cast<std::uint32_t>(scale[i]));
  Put32(bytes, 186, 500);
  Put32(bytes, 202, 1700000000);
  Put32(bytes, 206, 1700000000 + 47);

  unsigned noise = 12345;
  for (int i = 0; i < 95; ++i) {
    noise = noise * 1103515245u + 12345u;
    double swing = 18000.0 + 6000.0 * std::sin(i / 9.0);
    auto value = static_cast<std::uint16_t>(
        static_cast<std::int16_t>(swing + static_cast<int>((noise >> 16) % 200) - 100));
    if (i % 23 == 7) value = static_cast<std::uint16_t>(-32001);  // a dropped sample
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8);
  }
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) return 1;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written ? 0 : 1;
}
