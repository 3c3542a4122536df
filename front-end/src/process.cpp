#include "process.hpp"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zav {
namespace {

std::vector<std::string_view>& arguments() {
  static std::vector<std::string_view> kept;
  return kept;
}

}  // namespace

// A load or a facts run allocates its texts and records once and touches
// each of their pages once, and the process ends soon after. On such a run
// the page faults of a growing heap cost more than the work itself, so the
// heap is prepared before the command starts its threads:
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
void prepare_heap_for_one_command() {
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

void keep_process_arguments(int argc, char** argv) {
  arguments().assign(argv, argv + argc);
}

std::span<const std::string_view> process_arguments() {
  return arguments();
}

WriteResult write_fully(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(WriteError{errno});
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return {};
}

WriteResult OutputStream::flush() {
  if (used_ == 0) return {};
  std::size_t used = used_;
  // The buffer counts as sent even when the write fails: a failed document is
  // abandoned, and its rest must not reach the descriptor later.
  used_ = 0;
  return write_fully(fd_, std::string_view(buffer_.data(), used));
}

WriteResult OutputStream::append(std::string_view piece) {
  if (piece.size() < BUFFER_SIZE && piece.size() <= BUFFER_SIZE - used_) {
    std::memcpy(buffer_.data() + used_, piece.data(), piece.size());
    used_ += piece.size();
    return {};
  }
  if (auto sent = flush(); !sent) return sent;
  if (piece.size() >= BUFFER_SIZE) return write_fully(fd_, piece);
  std::memcpy(buffer_.data(), piece.data(), piece.size());
  used_ = piece.size();
  return {};
}

WriteResult OutputStream::write(std::string_view piece) {
  std::size_t last_line_feed = piece.rfind('\n');
  if (last_line_feed == std::string_view::npos) return append(piece);
  std::string_view lines = piece.substr(0, last_line_feed + 1);
  if (auto sent = append(lines); !sent) return sent;
  if (auto sent = flush(); !sent) return sent;
  return append(piece.substr(last_line_feed + 1));
}

OutputStream& standard_output() {
  static OutputStream stream(STDOUT_FILENO);
  return stream;
}

void flush_standard_output_at_exit() {
  (void)standard_output().flush();
}

}  // namespace zav
