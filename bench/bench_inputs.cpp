#include "bench_inputs.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "history_builder.h"

bool WriteBenchHistory(const std::string& path, std::uint64_t mib) {
  HistoryContents contents;
  contents.title = "Benchmark swing";
  contents.raw_full = 32000.0f;
  contents.eng_full = 250.0f;
  contents.sample_period_ms = 100;
  contents.start_time = 1700000000;
  contents.end_time = 1700000000 + static_cast<std::int32_t>(mib * 1024 * 1024 / 20);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  std::string header = BuildHistoryFile(contents);
  bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();

  const std::uint64_t total = mib * 1024 * 1024 / 2;
  std::vector<unsigned char> chunk;
  std::uint32_t noise = 2463534242u;
  std::uint32_t outage_left = 0;
  for (std::uint64_t i = 0; i < total && ok; ++i) {
    noise ^= noise << 13;
    noise ^= noise >> 17;
    noise ^= noise << 5;
    // About 3% dropped: outages of 5 to 500 samples, and now and then one
    // sample alone.
    if (outage_left == 0 && noise % 8192 == 0) outage_left = 5 + (noise >> 13) % 496;
    std::int32_t value;
    if (outage_left > 0) {
      --outage_left;
      value = -32001;
    } else if ((noise >> 8) % 500 == 0) {
      value = -32001;
    } else if (i % 1000000 < 100000) {
      value = static_cast<std::int16_t>(noise >> 8);  // one tenth over the full range
    } else {
      value = static_cast<std::int32_t>(12000.0 * std::sin(static_cast<double>(i) / 5000.0)) +
              static_cast<std::int32_t>((noise >> 20) % 64) - 32;
    }
    auto bits = static_cast<std::uint16_t>(value);
    chunk.push_back(static_cast<unsigned char>(bits & 0xFF));
    chunk.push_back(static_cast<unsigned char>(bits >> 8));
    if (chunk.size() >= (1u << 20) || i + 1 == total) {
      ok = std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
      chunk.clear();
    }
  }
  return std::fclose(file) == 0 && ok;
}
