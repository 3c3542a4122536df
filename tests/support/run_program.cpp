#include "run_program.hpp"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace zav::test {
namespace {

std::vector<char*> c_strings(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const ProgramOptions& options) {
  // A child that ends before reading all its input must not kill the test.
  ::signal(SIGPIPE, SIG_IGN);
  int in[2], out[2], err[2];
  if (::pipe2(in, O_CLOEXEC) || ::pipe2(out, O_CLOEXEC) || ::pipe2(err, O_CLOEXEC)) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<std::string> argv{options.argv0.empty() ? program : options.argv0};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> env = options.env.value_or(std::vector<std::string>{});
  auto argv_pointers = c_strings(argv);
  auto env_pointers = c_strings(env);

  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::signal(SIGPIPE, SIG_DFL);
    if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ::_exit(126);
    if (options.env) {
      ::execve(program.c_str(), argv_pointers.data(), env_pointers.data());
    } else {
      ::execv(program.c_str(), argv_pointers.data());
    }
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);

  ProgramRun run;
  std::size_t written = 0;
  int in_fd = in[1];
  if (options.input.empty()) {
    ::close(in_fd);
    in_fd = -1;
  }
  int out_fd = out[0], err_fd = err[0];
  char chunk[65536];
  while (out_fd >= 0 || err_fd >= 0 || in_fd >= 0) {
    pollfd fds[3] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}, {in_fd, POLLOUT, 0}};
    if (::poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("poll failed");
    }
    for (int i = 0; i < 2; ++i) {
      int& fd = i == 0 ? out_fd : err_fd;
      if (fd < 0 || fds[i].revents == 0) continue;
      ssize_t got = ::read(fd, chunk, sizeof chunk);
      if (got > 0) {
        (i == 0 ? run.out : run.err).append(chunk, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        ::close(fd);
        fd = -1;
      }
    }
    if (in_fd >= 0 && fds[2].revents != 0) {
      ssize_t put = ::write(in_fd, options.input.data() + written, options.input.size() - written);
      if (put > 0) written += static_cast<std::size_t>(put);
      if ((put < 0 && errno != EINTR && errno != EAGAIN) || written == options.input.size()) {
        ::close(in_fd);
        in_fd = -1;
      }
    }
  }
  ChildEnd end = wait_for_child(pid);
  run.exit_code = end.exit_code;
  run.signal = end.signal;
  return run;
}

ChildEnd wait_for_child(int pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  ChildEnd end;
  if (WIFEXITED(status)) end.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
  return end;
}

}  // namespace zav::test
