#include "child_process.hpp"
#include "run_program.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <stdexcept>

namespace zav::test {

std::string copy_program(const TempTree& tree, const std::string& relative) {
  std::string path = tree.path(relative);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::filesystem::copy_file(ZAV_PARSER_PATH, path);
  return path;
}

std::string write_script(const TempTree& tree, const std::string& relative,
                         const std::string& body) {
  std::string path = tree.write(relative, "#!/bin/sh\n" + body);
  tree.chmod(relative, 0755);
  return path;
}

DescriptorRun run_with_descriptors(const std::string& program, const std::vector<std::string>& args,
                                   int stdin_fd, int stdout_fd) {
  int err[2];
  if (::pipe2(err, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  std::vector<std::string> texts{program};
  texts.insert(texts.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);

  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    for (int target : {0, 1}) {
      int source = target == 0 ? stdin_fd : stdout_fd;
      if (source == CLOSED_DESCRIPTOR) {
        ::close(target);
      } else {
        ::dup2(source, target);
      }
    }
    ::dup2(err[1], 2);
    ::signal(SIGPIPE, SIG_DFL);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(err[1]);
  DescriptorRun run;
  char chunk[4096];
  for (;;) {
    ssize_t got = ::read(err[0], chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    run.err.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(err[0]);
  ChildEnd end = wait_for_child(pid);
  run.exit_code = end.exit_code;
  run.signal = end.signal;
  return run;
}

}  // namespace zav::test
