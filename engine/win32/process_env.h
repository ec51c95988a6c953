// Facts about the running process that start-up needs: its file, the user's
// temporary folder and interface language, the command line and where the
// running image ends. Also the process hardening done before anything loads.
#pragma once

#include "engine/startup.h"

namespace vantrell {

// Restricts library loading to the system folder (the engine's own imports
// are bound already) and takes the current directory out of the search.
void HardenLibrarySearch();

// Pins the process to the first processor where the system offers the call.
void PinToFirstProcessor();

StartupEnvironment ReadStartupEnvironment();

}  // namespace vantrell
