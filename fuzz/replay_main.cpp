// The fuzz target's main() where libFuzzer is not at hand (gcc, the cross
// builds, Windows): passes the bytes of each file named on the command line
// to the target once, as libFuzzer does with files, so that every build
// replays the committed inputs. A wrong text aborts in the target, after
// the file's name; a file that cannot be read counts as a failure.
#include "conversion_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    (void)std::fprintf(stderr, "replaying %s\n", argv[i]);  // unbuffered: shown before an abort
    std::ifstream file(argv[i], std::ios::binary);
    if (!file) return 1;
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  return argc > 1 ? 0 : 1;
}
