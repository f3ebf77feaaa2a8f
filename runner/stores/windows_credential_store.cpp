// Writes and deletes the token credential. The copy of the token made for the
// write is wiped before its memory is released.
#include "runner/stores/windows_credential_store.h"

#include <windows.h>

#include <wincred.h>

#include <vector>

namespace quorvane {

namespace {

constexpr wchar_t kTargetName[] = L"quorvane.ai.codex.token.v1";
constexpr wchar_t kUserName[] = L"Quorvane AI";

// A private copy of secret bytes that is zeroed however its scope is left.
class WipedBytes {
 public:
  explicit WipedBytes(std::string_view bytes) : bytes_(bytes.begin(), bytes.end()) {}
  ~WipedBytes() { SecureZeroMemory(bytes_.data(), bytes_.size()); }

  WipedBytes(const WipedBytes&) = delete;
  WipedBytes& operator=(const WipedBytes&) = delete;

  BYTE* data() { return bytes_.data(); }
  DWORD size() const { return static_cast<DWORD>(bytes_.size()); }

 private:
  std::vector<BYTE> bytes_;
};

// The code of a failed call. A failure that left no code is still a failure,
// never the success that 0 would say.
uint32_t FailureCode() {
  const DWORD code = GetLastError();
  return code != ERROR_SUCCESS ? code : ERROR_INTERNAL_ERROR;
}

}  // namespace

WindowsCredentialStore::WindowsCredentialStore() : api_(DefaultCredentialApi()) {}

WindowsCredentialStore::WindowsCredentialStore(CredentialApi& api) : api_(api) {}

uint32_t WindowsCredentialStore::WriteToken(std::string_view token) {
  WipedBytes blob(token);
  CREDENTIALW record = {};
  record.Flags = 0;
  record.Type = CRED_TYPE_GENERIC;
  // The record's text fields are not const, but CredWriteW only reads them.
  record.TargetName = const_cast<wchar_t*>(kTargetName);
  record.CredentialBlobSize = blob.size();
  record.CredentialBlob = blob.data();
  record.Persist = CRED_PERSIST_LOCAL_MACHINE;
  record.UserName = const_cast<wchar_t*>(kUserName);
  return api_.Write(record) ? ERROR_SUCCESS : FailureCode();
}

uint32_t WindowsCredentialStore::DeleteToken() {
  return api_.DeleteGeneric(kTargetName) ? ERROR_SUCCESS : FailureCode();
}

}  // namespace quorvane
