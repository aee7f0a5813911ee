#pragma once

namespace km27 {

// Native stand-ins for the Windows services of the common layer: the ANSI code
// page is single-byte (tests choose code page 932 explicitly), and texts go to
// and from UTF-8 through iconv.
void InstallPosixServices();

}  // namespace km27
