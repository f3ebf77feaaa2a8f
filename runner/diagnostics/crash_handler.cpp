#include "runner/diagnostics/crash_handler.h"

#include <windows.h>

#include <dbghelp.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <vector>

#include "runner/diagnostics/crash_rules.h"
#include "runner/diagnostics/log.h"
#include "runner/diagnostics/log_file.h"

namespace quorvane {
namespace {

using WriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                        PMINIDUMP_EXCEPTION_INFORMATION,
                                        PMINIDUMP_USER_STREAM_INFORMATION,
                                        PMINIDUMP_CALLBACK_INFORMATION);
using SymInitializeFunction = BOOL(WINAPI*)(HANDLE, PCWSTR, BOOL);

// Threads, modules (loaded and unloaded) and their stacks; no heap, so that a
// dump stays small and holds as little of the user's data as it can.
constexpr MINIDUMP_TYPE kDumpType =
    static_cast<MINIDUMP_TYPE>(MiniDumpNormal | MiniDumpWithUnloadedModules);
// Stack kept back on the main thread for the report of a stack overflow.
constexpr ULONG kStackGuarantee = 64 * 1024;

// Everything the report needs, prepared at installation.
struct CrashState {
  WriteDumpFunction write_dump = nullptr;
  std::optional<std::wstring> folder;
  // "<folder>\\" with room behind it for a dump name, so that the dump's path
  // is made without allocating.
  std::vector<wchar_t> dump_path;
  size_t name_at = 0;
};

// Made once and never freed, so that it outlives every static object that a
// crash during the process's exit could meet.
CrashState* state = nullptr;
volatile LONG reporting = 0;
volatile DWORD reporting_thread = 0;
volatile DWORD first_code = 0;

// The dump of the crashed process, or the Windows error that prevented it.
DWORD WriteDump(const DumpName& name, EXCEPTION_POINTERS* pointers) {
  if (state->write_dump == nullptr) return ERROR_MOD_NOT_FOUND;
  if (!state->folder) return ERROR_PATH_NOT_FOUND;
  std::copy(name.begin(), name.end(), state->dump_path.begin() + state->name_at);
  const wchar_t* path = state->dump_path.data();
  HANDLE file =
      ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ::GetLastError();
  MINIDUMP_EXCEPTION_INFORMATION exception{::GetCurrentThreadId(), pointers, FALSE};
  const BOOL written = state->write_dump(::GetCurrentProcess(), ::GetCurrentProcessId(), file,
                                         kDumpType, &exception, nullptr, nullptr);
  const DWORD error = written ? ERROR_SUCCESS : ::GetLastError();
  ::CloseHandle(file);
  if (!written) ::DeleteFileW(path);
  return written ? ERROR_SUCCESS : (error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
}

void RemoveOldDumps() {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW((*state->folder + L"\\quorvane_ai-*.dmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    names.push_back(found.cFileName);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  for (const std::wstring& name : DumpsToRemove(std::move(names))) {
    ::DeleteFileW((*state->folder + L"\\" + name).c_str());
  }
}

[[noreturn]] void Report(CrashCause cause, EXCEPTION_POINTERS* pointers) {
  const DWORD code = pointers->ExceptionRecord->ExceptionCode;
  if (::InterlockedExchange(&reporting, 1) != 0) {
    // A crash while reporting one ends the process at once; a crash on another
    // thread waits for the first report, which ends the process.
    if (reporting_thread == ::GetCurrentThreadId()) {
      ::TerminateProcess(::GetCurrentProcess(), first_code);
    }
    ::Sleep(INFINITE);
  }
  reporting_thread = ::GetCurrentThreadId();
  first_code = code;

  // The dump comes first: it is what matters most, and it needs no heap.
  const DumpName name = FormatDumpName(UtcNow(), ::GetCurrentProcessId());
  const DWORD dump_error = WriteDump(name, pointers);
  try {
    std::string narrow_name;
    if (dump_error == ERROR_SUCCESS) {
      for (const wchar_t* character = name.data(); *character != L'\0'; ++character) {
        narrow_name.push_back(static_cast<char>(*character));
      }
    }
    WriteLog(
        LogLevel::kError,
        FormatCrashLine(cause, code,
                        reinterpret_cast<uintptr_t>(pointers->ExceptionRecord->ExceptionAddress),
                        narrow_name, dump_error));
    if (state->folder) RemoveOldDumps();
  } catch (...) {
    // The heap is gone too: the dump is written, the process ends as it would.
  }
  ::TerminateProcess(::GetCurrentProcess(), code);
  std::abort();
}

// A fatal end requested by the runtime rather than raised by the processor:
// reported the way Windows reports it, as a fast-fail exception raised here.
[[noreturn]] void ReportFastFail(CrashCause cause, ULONG_PTR reason) {
  CONTEXT context{};
  ::RtlCaptureContext(&context);
  EXCEPTION_RECORD record{};
  record.ExceptionCode = kFastFailCode;
  record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
  // The host is built for x64 only.
  record.ExceptionAddress = reinterpret_cast<void*>(context.Rip);
  record.NumberParameters = 1;
  record.ExceptionInformation[0] = reason;
  EXCEPTION_POINTERS pointers{&record, &context};
  Report(cause, &pointers);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pointers) {
  Report(CrashCause::kUnhandledException, pointers);
}

void OnTerminate() { ReportFastFail(CrashCause::kTerminate, kFastFailFatalAppExit); }

// abort() of any module that shares the host's C runtime, a library's own
// std::terminate among them.
void OnAbortSignal(int) { ReportFastFail(CrashCause::kAbort, kFastFailFatalAppExit); }

void __cdecl OnPureCall() { ReportFastFail(CrashCause::kPureVirtualCall, kFastFailFatalAppExit); }

void __cdecl OnInvalidParameter(const wchar_t*, const wchar_t*, const wchar_t*, unsigned,
                                uintptr_t) {
  ReportFastFail(CrashCause::kInvalidParameter, kFastFailInvalidArgument);
}

}  // namespace

void InstallCrashHandler(std::optional<std::wstring> crash_folder) {
  state = new CrashState;
  HMODULE dbghelp = ::LoadLibraryExW(L"dbghelp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (dbghelp != nullptr) {
    // Through void (*)(), the function pointer type that converts without a
    // signature-mismatch warning.
    state->write_dump = reinterpret_cast<WriteDumpFunction>(
        reinterpret_cast<void (*)()>(::GetProcAddress(dbghelp, "MiniDumpWriteDump")));
    // The symbol handler set up now, without reading any module's symbols: a
    // dump writer that finds it missing may set it up itself after the crash,
    // reading every module's debug information in the crashed process (Wine's
    // does, and fails on some).
    const auto initialize_symbols = reinterpret_cast<SymInitializeFunction>(
        reinterpret_cast<void (*)()>(::GetProcAddress(dbghelp, "SymInitializeW")));
    if (initialize_symbols != nullptr) initialize_symbols(::GetCurrentProcess(), nullptr, FALSE);
  }
  state->folder = std::move(crash_folder);
  if (state->folder) {
    const std::wstring prefix = *state->folder + L"\\";
    state->dump_path.assign(prefix.begin(), prefix.end());
    state->name_at = state->dump_path.size();
    state->dump_path.resize(state->name_at + kDumpNameCapacity, L'\0');
  }
  ULONG guarantee = kStackGuarantee;
  ::SetThreadStackGuarantee(&guarantee);
  ::SetUnhandledExceptionFilter(&OnUnhandledException);
  std::set_terminate(&OnTerminate);
  std::signal(SIGABRT, &OnAbortSignal);
  _set_purecall_handler(&OnPureCall);
  _set_invalid_parameter_handler(&OnInvalidParameter);
}

}  // namespace quorvane
