#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds history files for tests, benchmarks and the shipped example.

struct HistoryContents {
  std::string title;  // up to 32 bytes; shorter titles are NUL-padded
  float raw_zero = 0;
  float raw_full = 0;
  float eng_zero = 0;
  float eng_full = 0;
  std::int32_t sample_period_ms = 0;
  std::int32_t start_time = 0;
  std::int32_t end_time = 0;
  std::vector<std::int16_t> samples;
};

// The bytes of a history file: every unnamed header byte is filled with a
// byte pattern (not zero) so that a reader that looks in the wrong place
// shows it.
std::string BuildHistoryFile(const HistoryContents& contents);

std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
