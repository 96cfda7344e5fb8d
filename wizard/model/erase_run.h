#pragma once
// The erase run: a counting pass over the listed items, then an erase pass that
// hands every file to the engine and removes the emptied folders depth first.
#include <string>
#include <vector>

#include "erase_engine.h"
#include "file_system.h"
#include "folder_walk.h"
#include "items_list.h"
#include "message_pump.h"
#include "method_page.h"
#include "progress_page.h"

namespace qelwipe {

class EraseRun {
 public:
  EraseRun(FileSystem& files, EraseEngine& engine, FolderWalk& walk, MethodPage& methods, ProgressPage& progress,
           MessagePump pump)
      : files_(files), engine_(engine), walk_(walk), methods_(methods), progress_(progress), pump_(std::move(pump)) {}

  // Reads the options, gives method and cycles to the engine and clears the
  // counters and the list of files left over.
  void Prepare();
  void CountingPass(const ItemsList& items);
  // Stops before the next item, file or folder once cancelling was asked for.
  void ErasePass(const ItemsList& items);

  void EraseOneFile(const std::string& path);
  void EraseFolder(const std::string& path);

  void RequestCancel() { cancelRequested_ = true; }
  bool CancelRequested() const { return cancelRequested_; }

  RunCounters Counters() const {
    RunCounters counters = counters_;
    counters.HeldOpen = heldFiles_.size();
    return counters;
  }
  // Files another program held open, as given to the engine, in the order met.
  const std::vector<std::string>& HeldFiles() const { return heldFiles_; }
  // Files left untouched because an overwrite would not reach their data where it lies
  // (stored compressed, encrypted, sparse or elsewhere), in the order met.
  const std::vector<std::string>& NotOverwritable() const { return notOverwritable_; }
  std::uint64_t HeldCount() const { return heldFiles_.size(); }

 private:
  // A file of a folder's listing, taken with what the listing told of it.
  // Files the engine reports erased are added to `reportedErased`, to be looked for later.
  void EraseListedFile(const std::string& path, const FolderEntry& entry, std::vector<std::string>& reportedErased);
  // A folder's files, then its folders; false once cancelling was asked for.
  bool EraseEntries(const std::string& path, std::vector<std::string>& reportedErased);
  // Hands the file to the engine and counts it done.
  EraseResult Overwrite(const std::string& path, std::uint64_t length);
  // Counts the file as left if it is still there when it should not be.
  void CountIfLeft(EraseResult result, const std::string& path);
  EraseResult CallEngine(const std::string& path);
  bool VanishedBeforeItsTurn(EraseResult result, const std::string& path);
  // What has stayed behind so far: a folder above it stays too.
  std::uint64_t LeftSoFar() const { return counters_.NotErased + heldFiles_.size(); }
  void Pump() {
    if (pump_) pump_();
  }

  FileSystem& files_;
  EraseEngine& engine_;
  FolderWalk& walk_;
  MethodPage& methods_;
  ProgressPage& progress_;
  MessagePump pump_;

  RunCounters counters_;
  std::vector<std::string> heldFiles_;
  std::vector<std::string> notOverwritable_;
  bool cancelRequested_ = false;
};

}  // namespace qelwipe
