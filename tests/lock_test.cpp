// A refused run's message after the holder of its text has gone: the
// window between the refusal and the message, which no run of the built
// tool can hold open, forced here by ending the holder in between.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "file_io.h"

TEST(Locks, ARefusedRunSendsNoMessageIntoTheTextOnceItsHolderHasGone) {
  std::FILE* log = std::fopen("lock_test_text.txt", "wb");
  int ready[2];
  ASSERT_TRUE(log != nullptr && pipe(ready) == 0);
  struct flock lock {};
  lock.l_type = F_WRLCK;
  const pid_t holder = fork();  // holds the text until it is killed
  if (holder == 0 && fcntl(fileno(log), F_SETLK, &lock) == 0 && write(ready[1], "x", 1) == 1)
    pause();
  if (holder == 0) _exit(1);
  (void)close(ready[1]);  // a holder that failed ends the read below
  char byte;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  Refused refused;
  const File history = OpenHistoryFile("/dev/null", &refused);
  EXPECT_EQ(OpenTextFile("lock_test_text.txt", history, &refused).stream, nullptr);
  EXPECT_EQ(refused.why, Refusal::Held);
  EXPECT_EQ(MessageStream(log, &history, nullptr, nullptr), log);  // a locked log takes them
  (void)kill(holder, SIGKILL);
  (void)waitpid(holder, nullptr, 0);
  EXPECT_NE(MessageStream(log, &history, nullptr, &refused), log);
  (void)std::fclose(log);
  (void)std::remove("lock_test_text.txt");
}
