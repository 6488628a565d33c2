#pragma once
// Records what the shell would hand to the desktop (open an item, show it
// in the file manager) and starts nothing, for as long as it lives.
#include <vector>

#include "platform/ui/Shell.h"

struct ShellRecorder {
  std::vector<Shell::TShellRequest> Requests;
  bool Accept = true;  // what the desktop answers

  ShellRecorder() {
    Shell::SetLauncher([this](const Shell::TShellRequest& r) {
      Requests.push_back(r);
      return Accept;
    });
  }
  ~ShellRecorder() { Shell::SetLauncher({}); }
  ShellRecorder(const ShellRecorder&) = delete;
  ShellRecorder& operator=(const ShellRecorder&) = delete;
};
