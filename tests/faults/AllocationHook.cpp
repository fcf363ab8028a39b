#include "AllocationHook.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define TRENDEL_HOOK_OPERATOR_NEW 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRENDEL_HOOK_OPERATOR_NEW 1
#endif
#endif

namespace trendel::testing {
namespace {

// Plain data only: the hook runs before any constructor and inside malloc.
struct HookState {
  bool armed;
  std::int64_t count;
  std::int64_t failing;
  bool injected;
  std::size_t largest;
};
HookState state;

// Counts one allocation; true when it is the one to fail.
bool CountAndDecide(std::size_t size) {
  if (!state.armed) return false;
  ++state.count;
  if (size > state.largest) state.largest = size;
  if (state.count != state.failing) return false;
  state.injected = true;
  return true;
}

}  // namespace

void ArmAllocationHook(std::int64_t failing) {
  state.count = 0;
  state.failing = failing;
  state.injected = false;
  state.largest = 0;
  state.armed = true;
}

std::int64_t DisarmAllocationHook() {
  state.armed = false;
  return state.count;
}

bool AllocationFailureInjected() {
  return state.injected;
}

std::size_t LargestAllocation() {
  return state.largest;
}

#ifdef TRENDEL_HOOK_OPERATOR_NEW
bool AllocationHookSeesMalloc() {
  return false;
}
#else
bool AllocationHookSeesMalloc() {
  return true;
}
#endif

}  // namespace trendel::testing

using trendel::testing::CountAndDecide;

#ifdef TRENDEL_HOOK_OPERATOR_NEW

namespace {

void *Allocate(std::size_t size) {
  if (CountAndDecide(size)) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

void *AllocateOrThrow(std::size_t size) {
  void *memory = Allocate(size);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

}  // namespace

void *operator new(std::size_t size) {
  return AllocateOrThrow(size);
}
void *operator new[](std::size_t size) {
  return AllocateOrThrow(size);
}
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
  return Allocate(size);
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
  return Allocate(size);
}
void operator delete(void *memory) noexcept {
  std::free(memory);
}
void operator delete[](void *memory) noexcept {
  std::free(memory);
}
void operator delete(void *memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete[](void *memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete(void *memory, const std::nothrow_t &) noexcept {
  std::free(memory);
}
void operator delete[](void *memory, const std::nothrow_t &) noexcept {
  std::free(memory);
}

#else

// glibc's own entry points, which the replacements below hand on to.
extern "C" void *__libc_malloc(std::size_t size);
extern "C" void *__libc_calloc(std::size_t count, std::size_t size);
extern "C" void *__libc_realloc(void *memory, std::size_t size);

extern "C" void *malloc(std::size_t size) {
  if (CountAndDecide(size)) {
    errno = ENOMEM;
    return nullptr;
  }
  return __libc_malloc(size);
}

extern "C" void *calloc(std::size_t count, std::size_t size) {
  if (CountAndDecide(count * size)) {
    errno = ENOMEM;
    return nullptr;
  }
  return __libc_calloc(count, size);
}

extern "C" void *realloc(void *memory, std::size_t size) {
  if (CountAndDecide(size)) {
    errno = ENOMEM;
    return nullptr;
  }
  return __libc_realloc(memory, size);
}

#endif
