#include "erase_run.h"

namespace qelwipe {
namespace {

// "C:\" or "/": the system never removes it.
bool IsDriveRoot(const std::string& path, char separator) {
  return !path.empty() && path.find(separator) == path.size() - 1;
}

}  // namespace

void EraseRun::Prepare() {
  const std::int32_t rounds = methods_.ReadCycleCount();
  engine_.SetWipeMethod(methods_.Selected());
  engine_.SetWipeRounds(rounds);
  counters_ = {};
  // Files held open in an earlier run were handed on then; report only this run's.
  heldFiles_.clear();
  notOverwritable_.clear();
}

void EraseRun::CountingPass(const ItemsList& items) {
  const int count = items.Count();
  for (int i = 1; i <= count && i <= items.Count(); ++i) {
    const std::string path = items.PathAt(i);
    const auto attributes = files_.Attributes(path);
    if (IsFolder(attributes)) {
      const FolderTotals below = walk_.Measure(path);
      counters_.TotalBytes += below.bytes;
      counters_.TotalFiles += below.files;
      counters_.TotalFolders += below.folders;
    } else {
      counters_.TotalFiles += 1;
      counters_.TotalBytes += files_.FileLength(path).value_or(0);
    }
  }
}

void EraseRun::ErasePass(const ItemsList& items) {
  const int count = items.Count();
  for (int i = 1; i <= count && i <= items.Count(); ++i) {
    if (cancelRequested_) return;
    const std::string path = items.PathAt(i);
    const auto attributes = files_.Attributes(path);
    // Only readable items are listed: this one has gone since.
    if (!attributes) continue;
    if (IsFolder(attributes))
      EraseFolder(path);
    else
      EraseOneFile(path);
  }
}

EraseResult EraseRun::CallEngine(const std::string& path) {
  const std::int32_t method = engine_.WipeMethod();
  if (method < 0 || method >= kMethodCount) return kInvalidArgument;
  switch (kMethods[static_cast<std::size_t>(method)].operation) {
    case EngineOperation::WipeFile:
      return engine_.WipeFile(path);
    case EngineOperation::FastWipeFile:
      return engine_.FastWipeFile(path, methods_.HexByte(1));
    case EngineOperation::GovermentWipeFile:
      return engine_.GovermentWipeFile(path, methods_.HexByte(1), methods_.HexByte(2), methods_.HexByte(3));
  }
  return kInvalidArgument;
}

bool EraseRun::VanishedBeforeItsTurn(EraseResult result, const std::string& path) {
  // Only "not found" with nothing there: a name the system cannot take finds nothing
  // either, yet the file stays.
  return (result == win_error::kFileNotFound || result == win_error::kPathNotFound) && !files_.Exists(path);
}

void EraseRun::EraseOneFile(const std::string& path) {
  if (cancelRequested_) return;
  progress_.ShowCurrent(path);
  const auto attributes = files_.Attributes(path);
  if (IsLink(attributes)) {
    // Overwriting a link would destroy its target: the link alone goes.
    if (!files_.Delete(path) && files_.Attributes(path)) counters_.NotErased += 1;
    counters_.FilesDone += 1;
    Pump();
    return;
  }
  // Not cleared, the file is still the engine's to open plainly writable, or to refuse.
  files_.ClearAttributes(path);
  CountIfLeft(Overwrite(path, files_.FileLength(path).value_or(0)), path);
}

void EraseRun::EraseListedFile(const std::string& path, const FolderEntry& entry,
                               std::vector<std::string>& reportedErased) {
  // A link is looked at afresh: a file put in its place since would be deleted unerased.
  if (IsLink(entry.attributes) || !entry.attributes) {
    EraseOneFile(path);
    return;
  }
  // The listing was just read. Should a link have taken the file's place since, the
  // engine refuses it and it is counted as left.
  if (cancelRequested_) return;
  progress_.ShowCurrent(path);
  const FileAttributes& attributes = *entry.attributes;
  if (attributes.readOnly || attributes.hidden || attributes.system || attributes.archive) files_.ClearAttributes(path);
  const EraseResult result = Overwrite(path, entry.length ? *entry.length : files_.FileLength(path).value_or(0));
  if (result == kErased)
    reportedErased.push_back(path);
  else
    CountIfLeft(result, path);
}

EraseResult EraseRun::Overwrite(const std::string& path, std::uint64_t length) {
  const EraseResult result = CallEngine(path);
  if (result == kSharingViolation) heldFiles_.push_back(path);
  if (result == win_error::kNotSupported) notOverwritable_.push_back(path);
  counters_.FilesDone += 1;
  counters_.BytesDone += length;
  Pump();
  return result;
}

void EraseRun::CountIfLeft(EraseResult result, const std::string& path) {
  if (result == kSharingViolation) return;
  // Never deleted by name here: a refused file would go with its contents readable on the
  // disk, and on a case-sensitive folder the name may by now find another file. After 0 the
  // emptied file stays when its folder refused the rename.
  if (result == kErased ? files_.Exists(path) : !VanishedBeforeItsTurn(result, path)) counters_.NotErased += 1;
}

void EraseRun::EraseFolder(const std::string& path) {
  if (IsLink(files_.Attributes(path))) {
    // The link goes; what it points to is not part of this folder.
    if (!files_.RemoveFolder(path) && files_.Attributes(path)) counters_.NotErased += 1;
    return;
  }
  // Held while its entries go, so that no one can put a link to another folder in its place.
  auto hold = files_.HoldFolder(path);
  if (!hold) {
    if (files_.Attributes(path)) counters_.NotErased += 1;
    return;
  }
  const std::uint64_t leftBefore = LeftSoFar();
  // Files the engine reports erased are looked for only if the folder stays: once the
  // folder itself is removed, none of them can be left in it.
  std::vector<std::string> reportedErased;
  const bool emptied = EraseEntries(path, reportedErased);
  hold.reset();
  bool removed = false;
  if (emptied) {
    // Not cleared, the folder is not removed, and it is counted as left below.
    files_.ClearAttributes(path);
    // Removing a link put in the folder's place would prove nothing of the folder.
    const auto attributes = files_.Attributes(path);
    removed = attributes && attributes->directory && !attributes->link && files_.RemoveFolder(path);
  }
  if (!removed)
    for (const auto& file : reportedErased) CountIfLeft(kErased, file);
  if (removed || !emptied || LeftSoFar() != leftBefore) return;
  // Kept for no reason already counted: entries it still has could not be reached, or
  // another program uses it. Only an emptied drive root leaves nothing behind.
  if (IsDriveRoot(path, files_.Separator()) && files_.Attributes(path) && files_.ListFolder(path).empty()) return;
  counters_.NotErased += 1;
}

bool EraseRun::EraseEntries(const std::string& path, std::vector<std::string>& reportedErased) {
  std::vector<std::string> subFolders;
  for (const auto& entry : files_.ListFolder(path)) {
    if (cancelRequested_) return false;
    if (LeavesItsFolder(entry.name, files_.Separator())) {
      // It stays, and so does its folder.
      counters_.NotErased += 1;
      continue;
    }
    const std::string full = JoinPath(path, files_.Separator(), entry.name);
    if (IsFolder(entry.attributes))
      subFolders.push_back(full);
    else
      EraseListedFile(full, entry, reportedErased);
  }
  Pump();
  for (const auto& subFolder : subFolders) {
    if (cancelRequested_) return false;
    EraseFolder(subFolder);
    counters_.FoldersDone += 1;
  }
  Pump();
  return true;
}

}  // namespace qelwipe
