#include "common/posix/PosixServices.h"

#include "common/CodePage.h"

namespace km27 {

void InstallPosixServices() { SetAnsiCodePage(nullptr); }

}  // namespace km27
