#include "history_builder.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

// Opens a file by its UTF-8 path; on Windows the narrow fopen would take
// the path in the ANSI code page.
std::FILE* OpenUtf8(const std::string& path, const char* mode) {
#ifdef _WIN32
  std::wstring wide_mode(mode, mode + std::strlen(mode));
  return _wfopen(std::filesystem::path(std::u8string(path.begin(), path.end())).c_str(),
                 wide_mode.c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

void Put32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[offset + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

}  // namespace

std::string BuildHistoryFile(const HistoryContents& contents) {
  std::string bytes(226, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0xA0 + i % 31);
  Put32(bytes, 112, std::bit_cast<std::uint32_t>(contents.raw_zero));
  Put32(bytes, 116, std::bit_cast<std::uint32_t>(contents.raw_full));
  Put32(bytes, 120, std::bit_cast<std::uint32_t>(contents.eng_zero));
  Put32(bytes, 124, std::bit_cast<std::uint32_t>(contents.eng_full));
  std::memset(bytes.data() + 144, 0, 32);
  std::memcpy(bytes.data() + 144, contents.title.data(),
              contents.title.size() < 32 ? contents.title.size() : 32);
  Put32(bytes, 186, static_cast<std::uint32_t>(contents.sample_period_ms));
  Put32(bytes, 202, static_cast<std::uint32_t>(contents.start_time));
  Put32(bytes, 206, static_cast<std::uint32_t>(contents.end_time));
  for (std::int16_t sample : contents.samples) {
    auto bits = static_cast<std::uint16_t>(sample);
    bytes.push_back(static_cast<char>(bits & 0xFF));
    bytes.push_back(static_cast<char>(bits >> 8));
  }
  return bytes;
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  std::FILE* file = OpenUtf8(path, "rb");
  if (file == nullptr) return bytes;
  char chunk[65536];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  std::fclose(file);
  return bytes;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = OpenUtf8(path, "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}
