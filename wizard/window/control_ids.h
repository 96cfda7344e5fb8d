#pragma once
// Identifiers of FrmMain's controls and menu entries, named as the controls
// are. Programs that drive the window from outside find the controls by these.
namespace qelwipe::ids {

// One line of identifiers a page, as the pages hold them.
// clang-format off
enum : int {
  // The five page panels: Frame1 + page index.
  Frame1 = 100,

  // Button strip.
  btnBack = 200, btnNext, btnQuit, h, Line1,

  // Welcome.
  Label23 = 300, Label2, Label3, Label27, Label4,

  // Items to erase.
  Label24 = 400, Label25, Picture1, Browse, btnClear, btnDeleteItem, addFile, addFolder, cmdrecentmru,
  cmdrecyclebin, lvSelecteds, Label26,

  // Method and options.
  Label6 = 500, Combo1, Label5, Text1, UpDown1, Label14, Text2, Label15, Text3, Label16, Text4, Label21,

  // Progress.
  Label19 = 600, Label18, Label1, lblFolders, Label8, lblFiles, Label9, lblSize, Label11, lblRound, Label10,
  lblPass, lblCurrent, Label17, pbFile, Label12, Label20, pbMain, Label7,

  // Congratulations.
  Label13 = 700, Label22, Label29, Label30, Label28,

  // Add menu `menu` of the list page.
  FileM = 800, FolderM, mnurecentmru, mnurecyclebin,
  // Help menu `HelpMen`.
  Hmenu = 900, CSmenu, UpdateMen, AboutMenu,
};
// clang-format on

// The About box's controls.
namespace about {
enum : int { Picture1 = 1000, Label9, Line1, Label6, Label7, Label4, Label2, Line2, Picture2, Command1 };
}  // namespace about

// The progress timer, and how often it shows the run's totals.
inline constexpr unsigned Timer1 = 1;
inline constexpr unsigned kTimer1IntervalMs = 100;

}  // namespace qelwipe::ids
