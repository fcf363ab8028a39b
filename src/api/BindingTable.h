// The process-wide table that binds each host window to its GraphBinding:
// two parallel arrays in the order the windows were first seen.
#pragma once

#include "GraphBinding.h"

#include <memory>
#include <vector>

namespace trendel {

class BindingTable {
 public:
  static BindingTable &Instance();

  // The window's binding; a window without one is bound on the spot and its
  // device context taken. Null only when memory runs out.
  GraphBinding *GetOrCreate(HWND window) noexcept;

  // Gives back the window's device context, deletes its graph and forgets it.
  void Remove(HWND window) noexcept;

 private:
  std::vector<HWND> windows_;
  std::vector<std::unique_ptr<GraphBinding>> bindings_;
};

}  // namespace trendel
