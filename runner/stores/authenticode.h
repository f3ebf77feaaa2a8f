// A file's Authenticode signature as Windows verifies it, and its version.
#pragma once

#include <windows.h>

#include <string>

#include "runner/stores/update_rules.h"

namespace quorvane {

/// Verifies the signature of the file at path, open as file, with its whole
/// chain (WinVerifyTrust, no user interface); on success also the signer's
/// certificate and name.
SignatureFacts VerifySignature(const std::wstring& path, HANDLE file);

/// The file version from the executable's version resource, read as data
/// (nothing of it runs); empty when there is none.
std::string ExecutableFileVersion(const std::wstring& path);

}  // namespace quorvane
