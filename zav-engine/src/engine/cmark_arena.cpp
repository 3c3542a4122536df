#include "engine/cmark_arena.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zav {
namespace {

constexpr std::size_t ALIGNMENT = 16;
constexpr std::size_t HEADER = 16;  // each block is preceded by its size
constexpr std::size_t FIRST_CHUNK = std::size_t{64} << 10;
constexpr std::size_t LARGEST_CHUNK = std::size_t{4} << 20;
constexpr std::size_t KEPT_BYTES = std::size_t{4} << 20;  // a chunk kept between parses

struct Chunk {
  char* begin;
  std::size_t size;
};

struct Arena {
  std::vector<Chunk> chunks;
  char* cursor = nullptr;  // free space of the newest chunk
  char* end = nullptr;
  char* last = nullptr;  // the newest block, which can grow or shrink in place
  std::size_t next_chunk = FIRST_CHUNK;

  ~Arena() {
    for (const Chunk& chunk : chunks) std::free(chunk.begin);
  }
};

thread_local Arena arena;

std::size_t rounded(std::size_t size) {
  return (size + ALIGNMENT - 1) & ~(ALIGNMENT - 1);
}

std::size_t& block_size(void* block) {
  return *reinterpret_cast<std::size_t*>(static_cast<char*>(block) - HEADER);
}

// cmark treats a failed allocation as fatal too.
[[noreturn]] void out_of_memory() {
  std::abort();
}

void add_chunk(std::size_t at_least) {
  std::size_t size = std::max(arena.next_chunk, at_least);
  char* begin = static_cast<char*>(std::malloc(size));
  if (begin == nullptr) out_of_memory();
  arena.chunks.push_back(Chunk{begin, size});
  arena.cursor = begin;
  arena.end = begin + size;
  arena.next_chunk = std::min(arena.next_chunk * 2, LARGEST_CHUNK);
}

void* allocate(std::size_t size) {
  if (size > SIZE_MAX / 2) out_of_memory();
  std::size_t need = HEADER + rounded(size);
  if (static_cast<std::size_t>(arena.end - arena.cursor) < need) add_chunk(need);
  char* block = arena.cursor + HEADER;
  arena.cursor += need;
  arena.last = block;
  block_size(block) = size;
  return block;
}

void* arena_calloc(std::size_t count, std::size_t size) {
  if (size != 0 && count > SIZE_MAX / size) out_of_memory();
  void* block = allocate(count * size);
  std::memset(block, 0, count * size);
  return block;
}

void* arena_realloc(void* old, std::size_t size) {
  if (old == nullptr) return allocate(size);
  std::size_t old_size = block_size(old);
  char* block = static_cast<char*>(old);
  // The newest block grows in place while its chunk has room, as cmark's
  // buffers do while they are being filled.
  if (block == arena.last && size <= SIZE_MAX / 2 &&
      static_cast<std::size_t>(arena.end - block) >= rounded(size)) {
    arena.cursor = block + rounded(size);
    block_size(block) = size;
    return block;
  }
  void* moved = allocate(size);
  std::memcpy(moved, old, std::min(old_size, size));
  return moved;
}

// Memory goes back when the parse ends; only the newest block is given back
// at once.
void arena_free(void* block) {
  if (block != nullptr && block == arena.last) {
    arena.cursor = static_cast<char*>(block) - HEADER;
    arena.last = nullptr;
  }
}

cmark_mem memory{arena_calloc, arena_realloc, arena_free};

}  // namespace

CmarkArenaScope::~CmarkArenaScope() {
  // The largest chunk that is not too big stays for the next parse.
  auto kept = arena.chunks.end();
  for (auto it = arena.chunks.begin(); it != arena.chunks.end(); ++it) {
    if (it->size <= KEPT_BYTES && (kept == arena.chunks.end() || it->size > kept->size)) kept = it;
  }
  for (auto it = arena.chunks.begin(); it != arena.chunks.end(); ++it) {
    if (it != kept) std::free(it->begin);
  }
  Chunk reused = kept != arena.chunks.end() ? *kept : Chunk{nullptr, 0};
  arena.chunks.clear();
  if (reused.begin != nullptr) arena.chunks.push_back(reused);
  arena.cursor = reused.begin;
  arena.end = reused.begin + reused.size;
  arena.last = nullptr;
  arena.next_chunk = std::max(FIRST_CHUNK, std::min(reused.size * 2, LARGEST_CHUNK));
}

cmark_mem* cmark_arena_memory() {
  return &memory;
}

}  // namespace zav
