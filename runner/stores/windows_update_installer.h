// Update files checked and started on Windows: each is copied into a folder
// that only administrators can write, checked there while it is held open
// against change, and deleted unless it is started.
#pragma once

#include <string>

#include "runner/stores/update_rules.h"

namespace quorvane {

/// The development switch, for builds without a signature: HKLM (64-bit
/// view) "Software\QuorvaneAI\Desktop", DWORD "AllowUnsignedHostUpdates" = 1.
/// Only an administrator can set it.
bool ReadUnsignedHostUpdatesSwitch();

class WindowsUpdateInstaller : public UpdateInstaller {
 public:
  /// The running executable is the reference; the copies go to "update" in
  /// its folder, which the installer makes administrators-only.
  WindowsUpdateInstaller();
  /// For tests: the reference executable, the folder for the copies (it must
  /// exist or be creatable) and the development switch.
  WindowsUpdateInstaller(std::wstring reference_executable, std::wstring copy_folder,
                         bool allow_unsigned_host);

  UpdateOutcome Check(const std::string& path) override;
  UpdateOutcome Install(const std::string& path) override;

 private:
  UpdateOutcome Run(const std::string& path, bool install);

  std::wstring reference_executable_;
  std::wstring copy_folder_;
  bool allow_unsigned_host_;
};

}  // namespace quorvane
