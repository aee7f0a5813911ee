#include "common/win32/Win32CodePage.h"

#include <windows.h>

namespace km27 {

bool Win32CodePage::IsLeadByte(unsigned char b) const { return IsDBCSLeadByte(b) != 0; }

std::wstring WideFromCodePage(unsigned codePage, const std::string& bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), n) != n) return {};
  return wide;
}

}  // namespace km27
