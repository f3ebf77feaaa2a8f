// When an update file may be handed to its installer: signed by the publisher
// of the running program, and newer than it. The facts come from the Win32
// side; the decision and its order are here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

/// Why an update is refused; kNone lets it go ahead.
enum class UpdateRefusal {
  kNone,
  kInvalidPath,
  kCopyFailed,
  kUnsigned,
  kHostUnsigned,
  kOtherPublisher,
  kVersionUnreadable,
  kNotNewer,
  kStartFailed,
};

/// What a file's Authenticode signature says: whether it verified with its
/// whole chain, the signer's certificate (DER) and the signer's name.
struct SignatureFacts {
  bool valid = false;
  std::vector<uint8_t> signer_certificate;
  std::string publisher;
};

struct UpdateFacts {
  SignatureFacts update;
  SignatureFacts host;
  /// "major.minor.build.revision" from each file's version resource; empty
  /// when unreadable.
  std::string update_version;
  std::string host_version;
  /// The development switch: a host without a valid signature accepts any
  /// validly signed update.
  bool allow_unsigned_host = false;
};

/// The first rule the facts break, in this order: the update's signature, the
/// host's own signature (unless the switch is on), the same signer
/// certificate byte for byte, a readable version, a newer version.
UpdateRefusal JudgeUpdate(const UpdateFacts& facts);

/// "1.2.3.4" as four numbers; none unless exactly four decimal parts of at
/// most five digits each.
std::optional<std::array<uint32_t, 4>> ParseFileVersion(std::string_view text);

/// A path the host accepts for an update file: valid UTF-8 text of at most
/// 32767 bytes, absolute ("C:\..." or "\\server\..."), naming an ".exe".
bool IsAcceptableUpdatePath(std::string_view path);

/// What a check or an installation found: the refusal, and for a file whose
/// signature verified, its publisher and version.
struct UpdateOutcome {
  UpdateRefusal refusal = UpdateRefusal::kNone;
  std::string publisher;
  std::string version;
};

/// The update file operations the update channel is built on.
class UpdateInstaller {
 public:
  virtual ~UpdateInstaller() = default;
  /// Copies the file to a folder only administrators can write, checks the
  /// copy and deletes it again.
  virtual UpdateOutcome Check(const std::string& path) = 0;
  /// The same checks; when they pass, starts the copy with /S.
  virtual UpdateOutcome Install(const std::string& path) = 0;
};

}  // namespace quorvane
