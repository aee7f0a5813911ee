#pragma once
// The screenshot handshake of the Wine test programs with their scripts: with
// KM27_SHOTS set (a directory), a window in its state of interest is
// announced there as <name>.ready and held, its messages pumped, until the
// script has taken a screenshot and removed the file (at most 20 s).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "ui/Application.h"

namespace km27::test {

inline void HoldForScreenshot(ui::IApplication& app, const char* name) {
  const char* dir = std::getenv("KM27_SHOTS");
  if (!dir) return;
  std::string marker = std::string("Z:") + dir + "/" + name + ".ready";
  HANDLE f = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  CloseHandle(f);
  DWORD start = GetTickCount();
  while (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 20000) {
    app.ProcessMessages();
    Sleep(20);
  }
}

}  // namespace km27::test
