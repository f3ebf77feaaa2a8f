// Where the credential channel keeps the access token, behind an interface so
// that the channel logic is tested without the Credential Manager.
#pragma once

#include <cstdint>
#include <string_view>

namespace quorvane {

/// Win32 ERROR_NOT_FOUND: there was no credential to delete.
constexpr uint32_t kCredentialErrorNotFound = 1168;

/// Operations return 0 on success, otherwise the Win32 error code of the failure.
class CredentialStore {
 public:
  virtual ~CredentialStore() = default;

  /// Stores token's bytes as they are, replacing any token stored before.
  virtual uint32_t WriteToken(std::string_view token) = 0;
  /// Removes the stored token; kCredentialErrorNotFound when there was none.
  virtual uint32_t DeleteToken() = 0;
};

}  // namespace quorvane
