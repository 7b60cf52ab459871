#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// A fresh scratch folder per test, removed at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Everything written to `file` so far.
std::string ContentsOf(std::FILE* file);

// A UTF-8 path for the std::filesystem calls: on Windows a plain std::string
// would be read in the ANSI code page.
std::filesystem::path Utf8Path(const std::string& utf8);
