#include "runner/stores/authenticode.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <vector>

#include "runner/diagnostics/version_resource.h"

namespace quorvane {
namespace {

// Reads the signer out of a verification's state data.
void ReadSigner(HANDLE state, SignatureFacts& facts) {
  CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(state);
  if (provider == nullptr) return;
  CRYPT_PROVIDER_SGNR* signer = ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
  if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr) return;
  const CERT_CONTEXT* certificate = signer->pasCertChain[0].pCert;
  if (certificate == nullptr) return;
  facts.signer_certificate.assign(certificate->pbCertEncoded,
                                  certificate->pbCertEncoded + certificate->cbCertEncoded);
  wchar_t name[256] = {};
  if (::CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, 256) <=
      1) {
    return;
  }
  char utf8[1024] = {};
  if (::WideCharToMultiByte(CP_UTF8, 0, name, -1, utf8, sizeof(utf8), nullptr, nullptr) > 0) {
    facts.publisher = utf8;
  }
}

}  // namespace

SignatureFacts VerifySignature(const std::wstring& path, HANDLE file) {
  WINTRUST_FILE_INFO file_info{};
  file_info.cbStruct = sizeof(file_info);
  file_info.pcwszFilePath = path.c_str();
  file_info.hFile = file;
  WINTRUST_DATA data{};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file_info;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  SignatureFacts facts;
  facts.valid = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data) == 0;
  if (facts.valid) ReadSigner(data.hWVTStateData, facts);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return facts;
}

std::string ExecutableFileVersion(const std::wstring& path) {
  HMODULE image = ::LoadLibraryExW(path.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (image == nullptr) return {};
  std::string version;
  HRSRC found = ::FindResourceW(image, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  HGLOBAL loaded = found != nullptr ? ::LoadResource(image, found) : nullptr;
  const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (bytes != nullptr) {
    version =
        FileVersionFromResource(static_cast<const uint8_t*>(bytes), ::SizeofResource(image, found));
  }
  ::FreeLibrary(image);
  return version;
}

}  // namespace quorvane
