#include "runner/channels/update_channel.h"

#include <string>

#include "runner/channels/argument_helpers.h"
#include "runner/diagnostics/log.h"

namespace quorvane {
namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;

struct ErrorReply {
  const char* code;
  const char* message;
};

ErrorReply ReplyFor(UpdateRefusal refusal) {
  switch (refusal) {
    case UpdateRefusal::kInvalidPath:
      return {"update_invalid_path", "Unable to use this path for an update file."};
    case UpdateRefusal::kCopyFailed:
      return {"update_copy_failed", "Unable to copy the update file."};
    case UpdateRefusal::kUnsigned:
      return {"update_unsigned", "Unable to verify the update file's signature."};
    case UpdateRefusal::kHostUnsigned:
      return {"update_host_unsigned", "Unable to verify updates for an unsigned build."};
    case UpdateRefusal::kOtherPublisher:
      return {"update_other_publisher", "Unable to accept an update from another publisher."};
    case UpdateRefusal::kVersionUnreadable:
      return {"update_version_unreadable", "Unable to read the update file's version."};
    case UpdateRefusal::kNotNewer:
      return {"update_not_newer", "Unable to accept an update that is not newer."};
    case UpdateRefusal::kStartFailed:
      return {"update_start_failed", "Unable to start the update."};
    case UpdateRefusal::kNone:
      break;
  }
  return {"update_start_failed", "Unable to start the update."};
}

}  // namespace

void HandleUpdateCall(const flutter::MethodCall<EncodableValue>& call,
                      flutter::MethodResult<EncodableValue>& result, UpdateInstaller& installer) {
  const std::string& method = call.MethodName();
  bool install = false;
  if (method == "checkUpdateFile") {
    install = false;
  } else if (method == "installUpdate") {
    install = true;
  } else {
    result.NotImplemented();
    return;
  }
  const std::string* path = GetStringArgument(call, "path");
  UpdateOutcome outcome;
  if (path == nullptr || !IsAcceptableUpdatePath(*path)) {
    outcome.refusal = UpdateRefusal::kInvalidPath;
  } else {
    outcome = install ? installer.Install(*path) : installer.Check(*path);
  }
  if (outcome.refusal != UpdateRefusal::kNone) {
    const ErrorReply reply = ReplyFor(outcome.refusal);
    // The path is the user's; the code says enough.
    WriteLog(LogLevel::kWarning, std::string("Refused an update file: ") + reply.code + ".");
    result.Error(reply.code, reply.message);
    return;
  }
  if (install) WriteLog(LogLevel::kInfo, "Started the update " + outcome.version + ".");
  result.Success(EncodableValue(EncodableMap{
      {EncodableValue("publisher"), EncodableValue(outcome.publisher)},
      {EncodableValue("version"), EncodableValue(outcome.version)},
  }));
}

}  // namespace quorvane
