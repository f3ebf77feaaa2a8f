// Helpers of the installer probe: text for standard output and started programs.
#ifndef TESTS_INSTALLER_PROBE_PROCESS_H_
#define TESTS_INSTALLER_PROBE_PROCESS_H_

#include <windows.h>

#include <string>

std::string Utf8(const wchar_t* text);

// Starts a program with exactly this command line; reports why when it cannot.
bool Start(const wchar_t* command_line, PROCESS_INFORMATION& process);

// The exit code of a started program, its handles closed.
int Finish(const PROCESS_INFORMATION& process);

#endif  // TESTS_INSTALLER_PROBE_PROCESS_H_
