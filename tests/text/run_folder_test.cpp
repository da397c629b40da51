// A run's own temporary folder: removed when the run ends, and by a later run when the run that
// made it was killed, never while its run lives.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/test_support.h"
#include "text/run_folder.h"

namespace quorin::text {
namespace {

namespace fs = std::filesystem;

// A child process that makes a run folder, tells its path and then dies by SIGKILL or waits to be
// killed.
struct Child_Run {
  pid_t pid = -1;
  std::string folder;
  Child_Run(bool killed_at_once) {
    int told[2];
    EXPECT_EQ(::pipe(told), 0);
    pid = ::fork();
    if (pid == 0) {
      Run_Folder run("quorin-run");
      (void)!::write(told[1], run.path().c_str(), run.path().size() + 1);
      if (killed_at_once) ::raise(SIGKILL);
      ::pause();
      _exit(0);
    }
    char path[4096] = {};
    (void)!::read(told[0], path, sizeof path - 1);
    ::close(told[0]);
    ::close(told[1]);
    folder = path;
    if (killed_at_once) ::waitpid(pid, nullptr, 0);
  }
};

void make_old(const std::string& folder) {
  fs::last_write_time(folder, fs::file_time_type::clock::now() - std::chrono::minutes(5));
}

TEST(RunFolder, AFolderOfAKilledRunIsRemovedByTheNextOneAndALivingRunKeepsItsOwn) {
  testing::Scratch_Folder temporary;
  const char* given = std::getenv("TMPDIR");
  const std::string previous = given ? given : "";
  ::setenv("TMPDIR", temporary.path().c_str(), 1);
  const Child_Run killed(true), living(false), fresh_killed(true);
  ASSERT_TRUE(fs::is_directory(killed.folder) && fs::is_directory(living.folder));
  make_old(killed.folder);
  make_old(living.folder);
  // Without a lock: an empty old folder of an earlier version goes, one with files in it stays.
  const std::string empty_old = temporary.file("quorin-run-old1"), full_old = temporary.file("quorin-run-old2");
  fs::create_directory(empty_old);
  fs::create_directory(full_old);
  testing::write_bytes(full_old + "/socket", "x");
  make_old(empty_old);
  make_old(full_old);
  {
    const Run_Folder next("quorin-run");
    EXPECT_TRUE(fs::is_directory(next.path()));
    EXPECT_FALSE(fs::exists(killed.folder)) << "the killed run's folder is swept";
    EXPECT_FALSE(fs::exists(empty_old));
    EXPECT_TRUE(fs::exists(full_old));
    EXPECT_TRUE(fs::is_directory(living.folder)) << "a living run's folder is never taken";
    EXPECT_TRUE(fs::is_directory(fresh_killed.folder)) << "a folder made a moment ago may not be locked yet";
    ::kill(living.pid, SIGKILL);
    ::waitpid(living.pid, nullptr, 0);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(temporary.path()), fs::directory_iterator()), 3)
      << "the ended run removed its own folder";
  previous.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", previous.c_str(), 1);
}

}  // namespace
}  // namespace quorin::text
