#include "Handles.h"

#include "Accounting.h"

#include <new>

namespace trendel::portable {

HandleTable HandleTable::instance_;

void *HandleTable::MakeHandle(std::uint32_t index, std::uint32_t generation) {
  const std::uintptr_t value =
      (static_cast<std::uintptr_t>(generation) << INDEX_BITS) | (index + 1);
  return reinterpret_cast<void *>(value);
}

void *HandleTable::Add(std::unique_ptr<ObjectRecord> record) noexcept {
  if (!record) return nullptr;
  std::uint32_t index;
  try {
    if (!freeSlots_.empty()) {
      index = freeSlots_.back();
      freeSlots_.pop_back();
    } else {
      if (slots_.size() >= INDEX_MASK) return nullptr;
      freeSlots_.reserve(slots_.size() + 1);  // so that Remove never allocates
      slots_.emplace_back();
      slotCount_ = slots_.size();
      index = static_cast<std::uint32_t>(slots_.size() - 1);
    }
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
  if (!record->isStock) ++liveCounts_[static_cast<int>(record->kind)];
  Slot &slot = slots_[index];
  slot.record = std::move(record);
  return MakeHandle(index, slot.generation);
}

std::unique_ptr<ObjectRecord> HandleTable::Remove(const void *handle) noexcept {
  if (Find(handle) == nullptr) return nullptr;
  const auto index =
      static_cast<std::uint32_t>((reinterpret_cast<std::uintptr_t>(handle) & INDEX_MASK) - 1);
  Slot &slot = slots_[index];
  std::unique_ptr<ObjectRecord> record = std::move(slot.record);
  // Generations wrap within the bits a handle has for them; 0 is skipped so
  // that no handle value is ever 0 in its upper part either.
  constexpr std::uint32_t GENERATION_LIMIT =
      sizeof(void *) == 8 ? 0xFFFFFFFFu : (1u << (32 - INDEX_BITS)) - 1;
  slot.generation = slot.generation >= GENERATION_LIMIT ? 1 : slot.generation + 1;
  freeSlots_.push_back(index);
  if (!record->isStock) --liveCounts_[static_cast<int>(record->kind)];
  return record;
}

int HandleTable::CountLive(ObjectKind kind) const noexcept {
  return liveCounts_[static_cast<int>(kind)];
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
