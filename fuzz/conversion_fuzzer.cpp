// Runs the whole conversion, front end included, on arbitrary bytes and
// compares the text file with the plain reference, header numbers and all.
//
// Input: byte 0 is the first byte of the delimiter argument; byte 1 picks
// the buffer sizes (bits 0-3 and 4-6) and whether the delimiter argument is
// given at all (bit 7); the rest is the history file, of any length. The
// files live in the system's temporary folder, under a random name of the
// process's own, so that fuzzing processes side by side never share them;
// their paths are UTF-8, as the tool takes them, whatever the folder's name.
#include <random>

#include "conversion_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // History buffers around the end of the header and the first sample. Text
  // buffers at the smallest the tool takes (128), and at and around two and
  // three table lines of 82 bytes.
  static const std::size_t kHistoryBuffers[] = {2,   3,   4,   5,   7,   64,   221,  222,
                                                223, 225, 226, 227, 228, 1000, 4096, 262144};
  static const std::size_t kTextBuffers[] = {128, 129, 163, 164, 165, 246, 247, 262144};
  static const auto name = "vindolar-fuzz-" + std::to_string(std::random_device{}()) + ".hst";
  static const std::u8string utf8 = (std::filesystem::temp_directory_path() / name).u8string();
  static const std::string path(utf8.begin(), utf8.end());
  if (size < 2) return 0;
  const char argument[2] = {static_cast<char>(data[0]), '\0'};
  const char* given = (data[1] & 0x80) == 0 ? argument : nullptr;
  const std::string history(reinterpret_cast<const char*>(data + 2), size - 2);
  if (!(std::ofstream(Utf8Path(path), std::ios::binary) << history)) std::abort();
  const BufferSizes sizes{kHistoryBuffers[data[1] & 0x0F], kTextBuffers[data[1] >> 4 & 7]};
  const Outcome outcome = Convert(path, given, sizes);
  for (const char* suffix : {"", ".txt"}) std::filesystem::remove(Utf8Path(path + suffix));
  // The letter t gives TAB, any other printable ASCII byte (0x20 to 0x7E)
  // itself, and anything else, or no third argument, the comma.
  const bool printable = data[0] >= 0x20 && data[0] <= 0x7E;
  const char delimiter = given == nullptr || !printable ? ',' : data[0] == 't' ? '\t' : argument[0];
  const Outcome expected{0, "", ReferenceText(history, delimiter)};
  if (!(outcome == expected)) std::abort();
  return 0;
}
