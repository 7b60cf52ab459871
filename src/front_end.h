#pragma once

#include <cstddef>
#include <cstdio>

// The delimiter that the optional third argument chooses: its first byte
// when printable, TAB for the letter t, otherwise the comma.
char ChooseDelimiter(const char* argument);

struct RunOptions {
  std::size_t history_buffer_size;
  std::size_t text_buffer_size;
};

// Runs the tool on `argc`/`argv` as main receives them (argv[0] is the
// program), writing its usage text and messages to `messages`. Returns the
// exit status.
int RunVindolar(int argc, const char* const* argv, std::FILE* messages);
int RunVindolar(int argc, const char* const* argv, std::FILE* messages, const RunOptions& options);
