// Identifiers of the executable's resources, shared by the resource script and
// the code that loads them.
#pragma once

#define IDI_APP_ICON 101
