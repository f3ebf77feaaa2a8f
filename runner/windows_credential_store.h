// The access token as one generic credential of the current user in the
// Windows Credential Manager.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runner/credential_api.h"
#include "runner/credential_store.h"

namespace quorvane {

/// The largest blob the Credential Manager stores (5 * 512 bytes on current
/// Windows; older SDK headers still say 512).
constexpr size_t kMaxCredentialBlobBytes = 5 * 512;

/// Target "quorvane.ai.codex.token.v1", user name "Quorvane AI", persisted on
/// this machine; the blob is the token's bytes exactly, no terminator.
class WindowsCredentialStore : public CredentialStore {
 public:
  WindowsCredentialStore();
  /// Uses api for every Credential Manager call; api must outlive the store.
  explicit WindowsCredentialStore(CredentialApi& api);

  /// A token above kMaxCredentialBlobBytes is refused with ERROR_INVALID_DATA
  /// before the Credential Manager is called, so the stored token stays.
  uint32_t WriteToken(std::string_view token) override;
  uint32_t DeleteToken() override;

 private:
  CredentialApi& api_;
};

}  // namespace quorvane
