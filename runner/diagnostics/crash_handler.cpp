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
#include "runner/diagnostics/runtime_handlers.h"

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
// Stack kept back on the main thread for the filter after a stack overflow.
constexpr ULONG kStackGuarantee = 64 * 1024;
// The reporter's own stack: dbghelp walks every thread's stack from it.
constexpr SIZE_T kReporterStack = 512 * 1024;
// The longest a crashed thread waits for its report, and a second crashed
// thread for the first one's: a crash never becomes a hang that keeps the
// single-instance mutex.
constexpr DWORD kReportWaitSeconds = 30;
constexpr DWORD kReportWaitMs = kReportWaitSeconds * 1000;

// Everything the report needs, prepared at installation. Made once and never
// freed, so that it outlives every static object that a crash during the
// process's exit could meet.
struct CrashState {
  WriteDumpFunction write_dump = nullptr;
  std::optional<std::wstring> folder;
  // "<folder>\\" with room behind it for a dump name, so that the dump's path
  // is made without allocating.
  std::vector<wchar_t> dump_path;
  size_t name_at = 0;
  // "<folder>\\crash_notice_pending", made at installation too.
  std::wstring notice_path;
  HANDLE request = nullptr;
  HANDLE done = nullptr;
  HANDLE reporter = nullptr;
  DWORD reporter_id = 0;
  // The thread that installed the handler: the UI thread.
  HANDLE ui_thread = nullptr;
};
CrashState* state = nullptr;

// The first crash, filled in by its thread before the reporter is woken.
volatile LONG reporting = 0;
volatile DWORD crashed_thread = 0;
volatile DWORD exit_code = 0;
EXCEPTION_POINTERS* crashed_pointers = nullptr;
CrashFacts facts;
char module_name[MAX_PATH] = {};

[[noreturn]] void EndProcess() {
  ::TerminateProcess(::GetCurrentProcess(), exit_code);
  std::abort();
}

// The module holding address, by file name, into module_name.
void FindModule(uint64_t address) {
  HMODULE module = nullptr;
  if (!::GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(address)), &module)) {
    return;
  }
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  const wchar_t* name = path;
  for (const wchar_t* at = path; *at != L'\0'; ++at) {
    if (*at == L'\\' || *at == L'/') name = at + 1;
  }
  size_t at = 0;
  for (; name[at] != L'\0' && at + 1 < sizeof(module_name); ++at) {
    module_name[at] = name[at] < 0x80 ? static_cast<char>(name[at]) : '?';
  }
  module_name[at] = '\0';
  facts.module = module_name;
  facts.module_offset = address - reinterpret_cast<uintptr_t>(module);
}

// The dump of the crashed thread, written from the calling thread.
DumpOutcome WriteDump(const DumpName& name, char (&narrow_name)[kDumpNameCapacity]) {
  if (state->write_dump == nullptr) return {DumpOutcome::Result::kFailed, "", ERROR_MOD_NOT_FOUND};
  if (!state->folder) return {DumpOutcome::Result::kFailed, "", ERROR_PATH_NOT_FOUND};
  std::copy(name.begin(), name.end(), state->dump_path.begin() + state->name_at);
  const wchar_t* path = state->dump_path.data();
  HANDLE file =
      ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {DumpOutcome::Result::kFailed, "", ::GetLastError()};
  MINIDUMP_EXCEPTION_INFORMATION exception{crashed_thread, crashed_pointers, FALSE};
  const BOOL written = state->write_dump(::GetCurrentProcess(), ::GetCurrentProcessId(), file,
                                         kDumpType, &exception, nullptr, nullptr);
  const DWORD error = written ? ERROR_SUCCESS : ::GetLastError();
  ::CloseHandle(file);
  if (!written) {
    ::DeleteFileW(path);
    return {DumpOutcome::Result::kFailed, "", error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT};
  }
  size_t at = 0;
  for (; name[at] != L'\0'; ++at) narrow_name[at] = static_cast<char>(name[at]);
  narrow_name[at] = '\0';
  return {DumpOutcome::Result::kWritten, narrow_name, 0};
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

// Leaves the dump's name for the next start, which tells the user.
void LeaveNotice(std::string_view dump_name) {
  if (state->notice_path.empty()) return;
  HANDLE file = ::CreateFileW(state->notice_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, dump_name.data(), static_cast<DWORD>(dump_name.size()), &written, nullptr);
  ::CloseHandle(file);
}

// The dump, then its line, then the old dumps' removal (the only step that
// needs the heap, so the last).
void WriteReport() {
  if (facts.address) FindModule(*facts.address);
  char narrow_name[kDumpNameCapacity] = {};
  const DumpOutcome outcome =
      WriteDump(FormatDumpName(UtcNow(), ::GetCurrentProcessId()), narrow_name);
  WriteCrashLog(FormatCrashLine(facts, outcome).view());
  LeaveNotice(outcome.name);
  if (state->folder) {
    try {
      RemoveOldDumps();
    } catch (...) {
      // The heap is gone too: the dump and its line are written already.
    }
  }
}

// The UI thread ended while the process goes on: it can only have been ended
// from inside (a stack overflow that left no room even for the exception, as
// under Wine, or a library's ExitThread), since a normal exit ends the UI
// thread last. Without this the process would live on without a window.
void ReportLostUiThread() {
  if (::InterlockedCompareExchange(&reporting, 1, 0) != 0) return;
  DWORD thread_code = 0;
  ::GetExitCodeThread(state->ui_thread, &thread_code);
  exit_code = thread_code != 0 ? thread_code : ERROR_PROCESS_ABORTED;
  FixedText<256> line;
  line.Append("Crash (the UI thread ended unexpectedly, with code ").Hex(thread_code, 8);
  line.Append(", without an exception that could be reported); no dump.");
  WriteCrashLog(line.view());
  LeaveNotice("");
  ::SetEvent(state->done);
  EndProcess();
}

DWORD WINAPI RunReporter(void*) {
  const HANDLE waits[] = {state->request, state->ui_thread};
  const DWORD woke =
      ::WaitForMultipleObjects(state->ui_thread != nullptr ? 2 : 1, waits, FALSE, INFINITE);
  if (woke == WAIT_OBJECT_0 + 1) {
    ReportLostUiThread();
    // A crash got in first; its thread reports it after all.
    ::WaitForSingleObject(state->request, INFINITE);
  }
  WriteReport();
  ::SetEvent(state->done);
  return 0;
}

// What the crash was, from its exception record; a fast-fail instruction that
// the system reported as an illegal one counts as the fast fail it is.
void RecordCrash(CrashCause cause, EXCEPTION_POINTERS* pointers, bool has_address) {
  const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
  crashed_pointers = pointers;
  crashed_thread = ::GetCurrentThreadId();
  facts.cause = cause;
  facts.thread_id = crashed_thread;
  facts.code = record.ExceptionCode;
  const auto address = reinterpret_cast<uintptr_t>(record.ExceptionAddress);
  if (has_address) facts.address = address;
  if (IsInstructionFault(facts.code) && address != 0 &&
      IsFastFailInstruction(reinterpret_cast<const uint8_t*>(address))) {
    facts.code = kFastFailCode;
    facts.fast_fail_code = static_cast<uint32_t>(pointers->ContextRecord->Rcx);
  } else if (facts.code == kFastFailCode && record.NumberParameters >= 1) {
    facts.fast_fail_code = static_cast<uint32_t>(record.ExceptionInformation[0]);
  }
  exit_code = facts.code;
}

[[noreturn]] void Report(CrashCause cause, EXCEPTION_POINTERS* pointers, bool has_address) {
  const DWORD thread = ::GetCurrentThreadId();
  if (state != nullptr && thread == state->reporter_id && reporting != 0) {
    // The report itself crashed (a heap broken by the first crash, say).
    WriteCrashLog(FormatCrashLine(facts, {DumpOutcome::Result::kReportFaulted, "",
                                          pointers->ExceptionRecord->ExceptionCode})
                      .view());
    EndProcess();
  }
  if (::InterlockedCompareExchange(&reporting, 1, 0) != 0) {
    // A crash on another thread waits for the first report, which ends the
    // process; a crash inside this thread's own report ends it at once.
    if (thread != crashed_thread && state != nullptr) {
      ::WaitForSingleObject(state->done, kReportWaitMs);
    }
    EndProcess();
  }
  RecordCrash(cause, pointers, has_address);
  if (state == nullptr) EndProcess();
  ::SetEvent(state->request);
  const HANDLE waits[] = {state->done, state->reporter};
  const DWORD waited = ::WaitForMultipleObjects(2, waits, FALSE, kReportWaitMs);
  if (waited == WAIT_OBJECT_0 + 1 || state->reporter == nullptr) {
    // The reporter is gone, as after the process began to exit: report here.
    WriteReport();
  } else if (waited == WAIT_TIMEOUT) {
    WriteCrashLog(
        FormatCrashLine(facts, {DumpOutcome::Result::kTimedOut, "", kReportWaitSeconds}).view());
  }
  EndProcess();
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
  Report(cause, &pointers, false);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pointers) {
  Report(CrashCause::kUnhandledException, pointers, true);
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

void LoadDumpWriter() {
  HMODULE dbghelp = ::LoadLibraryExW(L"dbghelp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (dbghelp == nullptr) return;
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

}  // namespace

void InstallCrashHandler(std::optional<std::wstring> crash_folder) {
  state = new CrashState;
  LoadDumpWriter();
  state->folder = std::move(crash_folder);
  if (state->folder) {
    const std::wstring prefix = *state->folder + L"\\";
    state->dump_path.assign(prefix.begin(), prefix.end());
    state->name_at = state->dump_path.size();
    state->dump_path.resize(state->name_at + kDumpNameCapacity, L'\0');
    state->notice_path = prefix + kCrashNoticeFileName;
  }
  state->request = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  state->done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const HANDLE process = ::GetCurrentProcess();
  if (!::DuplicateHandle(process, ::GetCurrentThread(), process, &state->ui_thread,
                         SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, 0)) {
    state->ui_thread = nullptr;
  }
  DWORD reporter_id = 0;
  state->reporter = ::CreateThread(nullptr, kReporterStack, &RunReporter, nullptr,
                                   STACK_SIZE_PARAM_IS_A_RESERVATION, &reporter_id);
  state->reporter_id = reporter_id;
  ULONG guarantee = kStackGuarantee;
  ::SetThreadStackGuarantee(&guarantee);
  ::SetUnhandledExceptionFilter(&OnUnhandledException);
  std::set_terminate(&OnTerminate);
  std::signal(SIGABRT, &OnAbortSignal);
  SetRuntimeFatalHandlers(&OnPureCall, &OnInvalidParameter);
}

void ReassertCrashFilter() {
  const LPTOP_LEVEL_EXCEPTION_FILTER previous =
      ::SetUnhandledExceptionFilter(&OnUnhandledException);
  if (previous == &OnUnhandledException) return;
  std::string owner = "an unknown module";
  HMODULE module = nullptr;
  wchar_t path[MAX_PATH] = {};
  if (previous != nullptr &&
      ::GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(previous), &module) &&
      ::GetModuleFileNameW(module, path, MAX_PATH) > 0) {
    const std::wstring full(path);
    const std::wstring name = full.substr(full.find_last_of(L"\\/") + 1);
    owner = std::string(name.begin(), name.end());
  }
  WriteLog(LogLevel::kWarning, "The crash filter had been replaced by " +
                                   (previous == nullptr ? std::string("none") : owner) +
                                   "; it is set again.");
}

void HoldExitWhileCrashReporting() {
  if (reporting == 0 || state == nullptr) return;
  if (crashed_thread == ::GetCurrentThreadId()) return;
  ::WaitForSingleObject(state->done, kReportWaitMs);
  EndProcess();
}

}  // namespace quorvane
