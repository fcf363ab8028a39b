// The library as a host written in another language meets it: loaded at run
// time, its six entry points found by their plain names and called through
// pointers. On Windows a host's runtime pushes the arguments itself, so the
// calls go through an argument block laid out by hand, and every entry point
// must take exactly its own arguments off the stack (__stdcall). Loading and
// unloading also start and stop Windows Sockets there.
#ifdef _WIN32
#include <winsock2.h>  // before <windows.h>, which trendel.h includes
#else
#include <dlfcn.h>
#endif

#include "TestWindow.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace trendel::testing {
namespace {

constexpr const char *EXPORT_NAMES[] = {"Trendel_SetValues", "Trendel_DrawGraph",
                                        "Trendel_MouseMove", "Trendel_SetRedraw",
                                        "Trendel_SaveFile",  "Trendel_Destroy"};

// The library, loaded for the life of the object.
class LoadedLibrary {
 public:
#ifdef _WIN32
  LoadedLibrary() : module_(LoadLibraryA("Trendel.dll")) {}
  ~LoadedLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  // The entry point's address, as GetProcAddress gives it.
  FARPROC Find(const char *name) const { return GetProcAddress(module_, name); }
#else
  LoadedLibrary() : module_(dlopen(TRENDEL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL)) {}
  ~LoadedLibrary() {
    if (module_ != nullptr) dlclose(module_);
  }
  void *Find(const char *name) const { return dlsym(module_, name); }
#endif
  LoadedLibrary(const LoadedLibrary &) = delete;
  LoadedLibrary &operator=(const LoadedLibrary &) = delete;

  bool Loaded() const { return module_ != nullptr; }

  // The entry point as a pointer of the caller's type.
  template <typename Function>
  Function Get(const char *name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(Find(name)));
  }

 private:
#ifdef _WIN32
  HMODULE module_;
#else
  void *module_;
#endif
};

using SetValuesCall = int32_t(TRENDEL_CALL *)(
    HWND, const char *, const char *, int32_t, const char *, const char *, const char *,
    const char *const *, int32_t, const uint32_t *, int32_t, int32_t, double, double, int32_t,
    const char *, double, int32_t, int32_t, const char *const *, int32_t, const double *,
    int32_t, int32_t);
using WindowCall = int32_t(TRENDEL_CALL *)(HWND);
using MouseMoveCall = int32_t(TRENDEL_CALL *)(HWND, int32_t, int32_t, int32_t);
using SetRedrawCall = int32_t(TRENDEL_CALL *)(HWND, int32_t);
using SaveFileCall = int32_t(TRENDEL_CALL *)(HWND, const char *, int32_t, int32_t);

const char *const SERIES[] = {"North", "South"};
const char *const MONTHS[] = {"Jan", "Feb", "Mar"};
const double VALUES[] = {10, 20, 30, 40, 50, 60};

TEST(DynamicLoad, EveryExportIsFoundByItsPlainNameOnly) {
  LoadedLibrary library;
  ASSERT_TRUE(library.Loaded());
  for (const char *name : EXPORT_NAMES) EXPECT_NE(library.Find(name), nullptr) << name;
#ifdef _WIN32
  EXPECT_EQ(library.Find("Trendel_SetValues@108"), nullptr);
  EXPECT_EQ(library.Find("_Trendel_SetValues@108"), nullptr);
  EXPECT_EQ(library.Find("DllMain"), nullptr);
#endif
}

// The exports called through typed pointers, drawing into a window.
TEST(DynamicLoad, ExportsWorkThroughPointers) {
  LoadedLibrary library;
  ASSERT_TRUE(library.Loaded());
#ifdef _WIN32
  TestWindow testWindow(320, 200);
  HWND window = testWindow.Handle();
#else
  // The headless window must come from the loaded copy of the library.
  using CreateWindowCall = HWND (*)(int32_t, int32_t);
  using ReadPixelsCall = int32_t (*)(HWND, uint32_t *, int32_t, int32_t);
  using DestroyWindowCall = int32_t (*)(HWND);
  HWND window = library.Get<CreateWindowCall>("TrendelHost_CreateWindow")(320, 200);
#endif
  ASSERT_NE(window, nullptr);
  const auto setValues = library.Get<SetValuesCall>("Trendel_SetValues");
  EXPECT_EQ(setValues(window, "LINE_GRAPH", "Loaded", 0, "Month", "Units", "", SERIES, 2, nullptr,
                      0, 0, 0.0, 0.0, 1, "", 0.0, 0, 1, MONTHS, 3, VALUES, 2, 3),
            TRENDEL_OK);
  EXPECT_EQ(library.Get<WindowCall>("Trendel_DrawGraph")(window), TRENDEL_OK);
  EXPECT_EQ(library.Get<MouseMoveCall>("Trendel_MouseMove")(window, 0, 150, 100), TRENDEL_OK);
  EXPECT_EQ(library.Get<SetRedrawCall>("Trendel_SetRedraw")(window, 0), TRENDEL_OK);
  EXPECT_EQ(library.Get<WindowCall>("Trendel_DrawGraph")(window), TRENDEL_NO_GRAPH);
  EXPECT_EQ(library.Get<SaveFileCall>("Trendel_SaveFile")(window, "", 50, 40), TRENDEL_OK);
#ifdef _WIN32
  const Image image = testWindow.Pixels();
  ASSERT_EQ(image.width, 320);
  const std::uint32_t corner = image.At(0, 0);
#else
  std::vector<std::uint32_t> pixels(320 * 200);
  ASSERT_EQ(library.Get<ReadPixelsCall>("TrendelHost_ReadPixels")(window, pixels.data(), 320, 200),
            0);
  const std::uint32_t corner = pixels[0];
#endif
  EXPECT_EQ(corner, 0x000000u) << "the background's frame";
  EXPECT_EQ(library.Get<WindowCall>("Trendel_Destroy")(window), TRENDEL_OK);
#ifndef _WIN32
  library.Get<DestroyWindowCall>("TrendelHost_DestroyWindow")(window);
#endif
}

#if defined(_WIN32) && defined(__i386__)

// Calls `function` with `argumentBytes` bytes copied from `arguments` as its
// stack arguments, the way a host's runtime pushes them, stores its result,
// and returns how many bytes of arguments the callee took off the stack.
extern "C" std::uint32_t TrendelCallWithArguments(FARPROC function, const void *arguments,
                                                  std::uint32_t argumentBytes,
                                                  std::int32_t *result);
asm(R"(
        .text
        .globl _TrendelCallWithArguments
_TrendelCallWithArguments:
        pushl %ebp
        movl %esp, %ebp
        pushl %esi
        pushl %edi
        pushl %ebx
        movl 16(%ebp), %ecx
        subl %ecx, %esp
        movl %esp, %edi
        movl 12(%ebp), %esi
        cld
        rep movsb
        movl %esp, %ebx
        call *8(%ebp)
        movl 20(%ebp), %ecx
        movl %eax, (%ecx)
        movl %esp, %eax
        subl %ebx, %eax
        leal -12(%ebp), %esp
        popl %ebx
        popl %edi
        popl %esi
        popl %ebp
        ret
)");

// Argument words as a host lays them out: 32-bit values and pointers one
// word each, doubles two words with the low-order word first.
class ArgumentBlock {
 public:
  ArgumentBlock &Word(std::uint32_t value) { return Append(&value, sizeof value); }
  ArgumentBlock &Pointer(const void *value) { return Append(&value, sizeof value); }
  ArgumentBlock &Double(double value) { return Append(&value, sizeof value); }

  const void *Data() const { return bytes_.data(); }
  std::uint32_t Size() const { return static_cast<std::uint32_t>(bytes_.size()); }

 private:
  ArgumentBlock &Append(const void *value, std::size_t size) {
    const auto *first = static_cast<const unsigned char *>(value);
    bytes_.insert(bytes_.end(), first, first + size);
    return *this;
  }
  std::vector<unsigned char> bytes_;
};

struct CallOutcome {
  std::uint32_t poppedBytes;
  std::int32_t result;
};

CallOutcome Call(const LoadedLibrary &library, const char *name, const ArgumentBlock &arguments) {
  CallOutcome outcome{0, 1};
  outcome.poppedBytes = TrendelCallWithArguments(library.Find(name), arguments.Data(),
                                                  arguments.Size(), &outcome.result);
  return outcome;
}

TEST(DynamicLoad, EveryExportTakesExactlyItsArgumentsOffTheStack) {
  LoadedLibrary library;
  ASSERT_TRUE(library.Loaded());
  TestWindow testWindow(320, 200);
  const HWND window = testWindow.Handle();

  ArgumentBlock setValues;
  setValues.Pointer(window).Pointer("LINE_GRAPH").Pointer("Pushed").Word(0);
  setValues.Pointer("Month").Pointer("Units").Pointer("Legend");
  setValues.Pointer(SERIES).Word(2).Pointer(nullptr).Word(0).Word(0);
  setValues.Double(0.0).Double(100.0).Word(1).Pointer("BY_STEP").Double(25.0).Word(0).Word(1);
  setValues.Pointer(MONTHS).Word(3).Pointer(VALUES).Word(2).Word(3);
  ASSERT_EQ(setValues.Size(), 108u);
  const CallOutcome loaded = Call(library, "Trendel_SetValues", setValues);
  EXPECT_EQ(loaded.poppedBytes, 108u);
  EXPECT_EQ(loaded.result, TRENDEL_OK);

  const CallOutcome drawn = Call(library, "Trendel_DrawGraph", ArgumentBlock().Pointer(window));
  EXPECT_EQ(drawn.poppedBytes, 4u);
  EXPECT_EQ(drawn.result, TRENDEL_OK);
  EXPECT_EQ(testWindow.Pixels().At(0, 0), 0x000000u);

  const CallOutcome moved = Call(library, "Trendel_MouseMove",
                                 ArgumentBlock().Pointer(window).Word(0).Word(150).Word(100));
  EXPECT_EQ(moved.poppedBytes, 16u);
  EXPECT_EQ(moved.result, TRENDEL_OK);

  const CallOutcome switched =
      Call(library, "Trendel_SetRedraw", ArgumentBlock().Pointer(window).Word(1));
  EXPECT_EQ(switched.poppedBytes, 8u);
  EXPECT_EQ(switched.result, TRENDEL_OK);

  const CallOutcome saved = Call(library, "Trendel_SaveFile",
                                 ArgumentBlock().Pointer(window).Pointer("").Word(40).Word(30));
  EXPECT_EQ(saved.poppedBytes, 16u);
  EXPECT_EQ(saved.result, TRENDEL_OK);

  const CallOutcome destroyed = Call(library, "Trendel_Destroy", ArgumentBlock().Pointer(window));
  EXPECT_EQ(destroyed.poppedBytes, 4u);
  EXPECT_EQ(destroyed.result, TRENDEL_OK);
}

// Whether Windows Sockets are started in this process: until they are,
// every socket call fails with WSANOTINITIALISED.
bool SocketsStarted() {
  const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (probe == INVALID_SOCKET) {
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    return false;
  }
  closesocket(probe);
  return true;
}

TEST(DynamicLoad, LoadingStartsWindowsSocketsAndUnloadingStopsThem) {
  ASSERT_FALSE(SocketsStarted()) << "something else in this process started them";
  {
    LoadedLibrary library;
    ASSERT_TRUE(library.Loaded());
    EXPECT_TRUE(SocketsStarted());
  }
  EXPECT_FALSE(SocketsStarted());
}

#endif  // defined(_WIN32) && defined(__i386__)

}  // namespace
}  // namespace trendel::testing
