// Helpers of the installer probe: text for standard output, windows' class
// names and texts, and started programs.
#ifndef TESTS_INSTALLER_PROBE_PROCESS_H_
#define TESTS_INSTALLER_PROBE_PROCESS_H_

#include <windows.h>

#include <string>

std::string Utf8(const wchar_t* text);

// Starts a program with exactly this command line; reports why when it cannot.
bool Start(const wchar_t* command_line, PROCESS_INFORMATION& process);

// The exit code of a started program, its handles closed.
int Finish(const PROCESS_INFORMATION& process);

// Like Finish, after waiting up to 30 s for the program to end; a program
// still running then (waiting on another dialog, say) is ended with 254, so
// that the caller fails instead of hanging.
int FinishWithin(const PROCESS_INFORMATION& process);

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);

#endif  // TESTS_INSTALLER_PROBE_PROCESS_H_
