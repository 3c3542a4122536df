// Process start-up: make sure descriptors 0 to 2 are open, ignore SIGPIPE so a
// closed pipe is an error return, keep the arguments and hand over to dispatch.
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "dispatch.hpp"
#include "process.hpp"

namespace {

void open_missing_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      // open() takes the lowest free descriptor, which is this one.
      if (::open("/dev/null", O_RDWR) == -1) std::abort();
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  open_missing_standard_descriptors();
  std::signal(SIGPIPE, SIG_IGN);
  zav::keep_process_arguments(argc, argv);
  zav::standard_output();
  std::atexit(zav::flush_standard_output_at_exit);
  zav::dispatch_main();
  return EXIT_SUCCESS;
}
