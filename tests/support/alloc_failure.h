// Running out of memory on purpose: this test program's global operator new
// can be told to fail one allocation.
#pragma once

namespace oddments::test {

// The n-th allocation from now (1 is the next) throws std::bad_alloc; later
// ones succeed again. 0 disarms.
void FailAllocation(long n) noexcept;

// Whether the armed failure has not happened yet.
bool AllocationFailurePending() noexcept;

}  // namespace oddments::test
