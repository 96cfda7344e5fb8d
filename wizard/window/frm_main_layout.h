#pragma once
// FrmMain's controls as data: where each stands (in twips), what it is and
// what it says at design time. Texts the model owns are written by it later.
// Texts are UTF-8, as the model's are; the window converts them when it sets them.
#include <windows.h>
#include <commctrl.h>

#include "control_ids.h"

namespace qelwipe::win {

enum class Font { Normal, Bold, Title };

// The main window itself rather than one of the pages.
inline constexpr int kOnForm = -1;

// A control is named by its identifier (control_ids.h).
struct ControlLayout {
  int id;
  int page;  // index of the Frame1 panel holding it, or kOnForm
  const wchar_t* className;
  const char* text;
  DWORD style;
  int left, top, width, height;  // twips
  Font font = Font::Normal;
};

// Side of the items list's small icons, in pixels.
inline constexpr int kIconSize = 16;

// The form's client area and the panels, which all stand in one place.
inline constexpr int kFormWidth = 7800, kFormHeight = 5820;
inline constexpr int kFrameLeft = 120, kFrameTop = 120, kFrameWidth = 7560, kFrameHeight = 4920;

inline constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT;
inline constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
// Command holders: never shown, they only carry the add menu's commands.
inline constexpr DWORD kHolder = WS_CHILD | BS_PUSHBUTTON;
inline constexpr DWORD kField = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_LEFT | ES_AUTOHSCROLL;

inline constexpr ControlLayout kControls[] = {
    // Button strip under the pages.
    {ids::Line1, kOnForm, WC_STATICW, "", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 120, 5160, 7560, 30},
    {ids::h, kOnForm, WC_BUTTONW, "Help", kButton, 120, 5310, 1095, 375},
    {ids::btnBack, kOnForm, WC_BUTTONW, "< &Back", kButton, 3360, 5310, 1335, 375},
    {ids::btnNext, kOnForm, WC_BUTTONW, "&Next >>", kButton | BS_DEFPUSHBUTTON, 4770, 5310, 1335, 375},
    {ids::btnQuit, kOnForm, WC_BUTTONW, "Cancel", kButton, 6345, 5310, 1335, 375},

    // 0: Welcome.
    {ids::Label23, 0, WC_STATICW, "Welcome to the Qel Tarnwick Wizard", kLabel, 240, 240, 7080, 495, Font::Title},
    {ids::Label2, 0, WC_STATICW,
     "This wizard will guide you through the process to permanently erase selected files and folders from your "
     "computer\u2019s hard drive. ",
     kLabel, 240, 960, 7080, 735},
    {ids::Label3, 0, WC_STATICW,
     "Before proceeding, be advised that you are about to erase files/folders from your computer that can NOT be "
     "recovered once the action is taken. Even special utilities and recovery laboratories will not recover data "
     "erased using this program. ",
     kLabel, 240, 1800, 7080, 1095, Font::Bold},
    {ids::Label27, 0, WC_STATICW, "", WS_CHILD | SS_LEFT, 240, 3120, 7080, 300},
    {ids::Label4, 0, WC_STATICW, "To continue, click Next. ", kLabel, 240, 4440, 7080, 285},

    // 1: Items to Erase List.
    {ids::Label24, 1, WC_STATICW, "Items to Erase List", kLabel, 240, 120, 7080, 375, Font::Title},
    {ids::Label25, 1, WC_STATICW,
     "Choose the selected files/folders to delete. You can either browse your computer for the files/folders or "
     "drop/drag them into the list box below.",
     kLabel, 240, 540, 7080, 495},
    {ids::Picture1, 1, WC_STATICW, "", WS_CHILD | WS_VISIBLE | SS_ETCHEDFRAME, 240, 1080, 7080, 420},
    {ids::Browse, 1, WC_BUTTONW, "Add ...", kButton, 300, 1125, 1215, 330},
    {ids::btnClear, 1, WC_BUTTONW, "Clear List", kButton, 1620, 1125, 1215, 330},
    {ids::btnDeleteItem, 1, WC_BUTTONW, "Clear Item", kButton, 2940, 1125, 1215, 330},
    {ids::addFile, 1, WC_BUTTONW, "Files", kHolder, 4260, 1125, 615, 330},
    {ids::addFolder, 1, WC_BUTTONW, "Folder", kHolder, 4920, 1125, 615, 330},
    {ids::cmdrecentmru, 1, WC_BUTTONW, "MRU", kHolder, 5580, 1125, 615, 330},
    {ids::cmdrecyclebin, 1, WC_BUTTONW, "RecBin", kHolder, 6240, 1125, 615, 330},
    {ids::lvSelecteds, 1, WC_LISTVIEWW, "",
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
         LVS_SHAREIMAGELISTS,
     240, 1560, 7080, 2760},
    {ids::Label26, 1, WC_STATICW, "To continue, click Next. ", kLabel, 240, 4440, 7080, 285},

    // 2: Erase method and options.
    {ids::Label6, 2, WC_STATICW, "Items....................", kLabel, 240, 240, 7080, 375, Font::Bold},
    {ids::Combo1, 2, WC_COMBOBOXW, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 240, 720,
     4815, 3000},
    {ids::Label5, 2, WC_STATICW, "Number of cycles:", kLabel, 240, 1200, 1380, 285},
    {ids::Text1, 2, WC_EDITW, "3", kField, 1680, 1200, 840, 315},
    {ids::UpDown1, 2, UPDOWN_CLASSW, "", WS_CHILD | WS_VISIBLE | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 2520, 1200, 255, 315},
    {ids::Label14, 2, WC_STATICW, "Hex Value 1:", kLabel, 240, 1560, 1380, 285},
    {ids::Text2, 2, WC_EDITW, "FF", kField, 1680, 1560, 495, 315},
    {ids::Label15, 2, WC_STATICW, "Hex Value 2:", kLabel, 240, 1920, 1380, 285},
    {ids::Text3, 2, WC_EDITW, "00", kField, 1680, 1920, 495, 315},
    {ids::Label16, 2, WC_STATICW, "Hex Value 3:", kLabel, 240, 2280, 1380, 285},
    {ids::Text4, 2, WC_EDITW, "FF", kField, 1680, 2280, 495, 315},
    {ids::Label21, 2, WC_STATICW, "...", kLabel, 240, 2760, 4815, 1695},

    // 3: Erase progress.
    {ids::Label19, 3, WC_STATICW, "Method:", kLabel, 360, 360, 720, 285},
    {ids::Label18, 3, WC_STATICW, "Method Used", kLabel, 1080, 360, 6240, 285},
    {ids::Label1, 3, WC_STATICW, "Folders:", kLabel, 360, 840, 720, 285},
    {ids::lblFolders, 3, WC_STATICW, "...", kLabel, 1080, 840, 6240, 285},
    {ids::Label8, 3, WC_STATICW, "Files:", kLabel, 360, 1200, 720, 285},
    {ids::lblFiles, 3, WC_STATICW, "...", kLabel, 1080, 1200, 6240, 285},
    {ids::Label9, 3, WC_STATICW, "Size:", kLabel, 360, 1560, 720, 285},
    {ids::lblSize, 3, WC_STATICW, "...", kLabel, 1080, 1560, 6240, 285},
    {ids::Label11, 3, WC_STATICW, "Cycle:", kLabel, 360, 1920, 720, 285},
    {ids::lblRound, 3, WC_STATICW, "...", kLabel, 1080, 1920, 6240, 285},
    {ids::Label10, 3, WC_STATICW, "Pass:", kLabel, 360, 2280, 720, 285},
    {ids::lblPass, 3, WC_STATICW, "...", kLabel, 1080, 2280, 6240, 285},
    {ids::lblCurrent, 3, WC_STATICW, "Current:", kLabel, 360, 2640, 720, 285},
    // Long paths break anywhere, as an edit control breaks them.
    {ids::Label17, 3, WC_STATICW, "...", kLabel | SS_EDITCONTROL, 1080, 2640, 3615, 735},
    {ids::pbFile, 3, PROGRESS_CLASSW, "", WS_CHILD | WS_VISIBLE, 240, 3480, 4815, 240},
    {ids::Label12, 3, WC_STATICW, "00 %", kLabel, 2400, 3720, 735, 240},
    {ids::Label20, 3, WC_STATICW, "Overall progress", kLabel, 240, 3840, 1455, 240},
    {ids::pbMain, 3, PROGRESS_CLASSW, "", WS_CHILD | WS_VISIBLE, 240, 4080, 4815, 240},
    {ids::Label7, 3, WC_STATICW, "00 %", kLabel, 2400, 4320, 735, 240},

    // 4: Congratulations.
    {ids::Label13, 4, WC_STATICW, "Congratulations", kLabel, 240, 240, 7080, 495, Font::Title},
    {ids::Label22, 4, WC_STATICW, "you have successfully erased all items", kLabel, 240, 960, 7080, 735},
    {ids::Label29, 4, WC_STATICW, "Thank you for choosing", kLabel, 240, 2040, 7080, 285},
    {ids::Label30, 4, WC_STATICW, "Qel Tarnwick Professional ", kLabel, 240, 2400, 7080, 375, Font::Bold},
    // A link: link colour, hand pointer, reached with Tab and followed with Enter or Space.
    {ids::Label28, 4, WC_LINK, "<a>Click here to erase more items</a>", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 240, 3480,
     3000, 285},
};

constexpr const ControlLayout& LayoutOf(int id) {
  for (const ControlLayout& layout : kControls)
    if (layout.id == id) return layout;
  return kControls[0];
}

struct MenuEntry {
  int id;  // 0: a separator
  const char* text;
};

// `menu`, the list page's add menu.
inline constexpr MenuEntry kAddMenu[] = {{ids::FileM, "&File..."},
                                         {ids::FolderM, "F&older..."},
                                         {0, ""},
                                         {ids::mnurecentmru, "Recently Used Files"},
                                         {ids::mnurecyclebin, "&Recycle Bin Contents..."}};

// `HelpMen`; the separator is SP2Menu.
inline constexpr MenuEntry kHelpMenu[] = {{ids::Hmenu, "Help Topics"},
                                          {ids::CSmenu, "Online customer support"},
                                          {0, ""},
                                          {ids::UpdateMen, "Check for updates"},
                                          {ids::AboutMenu, "About"}};

}  // namespace qelwipe::win
