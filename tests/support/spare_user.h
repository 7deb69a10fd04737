// Running a piece of a test as another user. Needs root (CI runs as root): the ids need no entry
// in the password file, so nothing is added to the system and nothing has to be cleaned up.
#pragma once

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace vellary::testing {

// Ids no account of the machine uses.
inline constexpr uid_t kSpareUid = 54321;
inline constexpr uid_t kOtherSpareUid = 54322;
inline constexpr gid_t kSpareGid = 54321;

inline bool runningAsRoot() { return ::geteuid() == 0; }

// Runs `body` in a child process as uid/gid (with `gid` as its only supplementary group) and
// returns its exit status; -1 when it did not exit normally. The child never returns into the
// test framework.
inline int runAsUser(uid_t uid, gid_t gid, const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (::setgroups(1, &gid) != 0 || ::setresgid(gid, gid, gid) != 0 ||
        ::setresuid(uid, uid, uid) != 0)
      ::_exit(120);
    ::_exit(body());
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs `body` in a child process whose files may grow to `bytes` at most.
inline int runWithFileSizeLimit(rlim_t bytes, const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    struct rlimit limit {bytes, bytes};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(120);
    ::_exit(body());
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  if (WIFSIGNALED(status)) return 1000 + WTERMSIG(status);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace vellary::testing
