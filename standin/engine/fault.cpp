#include "standin/engine/fault.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace standin {
namespace {

// How long the engine's shutdown waits once its background thread has crashed,
// so that the crash is under way before the host goes on to exit.
constexpr DWORD kShutdownCrashLeadMs = 100;
constexpr int kOverrunBlocks = 64;
// What Windows leaves of a thread's stack when it raises a stack overflow.
constexpr size_t kOverflowRoomLeft = 12 * 1024;
constexpr size_t kOverflowThreadStack = 256 * 1024;

bool crash_at_shutdown = false;
volatile bool keep_recursing = true;

[[noreturn]] void AccessViolation() {
  void* page = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
  if (page != nullptr) *static_cast<volatile int*>(page) = 1;
  // Only reached when the page could not be had.
  std::abort();
}

// Each level keeps a little stack, so that the stack runs out; small levels
// touch the stack's guard page near its top, as most code does.
int Recurse(int depth) {
  volatile char frame[64];
  frame[0] = static_cast<char>(depth);
  if (!keep_recursing) return frame[0];
  return Recurse(depth + 1) + frame[0];
}

// Writes over the blocks that follow one on the process heap, then goes on
// using the heap, as a buffer overrun in a library would.
void OverrunHeapBlock() {
  const HANDLE heap = GetProcessHeap();
  void* blocks[kOverrunBlocks] = {};
  for (void*& block : blocks) block = HeapAlloc(heap, 0, 24);
  std::memset(blocks[0], 0xA5, 24 * kOverrunBlocks * 2);
  for (void* block : blocks) HeapFree(heap, 0, block);
  for (int round = 0; round < 1000; ++round) HeapFree(heap, 0, HeapAlloc(heap, 0, 24 + round));
}

// Overruns a local buffer through an index the compiler cannot see, so that
// the stack protector's check fails when the function returns.
void SmashStackCookie() {
  volatile int length = 24;
  char buffer[16];
  for (int at = 0; at < length; ++at) reinterpret_cast<volatile char*>(buffer)[at] = 'x';
}

// Uses up a background thread's stack but for a few pages, then raises the
// stack overflow there. Wine cannot raise it itself: it always leaves less than
// a page for the exception, and then ends the thread instead.
int NearlyOverflow(int depth, const volatile char* top) {
  volatile char frame[64];
  frame[0] = static_cast<char>(depth);
  if (top - &frame[0] > static_cast<ptrdiff_t>(kOverflowThreadStack - kOverflowRoomLeft)) {
    RaiseException(STATUS_STACK_OVERFLOW, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return 0;
  }
  return NearlyOverflow(depth + 1, top) + frame[0];
}

DWORD WINAPI OverflowThreadStack(void*) {
  volatile char top = 0;
  return static_cast<DWORD>(NearlyOverflow(0, &top));
}

DWORD WINAPI AccessViolationThread(void*) { AccessViolation(); }

void AccessViolationAtExit() { AccessViolation(); }

}  // namespace

UINT FaultMessage() {
  static const UINT message = RegisterWindowMessageW(L"StandinFault");
  return message;
}

void CrashHost(ScriptStep::Fault fault) {
  switch (fault) {
    case ScriptStep::Fault::kAccessViolation:
      AccessViolation();
    case ScriptStep::Fault::kTerminate:
      throw std::runtime_error("stand-in fault step");
    case ScriptStep::Fault::kStackOverflow:
      Recurse(0);
      break;
    case ScriptStep::Fault::kHeapOverrun:
      OverrunHeapBlock();
      break;
    case ScriptStep::Fault::kFailFast: {
      // What the runtime of a library built with MSVC raises for abort() and
      // for a failed check.
      const ULONG_PTR fatal_app_exit = 7;
      RaiseException(0xC0000409, EXCEPTION_NONCONTINUABLE, 1, &fatal_app_exit);
      break;
    }
    case ScriptStep::Fault::kStackCookie:
      SmashStackCookie();
      break;
    case ScriptStep::Fault::kThreadStackOverflow:
      CloseHandle(CreateThread(nullptr, kOverflowThreadStack, &OverflowThreadStack, nullptr,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
      return;
    case ScriptStep::Fault::kAccessViolationAtShutdown:
      crash_at_shutdown = true;
      return;
    case ScriptStep::Fault::kAccessViolationAfterExit:
      // Registered with the system's C runtime, which runs it in the host's
      // exit, after the host's entry has returned.
      if (const auto runtime_atexit =
              reinterpret_cast<int(__cdecl*)(void(__cdecl*)())>(reinterpret_cast<void (*)()>(
                  GetProcAddress(GetModuleHandleW(L"msvcrt.dll"), "atexit")))) {
        runtime_atexit(&AccessViolationAtExit);
      }
      return;
  }
  // Only reached when a fault did not fault.
  std::abort();
}

void OnEngineShutdown() {
  if (!crash_at_shutdown) return;
  CloseHandle(CreateThread(nullptr, 0, &AccessViolationThread, nullptr, 0, nullptr));
  Sleep(kShutdownCrashLeadMs);
}

}  // namespace standin
