#pragma once

// Shared by the tests and the fuzz target: an in-process run of the tool,
// and what its text file must hold, written out as plainly as possible.

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "decimal_format.h"
#include "front_end.h"
#include "io_fault_plan.h"

// Paths here are UTF-8, as the tool takes them on every system.
inline std::filesystem::path Utf8Path(const std::string& path) {
  return std::u8string(path.begin(), path.end());
}

struct Outcome {
  int status;
  std::string messages;
  std::string text;
  bool operator==(const Outcome&) const = default;
};

struct BufferSizes {
  std::size_t history;  // at least MinHistoryBufferSize
  std::size_t text;     // at least MinTextBufferSize
};

// Runs the tool in process on the history file `history`, writing
// `history`.txt, through buffers of the given sizes, with the I/O faults of
// `plan` (none when null). A null `delimiter` leaves out the third argument.
// Bytes past the text buffer's end hold a guard; a run that writes there
// ends with status -1.
inline Outcome Convert(const std::string& history, const char* delimiter, BufferSizes sizes,
                       IoFaultPlan* plan = nullptr) {
  const std::string text = history + ".txt";
  const char* argv[] = {"Vindolar", history.c_str(), text.c_str(), delimiter, nullptr};
  std::vector<unsigned char> history_buffer(sizes.history);
  std::vector<char> guarded(sizes.text + 16, '\x7F');
  const RunBuffers buffers{history_buffer, std::span(guarded.data(), sizes.text)};
  std::FILE* messages = std::tmpfile();
  SetIoFaultPlan(plan);
  int status = RunVindolar(delimiter == nullptr ? 3 : 4, argv, messages, buffers).status;
  if (std::string(guarded.end() - 16, guarded.end()) != std::string(16, '\x7F')) status = -1;
  SetIoFaultPlan(nullptr);
  std::string said(static_cast<std::size_t>(std::ftell(messages)), '\0');
  std::rewind(messages);
  said.resize(std::fread(said.data(), 1, said.size(), messages));
  std::fclose(messages);
  std::ifstream file(Utf8Path(text), std::ios::binary);
  return Outcome{status, said, {std::istreambuf_iterator<char>(file), {}}};
}

// The text file for the history file `history` (its bytes) and `delimiter`.
inline std::string ReferenceText(const std::string& history, char delimiter) {
  std::string header = history.substr(0, 226);
  header.resize(226, '\0');  // a file cut short reads as zeros from where it ends
  // The signed little-endian 32-bit field at `at`.
  auto field = [&header](std::size_t at) {
    std::uint32_t bits = 0;
    for (std::size_t i = 4; i-- > 0;) bits = bits << 8 | static_cast<unsigned char>(header[at + i]);
    return static_cast<std::int32_t>(bits);
  };
  std::string text;
  for (std::size_t i = 144; i < 176 && header[i] != '\0'; ++i)
    text += header[i] == '\n' ? std::string("\r\n") : std::string(1, header[i]);
  const char* const names[] = {"\r\nRawZero = ", "; RawFull = ", "; EngZero = ", "; EngFull = "};
  // The numbers as the tool's formatter gives them: its telling values are
  // fixed, through the whole tool, in cases/header_numbers.case.
  for (std::size_t i = 0; i < 4; ++i) {
    char number[MaxTwoDecimalsLength];
    text += names[i] + std::string(number, FormatTwoDecimals(
                                               std::bit_cast<float>(field(112 + 4 * i)), number));
  }
  text += "\r\nSamplePeriodMS = " + std::to_string(field(186)) +
          "; StartTime = " + std::to_string(field(202)) +
          "; EndTime = " + std::to_string(field(206)) + " \r\n";
  for (std::size_t at = 226, written = 0; at + 2 <= history.size(); at += 2) {
    const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(history[at]) |
                                                  static_cast<unsigned char>(history[at + 1]) << 8);
    if (sample == -32001) continue;
    char group[16];
    std::snprintf(group, sizeof group, "%7d%c", sample, delimiter);
    text += group;
    if (++written % 10 == 0) text += "\r\n";
  }
  return text;
}
