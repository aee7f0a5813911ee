#pragma once
#include <string>

#include "common/CodePage.h"

namespace km27 {

// Lead bytes of the system's ANSI code page, from IsDBCSLeadByte.
class Win32CodePage : public ICodePage {
 public:
  bool IsLeadByte(unsigned char b) const override;
};

// `bytes` of code page `codePage` (CP_ACP for the system's) as UTF-16; empty
// when the bytes are not text of that code page or the system lacks it.
std::wstring WideFromCodePage(unsigned codePage, const std::string& bytes);

}  // namespace km27
