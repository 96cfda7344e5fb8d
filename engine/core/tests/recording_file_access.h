#pragma once
// A file system in memory that records every call the engine makes.
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "file_access.h"

namespace dornix::testing {

struct WriteRecord {
  std::uint64_t offset;
  std::vector<std::uint8_t> bytes;
};

struct Report {
  std::int32_t round, pass, percent;
  bool operator==(const Report&) const = default;
};

class RecordingFileAccess final : public FileAccess {
 public:
  std::map<std::string, std::vector<std::uint8_t>> files;
  std::vector<std::string> calls;  // one line per call, in order
  std::vector<WriteRecord> writes;
  ErrorCode openError = 0;
  // The write of this number (counted from 0 over all files) fails with writeError.
  int failingWrite = -1;
  ErrorCode writeError = 0;
  // Named streams are files named "path:stream"; opening the one named here fails with streamError.
  std::string failingStream;
  ErrorCode streamError = 0;
  // Bytes read back past the cache come with one of them changed, as a disk that dropped a write would give them.
  bool readBackChanged = false;
  // Flushes, or truncations, fail with this code.
  ErrorCode flushError = 0, truncateError = 0;

  void AddFile(const std::string& path, std::size_t size, std::uint8_t fill = 0xC3) {
    files[path] = std::vector<std::uint8_t>(size, fill);
  }
  std::vector<std::uint32_t> WriteSizes() const;
  // Calls other than writes, positions and length: the shape of the sequence.
  std::vector<std::string> SequenceCalls() const;

  ErrorCode OpenExclusive(std::u16string_view name, std::unique_ptr<OpenFile>& file) override;

 private:
  friend class RecordingOpenFile;
  int tempCounter_ = 0;
  int writeCount_ = 0;
};

}  // namespace dornix::testing
