#pragma once

#include <cstdio>
#include <span>

// The buffers a run reads the history and writes the text through: at
// least MinHistoryBufferSize and MinTextBufferSize bytes.
struct RunBuffers {
  std::span<unsigned char> history;
  std::span<char> text;
};

// The tool's own buffers, in static storage: the conversion takes no
// memory of its own, so that once the text file is emptied no shortage of
// memory can stop the run.
[[nodiscard]] RunBuffers StaticRunBuffers();

// What a run ends with: its exit status, and whether it wrote a message.
struct RunResult {
  int status;
  bool wrote_message;
};

// Runs the tool on `argc`/`argv` as main receives them (argv[0] is the
// program), writing its usage text and messages to `messages`, or where
// MessageStream sends them instead.
[[nodiscard]] RunResult RunVindolar(int argc, const char* const* argv, std::FILE* messages,
                                    RunBuffers buffers = StaticRunBuffers());
