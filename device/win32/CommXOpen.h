#pragma once
// Opening a COM port without letting a driver that blocks hold up the
// program. CreateFile on a serial device can take seconds (a USB adapter
// waking up) or never return (a Bluetooth port whose device is away, a hung
// driver); it runs on a helper thread while the caller waits a bounded time
// with its message loop running.
#include <windows.h>

#include <string>

namespace km27::win32 {

using CreateFileFn = HANDLE(WINAPI*)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);

// Opens `device` for overlapped reading and writing, exclusively, through
// `createFile`. Waits at most waitMs, calling `pump` whenever messages arrive
// meanwhile. INVALID_HANDLE_VALUE when the device cannot be opened or the open
// has not returned in time; a helper left behind closes the handle itself
// should its open still succeed.
HANDLE OpenDeviceBounded(const std::string& device, CreateFileFn createFile, DWORD waitMs, void (*pump)());

}  // namespace km27::win32
