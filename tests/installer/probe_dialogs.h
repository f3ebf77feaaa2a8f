// The installer probe's view of setup's dialogs.
#ifndef TESTS_INSTALLER_PROBE_DIALOGS_H_
#define TESTS_INSTALLER_PROBE_DIALOGS_H_

// Runs a program, prints the texts of the first dialog it shows (or a program
// it starts shows) and of the controls in it, answers it No (or cancels it)
// and returns the program's exit code.
int Dialog(const wchar_t* command_line);

// Runs a program and goes through its dialogs until it ends: on a wizard page
// it prints the page's texts and "overflow: CLASS: TEXT" for every control
// whose text does not fit it (a label cut off, a list that needs a
// horizontal scroll bar), then presses Next on the first `pages` pages and
// Cancel on the next. A message box is printed and answered Yes/OK when
// `yes`, else No/Cancel. Returns the program's exit code.
int Walk(int pages, bool yes, const wchar_t* command_line);

#endif  // TESTS_INSTALLER_PROBE_DIALOGS_H_
