// A picture of the virtual screen as a .bmp file, for a person to look at what a test drove.
#pragma once

#include <windows.h>

#include <string>

namespace kx::wintest {

// Writes what the screen shows inside `area` to `path` (24-bit BMP); false when it could not.
bool SaveScreenBitmap(const std::string& path, const RECT& area);
// The same for the whole screen.
bool SaveScreenBitmap(const std::string& path);
// Saves the screen as <KX_SCREENSHOTS>/<name>.bmp when that variable names a folder.
void SaveScreenshotIfAsked(const std::string& name);

}  // namespace kx::wintest
