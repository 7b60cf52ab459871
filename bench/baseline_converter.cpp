// The converter most people would write first: stdio, one fread and one
// fprintf per sample. The benchmark measures the tool against it.
#include <cstdint>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 3) return 1;
  char delimiter = argc > 3 ? argv[3][0] : ',';
  if (delimiter == 't') delimiter = '\t';
  std::FILE* in = std::fopen(argv[1], "rb");
  if (in == nullptr) return 1;
  std::FILE* out = std::fopen(argv[2], "w+b");
  if (out == nullptr) return 1;

  unsigned char header[222] = {};
  if (std::fread(header, 1, sizeof header, in) != sizeof header) return 1;
  float scale[4];
  std::memcpy(scale, header + 112, sizeof scale);
  char title[33] = {};
  std::memcpy(title, header + 144, 32);
  std::int32_t period, start, end;
  std::memcpy(&period, header + 186, 4);
  std::memcpy(&start, header + 202, 4);
  std::memcpy(&end, header + 206, 4);
  std::fprintf(out, "%s\r\n", title);
  std::fprintf(out, "RawZero = %.2f; RawFull = %.2f; EngZero = %.2f; EngFull = %.2f\r\n",
               static_cast<double>(scale[0]), static_cast<double>(scale[1]),
               static_cast<double>(scale[2]), static_cast<double>(scale[3]));
  std::fprintf(out, "SamplePeriodMS = %d; StartTime = %d; EndTime = %d \r\n", period, start, end);

  std::fseek(in, 226, SEEK_SET);
  std::int16_t sample;
  int line_count = 0;
  while (std::fread(&sample, 2, 1, in) == 1) {
    if (sample == -32001) continue;
    std::fprintf(out, "%7d%c", sample, delimiter);
    if (++line_count > 9) {
      line_count = 0;
      std::fprintf(out, "\r\n");
    }
  }
  std::fclose(in);
  return std::fclose(out) == 0 ? 0 : 1;
}
