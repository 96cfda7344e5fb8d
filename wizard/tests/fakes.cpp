#include "fakes.h"

#include <algorithm>

#include "items_list.h"

namespace qelwipe::fakes {

void FakeFileSystem::AddFolder(const std::string& path, FileAttributes attributes) {
  attributes.directory = true;
  Node node;
  node.path = path;
  node.attributes = attributes;
  nodes_.push_back(node);
}

void FakeFileSystem::AddFile(const std::string& path, std::uint64_t length, FileAttributes attributes) {
  Node node;
  node.path = path;
  node.attributes = attributes;
  node.length = length;
  nodes_.push_back(node);
}

void FakeFileSystem::AddTextFile(const std::string& path, const std::string& text) {
  AddFile(path, text.size());
  nodes_.back().text = text;
}

void FakeFileSystem::AddLink(const std::string& path, const std::string& target, bool toFolder) {
  FileAttributes attributes;
  attributes.link = true;
  attributes.directory = toFolder;
  Node node;
  node.path = path;
  node.attributes = attributes;
  node.target = target;
  nodes_.push_back(node);
}

std::string FakeFileSystem::Resolve(const std::string& path) const {
  const std::string key = LowerAscii(path);
  for (const auto& node : nodes_) {
    const std::string prefix = LowerAscii(node.path) + '\\';
    if (node.attributes.link && key.starts_with(prefix)) return Resolve(node.target + path.substr(node.path.size()));
  }
  return path;
}

void FakeFileSystem::Remove(const std::string& path) {
  const std::string key = LowerAscii(Resolve(path));
  std::erase_if(nodes_, [&](const Node& node) { return LowerAscii(node.path) == key; });
}

bool FakeFileSystem::Exists(const std::string& path) const { return Find(path) != nullptr; }

FakeFileSystem::Node* FakeFileSystem::Find(const std::string& path) {
  const std::string key = LowerAscii(Resolve(path));
  for (auto& node : nodes_)
    if (LowerAscii(node.path) == key) return &node;
  return nullptr;
}

const FakeFileSystem::Node* FakeFileSystem::Find(const std::string& path) const {
  return const_cast<FakeFileSystem*>(this)->Find(path);
}

std::string FakeFileSystem::Parent(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::optional<FileAttributes> FakeFileSystem::Attributes(const std::string& path) {
  const Node* node = Find(path);
  if (!node || node->unreadable || node->unreachable) return std::nullopt;
  return node->attributes;
}

std::optional<std::uint64_t> FakeFileSystem::FileLength(const std::string& path) {
  const Node* node = Find(path);
  if (!node || node->unreachable) return std::nullopt;
  return node->length;
}

std::vector<FolderEntry> FakeFileSystem::ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  const Node* self = Find(folder);
  if (!self || self->unreachable) return entries;
  const std::string key = LowerAscii(self->attributes.link ? Resolve(self->target) : self->path);
  for (const auto& node : nodes_) {
    if (LowerAscii(Parent(node.path)) != key) continue;
    std::optional<FileAttributes> attributes;
    if (!node.unreadable) attributes = node.attributes;
    entries.push_back({node.path.substr(node.path.rfind('\\') + 1), attributes, std::nullopt});
  }
  return entries;
}

std::optional<EntryTimes> FakeFileSystem::FileTimes(const std::string& path) {
  const Node* node = Find(path);
  if (!node || node->locked) return std::nullopt;
  return times;
}

std::optional<EntryTimes> FakeFileSystem::FolderTimes(const std::string& path) {
  // A drive root is never found as a directory entry.
  if (!Find(path) || path.ends_with(":\\")) return std::nullopt;
  return times;
}

bool FakeFileSystem::ClearAttributes(const std::string& path) {
  Node* node = Find(path);
  if (!node || node->attributes.link) return false;
  node->attributes.readOnly = node->attributes.hidden = node->attributes.system = node->attributes.archive = false;
  return true;
}

bool FakeFileSystem::Delete(const std::string& path) {
  const Node* node = Find(path);
  if (!node || node->locked || node->unreachable || (node->attributes.directory && !node->attributes.link))
    return false;
  removals.push_back("delete " + path);
  Remove(path);
  return true;
}

bool FakeFileSystem::RemoveFolder(const std::string& path) {
  const Node* node = Find(path);
  if (!node || node->unreachable || node->locked || !node->attributes.directory || path.ends_with(":\\")) return false;
  if (!node->attributes.link && !ListFolder(path).empty()) return false;
  removals.push_back("rmdir " + path);
  Remove(path);
  return true;
}

bool FakeFileSystem::SwapForLink(const std::string& folder, const std::string& target) {
  Node* node = Find(folder);
  if (!node || node->holds > 0) return false;
  const std::string key = LowerAscii(node->path), away = node->path + "~";
  for (auto& entry : nodes_)
    if (LowerAscii(entry.path) == key || LowerAscii(entry.path).starts_with(key + '\\'))
      entry.path = away + entry.path.substr(key.size());
  AddLink(folder, target, true);
  return true;
}

std::string FakeFileSystem::FoldCase(const std::string& text) { return LowerAscii(text); }

std::unique_ptr<FolderHold> FakeFileSystem::HoldFolder(const std::string& path) {
  class Hold final : public FolderHold {
   public:
    Hold(FakeFileSystem& files, std::string path) : files_(files), path_(std::move(path)) {
      ++files_.Find(path_)->holds;
    }
    ~Hold() override {
      if (Node* node = files_.Find(path_)) --node->holds;
    }

   private:
    FakeFileSystem& files_;
    std::string path_;
  };
  const Node* node = Find(path);
  if (!node || Resolve(path) != path || !node->attributes.directory || node->attributes.link) return nullptr;
  return std::make_unique<Hold>(*this, path);
}

std::optional<std::string> FakeFileSystem::ReadRegularFile(const std::string& path, std::uint64_t limit) {
  const Node* node = Find(path);
  if (!node || node->unreachable || node->unreadable || node->attributes.directory || node->text.size() > limit)
    return std::nullopt;
  return node->text;
}

std::vector<std::string> RecordingEngine::Paths() const {
  std::vector<std::string> paths;
  for (const auto& call : calls) paths.push_back(call.path);
  return paths;
}

EraseResult RecordingEngine::Erase(const char* operation, const std::string& path, std::vector<int> fills) {
  calls.push_back({operation, path, std::move(fills)});
  if (events_) {
    events_->OnProgress(1, 1, 0);
    events_->OnProgress(1, 1, 100);
  }
  if (during) during(path);
  if (cancels) return kCancelled;
  const auto found = results.find(path);
  const EraseResult result = found == results.end() ? kErased : found->second;
  if (result == kErased && !keptAfterErase.count(path)) files_.Remove(path);
  return result;
}

std::optional<std::string> FakeRegistry::ClassesRootDefault(const std::string& key) {
  const auto found = values.find(key);
  if (found == values.end()) return std::nullopt;
  return found->second;
}

}  // namespace qelwipe::fakes
