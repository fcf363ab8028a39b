// Fuzz target for the order of calls: a sequence of exports over a few
// windows, as a host's event loop might make them, in any order. Windows are
// made, resized and destroyed (the headless window sometimes before its
// binding), graphs set, drawn, tracked, switched off and on, saved and
// destroyed; now and then a call names no window at all, a made-up handle or
// a destroyed one.
//
// A model of each handle's binding predicts every result code exactly. At
// the end every binding and window is released and each object the portable
// layer counts must be gone; no temporary file may survive, and no message
// box come up.
#include "FuzzInput.h"
#include "FuzzedGraph.h"
#include "LiveObjects.h"
#include "Sandbox.h"
#include "render/Tracking.h"
#include "trendel.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace trendel;
using namespace trendel::fuzzing;

// Slots for windows, then one for no window and one for a made-up handle.
constexpr int WINDOW_SLOTS = 4;
constexpr int NO_WINDOW = WINDOW_SLOTS;
constexpr int MADE_UP = WINDOW_SLOTS + 1;
// An index beyond any the handle table will ever reach.
constexpr std::uintptr_t MADE_UP_HANDLE = 0x00FFFFFF;
constexpr int MOST_CALLS = 64;
constexpr std::int32_t MOST_CATEGORIES = 30;
constexpr std::int32_t LARGEST_SIDE = 400;
const char *const SAVE_NAMES[] = {"chart.bmp", "chart.gif", "chart.jpg", "deep\\er\\chart.GIF", ""};

// What the library must remember of one handle's binding.
struct Binding {
  bool graphLoaded = false;
  bool redrawEnabled = true;
};

// One handle a call can name: a headless window (live or destroyed), no
// window at all, or a value that was never a handle.
struct Slot {
  HWND handle = nullptr;
  bool live = false;
  Binding binding;
};

class Session {
 public:
  // Every window slot starts with a window, so that only the slot meant for
  // it names no window.
  explicit Session(FuzzInput &input) : input_(input) {
    for (int slot = 0; slot < WINDOW_SLOTS; ++slot) CreateWindow(slots_[slot]);
    slots_[MADE_UP].handle = reinterpret_cast<HWND>(MADE_UP_HANDLE);
  }

  void Run() {
    for (int call = 0; call < MOST_CALLS && !input_.Empty(); ++call) Step();
    Finish();
  }

 private:
  std::int32_t Side() { return static_cast<std::int32_t>(input_.Between(1, LARGEST_SIDE)); }

  // Mostly one of the windows.
  Slot &ChooseSlot() {
    const std::int64_t choice = input_.Between(0, 4 * WINDOW_SLOTS + 1);
    if (choice < 4 * WINDOW_SLOTS) return slots_[static_cast<std::size_t>(choice % WINDOW_SLOTS)];
    return slots_[choice == 4 * WINDOW_SLOTS ? NO_WINDOW : MADE_UP];
  }

  void Step() {
    Slot &slot = ChooseSlot();
    switch (input_.Between(0, 10)) {
      case 0:
        CreateWindow(slot);
        break;
      case 1:
        DestroyWindow(slot);
        break;
      case 2:
        SetValues(slot);
        break;
      case 3:
      case 4:
        Draw(slot);
        break;
      case 5:
      case 6:
        MouseMove(slot);
        break;
      case 7:
        SetRedraw(slot);
        break;
      case 8:
        Save(slot);
        break;
      case 9:
        Require(Trendel_Destroy(slot.handle) == TRENDEL_OK, "Trendel_Destroy's result");
        slot.binding = Binding{};
        break;
      default:
        Require(TrendelHost_SetActiveWindow(slot.handle) ==
                    (slot.live || slot.handle == nullptr ? 0 : -1),
                "TrendelHost_SetActiveWindow's result");
        break;
    }
  }

  // A new window in a slot retires the slot's old handle, live or not, with
  // its binding: both are released only at the end, as a careless host
  // would.
  void CreateWindow(Slot &slot) {
    if (&slot == &slots_[NO_WINDOW] || &slot == &slots_[MADE_UP]) return;
    if (slot.handle != nullptr) retired_.push_back(slot);
    slot = Slot{};
    slot.handle = TrendelHost_CreateWindow(Side(), Side());
    Require(slot.handle != nullptr, "no window");
    slot.live = true;
  }

  void DestroyWindow(Slot &slot) {
    if (slot.live && input_.OneIn(2)) {
      Require(TrendelHost_ResizeWindow(slot.handle, Side(), Side()) == 0, "the resize failed");
      return;
    }
    Require(TrendelHost_DestroyWindow(slot.handle) == (slot.live ? 0 : -1),
            "TrendelHost_DestroyWindow's result");
    slot.live = false;
  }

  void SetValues(Slot &slot) {
    const FuzzedGraph graph(input_, MOST_CATEGORIES);
    const std::int32_t result = graph.Load(slot.handle);
    Require(result == TRENDEL_OK || (result <= TRENDEL_NO_GRAPH && result >= TRENDEL_EMPTY_MATRIX),
            "Trendel_SetValues' result");
    if (result == TRENDEL_OK) slot.binding.graphLoaded = true;
  }

  void Draw(Slot &slot) {
    const Binding &binding = slot.binding;
    const std::int32_t expected = !binding.graphLoaded || !binding.redrawEnabled ? TRENDEL_NO_GRAPH
                                  : slot.live                                    ? TRENDEL_OK
                                              : TRENDEL_NO_BINDING;
    Require(Trendel_DrawGraph(slot.handle) == expected, "Trendel_DrawGraph's result");
  }

  void MouseMove(Slot &slot) {
    const std::int32_t x = input_.OneIn(8)
                               ? input_.Int32()
                               : static_cast<std::int32_t>(input_.Between(-5, LARGEST_SIDE + 5));
    const std::int32_t y = input_.OneIn(8)
                               ? input_.Int32()
                               : static_cast<std::int32_t>(input_.Between(-5, LARGEST_SIDE + 5));
    Require(Trendel_MouseMove(slot.handle, 0, x, y) == TRENDEL_OK, "Trendel_MouseMove's result");
  }

  void SetRedraw(Slot &slot) {
    const std::int32_t enable = input_.OneIn(2) ? 0 : input_.Int32();
    Require(Trendel_SetRedraw(slot.handle, enable) == TRENDEL_OK, "Trendel_SetRedraw's result");
    slot.binding.redrawEnabled = enable != 0;
  }

  void Save(Slot &slot) {
    const std::string name = SAVE_NAMES[input_.Between(0, std::size(SAVE_NAMES) - 1)];
    const std::string path = name.empty() ? name : Sandbox::Instance().OutputFolder() + name;
    const std::int32_t width = static_cast<std::int32_t>(input_.Between(-1, 160));
    const std::int32_t height = static_cast<std::int32_t>(input_.Between(-1, 160));
    const std::int32_t expected = slot.binding.graphLoaded ? TRENDEL_OK : TRENDEL_NO_GRAPH;
    const std::int32_t result = Trendel_SaveFile(slot.handle, path.c_str(), width, height);
    // A handle that names no window may leave the save without a device
    // context to draw with, or the clipboard without an owner: nothing saved.
    const bool unsaved = !slot.live && expected == TRENDEL_OK && result == TRENDEL_SAVE_FAILED;
    Require(result == expected || unsaved, "Trendel_SaveFile's result");
  }

  // Releases everything the session made, in an order from the input.
  void Finish() {
    for (Slot &slot : slots_) retired_.push_back(slot);
    for (const Slot &slot : retired_) {
      if (input_.OneIn(2)) Trendel_Destroy(slot.handle);
      if (slot.live) TrendelHost_DestroyWindow(slot.handle);
      Trendel_Destroy(slot.handle);
    }
  }

  FuzzInput &input_;
  std::array<Slot, WINDOW_SLOTS + 2> slots_;
  std::vector<Slot> retired_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const Sandbox &sandbox = Sandbox::Instance();
  TrendelHost_SetMessageHandler(MessageBoxIsAFault);
  SetTrackingMode(TRACKING_OFF);
  const portable::LiveObjectCounts before = CountWithoutClipboard();
  FuzzInput input(data, size);
  Session(input).Run();
  RequireSameObjects(before, CountWithoutClipboard());
  sandbox.CheckAndClean();
  return 0;
}
