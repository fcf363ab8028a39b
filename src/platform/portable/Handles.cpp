#include "Handles.h"

#include "Accounting.h"

#include <new>

namespace trendel::portable {

HandleTable HandleTable::instance_;

bool HandleTable::AddSlot() noexcept {
  if (slots_.size() >= INDEX_MASK) return false;
  try {
    // An entry left over when the slot cannot be made is harmless: only
    // the first freeCount_ entries count.
    freeSlots_.emplace_back();
    slots_.emplace_back();
  } catch (const std::bad_alloc &) {
    return false;
  }
  slotCount_ = slots_.size();
  freeSlots_[freeCount_++] = static_cast<std::uint32_t>(slots_.size() - 1);
  return true;
}

// Counted on request rather than kept up to date by every Add and Remove: only
// the leak checks ask, and a pass adds and removes objects by the thousand.
int HandleTable::CountLive(ObjectKind kind) const noexcept {
  int count = 0;
  for (const Slot &slot : slots_) {
    if (IsLive(slot) && slot.record->kind == kind && !slot.record->isStock) ++count;
  }
  return count;
}

LiveObjectCounts CountLiveObjects() noexcept {
  const HandleTable &table = HandleTable::Instance();
  LiveObjectCounts counts;
  counts.gdiObjects = table.CountLive(ObjectKind::Pen) + table.CountLive(ObjectKind::Brush) +
                      table.CountLive(ObjectKind::Font) + table.CountLive(ObjectKind::Bitmap) +
                      table.CountLive(ObjectKind::Palette);
  counts.deviceContexts = table.CountLive(ObjectKind::DeviceContext);
  counts.globalBlocks = table.CountLive(ObjectKind::GlobalMemory);
  counts.files = table.CountLive(ObjectKind::File);
  counts.windows = table.CountLive(ObjectKind::Window);
  return counts;
}

}  // namespace trendel::portable
