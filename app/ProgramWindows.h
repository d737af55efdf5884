#pragma once

#include "TFormMain.h"

#include <memory>

// Creates the program's windows in their fixed order: the main window
// (whose creation step loads the settings and restores the protocol), the
// settings dialog, the yes/no dialog, the spectator window (which then sees the loaded title and
// screen). The others belong to the main window; last, the desk that keeps
// the desktop awake while it times.
std::unique_ptr<TFormMain> CreateProgramWindows(const TAppSettings& settings, const MainWindowSeams& seams);
