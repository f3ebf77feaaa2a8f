#include "tests/e2e/host_process.h"

#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {
namespace {

constexpr wchar_t kHostExecutable[] = L"quorvane_ai.exe";

void WriteUtf8File(const std::wstring& path, const std::string& content) {
  std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
  file << content;
}

// The current environment without the stand-in's variables, plus extra.
std::wstring EnvironmentBlock(const std::map<std::wstring, std::wstring>& extra) {
  std::map<std::wstring, std::wstring> variables;
  wchar_t* strings = ::GetEnvironmentStringsW();
  for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) {
    const std::wstring text(entry);
    const size_t equals = text.find(L'=', 1);
    if (equals == std::wstring::npos) continue;
    const std::wstring name = text.substr(0, equals);
    if (name.rfind(L"STANDIN_", 0) == 0) continue;
    variables[name] = text.substr(equals + 1);
  }
  ::FreeEnvironmentStringsW(strings);
  for (const auto& [name, value] : extra) variables[name] = value;

  std::wstring block;
  for (const auto& [name, value] : variables) {
    block += name + L"=" + value;
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

}  // namespace

std::string ReadFile(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

std::wstring HostDataFolder() {
  wchar_t* local_app_data = nullptr;
  std::wstring folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local_app_data))) {
    folder = std::wstring(local_app_data) + L"\\Quorvane AI";
  }
  ::CoTaskMemFree(local_app_data);
  return folder;
}

std::string HostLog() { return ReadFile(HostDataFolder() + L"\\logs\\quorvane_ai.log"); }

std::vector<std::string> HostLogLinesOf(DWORD process_id) {
  std::vector<std::string> lines;
  std::istringstream log(HostLog());
  const std::string marker = "Z " + std::to_string(process_id) + " ";
  std::string line;
  while (std::getline(log, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find(marker) == 23) lines.push_back(line);
  }
  return lines;
}

std::vector<std::wstring> HostDumps() {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE search =
      ::FindFirstFileW((HostDataFolder() + L"\\crashes\\quorvane_ai-*.dmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(found.cFileName);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

void RemoveHostDiagnostics() {
  const std::wstring logs = HostDataFolder() + L"\\logs";
  for (int rotation = 0; rotation <= 3; ++rotation) {
    std::wstring name = logs + L"\\quorvane_ai.log";
    if (rotation > 0) name += L"." + std::to_wstring(rotation);
    ::DeleteFileW(name.c_str());
  }
  for (const std::wstring& dump : HostDumps()) {
    ::DeleteFileW((HostDataFolder() + L"\\crashes\\" + dump).c_str());
  }
  // A crash's notice to the next start, which would otherwise ask the user.
  ::DeleteFileW((HostDataFolder() + L"\\crashes\\crash_notice_pending").c_str());
}

const wchar_t kHostWindowTitle[] = L"Quorvane AI \u7efc\u5408\u5e73\u53f0";

std::wstring BinaryDirectory() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring directory(path);
  return directory.substr(0, directory.find_last_of(L"\\/"));
}

std::wstring TemporaryPath(const std::wstring& stem) {
  static int counter = 0;
  wchar_t directory[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, directory);
  return std::wstring(directory) + L"quorvane_e2e_" + std::to_wstring(::GetCurrentProcessId()) +
         L"_" + std::to_wstring(++counter) + L"_" + stem;
}

HostProcess::HostProcess(const HostOptions& options)
    : log_path_(TemporaryPath(L"events.jsonl")), error_path_(TemporaryPath(L"stderr.txt")) {
  std::map<std::wstring, std::wstring> environment = options.environment;
  environment[L"STANDIN_LOG"] = options.without_standard_streams ? L"" : log_path_;
  if (!options.script.empty()) {
    script_path_ = TemporaryPath(L"script.jsonl");
    std::string lines;
    for (const Json& step : options.script) lines += step.dump() + "\n";
    WriteUtf8File(script_path_, lines);
    environment[L"STANDIN_SCRIPT"] = script_path_;
  }
  std::wstring block = EnvironmentBlock(environment);

  SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
  HANDLE error_file =
      ::CreateFileW(error_path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = options.without_standard_streams ? nullptr : error_file;
  startup.hStdError = options.without_standard_streams ? nullptr : error_file;

  const std::wstring directory = BinaryDirectory();
  std::wstring command_line = L"\"" + directory + L"\\" + kHostExecutable + L"\"";
  if (!options.command_line_tail.empty()) command_line += L" " + options.command_line_tail;

  PROCESS_INFORMATION process{};
  if (::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT, block.data(), directory.c_str(), &startup,
                       &process)) {
    ::CloseHandle(process.hThread);
    process_ = process.hProcess;
    process_id_ = process.dwProcessId;
  }
  if (error_file != INVALID_HANDLE_VALUE) ::CloseHandle(error_file);
}

HostProcess::~HostProcess() {
  Terminate();
  ::DeleteFileW(log_path_.c_str());
  ::DeleteFileW(error_path_.c_str());
  if (!script_path_.empty()) ::DeleteFileW(script_path_.c_str());
}

void HostProcess::Terminate() {
  if (process_ == nullptr) return;
  if (IsRunning()) {
    ::TerminateProcess(process_, 99);
    ::WaitForSingleObject(process_, 10000);
  }
  ::CloseHandle(process_);
  process_ = nullptr;
}

std::optional<DWORD> HostProcess::WaitForExit(milliseconds timeout) {
  if (process_ == nullptr) return std::nullopt;
  if (::WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD exit_code = 0;
  ::GetExitCodeProcess(process_, &exit_code);
  return exit_code;
}

bool HostProcess::IsRunning() {
  return process_ != nullptr && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::vector<Json> HostProcess::Events() const {
  std::vector<Json> events;
  std::istringstream lines(ReadFile(log_path_));
  std::string line;
  while (std::getline(lines, line)) {
    // A line still being written has no line end yet; it is read next time.
    if (lines.eof()) break;
    Json event = Json::parse(line, nullptr, false);
    if (!event.is_discarded()) events.push_back(std::move(event));
  }
  return events;
}

std::optional<Json> HostProcess::WaitForEvent(const std::function<bool(const Json&)>& matches,
                                              milliseconds timeout) {
  std::optional<Json> found;
  WaitUntil(
      [&] {
        for (const Json& event : Events()) {
          if (matches(event)) {
            found = event;
            return true;
          }
        }
        return false;
      },
      timeout);
  return found;
}

std::optional<Json> HostProcess::WaitForReply(const std::string& channel, const std::string& method,
                                              milliseconds timeout) {
  return WaitForEvent(EventIs("reply", {{"channel", channel}, {"method", method}}), timeout);
}

HWND HostProcess::FindOwnWindow() const {
  HWND window = nullptr;
  while ((window = ::FindWindowExW(nullptr, window, nullptr, kHostWindowTitle)) != nullptr) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == process_id_) return window;
  }
  return nullptr;
}

HWND HostProcess::WaitForWindow(bool visible, milliseconds timeout) const {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        window = FindOwnWindow();
        return window != nullptr && (::IsWindowVisible(window) != 0) == visible;
      },
      timeout);
  return window != nullptr && (::IsWindowVisible(window) != 0) == visible ? window : nullptr;
}

std::string HostProcess::StandardError() const { return ReadFile(error_path_); }

std::function<bool(const Json&)> EventIs(const std::string& name, const Json& members) {
  return [name, members](const Json& event) {
    if (!event.is_object() || event.value("event", "") != name) return false;
    for (const auto& [key, value] : members.items()) {
      if (!event.contains(key) || event[key] != value) return false;
    }
    return true;
  };
}

bool WaitUntil(const std::function<bool()>& condition, milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(milliseconds(5));
  }
  return true;
}

Json Call(const std::string& channel, const std::string& method, const Json& args) {
  return {{"call", channel}, {"method", method}, {"args", args}};
}

Json Wait(int milliseconds_to_wait) { return {{"wait_ms", milliseconds_to_wait}}; }

const Json kEnd = {{"end", true}};

std::vector<std::string> StandardErrorLines(const HostProcess& host) {
  std::vector<std::string> lines;
  std::string line;
  for (char character : host.StandardError()) {
    if (character == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (character != '\r') {
      line.push_back(character);
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

size_t CountOf(const HostProcess& host, const std::function<bool(const Json&)>& matches) {
  size_t count = 0;
  for (const Json& event : host.Events()) {
    if (matches(event)) ++count;
  }
  return count;
}

std::optional<LRESULT> SendFromOutside(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG,
                             static_cast<UINT>(kPatience.count()), &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

}  // namespace e2e
