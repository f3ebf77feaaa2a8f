// The installer probe's view of setup's dialogs.
#ifndef TESTS_INSTALLER_PROBE_DIALOGS_H_
#define TESTS_INSTALLER_PROBE_DIALOGS_H_

// Runs a program, prints the texts of the first dialog it shows (or a program
// it starts shows) and of the controls in it, answers it No (or cancels it)
// and returns the program's exit code (254 when it had to be ended).
int Dialog(const wchar_t* command_line);

#endif  // TESTS_INSTALLER_PROBE_DIALOGS_H_
