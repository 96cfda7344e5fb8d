// qelwipe_screenshots DIR: opens the wizard, walks it through a run over a few
// sample files and saves a PNG of each of its five pages and of the About box into DIR.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "control_ids.h"
#include "temp_folder.h"
#include "wizard_driver.h"

namespace {

using namespace qelwipe;
using namespace qelwipe::testing;

bool Shot(const WizardProcess& wizard, const std::string& folder, const std::string& name) {
  const std::string path = folder + "\\" + name;
  const bool saved = wizard.Screenshot(path);
  std::printf("%s %s\n", saved ? "saved" : "could not save", name.c_str());
  return saved;
}

int Fail(const char* what) {
  std::fprintf(stderr, "qelwipe_screenshots: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return Fail("usage: qelwipe_screenshots FOLDER");
  const std::string folder = argv[1];
  CreateDirectoryA(folder.c_str(), nullptr);
  if (!PrepareWizardPrefix()) return Fail("cannot register dornix.dll");

  const testing_support::TempFolder samples;
  const std::string large = samples / "Disk image.bin";
  testing_support::WriteFile(large, 48 << 20);
  testing_support::WriteFile(samples / "Quarterly report.doc", 48000);
  testing_support::WriteFile(samples / "notes.txt", 3100);
  std::filesystem::create_directories(samples / "Holiday photos");
  for (const char* name : {"beach.jpg", "harbour.jpg", "market.jpg"})
    testing_support::WriteFile(samples / (std::string("Holiday photos\\") + name), 250000);

  const WizardProcess wizard;
  if (!wizard.Started()) return Fail("the wizard did not open");
  bool saved = Shot(wizard, folder, "1-welcome.png");

  if (!wizard.NextTo(1)) return Fail("no list page");
  wizard.Drop(ids::lvSelecteds,
              {large, samples / "Quarterly report.doc", samples / "notes.txt", samples / "Holiday photos"});
  if (!WaitFor([&] { return wizard.RowCount() == 4; })) return Fail("the files were not listed");
  saved &= Shot(wizard, folder, "2-list.png");

  if (!wizard.NextTo(2)) return Fail("no method page");
  wizard.Choose(ids::Combo1, 10);  // "Government Wipe (3 passes)"
  if (!WaitFor([&] { return wizard.Visible(ids::Text4); })) return Fail("the method was not chosen");
  saved &= Shot(wizard, folder, "3-method.png");

  if (!wizard.ConfirmErase(IDOK).window) return Fail("no confirmation");
  // Inside the large file, once the timer has shown the totals.
  if (!WaitFor([&] { return wizard.Send(ids::pbFile, PBM_GETPOS) > 0 && wizard.Text(ids::lblFiles) != "..."; }, 30s))
    return Fail("the run did not start");
  saved &= Shot(wizard, folder, "4-progress.png");

  if (!WaitFor([&] { return wizard.Enabled(ids::btnNext); }, 300s)) return Fail("the run did not end");
  if (!wizard.NextTo(4)) return Fail("no final page");
  saved &= Shot(wizard, folder, "5-final.png");

  wizard.Command(ids::AboutMenu);
  HWND about = nullptr;
  if (!WaitFor([&] { return (about = FindWindowW(L"QelWipeAbout", nullptr)) && IsWindowVisible(about); }))
    return Fail("no About box");
  const bool aboutSaved = wizard.Screenshot(folder + "\\6-about.png", about);
  std::printf("%s 6-about.png\n", aboutSaved ? "saved" : "could not save");
  saved &= aboutSaved;
  wizard.Click(ids::btnNext);  // Exit
  wizard.WaitForExit();
  return saved ? 0 : 1;
}
