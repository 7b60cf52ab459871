#include "test_files.h"

#include <filesystem>
#include <random>

ScratchFolder::ScratchFolder() {
  std::random_device seed;
  path_ = (std::filesystem::temp_directory_path() / ("vindolar-test-" + std::to_string(seed())))
              .string();
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ContentsOf(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string bytes;
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  return bytes;
}

std::filesystem::path Utf8Path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
