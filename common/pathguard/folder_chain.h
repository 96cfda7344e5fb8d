#pragma once
// The Windows half of the link rule: the folders above a path held open and checked,
// and the entry at its end verified on its handle. The engine opens the files it
// erases through it and the wizard walks, clears and removes through it.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "entry_rules.h"
#include "handles.h"

namespace pathguard {

// Opens the entry itself, never what a link at its place points to; folders open too.
winkit::UniqueFile OpenEntry(const std::wstring& path, DWORD access, DWORD share);

// What the handle shows of itself; unreadable facts refuse it as a file and as a folder.
EntryFacts FactsOf(HANDLE handle);

// Every folder from the volume root down to the path's parent (and the path itself when
// `withLast`), each checked to be a folder and no link, and held open without delete
// sharing: none of them can be renamed or replaced while the chain is held, so the path
// leads where it led when it was checked. Listing counts as reading for sharing, which
// an open for attributes alone would not. Each handle's final path must be its parent's
// and its own name: a link that the system followed anyway (some systems never show a
// link as such, and others let a held folder be renamed) ends elsewhere.
class FolderChain {
 public:
  // `path` is an extended-length full path ("\\?\C:\..." or "\\?\UNC\..."). 0 and the
  // chain, or why not: the error of a folder that would not open (not found is
  // kPathNotFound), kAccessDenied for a link or a folder that is none, kInvalidName for
  // no such path. Without `withLast` a path that is only a volume root is kAccessDenied
  // (no file below it); with it, trailing separators are ignored.
  static ErrorCode Hold(const std::wstring& path, bool withLast, std::unique_ptr<FolderChain>& chain);

  // Whether the handle opened the path's last component itself, in the innermost held folder.
  bool Opened(HANDLE entry);

 private:
  ErrorCode Add(const std::wstring& folder, std::wstring_view name);
  bool Ends(HANDLE entry, std::wstring_view name);
  bool IsEntryOf(const std::wstring& parentFinal, const std::wstring& final, std::wstring_view name) const;

  std::vector<winkit::UniqueFile> folders_;
  std::wstring walked_;                // the innermost held folder's path as given
  std::optional<std::wstring> final_;  // and as the system names it
  std::wstring last_;                  // the name below it, when it is not held
};

}  // namespace pathguard
