// Forwards the credential store's calls to the Credential Manager.
#include "runner/stores/credential_api.h"

namespace quorvane {

BOOL Win32CredentialApi::Write(CREDENTIALW& record) { return CredWriteW(&record, 0); }

BOOL Win32CredentialApi::DeleteGeneric(const wchar_t* target) {
  return CredDeleteW(target, CRED_TYPE_GENERIC, 0);
}

CredentialApi& DefaultCredentialApi() {
  static Win32CredentialApi api;
  return api;
}

}  // namespace quorvane
