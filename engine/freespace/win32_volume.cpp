// A Windows volume as the free-space erase reaches it. Every filler is created new in the
// run's own folder with FILE_FLAG_DELETE_ON_CLOSE and no sharing: no one else can open it,
// and the system deletes it when its handle closes, also when the program ends first.
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstdio>

#include "free_space.h"
#include "handles.h"
#include "platform_volume.h"
#include "text.h"

namespace dornix::freespace {
namespace {

ErrorCode LastError() {
  const DWORD error = GetLastError();
  return error == ERROR_HANDLE_DISK_FULL ? win_error::kDiskFull : static_cast<ErrorCode>(error);
}

// The volume's device turns no disk: the drive remaps what is written.
bool OnSolidState(const std::wstring& root) {
  wchar_t volume[MAX_PATH] = {};
  if (!GetVolumeNameForVolumeMountPointW(root.c_str(), volume, MAX_PATH)) return false;
  std::wstring device = volume;
  if (!device.empty() && device.back() == L'\\') device.pop_back();  // the device, not its root folder
  const winkit::UniqueFile handle(CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
  if (!handle) return false;
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceSeekPenaltyProperty;
  query.QueryType = PropertyStandardQuery;
  DEVICE_SEEK_PENALTY_DESCRIPTOR penalty{};
  DWORD returned = 0;
  return DeviceIoControl(handle.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &penalty, sizeof penalty,
                         &returned, nullptr) &&
         returned >= sizeof penalty && !penalty.IncursSeekPenalty;
}

// Shadow copies keep their difference areas in files of this name in the volume's system folder.
void LookForShadowCopies(const std::wstring& root, VolumeFacts& facts) {
  WIN32_FIND_DATAW found{};
  const winkit::UniqueFind find(
      FindFirstFileW((root + L"System Volume Information\\*{3808876b-c176-4e48-b7ae-04046e6cc752}").c_str(), &found));
  if (find) facts.snapshots = true;
  // Only an administrator may look: without the right, no one can say there are none.
  else if (GetLastError() == ERROR_ACCESS_DENIED)
    facts.snapshotsUnknown = true;
}

class Win32Filler final : public FillerFile {
 public:
  explicit Win32Filler(winkit::UniqueFile handle) : handle_(std::move(handle)) {}

  ErrorCode Write(const std::uint8_t* bytes, std::uint32_t count) override {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(position_);
    at.OffsetHigh = static_cast<DWORD>(position_ >> 32);
    DWORD written = 0;
    const BOOL done = WriteFile(handle_.get(), bytes, count, &written, &at);
    position_ += written;
    length_ = std::max(length_, position_);
    if (!done) return LastError();
    return written == count ? 0 : win_error::kDiskFull;
  }
  ErrorCode Rewind() override {
    position_ = 0;
    return 0;
  }
  ErrorCode Flush() override { return FlushFileBuffers(handle_.get()) ? 0 : LastError(); }
  std::uint64_t Length() override { return length_; }
  ErrorCode Delete() override {
    handle_.reset();  // deleted on close
    return 0;
  }

 private:
  winkit::UniqueFile handle_;
  std::uint64_t position_ = 0, length_ = 0;
};

class Win32Volume final : public Volume {
 public:
  explicit Win32Volume(std::wstring root) : root_(std::move(root)) {}

  ErrorCode Facts(VolumeFacts& facts) override {
    facts.network = GetDriveTypeW(root_.c_str()) == DRIVE_REMOTE;
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExW(root_.c_str(), &available, &total, &free)) return LastError();
    facts.freeBytes = available.QuadPart;
    facts.totalBytes = total.QuadPart;
    facts.reservedBytes = free.QuadPart - std::min(free.QuadPart, available.QuadPart);  // beyond this user's quota
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (GetDiskFreeSpaceW(root_.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
      facts.sectorSize = std::max<std::uint32_t>(4096, bytesPerSector);
    wchar_t system[MAX_PATH + 1] = {};
    if (GetVolumeInformationW(root_.c_str(), nullptr, 0, nullptr, nullptr, nullptr, system, MAX_PATH + 1) &&
        lstrcmpiW(system, L"NTFS") == 0) {
      facts.smallFilesInFileTable = true;
      LookForShadowCopies(root_, facts);
    }
    facts.solidState = !facts.network && OnSolidState(root_);
    return 0;
  }

  std::uint64_t FreeBytes() override {
    ULARGE_INTEGER available{};
    return GetDiskFreeSpaceExW(root_.c_str(), &available, nullptr, nullptr) ? available.QuadPart : 0;
  }

  ErrorCode RemoveLeftovers(std::uint64_t& removed) override {
    removed = 0;
    for (const auto& folder : Entries(root_, true)) {
      const auto name = winkit::WideToUtf8(folder);
      if (!name || !IsWorkFolderName(*name)) continue;
      const std::wstring path = root_ + folder + L"\\";
      for (const auto& file : Entries(path, false))
        if (const auto fileName = winkit::WideToUtf8(file); fileName && IsFillerName(*fileName))
          DeleteFileW((path + file).c_str());
      if (RemoveDirectoryW((root_ + folder).c_str())) ++removed;
    }
    return 0;
  }

  ErrorCode MakeWorkFolder() override {
    char name[96];
    std::snprintf(name, sizeof name, "%s%lu-%llu", kWorkFolderPrefix, GetCurrentProcessId(), GetTickCount64());
    folder_ = root_ + winkit::Utf8ToWide(name).value_or(std::wstring()) + L"\\";
    if (CreateDirectoryW(folder_.c_str(), nullptr)) return 0;
    folder_.clear();
    return LastError();
  }

  ErrorCode CreateFiller(const char* prefix, std::uint64_t number, bool unbuffered,
                         std::unique_ptr<FillerFile>& filler) override {
    char name[32];
    std::snprintf(name, sizeof name, "%s%06llu", prefix, static_cast<unsigned long long>(number));
    const std::wstring path = folder_ + winkit::Utf8ToWide(name).value_or(std::wstring());
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE |
                        (unbuffered ? FILE_FLAG_NO_BUFFERING | FILE_FLAG_WRITE_THROUGH : 0);
    winkit::UniqueFile handle(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, flags, nullptr));
    if (!handle) return LastError();
    filler = std::make_unique<Win32Filler>(std::move(handle));
    return 0;
  }

  ErrorCode RemoveWorkFolder() override {
    if (folder_.empty()) return 0;
    return RemoveDirectoryW(folder_.c_str()) ? 0 : LastError();
  }

 private:
  // The names in `folder` (ending in a backslash): its plain folders, or its plain files; no links.
  static std::vector<std::wstring> Entries(const std::wstring& folder, bool folders) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const winkit::UniqueFind find(FindFirstFileW((folder + L"*").c_str(), &found));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileW(find.get(), &found)) {
      const std::wstring_view name = found.cFileName;
      if (name == L"." || name == L".." || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
      if (((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folders) names.emplace_back(name);
    }
    return names;
  }

  const std::wstring root_;  // ends in a backslash
  std::wstring folder_;      // the run's own, ending in a backslash
};

}  // namespace

std::unique_ptr<Volume> OpenVolume(const std::string& path, std::string& root, ErrorCode& error) {
  const auto wide = winkit::Utf8ToWide(path);
  wchar_t volume[MAX_PATH + 1] = {};
  if (!wide || !GetVolumePathNameW(wide->c_str(), volume, MAX_PATH + 1)) {
    error = wide ? LastError() : win_error::kInvalidName;
    return nullptr;
  }
  root = winkit::WideToUtf8(volume).value_or(path);
  error = 0;
  return std::make_unique<Win32Volume>(volume);
}

}  // namespace dornix::freespace
