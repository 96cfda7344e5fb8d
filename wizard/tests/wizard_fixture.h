#pragma once
// A wizard over the in-memory platform, with helpers to list items and run.
#include <gtest/gtest.h>

#include "fakes.h"
#include "wizard.h"

namespace qelwipe {

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override { wizard.Load(""); }

  // From the welcome page: lists the paths, goes to the method page and confirms.
  void RunOn(const std::vector<std::string>& paths) {
    wizard.DropFiles(paths);
    while (wizard.PageIndex() < kMethodPage) wizard.Next();
    wizard.Next();
  }
  // On to the final page (through the dialog for files left over), back to the list, then as RunOn.
  void RunAgainOn(const std::vector<std::string>& paths) {
    while (wizard.PageIndex() != kCongratulationsPage) wizard.Next();
    wizard.EraseMoreItems();
    RunOn(paths);
  }
  const ProgressPage& Progress() const { return wizard.Progress(); }

  fakes::FakeFileSystem files;
  fakes::RecordingEngine engine{files};
  fakes::FakeRegistry registry;
  fakes::RecordingView view;
  fakes::RecordingSystem system;
  int pumps = 0;
  Wizard wizard{view, system, files, engine, registry, [this] { ++pumps; }};
};

}  // namespace qelwipe
