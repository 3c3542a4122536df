// Process start-up: make sure descriptors 0 to 2 are open, ignore SIGPIPE so a
// closed pipe is an error return, keep the arguments and hand over to dispatch.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include "dispatch.hpp"
#include "process.hpp"

namespace {

// A load or a facts run allocates its texts and records once and touches
// each of their pages once, and the process ends soon after. On such a run
// the page faults of a growing heap cost more than the work itself, so the
// heap is prepared once at start-up:
// - one arena for every thread, so that memory a reading thread frees is
//   reused by the next allocation of any thread, and the heap stays one
//   range of addresses;
// - every block from that heap, however large, and the heap never trimmed:
//   memory handed back to the system and asked for again costs a page fault
//   per page;
// - the heap's first gigabyte of addresses reserved at once and marked for
//   huge pages, which the system then fills 2 MiB at a time where it can.
//   The addresses cost nothing until touched. Where the reservation is
//   refused, the heap grows as usual.
void prepare_heap() {
  (void)::mallopt(M_ARENA_MAX, 1);
  (void)::mallopt(M_MMAP_MAX, 0);
  (void)::mallopt(M_TRIM_THRESHOLD, INT_MAX);

  constexpr int RESERVE = 1 << 30;
  constexpr int USUAL_TOP_PAD = 128 << 10;
  constexpr std::size_t MORE_THAN_THE_HEAP_HOLDS = std::size_t{1} << 20;
  char* before = static_cast<char*>(::sbrk(0));
  (void)::mallopt(M_TOP_PAD, RESERVE);
  // Volatile, so that the compiler keeps the allocation and its free.
  void* volatile grows_the_heap = std::malloc(MORE_THAN_THE_HEAP_HOLDS);
  (void)::mallopt(M_TOP_PAD, USUAL_TOP_PAD);
  std::free(grows_the_heap);
  char* after = static_cast<char*>(::sbrk(0));
  if (before == reinterpret_cast<char*>(-1) || after <= before) return;

  auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  auto start = (reinterpret_cast<std::uintptr_t>(before) + page - 1) / page * page;
  auto end = reinterpret_cast<std::uintptr_t>(after);
  if (end > start) (void)::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

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
  prepare_heap();
  open_missing_standard_descriptors();
  std::signal(SIGPIPE, SIG_IGN);
  zav::keep_process_arguments(argc, argv);
  zav::standard_output();
  std::atexit(zav::flush_standard_output_at_exit);
  zav::dispatch_main();
  return EXIT_SUCCESS;
}
