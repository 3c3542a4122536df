#include "ordinary_user.hpp"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace zav::test {
namespace {

constexpr uid_t NOBODY = 65534;

void write_all(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

std::string read_all(int fd) {
  std::string text;
  char chunk[4096];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return text;
    text.append(chunk, static_cast<std::size_t>(n));
  }
}

}  // namespace

std::string as_ordinary_user(const std::function<std::string()>& work) {
  if (::geteuid() != 0) return work();
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return "test setup: pipe failed";
  pid_t child = ::fork();
  if (child < 0) return "test setup: fork failed";
  if (child == 0) {
    ::close(pipe_fds[0]);
    bool dropped =
        ::setgroups(0, nullptr) == 0 && ::setgid(NOBODY) == 0 && ::setuid(NOBODY) == 0;
    write_all(pipe_fds[1], dropped ? work() : "test setup: could not give up privileges");
    ::_exit(0);
  }
  ::close(pipe_fds[1]);
  std::string result = read_all(pipe_fds[0]);
  ::close(pipe_fds[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "test setup: the child failed";
  return result;
}

}  // namespace zav::test
