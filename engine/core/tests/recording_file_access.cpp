#include "recording_file_access.h"

#include <algorithm>

namespace dornix::testing {

class RecordingOpenFile final : public OpenFile {
 public:
  RecordingOpenFile(RecordingFileAccess& owner, std::string path) : owner_(owner), path_(std::move(path)) {}

  std::uint64_t Length() override { return content().size(); }
  void SetFixedTimes() override { owner_.calls.push_back("times"); }
  void Rewind() override {
    position_ = 0;
    owner_.calls.push_back("rewind");
  }
  std::uint64_t Position() override { return position_; }
  ErrorCode Write(const std::uint8_t* bytes, std::uint32_t count) override {
    if (owner_.writeCount_++ == owner_.failingWrite) {
      owner_.calls.push_back("write failed");
      return owner_.writeError;
    }
    auto& data = content();
    if (data.size() < position_ + count) data.resize(position_ + count);
    std::copy(bytes, bytes + count, data.begin() + static_cast<std::ptrdiff_t>(position_));
    owner_.writes.push_back({position_, std::vector<std::uint8_t>(bytes, bytes + count)});
    owner_.calls.push_back("write " + std::to_string(count));
    position_ += count;
    return 0;
  }
  void Flush() override { owner_.calls.push_back("flush"); }
  void TruncateHere() override {
    content().resize(position_);
    owner_.calls.push_back("truncate at " + std::to_string(position_));
  }
  void RenameAwayAndDelete(const char* prefix) override {
    // The temporary name is made in the file's own folder, the current one for a bare name.
    const std::string name =
        path_.substr(0, path_.find_last_of('\\') + 1) + prefix + std::to_string(++owner_.tempCounter_) + ".tmp";
    owner_.calls.push_back("rename " + path_ + " -> " + name);
    owner_.calls.push_back("delete " + name);
    owner_.files.erase(path_);
  }
  void Close() override { owner_.calls.push_back("close"); }

 private:
  std::vector<std::uint8_t>& content() { return owner_.files[path_]; }
  RecordingFileAccess& owner_;
  std::string path_;
  std::uint64_t position_ = 0;
};

std::vector<std::uint32_t> RecordingFileAccess::WriteSizes() const {
  std::vector<std::uint32_t> sizes;
  for (const auto& write : writes) sizes.push_back(static_cast<std::uint32_t>(write.bytes.size()));
  return sizes;
}

std::vector<std::string> RecordingFileAccess::SequenceCalls() const {
  std::vector<std::string> shape;
  for (const auto& call : calls)
    if (call.rfind("write", 0) != 0 && call != "rewind" && call != "flush") shape.push_back(call);
  return shape;
}

ErrorCode RecordingFileAccess::OpenExclusive(std::u16string_view name, std::unique_ptr<OpenFile>& file) {
  const std::string path(name.begin(), name.end());
  calls.push_back("open " + path);
  if (openError) return openError;
  if (!files.count(path)) return win_error::kFileNotFound;
  file = std::make_unique<RecordingOpenFile>(*this, path);
  return 0;
}

}  // namespace dornix::testing
