// The Credential Manager calls the credential store makes, behind an interface
// so that tests can count them and make them fail the way Windows can.
#pragma once

#include <windows.h>

#include <wincred.h>

namespace quorvane {

/// Each call returns what the Win32 function it stands for returns; a failure
/// leaves its code in the thread's last-error value, which may read 0.
class CredentialApi {
 public:
  virtual ~CredentialApi() = default;

  /// CredWriteW(record, 0).
  virtual BOOL Write(CREDENTIALW& record) = 0;
  /// CredDeleteW(target, CRED_TYPE_GENERIC, 0).
  virtual BOOL DeleteGeneric(const wchar_t* target) = 0;
};

/// Calls the real Credential Manager.
class Win32CredentialApi : public CredentialApi {
 public:
  BOOL Write(CREDENTIALW& record) override;
  BOOL DeleteGeneric(const wchar_t* target) override;
};

/// The process-wide instance that the default-constructed store uses.
CredentialApi& DefaultCredentialApi();

}  // namespace quorvane
