// Checks that bytes from outside the process are well-formed UTF-8 text.
#pragma once

#include <string_view>

namespace quorvane {

/// True when text is well-formed UTF-8 (no overlong forms, no surrogates,
/// nothing above U+10FFFF) and holds no NUL.
bool IsValidUtf8Text(std::string_view text);

}  // namespace quorvane
