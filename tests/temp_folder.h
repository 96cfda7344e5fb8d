#pragma once
// A fresh folder for one test, removed with everything in it when the test ends.
// Links inside it are removed as links; their targets are never followed.
#include <filesystem>
#include <string>

namespace testing_support {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Full path of an entry inside the folder, as a native narrow string.
  std::string operator/(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// Writes `size` bytes of a recognisable pattern (or `fill` when given) to `path`.
void WriteFile(const std::filesystem::path& path, std::size_t size, int fill = -1);
std::string ReadFile(const std::filesystem::path& path);
// Names of the entries of a folder, sorted.
std::string ListFolder(const std::filesystem::path& path);

}  // namespace testing_support
