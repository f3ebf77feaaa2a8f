// A reply from the host, decoded from the standard method codec's envelopes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "codec/encodable_value.h"

namespace standin {

struct HostReply {
  enum class Kind { kSuccess, kError, kNotImplemented, kUndecodable };

  Kind kind = Kind::kNotImplemented;
  flutter::EncodableValue value;    // success value, null when none
  std::string code;                 // error only
  std::string message;              // error only; empty when none
  flutter::EncodableValue details;  // error only, null when none
  std::string hex;                  // undecodable only: the bytes as they came

  /// An empty reply means not implemented.
  static HostReply Decode(const uint8_t* bytes, size_t size);

  /// The reply event of the log: channel, method (null for raw sends) and the
  /// outcome as "success", "error", "not_implemented" or "undecodable".
  nlohmann::json ToEvent(const std::string& channel,
                         const std::optional<std::string>& method) const;

  /// One short line for people, such as "error credential_write_failed".
  std::string Summary() const;
};

}  // namespace standin
