// The handle table of the portable layer: one slot per live record, each with a
// generation count, so that a handle stays invalid once its object is gone
// even after the slot is reused. It is only touched under the library's lock,
// which every export holds.
#pragma once

#include "Objects.h"

#include <cassert>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace trendel::portable {

class HandleTable {
 public:
  // Inline, like Find below: every drawing call looks up its DC, pen, brush
  // and bitmap here, tens of thousands of times in one pass. The table is
  // made when the library loads, not on first use, so that no look-up pays
  // for the test of whether it has been made yet. Nothing uses it while the
  // library's static objects are being made, and it goes only after every
  // object made on first use, which may still hand back records then.
  static HandleTable &Instance() { return instance_; }

  // Takes ownership of the record and returns its new handle, or null when
  // memory runs out. Inline like Remove: a pass makes and deletes a pen or a
  // brush for every point.
  void *Add(std::unique_ptr<ObjectRecord> record) noexcept {
    if (!record || (freeCount_ == 0 && !AddSlot())) return nullptr;
    const std::uint32_t index = freeSlots_[--freeCount_];
    Slot &slot = slots_[index];
    if (slot.record != nullptr) --keptCount_;
    slot.record = std::move(record);  // ends any record kept in the slot
    return Open(slot, index);
  }

  // Add for a pen or a brush (a Record with Assign), made in the record that
  // the free slot keeps from the last deleted object of its kind when there
  // is one: a pass deletes a point's pen and brush and makes the next
  // point's in the same two slots, so most pens and brushes are neither
  // built nor torn down.
  template <typename Record, typename... Arguments>
  void *Make(Arguments... arguments) noexcept {
    if (freeCount_ != 0) {
      const std::uint32_t index = freeSlots_[freeCount_ - 1];
      Slot &slot = slots_[index];
      if (slot.record != nullptr && slot.record->kind == Record::KIND) {
        --freeCount_;
        --keptCount_;
        static_cast<Record &>(*slot.record).Assign(arguments...);
        return Open(slot, index);
      }
    }
    try {
      return Add(std::make_unique<Record>(arguments...));
    } catch (const std::bad_alloc &) {
      return nullptr;
    }
  }

  // The record of a live handle, or null for a handle that names nothing.
  ObjectRecord *Find(const void *handle) const noexcept {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    // An index part of 0 wraps around to the largest index, which no table
    // reaches, so one comparison refuses it along with every index past the
    // end.
    const std::uintptr_t index = (value & INDEX_MASK) - 1;
    if (index >= slotCount_) return nullptr;
    // A free slot's stamp matches no handle, so a free slot that keeps a
    // record is not found either.
    const Slot &slot = slots_[index];
    if ((value >> INDEX_BITS) != slot.stamp) return nullptr;
    return slot.record.get();
  }

  template <typename Record>
  Record *Find(const void *handle, ObjectKind kind) const noexcept {
    ObjectRecord *record = Find(handle);
    return record != nullptr && record->kind == kind ? static_cast<Record *>(record) : nullptr;
  }

  // Find for a device context, through the last one found: a drawing pass
  // makes half a dozen calls on one DC for every point, and a hit is one
  // comparison instead of the slot, generation and kind tests. Remove
  // forgets the handle when its DC goes, so a stale handle is never found.
  DeviceContext *FindDeviceContext(const void *handle) const noexcept {
    if (handle == lastDeviceContext_) return lastDeviceContextRecord_;
    DeviceContext *context = Find<DeviceContext>(handle, ObjectKind::DeviceContext);
    if (context != nullptr) {
      lastDeviceContext_ = handle;
      lastDeviceContextRecord_ = context;
    }
    return context;
  }

  // Ends the life of a live handle, whose record the caller has just found,
  // and its record's: every caller finds the record first to check its kind,
  // so a second look-up here would only repeat the first. A deleted pen or
  // brush stays in its slot for Make, up to KEPT_RECORDS of them.
  void Remove(const void *handle) noexcept {
    assert(Find(handle) != nullptr);
    if (handle == lastDeviceContext_) {
      lastDeviceContext_ = nullptr;
      lastDeviceContextRecord_ = nullptr;
    }
    const auto index =
        static_cast<std::uint32_t>((reinterpret_cast<std::uintptr_t>(handle) & INDEX_MASK) - 1);
    Slot &slot = slots_[index];
    // Generations wrap within the bits a handle has for them; 0 is skipped so
    // that no handle value is ever 0 in its upper part either.
    slot.stamp = ~(slot.stamp >= GENERATION_LIMIT ? 1 : slot.stamp + 1);
    freeSlots_[freeCount_++] = index;
    const ObjectKind kind = slot.record->kind;
    if (RECYCLE_STORAGE && (kind == ObjectKind::Pen || kind == ObjectKind::Brush) &&
        keptCount_ < KEPT_RECORDS) {
      ++keptCount_;
      return;
    }
    // Ended last, with the table in order, as the record's destructor may
    // call back into it.
    const std::unique_ptr<ObjectRecord> ended = std::move(slot.record);
  }

  // Live records of one kind, stock objects not counted.
  int CountLive(ObjectKind kind) const noexcept;

 private:
  // A handle packs the slot index and the slot's generation into one
  // pointer-sized value; 0 is never a valid handle.
  static constexpr int INDEX_BITS = 24;
  static constexpr std::uintptr_t INDEX_MASK = (std::uintptr_t{1} << INDEX_BITS) - 1;
  static constexpr std::uintptr_t GENERATION_LIMIT =
      sizeof(void *) == 8 ? 0xFFFFFFFFu : (1u << (32 - INDEX_BITS)) - 1;
  struct Slot {
    std::unique_ptr<ObjectRecord> record;
    // The generation while the slot is live; while it is free, the
    // complement of the generation its next record gets. Complements have
    // their top bits set, which no handle's upper part reaches, so that Find
    // needs one comparison to refuse both a stale handle and a free slot.
    std::uintptr_t stamp = ~std::uintptr_t{1};
  };

  static bool IsLive(const Slot &slot) noexcept {
    return slot.stamp <= GENERATION_LIMIT;
  }

  // Gives the free slot's record a live handle.
  static void *Open(Slot &slot, std::uint32_t index) noexcept {
    slot.stamp = ~slot.stamp;
    const std::uintptr_t value = (slot.stamp << INDEX_BITS) | (index + 1);
    return reinterpret_cast<void *>(value);
  }

  // Adds a slot and puts it on the free list; false when memory runs out or
  // every index is taken.
  bool AddSlot() noexcept;

  static HandleTable instance_;
  std::vector<Slot> slots_;
  // slots_.size(), kept aside: Find compares with it on every look-up.
  std::uintptr_t slotCount_ = 0;
  // The free slots' indexes are the first freeCount_ entries. There is an
  // entry for every slot, so that Remove has room without a test of the
  // vector's capacity or a path that could grow it.
  std::vector<std::uint32_t> freeSlots_;
  std::size_t freeCount_ = 0;
  // FindDeviceContext's last hit. Both are null while there is none, so that
  // a null handle finds nothing.
  mutable const void *lastDeviceContext_ = nullptr;
  mutable DeviceContext *lastDeviceContextRecord_ = nullptr;
  // Deleted pens and brushes kept in free slots. A pass holds only a few
  // at a time; keeping more would only hold on to memory after a burst.
  static constexpr int KEPT_RECORDS = 16;
  int keptCount_ = 0;
};

template <typename Record>
Record *FindObject(const void *handle, ObjectKind kind) noexcept {
  return HandleTable::Instance().Find<Record>(handle, kind);
}

inline DeviceContext *FindDeviceContext(HDC dc) noexcept {
  return HandleTable::Instance().FindDeviceContext(dc);
}
inline Window *FindWindow(HWND window) noexcept {
  return FindObject<Window>(window, ObjectKind::Window);
}
inline Bitmap *FindBitmap(HGDIOBJ bitmap) noexcept {
  return FindObject<Bitmap>(bitmap, ObjectKind::Bitmap);
}

}  // namespace trendel::portable
