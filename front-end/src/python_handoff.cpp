#include "python_handoff.hpp"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <array>
#include <cerrno>
#include <csignal>
#include <vector>

#include "base/files.hpp"
#include "base/os_error.hpp"
#include "base/path_pieces.hpp"
#include "process.hpp"

extern char** environ;

namespace zav {
namespace {

constexpr std::string_view FALLBACK_PYTHON = "python3";
constexpr std::array<std::string_view, 3> PYTHON_CANDIDATES = {"python", "bin/python",
                                                               "bin/python3"};
constexpr std::string_view MODULE_FLAG = "-m";
constexpr std::string_view MODULE_NAME = "zav_parser.cli";
constexpr std::string_view NO_PROC_SELF_EXE = "no /proc/self/exe available. Is /proc mounted?";

std::expected<std::string, CommandError> executable_path() {
  std::string path(256, '\0');
  for (;;) {
    ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length < 0) {
      int error = errno;
      if (error == ENOENT) return std::unexpected(CommandError{std::string(NO_PROC_SELF_EXE)});
      return std::unexpected(CommandError{os_error_text(error)});
    }
    // A target that fills the buffer may have been cut short.
    if (static_cast<std::size_t>(length) < path.size()) {
      path.resize(static_cast<std::size_t>(length));
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::string find_python(std::string_view executable_path) {
  std::string_view directory = parent_directory(executable_path);
  while (!directory.empty()) {
    for (std::string_view candidate : PYTHON_CANDIDATES) {
      std::string path = join_path(directory, candidate);
      if (is_regular_file(path)) return path;
    }
    if (directory == "/") break;
    directory = parent_directory(directory);
  }
  return std::string(FALLBACK_PYTHON);
}

std::expected<int, CommandError> run_python_module(const std::string& program,
                                                   std::span<const std::string_view> arguments) {
  std::vector<std::string> texts{program, std::string(MODULE_FLAG), std::string(MODULE_NAME)};
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);

  // The program ignores SIGPIPE; the interpreter gets the default back.
  posix_spawnattr_t attributes;
  if (int error = ::posix_spawnattr_init(&attributes); error != 0) {
    return std::unexpected(CommandError{os_error_text(error)});
  }
  sigset_t default_signals;
  sigemptyset(&default_signals);
  sigaddset(&default_signals, SIGPIPE);
  int error = ::posix_spawnattr_setsigdefault(&attributes, &default_signals);
  if (error == 0) error = ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  pid_t child = 0;
  if (error == 0) {
    error = ::posix_spawnp(&child, program.c_str(), nullptr, &attributes, argv.data(), environ);
  }
  ::posix_spawnattr_destroy(&attributes);
  if (error != 0) return std::unexpected(CommandError{os_error_text(error)});

  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return std::unexpected(CommandError{os_error_text(errno)});
  }
  return status;
}

std::expected<int, CommandError> run_python() {
  auto executable = executable_path();
  if (!executable) return std::unexpected(std::move(executable.error()));
  std::span<const std::string_view> arguments = process_arguments();
  if (!arguments.empty()) arguments = arguments.subspan(1);
  return run_python_module(find_python(*executable), arguments);
}

}  // namespace zav
