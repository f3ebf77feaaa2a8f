// Starts programs in turn, measures how long each takes until one of its
// top-level windows is visible and how much memory it has used by then, and
// ends it again. Every program runs once untimed first, then RUNS timed times,
// alternating, so that all of them see the same warm caches.
// Usage: startup_probe.exe RUNS SETTLE_MS PROGRAM...
// Prints one line per program:
//   "PROGRAM median_visible_ms=N peak_working_set_kb=N"
// where the memory figure is the largest peak working set over the runs,
// taken SETTLE_MS after the window appeared.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr double kTimeoutMilliseconds = 60000;

struct VisibleWindowSearch {
  DWORD process_id;
  bool found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM lparam) noexcept {
  auto* search = reinterpret_cast<VisibleWindowSearch*>(lparam);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == search->process_id && ::IsWindowVisible(window)) {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

bool HasVisibleWindow(DWORD process_id) {
  VisibleWindowSearch search{process_id, false};
  ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

double MillisecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now;
  LARGE_INTEGER frequency;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

struct Measurement {
  double visible_ms;
  SIZE_T peak_working_set;
};

// Runs program in its own directory until its window is visible; none when it
// cannot start or shows no window in time.
std::optional<Measurement> Measure(const std::wstring& program, DWORD settle_ms) {
  const std::wstring directory = program.substr(0, program.find_last_of(L"\\/"));
  std::wstring command_line = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  LARGE_INTEGER start;
  ::QueryPerformanceCounter(&start);
  if (!::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &process)) {
    std::fwprintf(stderr, L"cannot start %ls (error %lu)\n", program.c_str(), ::GetLastError());
    return std::nullopt;
  }
  ::CloseHandle(process.hThread);

  std::optional<Measurement> measurement;
  while (MillisecondsSince(start) < kTimeoutMilliseconds) {
    if (HasVisibleWindow(process.dwProcessId)) {
      measurement = Measurement{MillisecondsSince(start), 0};
      break;
    }
    if (::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  if (measurement) {
    ::Sleep(settle_ms);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (::GetProcessMemoryInfo(process.hProcess, &counters, sizeof(counters))) {
      measurement->peak_working_set = counters.PeakWorkingSetSize;
    }
  } else {
    std::fwprintf(stderr, L"no visible window from %ls\n", program.c_str());
  }
  ::TerminateProcess(process.hProcess, 0);
  ::WaitForSingleObject(process.hProcess, 10000);
  ::CloseHandle(process.hProcess);
  return measurement;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fwprintf(stderr, L"usage: startup_probe.exe RUNS SETTLE_MS PROGRAM...\n");
    return 2;
  }
  const int runs = std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10)));
  const DWORD settle_ms = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));
  const std::vector<std::wstring> programs(argv + 3, argv + argc);

  std::vector<std::vector<double>> times(programs.size());
  std::vector<SIZE_T> peaks(programs.size(), 0);
  for (int run = -1; run < runs; ++run) {
    for (size_t index = 0; index < programs.size(); ++index) {
      const std::optional<Measurement> measurement = Measure(programs[index], settle_ms);
      if (!measurement) return 1;
      if (run < 0) continue;  // the untimed warm-up run
      times[index].push_back(measurement->visible_ms);
      peaks[index] = std::max(peaks[index], measurement->peak_working_set);
    }
  }

  for (size_t index = 0; index < programs.size(); ++index) {
    std::vector<double>& samples = times[index];
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    const double median =
        samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2.0;
    std::printf("%ls median_visible_ms=%.1f peak_working_set_kb=%llu\n", programs[index].c_str(),
                median, static_cast<unsigned long long>(peaks[index] / 1024));
  }
  return 0;
}
