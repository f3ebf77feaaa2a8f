// The access token as one generic credential of the current user in the
// Windows Credential Manager.
#pragma once

#include <cstdint>
#include <string_view>

#include "runner/stores/credential_api.h"
#include "runner/stores/credential_store.h"

namespace quorvane {

/// Target "quorvane.ai.codex.token.v1", user name "Quorvane AI", persisted on
/// this machine; the blob is the token's bytes exactly, no terminator.
class WindowsCredentialStore : public CredentialStore {
 public:
  WindowsCredentialStore();
  /// Uses api for every Credential Manager call; api must outlive the store.
  explicit WindowsCredentialStore(CredentialApi& api);

  /// The Credential Manager decides which sizes it stores; a refusal comes
  /// back as its code and leaves the stored token as it was.
  uint32_t WriteToken(std::string_view token) override;
  uint32_t DeleteToken() override;

 private:
  CredentialApi& api_;
};

}  // namespace quorvane
