#pragma once
// The wizard's fixed texts, exactly as the user sees them.

namespace qelwipe::texts {

inline constexpr char kAppTitle[] = "Qel Tarnwick Professional ";

// Items list.
inline constexpr char kDuplicateBefore[] = "The following Item:";
inline constexpr char kDuplicateAfter[] = "\r\nHas already been added to the list!";
inline constexpr char kFolderType[] = "File Folder";
inline constexpr char kUnknownType[] = "File";

// Page flow.
inline constexpr char kNext[] = "&Next >>";
inline constexpr char kFinish[] = "&Finish >>";
inline constexpr char kExit[] = "&Exit>>";
inline constexpr char kCountBefore[] = "You currently have ";
inline constexpr char kCountAfter[] = " in your list to erase and wipe";
inline constexpr char kMethodHeadingBefore[] = "Please select erase method from the following to erase (";
inline constexpr char kMethodHeadingAfter[] = ") items?";
inline constexpr char kConfirmTitle[] = "WARNING: Please confirm the erase operation";
inline constexpr char kConfirmText[] =
    "Before proceeding, be advised that you are about to erase \r\n"
    "files/folders from your computer that can NOT be recovered once\r\n"
    "the action is taken. Even special utilities and recovery laboratories \r\n"
    "will not recover data erased using this program.";
inline constexpr char kIgnored[] =
    "You have chosen not to erase the file/folder being used by Windows or another application when selected "
    "Ignore Option.";
inline constexpr char kRestartLater[] = "Files which were not removeable will be removed on next startup!";
inline constexpr char kListTooLarge[] = "This file is too large to be a list of items to erase; nothing was taken from it:\r\n";
inline constexpr char kRestartRefused[] =
    "Windows did not restart. The files stay on disk, listed for this program: they are erased at the next "
    "restart you make.";
inline constexpr char kNotScheduled[] = "Files which were not removeable could not all be scheduled and stay on disk!";
inline constexpr char kStillOnDisk[] = "These files could not be scheduled for erasing and are still on disk:";

// Progress and results.
inline constexpr char kPending[] = "...";
inline constexpr char kOutOf[] = " Out of ";
inline constexpr char kNothingOutOfNothing[] = "0 Out of 0";
inline constexpr char kBytes[] = " bytes";
inline constexpr char kAllWiped[] = "You have successfully wiped all items.";
inline constexpr char kNeedsRestart[] =
    "Some files will need for computer to restart to complete the erase process! Click Finish to see a list of "
    "items!";
inline constexpr char kNeedsRestartShort[] =
    "Some files will need for computer to restart to complete the erase process!";
inline constexpr char kNotErased[] = "Some items could not be erased and are still on disk: ";
inline constexpr char kCongratulations[] = "Congratulations";
inline constexpr char kAttention[] = "Attention!";
inline constexpr char kErasedAll[] = "you have successfully erased all items";
inline constexpr char kNotOverwritable[] =
    "These files were left on disk, untouched: they are stored compressed, encrypted or sparse, or their data is "
    "kept elsewhere (by a cloud service, offline storage or Windows' own compression), and overwriting them would "
    "leave their old contents on the disk. Decompress or decrypt a file, or make it available on this computer "
    "as an ordinary file, and erase it again:";

}  // namespace qelwipe::texts
