#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <optional>

namespace orvessa::testing {

struct User {
  uid_t uid;
  gid_t gid;
};

// Root is never refused a read; the user nobody is, as the program's users are.
inline std::optional<User> Nobody() {
  const passwd* entry = ::getpwnam("nobody");
  if (!entry) return std::nullopt;
  return User{entry->pw_uid, entry->pw_gid};
}

constexpr int kCannotBecomeUser = 125;

// Runs body in a forked child, as `as` when given, and gives the child's exit status:
// body's result, kCannotBecomeUser when the system refuses the user, 128 + a signal.
// `meanwhile` gets the child's id while it runs, to signal it.
inline int InChild(const std::function<int()>& body, std::optional<User> as = {},
                   const std::function<void(pid_t)>& meanwhile = {}) {
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (as && (::setgroups(0, nullptr) != 0 || ::setgid(as->gid) != 0 || ::setuid(as->uid) != 0)) {
      ::_exit(kCannotBecomeUser);
    }
    ::_exit(body());
  }
  if (meanwhile) meanwhile(pid);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace orvessa::testing
