// Filling a volume's free space: over a volume that is full at a set size, and natively
// over a small ext4 file system in an image file that the test mounts where it may.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "free_space.h"
#include "temp_folder.h"
#ifndef _WIN32
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform_volume.h"
#endif

namespace dornix::freespace {
namespace {

// Free space that ends at `capacity` bytes, counted as the fillers take it.
class FillingVolume final : public Volume {
 public:
  class Filler final : public FillerFile {
   public:
    Filler(FillingVolume& volume, std::uint64_t id) : volume_(volume), id_(id) {}
    ErrorCode Write(const std::uint8_t* bytes, std::uint32_t count) override {
      const std::uint64_t growth = position_ + count > length_ ? position_ + count - length_ : 0;
      if (growth > volume_.FreeBytes()) return win_error::kDiskFull;
      volume_.used_ += growth;
      length_ += growth;
      position_ += count;
      volume_.lastByte_[id_] = bytes[count - 1];
      if (volume_.onWrite) volume_.onWrite();
      return 0;
    }
    ErrorCode Rewind() override {
      position_ = 0;
      return 0;
    }
    ErrorCode Flush() override { return 0; }
    std::uint64_t Length() override { return length_; }
    ErrorCode Delete() override {
      volume_.used_ -= length_;
      --volume_.open_;
      length_ = 0;
      return 0;
    }

   private:
    FillingVolume& volume_;
    std::uint64_t id_, position_ = 0, length_ = 0;
  };

  explicit FillingVolume(std::uint64_t capacity) : capacity_(capacity) {}
  ErrorCode Facts(VolumeFacts& facts) override {
    facts.freeBytes = FreeBytes();
    facts.totalBytes = capacity_;
    facts.sectorSize = 512;
    facts.smallFilesInFileTable = true;
    return 0;
  }
  std::uint64_t FreeBytes() override { return capacity_ - used_; }
  ErrorCode RemoveLeftovers(std::uint64_t& removed) override {
    removed = 0;
    return 0;
  }
  ErrorCode MakeWorkFolder() override {
    folder_ = true;
    return 0;
  }
  ErrorCode CreateFiller(const char*, std::uint64_t, bool, std::unique_ptr<FillerFile>& filler) override {
    // Every file takes a record of the table: 20 are free.
    if (FreeBytes() == 0 && created_ >= 20) return win_error::kDiskFull;
    filler = std::make_unique<Filler>(*this, created_++);
    ++open_;
    return 0;
  }
  ErrorCode RemoveWorkFolder() override {
    folder_ = false;
    return open_ == 0 ? 0 : win_error::kAccessDenied;
  }

  std::function<void()> onWrite;
  std::uint64_t capacity_, used_ = 0, created_ = 0, open_ = 0;
  bool folder_ = false;
  std::map<std::uint64_t, std::uint8_t> lastByte_;  // of each filler, as the last pass wrote it
};

// Every free byte taken by each pass in turn, small files for the table, and all given back.
TEST(FreeSpaceTest, EachPassFillsTheVolumeToTheByteAndEverythingIsGivenBack) {
  FillingVolume volume(5'000'000 + 777);
  RunPlan plan;
  plan.passes = {passes::Fixed(0x11), passes::kPairs, passes::Fixed(0x5A)};
  const RunResult result = EraseFreeSpace(volume, plan);
  EXPECT_EQ(result.error, 0);
  EXPECT_EQ(result.unfilled, 0u);
  EXPECT_EQ(result.written, 3 * volume.capacity_);
  EXPECT_GT(result.records, 0u);
  EXPECT_TRUE(result.cleanedUp);
  EXPECT_EQ(result.freeAfter, volume.capacity_);
  EXPECT_FALSE(volume.folder_);
  EXPECT_TRUE(std::all_of(volume.lastByte_.begin(), volume.lastByte_.end(),
                          [](const auto& filler) { return filler.second == 0x5A; }));
}

// Ctrl+C in the middle: nothing more is written and every filler goes.
TEST(FreeSpaceTest, ACancelInTheMiddleRemovesEveryFiller) {
  FillingVolume volume(50'000'000);
  int writes = 0;
  volume.onWrite = [&] { ++writes; };
  RunPlan plan;
  plan.passes = {passes::kPairs, passes::kPairs};
  plan.cancelled = [&] { return writes >= 20; };
  const RunResult result = EraseFreeSpace(volume, plan);
  EXPECT_EQ(result.error, win_error::kCancelled);
  EXPECT_EQ(writes, 20);
  EXPECT_TRUE(result.cleanedUp);
  EXPECT_EQ(volume.open_, 0u);
  EXPECT_EQ(result.freeAfter, volume.capacity_);
}

#ifndef _WIN32
// A deleted file's bytes are overwritten on a real file system: no copy is left in its image.
TEST(FreeSpaceOnDiskTest, TheBytesOfADeletedFileAreFoundNowhereInTheImage) {
  testing_support::TempFolder folder;
  const std::string image = folder / "volume.img", mount = folder / "mnt";
  ASSERT_EQ(std::system(("truncate -s 64M '" + image + "' && mkfs.ext4 -q -F -m 0 '" + image + "' 2>/dev/null").c_str()), 0);
  std::filesystem::create_directory(mount);
  if (geteuid() != 0 || std::system(("mount -o loop '" + image + "' '" + mount + "' 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "no loop mount here: the fake volume above stands for it";
  // A recognisable block pattern, on the disk and then deleted.
  std::string secret;
  while (secret.size() < (4u << 20)) secret += "QELWIPE-SECRET-PATTERN-" + std::to_string(secret.size()) + ";";
  std::ofstream(mount + "/secret.txt") << secret;
  sync();
  std::filesystem::remove(mount + "/secret.txt");
  sync();

  std::string root;
  ErrorCode error = 0;
  auto volume = OpenVolume(mount, root, error);
  ASSERT_TRUE(volume) << error;
  EXPECT_EQ(root, mount);
  const std::uint64_t freeBefore = volume->FreeBytes();
  RunPlan plan;
  plan.passes = {passes::kPairs};
  const RunResult result = EraseFreeSpace(*volume, plan);
  EXPECT_EQ(result.error, 0);
  EXPECT_TRUE(result.cleanedUp);
  EXPECT_LT(result.unfilled, kFullSlack);
  EXPECT_EQ(volume->FreeBytes(), freeBefore);
  EXPECT_EQ(testing_support::ListFolder(mount), "lost+found");
  volume.reset();
  ASSERT_EQ(umount(mount.c_str()), 0);
  EXPECT_EQ(testing_support::ReadFile(image).find("QELWIPE-SECRET-PATTERN"), std::string::npos);
}
#endif

}  // namespace
}  // namespace dornix::freespace
