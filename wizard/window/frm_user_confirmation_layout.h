#pragma once
// frmUserConfirmation's controls as data, in twips, as FrmMain's are.
#include "frm_main_layout.h"

namespace qelwipe::ids::confirmation {

// Programs that drive the dialog from outside find its controls by these.
enum : int { lvfiles = 1000, Label9, Label1, Label4, Label3, Label2, cmdignore, cmdrestartlater, cmdrestartnow };

}  // namespace qelwipe::ids::confirmation

namespace qelwipe::win::confirmation {

inline constexpr char kCaption[] = "Some files could not be erased ";
inline constexpr char kFileNameHeader[] = "File Name";
// The dialog's client area.
inline constexpr int kWidth = 7500, kHeight = 6000;

namespace c = ids::confirmation;
inline constexpr ControlLayout kControls[] = {
    {c::Label9, kOnForm, WC_STATICW,
     "Qel Tarnwick could not erase the following files/folders because Windows or another application is currently "
     "using them.",
     kLabel, 120, 120, 7260, 480},
    {c::lvfiles, kOnForm, WC_LISTVIEWW, "",
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS, 120, 660,
     7260, 1920},
    {c::Label1, kOnForm, WC_STATICW,
     "It is recommended that you select from the following options and restart your computer in order for Qel Tarnwick "
     "to erase the above files/folders. ",
     kLabel, 120, 2700, 7260, 480},
    {c::Label4, kOnForm, WC_STATICW,
     "Ignore and continue - This option ignores wiping the selected files/folders so that you can continue your "
     "current Windows session.will not erase any files/folders with this option.",
     kLabel, 120, 3300, 7260, 720},
    {c::Label3, kOnForm, WC_STATICW,
     "Restart Later - This option allows you to delay erasing files until the next time you start your computer.",
     kLabel, 120, 4140, 7260, 480},
    {c::Label2, kOnForm, WC_STATICW,
     "Restart and Erase now! - This is the recommended maximum security option which erases files immediately. ",
     kLabel, 120, 4740, 7260, 480},
    {c::cmdignore, kOnForm, WC_BUTTONW, "Ignore", kButton | BS_DEFPUSHBUTTON, 2340, 5460, 1575, 375},
    {c::cmdrestartlater, kOnForm, WC_BUTTONW, "Restart Later", kButton, 4020, 5460, 1575, 375},
    {c::cmdrestartnow, kOnForm, WC_BUTTONW, "Restart Now", kButton, 5700, 5460, 1575, 375},
};

}  // namespace qelwipe::win::confirmation
