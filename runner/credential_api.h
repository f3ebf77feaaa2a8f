// The Credential Manager calls the credential store makes, behind an interface
// so that tests can count them and make them fail the way Windows can.
#pragma once

#include <windows.h>

#include <wincred.h>

namespace quorvane {

/// Each call returns ERROR_SUCCESS or the Win32 code of its failure.
class CredentialApi {
 public:
  virtual ~CredentialApi() = default;

  /// CredWriteW(record, 0).
  virtual DWORD Write(CREDENTIALW& record) = 0;
  /// CredDeleteW(target, CRED_TYPE_GENERIC, 0).
  virtual DWORD DeleteGeneric(const wchar_t* target) = 0;
};

/// Calls the real Credential Manager.
class Win32CredentialApi : public CredentialApi {
 public:
  DWORD Write(CREDENTIALW& record) override;
  DWORD DeleteGeneric(const wchar_t* target) override;
};

/// The process-wide instance that the default-constructed store uses.
CredentialApi& DefaultCredentialApi();

}  // namespace quorvane
