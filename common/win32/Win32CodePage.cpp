#include "common/win32/Win32CodePage.h"

#include <windows.h>

namespace km27 {

bool Win32CodePage::IsLeadByte(unsigned char b) const { return IsDBCSLeadByte(b) != 0; }

}  // namespace km27
