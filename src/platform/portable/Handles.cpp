#include "Handles.h"

#include "Accounting.h"

#include <new>

namespace trendel::portable {
namespace {

// A handle packs the slot index and the slot's generation into one
// pointer-sized value; 0 is never a valid handle.
constexpr int INDEX_BITS = 24;
constexpr std::uintptr_t INDEX_MASK = (std::uintptr_t{1} << INDEX_BITS) - 1;

void *MakeHandle(std::uint32_t index, std::uint32_t generation) {
  const std::uintptr_t value =
      (static_cast<std::uintptr_t>(generation) << INDEX_BITS) | (index + 1);
  return reinterpret_cast<void *>(value);
}

}  // namespace

HandleTable &HandleTable::Instance() {
  static HandleTable table;
  return table;
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

ObjectRecord *HandleTable::Find(const void *handle) const noexcept {
  const auto value = reinterpret_cast<std::uintptr_t>(handle);
  const std::uintptr_t indexPlusOne = value & INDEX_MASK;
  if (indexPlusOne == 0 || indexPlusOne > slots_.size()) return nullptr;
  const Slot &slot = slots_[indexPlusOne - 1];
  if ((value >> INDEX_BITS) != slot.generation) return nullptr;
  return slot.record.get();
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
