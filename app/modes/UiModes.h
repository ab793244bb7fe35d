#pragma once

#include <string>

namespace plovik::ui {

// The desktop application: the tray icon, the settings and onboarding windows.
int runDesktopApplication(int argc, char** argv);
// Every window and menu state as PNG files in the folder, off screen, on sample data.
int runScreenshots(const std::string& directory, int argc, char** argv);

}  // namespace plovik::ui
