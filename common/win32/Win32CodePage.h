#pragma once
#include "common/CodePage.h"

namespace km27 {

// Lead bytes of the system's ANSI code page, from IsDBCSLeadByte.
class Win32CodePage : public ICodePage {
 public:
  bool IsLeadByte(unsigned char b) const override;
};

}  // namespace km27
