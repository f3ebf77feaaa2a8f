// The installer probe's walk through setup's wizard pages.
#ifndef TESTS_INSTALLER_PROBE_WIZARD_H_
#define TESTS_INSTALLER_PROBE_WIZARD_H_

// Runs a program and drives its wizard with the given steps, in order:
//   fit=FACE:POINTS  prints "page: TITLE" and, for every label of the page
//           that does not fit its control or has a scroll bar, "cut off:
//           TEXT"; measured in the control's own font, or where the program
//           does not tell it (Wine), in the font its dialogs declare
//   next    presses Next (or Install, Uninstall) and waits for what follows
//   cancel  presses Cancel and confirms the question whether to quit
//   refuse  prints "message: TEXT" for the message box shown and answers it
//           Cancel
// Returns the program's exit code (254 when it had to be ended, 253 when a
// step found no wizard or message box).
int Wizard(const wchar_t* command_line, int step_count, wchar_t** steps);

#endif  // TESTS_INSTALLER_PROBE_WIZARD_H_
