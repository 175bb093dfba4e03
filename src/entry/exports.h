// The three functions the host calls: C linkage, the caller removes the arguments.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {

// Runs the main dialog on `folder` (a 260-byte buffer, in and out): 1 when it ran, else 0.
int __cdecl ConnectCardDlg(HWND parent, char* folder);
// Runs the single-design dialog on the host's design in memory: 1 when it ran, else 0.
int __cdecl DirectWriteCard(HWND parent, std::uint8_t* design, std::uint32_t size, const char* name);
// Runs the single-design dialog on the files of a list file; `name` (260 bytes) always comes
// back holding the design name. The dialog's end code, or 0 when it could not run.
int __cdecl DirectFilesWrite(HWND parent, char* name, const char* listFile);
}
