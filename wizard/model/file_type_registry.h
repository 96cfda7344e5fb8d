#pragma once
// Read access to the file-type records of the system registry.
#include <optional>
#include <string>

namespace qelwipe {

class FileTypeRegistry {
 public:
  virtual ~FileTypeRegistry() = default;
  // The default value of the key directly under the classes root; empty when
  // the key cannot be opened or the value read.
  virtual std::optional<std::string> ClassesRootDefault(const std::string& key) = 0;
};

}  // namespace qelwipe
