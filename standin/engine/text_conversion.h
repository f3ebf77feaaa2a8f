// UTF-16 <-> UTF-8 and the environment variables the stand-in engine reads.
#pragma once

#include <string>

namespace standin {

/// Invalid UTF-16 becomes U+FFFD; null gives an empty string.
std::string Utf16ToUtf8(const wchar_t* text);
/// Invalid UTF-8 becomes U+FFFD.
std::wstring Utf8ToUtf16(const std::string& text);

/// The variable's value, or an empty string when it is unset.
std::wstring GetEnvironmentText(const wchar_t* name);

/// A path as the C runtime opens it. Under Wine a Unix absolute path ("/tmp/log")
/// is taken on the Z: drive, which maps the Unix root, so that tests and scripts
/// on the Linux side can name their files directly.
std::wstring FilePathFromEnvironment(const std::wstring& path);

}  // namespace standin
