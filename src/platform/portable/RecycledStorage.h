// Storage for the records a drawing pass makes and deletes by the thousand: a
// brush for every point, a pen for every segment, a font for every label. A
// record type that derives from RecycledStorage<Record> keeps the blocks of
// its deleted records on a short free list and builds the next record of its
// type in one of them, so creating a pen, brush or font costs no trip to the
// heap. The objects themselves still come and go exactly as in GDI.
//
// Under AddressSanitizer every block goes straight back to the heap, so that a
// record used after its deletion is still caught.
#pragma once

#include <cstddef>
#include <new>

namespace trendel::portable {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool RECYCLE_STORAGE = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool RECYCLE_STORAGE = false;
#else
inline constexpr bool RECYCLE_STORAGE = true;
#endif
#else
inline constexpr bool RECYCLE_STORAGE = true;
#endif

template <typename Record>
class RecycledStorage {
 public:
  static void *operator new(std::size_t size) {
    if (size == sizeof(Record) && freeList_ != nullptr) {
      FreeBlock *block = freeList_;
      freeList_ = block->next;
      --freeCount_;
      return block;
    }
    return ::operator new(size);
  }

  // Records are final, so `size` is always the record's own.
  static void operator delete(void *storage, std::size_t size) noexcept {
    static_assert(sizeof(Record) >= sizeof(FreeBlock));
    if (RECYCLE_STORAGE && size == sizeof(Record) && freeCount_ < KEPT_BLOCKS) {
      freeList_ = ::new (storage) FreeBlock{freeList_};
      ++freeCount_;
      return;
    }
    ::operator delete(storage);
  }

 private:
  struct FreeBlock {
    FreeBlock *next;
  };
  // A pass holds only a few such records at a time; keeping more would only
  // hold on to memory after an unusual burst.
  static constexpr int KEPT_BLOCKS = 16;

  // Process-wide like the handle table, and like it used only under the
  // library's lock.
  static inline FreeBlock *freeList_ = nullptr;
  static inline int freeCount_ = 0;
};

}  // namespace trendel::portable
