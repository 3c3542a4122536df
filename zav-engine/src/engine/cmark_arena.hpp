// A bump allocator for cmark: every node, buffer and string of one parse comes
// from it and the whole parse is released at once, which costs far less than
// cmark's many small mallocs and frees.
#pragma once

#include <cmark.h>

namespace zav {

// While a scope is alive, `cmark_arena_memory()` hands out memory from this
// thread's arena; the scope's end releases all of it. Scopes do not nest.
class CmarkArenaScope {
 public:
  CmarkArenaScope() = default;
  ~CmarkArenaScope();
  CmarkArenaScope(const CmarkArenaScope&) = delete;
  CmarkArenaScope& operator=(const CmarkArenaScope&) = delete;
};

// The allocator to give cmark_parser_new_with_mem.
cmark_mem* cmark_arena_memory();

}  // namespace zav
