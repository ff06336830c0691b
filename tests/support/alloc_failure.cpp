#include "alloc_failure.h"

#include <cstdlib>
#include <new>

namespace {

long g_countdown = 0;

}  // namespace

namespace oddments::test {

void FailAllocation(long n) noexcept { g_countdown = n; }

bool AllocationFailurePending() noexcept { return g_countdown > 0; }

}  // namespace oddments::test

// Replaces the runtime's allocation functions for the whole program; the
// code under test is linked in statically, so it allocates through these.
void* operator new(std::size_t size) {
  if (g_countdown > 0 && --g_countdown == 0) throw std::bad_alloc();
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}

void* operator new[](std::size_t size) { return ::operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
