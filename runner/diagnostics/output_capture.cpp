#include "runner/diagnostics/output_capture.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>

#include "runner/diagnostics/output_lines.h"

namespace quorvane {
namespace {

constexpr DWORD kPipeBytes = 64 * 1024;
// The reader needs little stack: one read buffer and a line.
constexpr SIZE_T kReaderStack = 64 * 1024;

struct Reader {
  Log* log = nullptr;
  HANDLE pipe = nullptr;
};

// The pipe's reading end, and whether the reader holds bytes it has not
// logged yet; for the drain at the end.
HANDLE read_end_for_drain = nullptr;
volatile LONG reader_busy = 0;

DWORD WINAPI ReadLines(void* parameter) {
  const Reader reader = *static_cast<Reader*>(parameter);
  delete static_cast<Reader*>(parameter);
  OutputLines lines(
      [&reader](std::string_view line) { reader.log->Write(LogLevel::kOutput, line); });
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(reader.pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    ::InterlockedExchange(&reader_busy, 1);
    lines.Feed(std::string_view(buffer, read));
    ::InterlockedExchange(&reader_busy, 0);
  }
  lines.Finish();
  ::CloseHandle(reader.pipe);
  return 0;
}

// Makes stream write into descriptor. A stream the runtime found without a
// handle at start has no descriptor of its own; it gets one first.
// Wine's runtime refuses that reopening; the stream then stays where it was.
void PointStream(std::FILE* stream, int descriptor) {
  if (_fileno(stream) < 0) {
    std::FILE* reopened = nullptr;
    if (freopen_s(&reopened, "NUL", "w", stream) != 0) return;
  }
  std::fflush(stream);
  if (_dup2(descriptor, _fileno(stream)) != 0) return;
  // Unbuffered, so that what is printed lands in order with the log's own
  // lines and is not lost when the process ends abruptly.
  std::setvbuf(stream, nullptr, _IONBF, 0);
}

HANDLE Duplicate(HANDLE handle) {
  const HANDLE process = ::GetCurrentProcess();
  HANDLE copy = nullptr;
  if (!::DuplicateHandle(process, handle, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return nullptr;
  }
  return copy;
}

}  // namespace

bool CaptureOutputInto(Log& log, void (*resync)()) {
  HANDLE read_end = nullptr;
  HANDLE output = nullptr;
  if (!::CreatePipe(&read_end, &output, nullptr, kPipeBytes)) return false;
  HANDLE error = Duplicate(output);
  auto* reader = new Reader{&log, read_end};
  HANDLE thread = error != nullptr ? ::CreateThread(nullptr, kReaderStack, &ReadLines, reader,
                                                    STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr)
                                   : nullptr;
  if (thread == nullptr) {
    delete reader;
    for (HANDLE handle : {read_end, output, error}) {
      if (handle != nullptr) ::CloseHandle(handle);
    }
    return false;
  }
  ::CloseHandle(thread);
  read_end_for_drain = read_end;

  // The runtime's streams follow where the runtime lets them; a library with
  // a runtime of its own takes the standard handles when resync asks it to.
  if (HANDLE runtime = Duplicate(output)) {
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(runtime), _O_TEXT);
    if (descriptor == -1) {
      ::CloseHandle(runtime);
    } else {
      PointStream(stdout, descriptor);
      PointStream(stderr, descriptor);
      _close(descriptor);
    }
  }
  ::SetStdHandle(STD_OUTPUT_HANDLE, output);
  ::SetStdHandle(STD_ERROR_HANDLE, error);
  std::ios_base::sync_with_stdio(true);
  if (resync != nullptr) resync();
  return true;
}

void DrainCapturedOutput(unsigned long timeout_ms) {
  if (read_end_for_drain == nullptr) return;
  std::fflush(stdout);
  std::fflush(stderr);
  const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
  DWORD available = 0;
  // Idle twice in a row: the reader may have taken the last bytes out of the
  // pipe a moment before it marks itself busy.
  int idle = 0;
  while (::GetTickCount64() < deadline) {
    if (!::PeekNamedPipe(read_end_for_drain, nullptr, 0, nullptr, &available, nullptr)) return;
    idle = available == 0 && reader_busy == 0 ? idle + 1 : 0;
    if (idle == 2) return;
    ::Sleep(1);
  }
}

}  // namespace quorvane
