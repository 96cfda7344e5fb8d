#include "entry_rules.h"

#include <algorithm>
#include <array>

namespace pathguard {
namespace {

// Reparse tags with this bit make a name stand for another: symbolic links, junctions, mount points.
constexpr std::uint32_t kNameSurrogate = 0x20000000;

// Files whose data an overwrite does not reach where it lies: NTFS writes compressed,
// encrypted and sparse files by compression unit into newly allocated clusters, an
// integrity stream is copied on write, and a file behind a reparse point or offline
// keeps its data elsewhere (the system's compression store, a deduplication chunk
// store, a cloud service, which keeps the old version).
constexpr std::uint32_t kNotInPlace = attribute::kSparseFile | attribute::kReparsePoint | attribute::kCompressed |
                                      attribute::kOffline | attribute::kEncrypted | attribute::kIntegrityStream |
                                      attribute::kRecallOnOpen | attribute::kRecallOnDataAccess;

// Opened as files they are devices, with or without an extension.
constexpr std::array<std::u16string_view, 24> kDeviceNames{
    u"CON",  u"PRN",  u"AUX",  u"NUL",  u"COM1", u"COM2", u"COM3", u"COM4", u"COM5", u"COM6", u"COM7",   u"COM8",
    u"COM9", u"LPT1", u"LPT2", u"LPT3", u"LPT4", u"LPT5", u"LPT6", u"LPT7", u"LPT8", u"LPT9", u"CONIN$", u"CONOUT$"};

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }
bool IsDriveLetter(char16_t c) { return Upper(c) >= u'A' && Upper(c) <= u'Z'; }

bool SameAscii(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return Upper(x) == Upper(y); });
}

bool IsDeviceName(std::u16string_view name) {
  name = name.substr(0, name.find(u'.'));
  while (!name.empty() && name.back() == u' ') name.remove_suffix(1);
  return std::any_of(kDeviceNames.begin(), kDeviceNames.end(), [&](auto device) { return SameAscii(name, device); });
}

// "\\?\", "\\.\" or "\??\" with either slash: the namespace's letter, else 0.
char16_t NamespaceOf(std::u16string_view name) {
  if (name.size() < 4 || !IsSeparator(name[3])) return 0;
  if (IsSeparator(name[0]) && IsSeparator(name[1]) && (name[2] == u'?' || name[2] == u'.')) return name[2];
  if (IsSeparator(name[0]) && name[1] == u'?' && name[2] == u'?') return u'!';
  return 0;
}

// A drive ("C:\") or a share ("UNC\server\share\") after the "\\?\" prefix: the root's length, else 0.
std::size_t VolumeRootLength(std::u16string_view rest) {
  if (rest.size() >= 3 && IsDriveLetter(rest[0]) && rest[1] == u':' && rest[2] == u'\\') return 3;
  if (rest.size() < 4 || !SameAscii(rest.substr(0, 4), u"UNC\\")) return 0;
  const std::size_t server = rest.find(u'\\', 4);
  if (server == std::u16string_view::npos || server == 4) return 0;
  const std::size_t share = rest.find(u'\\', server + 1);
  if (share == std::u16string_view::npos || share == server + 1) return 0;
  return share + 1;
}

}  // namespace

bool IsLink(std::uint32_t attributes, std::uint32_t reparseTag) {
  return (attributes & attribute::kReparsePoint) && (reparseTag == 0 || (reparseTag & kNameSurrogate));
}

ErrorCode CheckFile(const EntryFacts& facts) {
  if (!facts.readable || !facts.onDisk || (facts.attributes & attribute::kDirectory) ||
      IsLink(facts.attributes, facts.reparseTag) || facts.links != 1)
    return win_error::kAccessDenied;
  return facts.attributes & kNotInPlace ? win_error::kNotSupported : 0;
}

ErrorCode CheckFolder(const EntryFacts& facts) {
  return facts.readable && facts.onDisk && (facts.attributes & attribute::kDirectory) &&
                 !IsLink(facts.attributes, facts.reparseTag)
             ? 0
             : win_error::kAccessDenied;
}

ErrorCode CheckName(std::u16string_view name) {
  if (name.empty()) return win_error::kInvalidName;
  std::size_t start = 0;
  if (const char16_t space = NamespaceOf(name)) {
    // Only a drive or a share in the long form is a file path; the rest are devices and volumes.
    if (space != u'?' || !name.starts_with(u"\\\\?\\") || !VolumeRootLength(name.substr(4)))
      return win_error::kAccessDenied;
    start = 4;
  }
  // A colon belongs only to the drive; elsewhere it names a stream or a device.
  const std::size_t drive = name.size() > start + 1 && name[start + 1] == u':' ? start + 1 : std::u16string_view::npos;
  for (std::size_t i = start; i < name.size(); ++i) {
    const char16_t c = name[i];
    if (c < 0x20 || std::u16string_view(u"\"*<>|?").find(c) != std::u16string_view::npos)
      return win_error::kInvalidName;
    if (c == u':' && i != drive) return win_error::kInvalidName;
  }
  for (std::size_t begin = start; begin <= name.size();) {
    std::size_t end = begin;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    if (IsDeviceName(name.substr(begin, end - begin))) return win_error::kAccessDenied;
    begin = end + 1;
  }
  return 0;
}

ErrorCode SplitFullPath(std::u16string_view path, PathParts& parts) {
  parts = {};
  const std::size_t rootLength = path.starts_with(u"\\\\?\\") ? VolumeRootLength(path.substr(4)) : 0;
  if (!rootLength) return win_error::kInvalidName;
  parts.root = path.substr(0, 4 + rootLength);
  std::u16string_view rest = path.substr(parts.root.size());
  if (rest.empty()) return 0;
  for (std::size_t begin = 0; begin <= rest.size();) {
    const std::size_t end = std::min(rest.find(u'\\', begin), rest.size());
    const std::u16string_view name = rest.substr(begin, end - begin);
    // The long form is not parsed further: these would not be the names they look like.
    if (name.empty() || name == u"." || name == u".." || name.find(u'/') != name.npos) return win_error::kInvalidName;
    parts.names.push_back(name);
    begin = end + 1;
  }
  return 0;
}

std::optional<std::u16string_view> NamedDataStream(std::u16string_view listed) {
  constexpr std::u16string_view kDataType = u":$DATA";
  if (listed.size() <= kDataType.size() + 1 || listed[0] != u':' || !listed.ends_with(kDataType))
    return std::nullopt;
  return listed.substr(1, listed.size() - 1 - kDataType.size());
}

}  // namespace pathguard
