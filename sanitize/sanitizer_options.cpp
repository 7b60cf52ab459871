// Default options of the sanitizer runtimes, linked into sanitized builds
// only; environment variables still override any of them. A finding aborts
// the process, so that it can never pass for the tool's exit status 1.
//
// The tool itself does not look for leaks: it runs once and exits, and
// whatever it still holds then goes with the process. The tests and
// fuzzers, which run the same code in process many times over, do look for
// leaks.

#ifdef VINDOLAR_TOOL_BINARY
#define VINDOLAR_DETECT_LEAKS "detect_leaks=0:"
#else
#define VINDOLAR_DETECT_LEAKS "detect_leaks=1:"
#endif

extern "C" const char* __asan_default_options();
extern "C" const char* __ubsan_default_options();

extern "C" const char* __asan_default_options() {
  return VINDOLAR_DETECT_LEAKS
      "abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:"
      "check_initialization_order=1";
}

extern "C" const char* __ubsan_default_options() {
  return "abort_on_error=1:halt_on_error=1:print_stacktrace=1";
}
