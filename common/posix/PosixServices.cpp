#include "common/posix/PosixServices.h"

#include "common/CodePage.h"
#include "common/posix/IconvTextCodec.h"

namespace km27 {

void InstallPosixServices() {
  static IconvTextCodec codec;
  SetAnsiCodePage(nullptr);
  SetTextCodec(&codec);
}

}  // namespace km27
