#include "win_shell_folders.h"

#include <cstring>

#include "com_ptr.h"
#include "handles.h"
#include "text.h"

namespace qelwipe::win {
namespace {

// ANSI text of at most `limit` bytes, ended by a NUL or the limit.
std::optional<std::wstring> AnsiUpTo(const char* text, std::size_t limit) {
  const void* end = std::memchr(text, '\0', limit);
  return winkit::AnsiToWide(
      std::string_view(text, end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : limit));
}

class WinShellFolders final : public ShellFolders {
 public:
  void Enumerate(SpecialFolder folder, const EntryHandler& entry) override {
    // Every identifier list of the scan goes back through this allocator.
    comkit::ComPtr<IMalloc> allocator;
    if (FAILED(SHGetMalloc(allocator.put())) || !allocator) return;
    winkit::ShellPidl location(allocator.get());
    if (FAILED(SHGetSpecialFolderLocation(nullptr, static_cast<int>(folder), location.put())) || !location) return;
    comkit::ComPtr<IShellFolder> desktop, bound;
    comkit::ComPtr<IEnumIDList> entries;
    if (FAILED(SHGetDesktopFolder(desktop.put())) || !desktop) return;
    if (FAILED(desktop->BindToObject(location.get(), nullptr, IID_IShellFolder, bound.put_void())) || !bound) return;
    if (bound->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, entries.put()) !=
            S_OK ||
        !entries)
      return;
    for (;;) {
      winkit::ShellChildPidl child(allocator.get());
      ULONG fetched = 0;
      if (entries->Next(1, child.put(), &fetched) != S_OK || fetched != 1 || !child) return;
      std::optional<std::string> name;
      STRRET text{};
      if (SUCCEEDED(bound->GetDisplayNameOf(child.get(), SHGDN_FORPARSING, &text)))
        if (const auto wide = TakeStrRet(text, child.get())) name = winkit::WideToUtf8(*wide);
      child.reset();
      if (!entry(name)) return;
    }
  }
};

}  // namespace

std::optional<std::wstring> TakeStrRet(STRRET& name, PCUITEMID_CHILD entry) {
  switch (name.uType) {
    case STRRET_WSTR: {
      const winkit::UniqueCoTaskMem<LPWSTR> text(name.pOleStr);
      name.pOleStr = nullptr;
      if (!text) return std::nullopt;
      return std::wstring(text.get());
    }
    case STRRET_OFFSET: {
      // Inside the entry's own identifier, which it must not run past.
      const std::size_t size = entry ? entry->mkid.cb : 0;
      if (name.uOffset >= size) return std::nullopt;
      return AnsiUpTo(reinterpret_cast<const char*>(entry) + name.uOffset, size - name.uOffset);
    }
    case STRRET_CSTR:
      return AnsiUpTo(name.cStr, sizeof name.cStr);
  }
  return std::nullopt;
}

std::unique_ptr<ShellFolders> MakeWinShellFolders() { return std::make_unique<WinShellFolders>(); }

}  // namespace qelwipe::win
