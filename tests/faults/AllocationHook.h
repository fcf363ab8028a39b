// A test-only allocation hook: it counts the allocations made while it is
// armed and makes exactly one of them fail, so that a test can walk an
// operation's allocations one by one.
//
// Where it reaches: without the sanitizers it replaces malloc, calloc and
// realloc, so it sees every allocation of the process: the library's, the
// C++ runtime's (operator new ends in malloc), the portable layer's,
// libjpeg's, FreeType's and the C library's own (fopen). Under
// AddressSanitizer, which owns malloc, it replaces the C++ operator new
// and delete instead and sees only allocations made through them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace trendel::testing {

// Starts counting from zero; the allocation numbered `failing` (from 1)
// fails, none when it is 0.
void ArmAllocationHook(std::int64_t failing);
// Stops failing and counting, and returns the number of allocations made
// while armed.
std::int64_t DisarmAllocationHook();
// Whether the allocation that was to fail was reached.
bool AllocationFailureInjected();
// The most bytes one allocation asked for while armed.
std::size_t LargestAllocation();
// Whether the hook sees the C libraries' allocations too.
bool AllocationHookSeesMalloc();

}  // namespace trendel::testing
