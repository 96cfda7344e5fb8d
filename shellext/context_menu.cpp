#include "context_menu.h"

#include <shellapi.h>

#include <algorithm>
#include <optional>

#include "list_file.h"
#include "menu_surface.h"
#include "scope_exit.h"
#include "text.h"

namespace lintorel {

using comkit::ComPtr;

namespace {

// Names longer than this are refused rather than cut: a cut name is another file.
constexpr UINT kPathBuffer = 1024;
// The install-folder record's buffer; a longer record is refused.
constexpr DWORD kFolderBuffer = 1000;

// The installation's record of the wizard's folder; nothing when it is missing,
// too long for its buffer, not a string or without its terminating NUL.
std::optional<std::wstring> InstallFolder() {
  winkit::UniqueKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstallFolderKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
    return std::nullopt;
  wchar_t buffer[kFolderBuffer];
  DWORD type = 0, size = sizeof buffer;
  if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  const std::size_t count = size / sizeof(wchar_t);
  if (count < 2 || buffer[count - 1] != L'\0') return std::nullopt;
  std::wstring folder(buffer, std::find(buffer, buffer + count, L'\0'));
  if (folder.empty()) return std::nullopt;
  return folder;
}

// A verb given as text (ANSI, or wide in the extended form) rather than as a command offset.
bool VerbIsText(const CMINVOKECOMMANDINFO& info) {
  if (!IS_INTRESOURCE(info.lpVerb)) return true;
  if (info.cbSize < sizeof(CMINVOKECOMMANDINFOEX) || !(info.fMask & CMIC_MASK_UNICODE)) return false;
  return !IS_INTRESOURCE(reinterpret_cast<const CMINVOKECOMMANDINFOEX&>(info).lpVerbW);
}

template <class Char>
void CopyCut(std::wstring_view text, Char* out, UINT size) {
  if (!out || size == 0) return;
  const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
  // The help text is ASCII: its ANSI form is the same characters.
  std::transform(text.begin(), text.begin() + length, out, [](wchar_t c) { return static_cast<Char>(c); });
  out[length] = Char{};
}

// A normal menu, or an Explorer menu that is not for verbs only.
bool WantsCommand(UINT flags) {
  return (flags & 0xF) == CMF_NORMAL || (!(flags & CMF_VERBSONLY) && (flags & CMF_EXPLORE));
}

}  // namespace

ContextMenu::ContextMenu(IUnknown* outer)
    : ComObject(outer),
      bitmap_(static_cast<HBITMAP>(LoadImageW(comkit::ThisModule(), kMenuBitmap, IMAGE_BITMAP, 0, 0, 0))) {}

HRESULT ContextMenu::FindInterface(REFIID iid, void** out) {
  static const QITAB table[] = {
      QITABENT(ContextMenu, IMenuSelection),
      QITABENTMULTI(ContextMenu, IDispatch, IMenuSelection),
      QITABENT(ContextMenu, IShellExtInit),
      QITABENT(ContextMenu, IContextMenu),
      {},
  };
  return QISearch(this, table, iid, out);
}

// --- IMenuSelection ----------------------------------------------------------

STDMETHODIMP ContextMenu::get_FileCount(BYTE* count) {
  if (!count) return E_POINTER;
  *count = static_cast<BYTE>(paths_.size());
  return S_OK;
}

STDMETHODIMP ContextMenu::get_FileName(BSTR* path) {
  if (!path) return E_POINTER;
  *path = nullptr;
  if (paths_.empty()) return DISP_E_BADINDEX;
  *path = SysAllocStringLen(paths_.front().data(), static_cast<UINT>(paths_.front().size()));
  return *path ? S_OK : E_OUTOFMEMORY;
}

// --- IShellExtInit -----------------------------------------------------------

STDMETHODIMP ContextMenu::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) {
  if (!data) return E_INVALIDARG;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  const basekit::ScopeExit release([&] { ReleaseStgMedium(&medium); });
  HRESULT hr = data->GetData(&format, &medium);
  if (FAILED(hr)) return hr;
  return comkit::Guarded([&] { return ReadSelection(static_cast<HDROP>(medium.hGlobal)); });
}

HRESULT ContextMenu::ReadSelection(HDROP drop) {
  paths_.clear();
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  if (count > kMaxItems) return HRESULT_FROM_WIN32(ERROR_ARITHMETIC_OVERFLOW);
  std::vector<std::wstring> paths(count);
  wchar_t buffer[kPathBuffer];
  for (UINT i = 0; i < count; ++i) {
    if (DragQueryFileW(drop, i, nullptr, 0) >= kPathBuffer) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    const UINT length = DragQueryFileW(drop, i, buffer, kPathBuffer);
    paths[i].assign(buffer, length);
  }
  paths_ = std::move(paths);
  return S_OK;
}

// --- IContextMenu ------------------------------------------------------------

STDMETHODIMP ContextMenu::QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT, UINT flags) {
  if (!WantsCommand(flags)) return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0);
  if (!InsertMenuW(menu, index, MF_BYPOSITION, firstId, kCaption)) return HRESULT_FROM_WIN32(GetLastError());
  if (bitmap_) SetMenuItemBitmaps(menu, index, MF_BYPOSITION, bitmap_.get(), bitmap_.get());
  // The shell reads the count of identifiers used from the code itself.
  return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 1);
}

STDMETHODIMP ContextMenu::GetCommandString(UINT_PTR id, UINT type, UINT*, CHAR* name, UINT size) {
  const std::wstring_view text = id == 0 ? kHelpText : L"";
  switch (type) {
    case GCS_VERBA:
    case GCS_HELPTEXTA:
    case GCS_VALIDATEA:
      CopyCut(text, name, size);
      break;
    case GCS_VERBW:
    case GCS_HELPTEXTW:
    case GCS_VALIDATEW:
      CopyCut(text, reinterpret_cast<wchar_t*>(name), size);
      break;
    default:
      break;
  }
  return S_OK;
}

STDMETHODIMP ContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (!info) return E_INVALIDARG;
  // Only the command's own offset is this handler's: a verb given as text, or another
  // handler's command, must fail so that its own handler runs, and nothing is written for it.
  if (VerbIsText(*info) || LOWORD(info->lpVerb) != 0) return E_FAIL;
  return comkit::Guarded([&]() -> HRESULT {
    // Every name goes on whole, or the command is refused: a name that does not
    // convert would reach the wizard as another file.
    std::vector<std::string> paths;
    for (const std::wstring& path : paths_) {
      auto converted = winkit::WideToUtf8(path);
      if (!converted) return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
      paths.push_back(std::move(*converted));
    }
    std::string listFile;
    if (!listfile::CreateListFile(paths, listFile)) return HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
    return StartWizard(listFile);
  });
}

// Without an install-folder record nothing is started; the list file stays.
HRESULT ContextMenu::StartWizard(const std::string& listFile) const {
  const auto folder = InstallFolder();
  if (!folder) return S_OK;
  const auto list = winkit::Utf8ToWide(listFile);
  if (!list) return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
  // Both paths quoted, and the program named on its own: a folder with blanks
  // must never start another program.
  const std::wstring program = *folder + L'\\' + kWizardFileName;
  std::wstring command = L'"' + program + L"\" \"" + *list + L'"';
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return HRESULT_FROM_WIN32(GetLastError());
  winkit::UniqueKernelObject processHandle(process.hProcess), thread(process.hThread);
  return S_OK;
}

}  // namespace lintorel
