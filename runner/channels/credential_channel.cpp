// Dispatch and token checks of the credential channel.
#include "runner/channels/credential_channel.h"

#include <string>

#include "runner/channels/argument_helpers.h"
#include "runner/channels/token_rules.h"
#include "runner/diagnostics/log.h"

namespace quorvane {

namespace {

constexpr char kWriteFailedCode[] = "credential_write_failed";
constexpr char kWriteFailedMessage[] = "Unable to save the Codex credential.";
constexpr char kDeleteFailedCode[] = "credential_delete_failed";
constexpr char kDeleteFailedMessage[] = "Unable to clear the Codex credential.";

void WriteCodexToken(const flutter::MethodCall<>& call, flutter::MethodResult<>& result,
                     CredentialStore& store) {
  const std::string* token = GetTokenArgument(call);
  if (token == nullptr || !IsAcceptableToken(*token)) {
    result.Error(kWriteFailedCode, kWriteFailedMessage);
    return;
  }
  const uint32_t code = store.WriteToken(*token);
  if (code != 0) {
    // The reply cannot say why; the log can, with the size and never the token.
    WriteLog(LogLevel::kWarning, "The Credential Manager refused a token of " +
                                     std::to_string(token->size()) + " bytes (Windows error " +
                                     std::to_string(code) + ").");
    result.Error(kWriteFailedCode, kWriteFailedMessage);
    return;
  }
  result.Success();
}

void DeleteCodexToken(flutter::MethodResult<>& result, CredentialStore& store) {
  const uint32_t code = store.DeleteToken();
  if (code == 0 || code == kCredentialErrorNotFound) {
    result.Success();
  } else {
    result.Error(kDeleteFailedCode, kDeleteFailedMessage);
  }
}

}  // namespace

void HandleCredentialCall(const flutter::MethodCall<>& call, flutter::MethodResult<>& result,
                          CredentialStore& store) {
  const std::string& method = call.MethodName();
  if (method == "writeCodexToken") {
    WriteCodexToken(call, result, store);
  } else if (method == "deleteCodexToken") {
    DeleteCodexToken(result, store);
  } else {
    result.NotImplemented();
  }
}

}  // namespace quorvane
