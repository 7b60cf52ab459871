// Measures the tool against the floor (cp of its own output), a plain stdio
// converter and od, interleaved round by round, and reports medians, ratios
// and peak memory. Also converts a history file of over 4 GiB completely.
//
//   vindolar_bench [--mib N] [--rounds N] [--dir DIR] [--skip-large]
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_inputs.h"
#include "history_builder.h"

namespace {

struct Timing {
  double seconds = 0;
  int status = -1;
};

// Runs `args` with standard output sent to `stdout_path` (if not empty).
Timing Run(const std::vector<std::string>& args, const std::string& stdout_path = "") {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!stdout_path.empty())
    posix_spawn_file_actions_addopen(&actions, 1, stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  std::vector<std::string> copies = args;
  std::vector<char*> argv;
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  Timing timing;
  auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    timing.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  timing.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  return timing;
}

struct Contender {
  const char* name;
  std::vector<double> seconds;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool SameBytes(const std::string& a, const std::string& b) {
  std::FILE* fa = std::fopen(a.c_str(), "rb");
  std::FILE* fb = std::fopen(b.c_str(), "rb");
  bool same = fa != nullptr && fb != nullptr;
  std::vector<char> ca(1 << 16), cb(1 << 16);
  while (same) {
    std::size_t na = std::fread(ca.data(), 1, ca.size(), fa);
    std::size_t nb = std::fread(cb.data(), 1, cb.size(), fb);
    same = na == nb && std::memcmp(ca.data(), cb.data(), na) == 0;
    if (na == 0) break;
  }
  if (fa != nullptr) std::fclose(fa);
  if (fb != nullptr) std::fclose(fb);
  return same;
}

// Peak resident memory of the tool converting `history` to /dev/null.
long PeakKiB(const std::string& history) {
  std::string report = std::filesystem::temp_directory_path() / "vindolar-bench-peak.txt";
  Run({PEAK_MEMORY_BINARY, VINDOLAR_BINARY, history, "/dev/null"}, report);
  long kib = 0;
  int status = -1;
  std::FILE* file = std::fopen(report.c_str(), "r");
  if (file == nullptr || std::fscanf(file, "%ld %d", &kib, &status) != 2 || status != 0) kib = -1;
  if (file != nullptr) std::fclose(file);
  std::filesystem::remove(report);
  return kib;
}

// Converts a sparse history file of over 4 GiB through a FIFO and checks the
// number of line ends and the last line.
bool CheckLargeFile(const std::string& dir) {
  const std::uint64_t sample_bytes = (std::uint64_t{9} << 29);  // 4.5 GiB
  const std::uint64_t samples = sample_bytes / 2;
  std::string history = dir + "/bench-large.hst";
  std::string fifo = dir + "/bench-large.fifo";
  HistoryContents contents;
  contents.title = "Large";
  contents.samples = {1, 2, 3, -32768};  // the last four samples of the file
  std::string bytes = BuildHistoryFile(contents);
  std::string tail = bytes.substr(226);
  std::FILE* file = std::fopen(history.c_str(), "wb");
  if (file == nullptr) return false;
  std::fwrite(bytes.data(), 1, 226, file);
  std::fclose(file);
  std::filesystem::resize_file(history, 226 + sample_bytes - tail.size());
  file = std::fopen(history.c_str(), "ab");
  std::fwrite(tail.data(), 1, tail.size(), file);
  std::fclose(file);

  std::filesystem::remove(fifo);
  mkfifo(fifo.c_str(), 0600);
  pid_t pid;
  std::string tool = VINDOLAR_BINARY;
  char* argv[] = {tool.data(), history.data(), fifo.data(), nullptr};
  auto start = std::chrono::steady_clock::now();
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) return false;
  int in = open(fifo.c_str(), O_RDONLY);
  std::vector<char> chunk(1 << 20);
  std::uint64_t line_ends = 0;
  std::string last_line;
  ssize_t got;
  while ((got = read(in, chunk.data(), chunk.size())) > 0) {
    const char* p = chunk.data();
    const char* end = p + got;
    const char* after_last = nullptr;
    while (const char* lf =
               static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) {
      ++line_ends;
      after_last = lf + 1;
      p = lf + 1;
    }
    if (after_last != nullptr) last_line.clear();
    last_line.append(after_last != nullptr ? after_last : chunk.data(), end);
  }
  close(in);
  int status = 0;
  waitpid(pid, &status, 0);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::filesystem::remove(fifo);
  std::filesystem::remove(history);

  std::uint64_t expected_line_ends = 3 + samples / 10;
  std::string expected_last = "      1,      2,      3, -32768,";
  bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && line_ends == expected_line_ends &&
            last_line == expected_last;
  std::printf("\nLarge file: %.2f GiB history file, %llu samples, converted in %.1f s\n",
              static_cast<double>(226 + sample_bytes) / (1 << 30),
              static_cast<unsigned long long>(samples), seconds);
  std::printf("  line ends %llu (expected %llu), last line \"%s\": %s\n",
              static_cast<unsigned long long>(line_ends),
              static_cast<unsigned long long>(expected_line_ends), last_line.c_str(),
              ok ? "PASS" : "FAIL");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t mib = 64;
  int rounds = 15;
  std::string dir = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
  bool large = true;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--mib" && i + 1 < argc)
      mib = std::strtoull(argv[++i], nullptr, 10);
    else if (arg == "--rounds" && i + 1 < argc)
      rounds = std::atoi(argv[++i]);
    else if (arg == "--dir" && i + 1 < argc)
      dir = argv[++i];
    else if (arg == "--skip-large")
      large = false;
    else {
      std::fprintf(stderr,
                   "usage: vindolar_bench [--mib N] [--rounds N] [--dir DIR] [--skip-large]\n");
      return 2;
    }
  }
  dir += "/vindolar-bench";
  std::filesystem::create_directories(dir);
  const std::string tool = VINDOLAR_BINARY, baseline = BASELINE_BINARY;
  const std::string input = dir + "/bench.hst";
  const std::string out_tool = dir + "/tool.txt", out_base = dir + "/baseline.txt",
                    out_od = dir + "/od.txt", out_copy = dir + "/copy.txt";
  std::printf("Generating a %llu MiB history file in %s ...\n",
              static_cast<unsigned long long>(mib), dir.c_str());
  if (!WriteBenchHistory(input, mib)) return 1;
  double input_mib = static_cast<double>(std::filesystem::file_size(input)) / (1 << 20);

  // Each contender removes its own output first, outside the timing, so
  // that none pays for emptying an old file. The floor copies a kept copy
  // of the tool's output. The order turns by one each round, so that no
  // contender always runs after the same other one.
  const std::string out_kept = dir + "/kept.txt";
  bool agree = Run({tool, input, out_kept}).status == 0 &&
               Run({baseline, input, out_base}).status == 0 && SameBytes(out_kept, out_base);
  if (!agree) {
    std::fprintf(stderr, "Vindolar and the baseline disagree on %s\n", input.c_str());
    return 1;
  }
  Contender contenders[] = {{"Vindolar", {}},
                            {"floor: cp of its output", {}},
                            {"baseline stdio", {}},
                            {"od -td2", {}},
                            {"Vindolar to /dev/null", {}}};
  const std::string outputs[] = {out_tool, out_copy, out_base, out_od, ""};
  auto run_contender = [&](int i) {
    switch (i) {
      case 0:
        return Run({tool, input, out_tool});
      case 1:
        return Run({"cp", out_kept, out_copy});
      case 2:
        return Run({baseline, input, out_base});
      case 3:
        return Run({"od", "-An", "-v", "-td2", "-w20", "-j226", input}, out_od);
      default:
        return Run({tool, input, "/dev/null"});
    }
  };
  for (int round = 0; round <= rounds; ++round) {  // round 0 warms up
    for (int k = 0; k < 5; ++k) {
      int i = (k + round) % 5;
      if (!outputs[i].empty()) std::filesystem::remove(outputs[i]);
      Timing timing = run_contender(i);
      if (timing.status != 0) {
        std::fprintf(stderr, "%s failed\n", contenders[i].name);
        return 1;
      }
      if (round > 0) contenders[i].seconds.push_back(timing.seconds);
    }
  }

  std::printf("\n%.0f MiB history file, %.0f MiB text file, %d rounds (medians; min-max)\n\n",
              input_mib, static_cast<double>(std::filesystem::file_size(out_tool)) / (1 << 20),
              rounds);
  std::printf(
      "| contender | median s | min-max s | history MiB/s | time / Vindolar "
      "|\n|---|---|---|---|---|\n");
  double tool_median = Median(contenders[0].seconds);
  for (const Contender& c : contenders) {
    double median = Median(c.seconds);
    std::printf("| %s | %.3f | %.3f-%.3f | %.0f | %.2f |\n", c.name, median,
                *std::min_element(c.seconds.begin(), c.seconds.end()),
                *std::max_element(c.seconds.begin(), c.seconds.end()), input_mib / median,
                median / tool_median);
  }

  // Peak memory for a small and a large input, converted to /dev/null.
  std::string small = dir + "/bench-small.hst", big = dir + "/bench-big.hst";
  WriteBenchHistory(small, 4);
  WriteBenchHistory(big, 1024);
  // Medians of five runs each, and the highest run.
  std::vector<double> small_runs, big_runs;
  for (int i = 0; i < 5; ++i) {
    small_runs.push_back(static_cast<double>(PeakKiB(small)));
    big_runs.push_back(static_cast<double>(PeakKiB(big)));
  }
  auto small_kib = static_cast<long>(Median(small_runs));
  auto big_kib = static_cast<long>(Median(big_runs));
  auto highest_kib =
      static_cast<long>(std::max(*std::max_element(small_runs.begin(), small_runs.end()),
                                 *std::max_element(big_runs.begin(), big_runs.end())));
  std::filesystem::remove(small);
  std::filesystem::remove(big);

  // Ratios are taken round by round, between runs made moments apart, and
  // their median is the verdict: a slow stretch of the machine then counts
  // against both sides of a ratio alike.
  auto median_ratio = [&](int numerator, int denominator) {
    std::vector<double> ratios;
    for (std::size_t r = 0; r < contenders[0].seconds.size(); ++r)
      ratios.push_back(contenders[numerator].seconds[r] / contenders[denominator].seconds[r]);
    return Median(ratios);
  };
  double floor_ratio = median_ratio(0, 1);
  double baseline_ratio = median_ratio(2, 0);
  double od_ratio = median_ratio(3, 0);
  double null_mib_s = input_mib / Median(contenders[4].seconds);
  double memory_change =
      100.0 * static_cast<double>(big_kib - small_kib) / static_cast<double>(small_kib);
  auto verdict = [](bool ok) { return ok ? "PASS" : "FAIL"; };
  std::printf(
      "\nPeak resident memory (median of 5): %ld KiB for 4 MiB, %ld KiB for 1 GiB (%+.1f%%); "
      "highest run %ld KiB\n\n",
      small_kib, big_kib, memory_change, highest_kib);
  std::printf("Targets (ratios: medians of the per-round ratios):\n");
  std::printf("  Vindolar / floor            %5.2f  (at most 1.25)   %s\n", floor_ratio,
              verdict(floor_ratio <= 1.25));
  std::printf("  baseline / Vindolar         %5.1f  (at least 10)    %s\n", baseline_ratio,
              verdict(baseline_ratio >= 10));
  std::printf("  od / Vindolar               %5.1f  (at least 15)    %s\n", od_ratio,
              verdict(od_ratio >= 15));
  std::printf("  to /dev/null, MiB/s         %5.0f  (at least 1024)  %s\n", null_mib_s,
              verdict(null_mib_s >= 1024));
  std::printf("  peak memory, KiB            %5ld  (at most 4096)   %s\n", highest_kib,
              verdict(highest_kib <= 4096));
  std::printf("  memory 1 GiB vs 4 MiB      %+5.1f%% (within 5%%)     %s\n", memory_change,
              verdict(memory_change <= 5 && memory_change >= -5));

  bool large_ok = !large || CheckLargeFile(dir);
  for (const std::string& out : {input, out_tool, out_base, out_od, out_copy, out_kept})
    std::filesystem::remove(out);
  std::filesystem::remove(dir);
  return large_ok ? 0 : 1;
}
