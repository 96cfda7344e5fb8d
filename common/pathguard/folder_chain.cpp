#include "folder_chain.h"

namespace pathguard {
namespace {

static_assert(attribute::kReadOnly == FILE_ATTRIBUTE_READONLY && attribute::kHidden == FILE_ATTRIBUTE_HIDDEN &&
              attribute::kSystem == FILE_ATTRIBUTE_SYSTEM && attribute::kDirectory == FILE_ATTRIBUTE_DIRECTORY &&
              attribute::kArchive == FILE_ATTRIBUTE_ARCHIVE && attribute::kNormal == FILE_ATTRIBUTE_NORMAL &&
              attribute::kSparseFile == FILE_ATTRIBUTE_SPARSE_FILE &&
              attribute::kReparsePoint == FILE_ATTRIBUTE_REPARSE_POINT &&
              attribute::kCompressed == FILE_ATTRIBUTE_COMPRESSED && attribute::kOffline == FILE_ATTRIBUTE_OFFLINE &&
              attribute::kEncrypted == FILE_ATTRIBUTE_ENCRYPTED);
// The integrity-stream and recall bits are newer than these headers; their values are the SDK's.
static_assert(win_error::kNotSupported == ERROR_NOT_SUPPORTED);

std::optional<std::wstring> FinalPath(HANDLE entry) {
  constexpr DWORD kLongestPath = 32768;
  std::wstring path(kLongestPath, L'\0');
  const DWORD length = GetFinalPathNameByHandleW(entry, path.data(), kLongestPath, 0);
  if (length == 0 || length >= kLongestPath) return std::nullopt;
  path.resize(length);
  return path;
}

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// The path within its volume ("\dir\name"), which Wine gives where it gives no final path.
std::optional<std::wstring> NameInVolume(HANDLE entry) {
  std::vector<LONGLONG> block(1 + (sizeof(FILE_NAME_INFO) + 32768 * sizeof(wchar_t)) / sizeof(LONGLONG));
  if (!GetFileInformationByHandleEx(entry, FileNameInfo, block.data(), static_cast<DWORD>(block.size() * sizeof(LONGLONG))))
    return std::nullopt;
  const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(block.data());
  return std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t));
}

std::wstring WithSeparator(const std::wstring& folder) { return folder.ends_with(L'\\') ? folder : folder + L'\\'; }

bool Exists(const std::wstring& path) {
  WIN32_FIND_DATAW found{};
  return static_cast<bool>(winkit::UniqueFind(FindFirstFileW(path.c_str(), &found)));
}

}  // namespace

winkit::UniqueFile OpenEntry(const std::wstring& path, DWORD access, DWORD share) {
  return winkit::UniqueFile(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

EntryFacts FactsOf(HANDLE handle) {
  EntryFacts facts;
  BY_HANDLE_FILE_INFORMATION info{};
  FILE_ATTRIBUTE_TAG_INFO tag{};
  facts.readable = GetFileInformationByHandle(handle, &info) &&
                   GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag);
  facts.onDisk = GetFileType(handle) == FILE_TYPE_DISK;
  facts.attributes = info.dwFileAttributes;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) facts.reparseTag = tag.ReparseTag;
  facts.links = info.nNumberOfLinks;
  return facts;
}

ErrorCode FolderChain::Hold(const std::wstring& path, bool withLast, std::unique_ptr<FolderChain>& chain) {
  chain.reset();
  std::u16string_view text(reinterpret_cast<const char16_t*>(path.data()), path.size());
  PathParts parts;
  ErrorCode error = SplitFullPath(text, parts);
  if (error && withLast) {
    // A folder may be named with trailing separators.
    while (text.ends_with(u'\\')) text.remove_suffix(1);
    error = SplitFullPath(text, parts);
  }
  if (error) return error;
  if (!withLast && parts.names.empty()) return win_error::kAccessDenied;
  auto held = std::make_unique<FolderChain>();
  std::wstring walked(reinterpret_cast<const wchar_t*>(parts.root.data()), parts.root.size());
  if (const ErrorCode error = held->Add(walked, {})) return error;
  for (std::size_t i = 0; i < parts.names.size(); ++i) {
    const std::wstring_view name(reinterpret_cast<const wchar_t*>(parts.names[i].data()), parts.names[i].size());
    if (i + 1 == parts.names.size() && !withLast) {
      held->last_ = name;
      break;
    }
    if (i > 0) walked += L'\\';
    walked += name;
    if (const ErrorCode error = held->Add(walked, name)) return error;
  }
  chain = std::move(held);
  return 0;
}

bool FolderChain::Opened(HANDLE entry) { return !last_.empty() && Ends(entry, last_); }

ErrorCode FolderChain::Add(const std::wstring& folder, std::wstring_view name) {
  winkit::UniqueFile opened =
      OpenEntry(folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (!opened) {
    const auto error = static_cast<ErrorCode>(GetLastError());
    return error == win_error::kFileNotFound ? win_error::kPathNotFound : error;
  }
  if (const ErrorCode error = CheckFolder(FactsOf(opened.get()))) return error;
  if (!Ends(opened.get(), folders_.empty() ? L"" : name)) return win_error::kAccessDenied;
  folders_.push_back(std::move(opened));
  walked_ = folder;
  return 0;
}

// Whether the handle's final path is the innermost held folder's and `name` (any for
// the root), and remembers it. Where the system gives no final path (Wine does not for
// long paths) the paths within the volume stand in; where neither can be had the checks
// of the held folders' tags stand alone: on Windows nothing can rename or replace a
// folder held without delete sharing, so the path cannot have changed since they were checked.
bool FolderChain::Ends(HANDLE entry, std::wstring_view name) {
  auto final = FinalPath(entry);
  if (!name.empty()) {
    if (final && final_) {
      if (!IsEntryOf(*final_, *final, name)) return false;
    } else if (const auto inVolume = NameInVolume(entry), parentInVolume = NameInVolume(folders_.back().get());
               inVolume && parentInVolume && !IsEntryOf(*parentInVolume, *inVolume, name)) {
      return false;
    }
  }
  final_ = std::move(final);
  return true;
}

// Whether `final` names the entry `name` of the innermost held folder, whose own name in the
// same form is `parentFinal`.
bool FolderChain::IsEntryOf(const std::wstring& parentFinal, const std::wstring& final, std::wstring_view name) const {
  const std::wstring parent = WithSeparator(parentFinal), here = WithSeparator(walked_) + std::wstring(name);
  if (SameIgnoringCase(final, parent + std::wstring(name))) return true;
  // Spelt otherwise in the path: what the held folder lists under that name decides.
  WIN32_FIND_DATAW found{};
  const winkit::UniqueFind search(FindFirstFileW(here.c_str(), &found));
  if (!search) return false;
  // A short (8.3) name: the final path has the long one.
  if (SameIgnoringCase(found.cAlternateFileName, name)) return SameIgnoringCase(final, parent + found.cFileName);
  // Wine drops a name's trailing dots and blanks from final paths: the handle is this entry
  // only where no entry has the shorter name.
  std::wstring_view trimmed = name;
  while (!trimmed.empty() && (trimmed.back() == L'.' || trimmed.back() == L' ')) trimmed.remove_suffix(1);
  return !trimmed.empty() && trimmed.size() != name.size() && SameIgnoringCase(final, parent + std::wstring(trimmed)) &&
         !Exists(WithSeparator(walked_) + std::wstring(trimmed));
}

}  // namespace pathguard
