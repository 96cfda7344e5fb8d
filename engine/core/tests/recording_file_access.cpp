#include "recording_file_access.h"

#include <algorithm>

namespace dornix::testing {

class RecordingOpenFile final : public OpenFile {
 public:
  RecordingOpenFile(RecordingFileAccess& owner, std::string path) : owner_(owner), path_(std::move(path)) {}

  std::uint64_t Length() override { return content().size(); }
  ErrorCode SetFixedTimes() override {
    owner_.calls.push_back("times");
    return 0;
  }
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
  ErrorCode Flush() override {
    owner_.calls.push_back(owner_.flushError ? "flush failed" : "flush");
    return owner_.flushError;
  }
  ErrorCode TruncateHere() override {
    if (owner_.truncateError) {
      owner_.calls.push_back("truncate failed");
      return owner_.truncateError;
    }
    content().resize(position_);
    owner_.calls.push_back("truncate" + Tag() + " at " + std::to_string(position_));
    return 0;
  }
  ErrorCode ReadUncached(std::uint64_t offset, std::uint8_t* bytes, std::uint32_t count) override {
    const auto& data = content();
    if (offset + count > data.size()) return win_error::kDataError;
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(offset), count, bytes);
    if (owner_.readBackChanged && count > 0) bytes[count / 2] ^= 1;
    owner_.calls.push_back("read back " + std::to_string(count));
    return 0;
  }
  ErrorCode NamedStreams(std::vector<std::u16string>& names) override {
    names.clear();
    const std::string prefix = path_ + ':';
    for (auto it = owner_.files.lower_bound(prefix); it != owner_.files.end() && it->first.starts_with(prefix); ++it)
      names.emplace_back(it->first.begin() + static_cast<std::ptrdiff_t>(prefix.size()), it->first.end());
    return 0;
  }
  ErrorCode OpenStream(std::u16string_view name, std::unique_ptr<OpenFile>& stream) override {
    const std::string streamName(name.begin(), name.end());
    owner_.calls.push_back("open stream " + streamName);
    if (streamName == owner_.failingStream) return owner_.streamError;
    stream = std::make_unique<RecordingOpenFile>(owner_, path_ + ':' + streamName);
    return 0;
  }
  ErrorCode RenameAwayAndDelete(const char* prefix) override {
    // The temporary name is made in the file's own folder, the current one for a bare name.
    const std::string name =
        path_.substr(0, path_.find_last_of('\\') + 1) + prefix + std::to_string(++owner_.tempCounter_) + ".tmp";
    owner_.calls.push_back("rename " + path_ + " -> " + name);
    owner_.calls.push_back("delete " + name);
    // The file's streams go with it.
    std::erase_if(owner_.files, [&](const auto& file) { return file.first == path_ || file.first.starts_with(path_ + ':'); });
    return 0;
  }
  void Close() override { owner_.calls.push_back("close" + Tag()); }

 private:
  // What the sequence shows of a named stream: " name"; nothing for the file itself.
  std::string Tag() const {
    const std::size_t colon = path_.find(':', 2);
    return colon == std::string::npos ? "" : " " + path_.substr(colon + 1);
  }
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
