#include "BindingTable.h"

#include <new>

namespace trendel {

BindingTable &BindingTable::Instance() {
  static BindingTable table;
  return table;
}

GraphBinding *BindingTable::GetOrCreate(HWND window) noexcept {
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    if (windows_[i] == window) return bindings_[i].get();
  }
  try {
    windows_.reserve(windows_.size() + 1);
    bindings_.reserve(bindings_.size() + 1);
    auto binding = std::make_unique<GraphBinding>(window);
    binding->windowDC = GetDC(window);
    windows_.push_back(window);
    bindings_.push_back(std::move(binding));
    return bindings_.back().get();
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

void BindingTable::Remove(HWND window) noexcept {
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    if (windows_[i] != window) continue;
    GraphBinding &binding = *bindings_[i];
    if (binding.windowDC != nullptr) ReleaseDC(window, binding.windowDC);
    binding.graph.reset();
    bindings_.erase(bindings_.begin() + static_cast<std::ptrdiff_t>(i));
    windows_.erase(windows_.begin() + static_cast<std::ptrdiff_t>(i));
    return;
  }
}

}  // namespace trendel
