#pragma once
// What the wizard's window must show or ask. The model calls it; the window
// renders the model's state and forwards the user's commands to the model.
#include <string>
#include <vector>

namespace qelwipe {

enum class MessageButtons { Ok, OkCancel };
enum class MessageIcon { Information, Exclamation };
enum class MessageAnswer { Ok, Cancel };

struct MessageBoxRequest {
  std::string text;
  std::string caption;
  MessageButtons buttons = MessageButtons::Ok;
  MessageIcon icon = MessageIcon::Information;
  bool cancelIsDefault = false;
};

// The choices of the dialog that lists the files left over.
enum class UserResult { None = 0, Ignore = 1, RestartNow = 2, RestartLater = 3 };

class WizardView {
 public:
  virtual ~WizardView() = default;
  // A modal message box; its answer.
  virtual MessageAnswer ShowMessage(const MessageBoxRequest& request) = 0;
  // Brings the page's panel to the front.
  virtual void ShowPage(int page) = 0;
  // The model's state changed: labels, buttons, list, bars.
  virtual void Refresh() = 0;
  virtual void SetTimerEnabled(bool enabled) = 0;
  // The modal dialog listing the files another program held open; the button chosen.
  virtual UserResult AskAboutHeldFiles(const std::vector<std::string>& files) = 0;
  // Closes the main window, which ends the program.
  virtual void CloseWizard() = 0;
};

}  // namespace qelwipe
