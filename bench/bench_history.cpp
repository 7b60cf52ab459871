// Writes a history file for the benchmark:  bench_history PATH MIB
// MIB MiB of samples (0: the header alone) shaped like a recorded signal: a
// slow swing with noise; about 3% of the samples dropped, mostly in outages
// of 5 to 500 samples, a few alone; and one sample in ten (stretches of
// 100000) spread over the whole 16-bit range.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static void Put32(unsigned char* at, std::uint32_t value) {  // little-endian
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

int main(int argc, char** argv) {
  std::FILE* file = argc == 3 ? std::fopen(argv[1], "wb") : nullptr;
  if (file == nullptr) {
    std::fprintf(stderr, "usage: bench_history PATH MIB (PATH writable)\n");
    return 2;
  }
  const std::uint64_t total = std::strtoull(argv[2], nullptr, 10) * 1024 * 1024 / 2;
  // Title at 144, the scale range at 112 to 127, the sample period, start
  // and end times at 186, 202 and 206; every other header byte is zero.
  unsigned char header[226] = {};
  std::memcpy(header + 144, "Benchmark swing", 15);
  Put32(header + 116, std::bit_cast<std::uint32_t>(32000.0f));
  Put32(header + 124, std::bit_cast<std::uint32_t>(250.0f));
  Put32(header + 186, 100);
  Put32(header + 202, 1700000000);
  Put32(header + 206, static_cast<std::uint32_t>(1700000000 + total / 10));
  std::fwrite(header, 1, sizeof header, file);

  std::uint32_t noise = 2463534242u;  // xorshift32
  std::uint32_t outage_left = 0;
  for (std::uint64_t i = 0; i < total; ++i) {
    noise ^= noise << 13;
    noise ^= noise >> 17;
    noise ^= noise << 5;
    if (outage_left == 0 && noise % 8192 == 0) outage_left = 5 + (noise >> 13) % 496;
    auto value = static_cast<std::int32_t>(12000.0 * std::sin(static_cast<double>(i) / 5000.0)) +
                 static_cast<std::int32_t>((noise >> 20) % 64) - 32;
    if (i % 1000000 < 100000) value = static_cast<std::int16_t>(noise >> 8);
    if (outage_left > 0 || (noise >> 8) % 500 == 0) value = -32001;
    if (outage_left > 0) --outage_left;
    std::putc(value & 0xFF, file);
    std::putc((value >> 8) & 0xFF, file);
  }
  const bool written = std::ferror(file) == 0;
  if (std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "bench_history: %s was not written\n", argv[1]);
    return 1;
  }
  return 0;
}
