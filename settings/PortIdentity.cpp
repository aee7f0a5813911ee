#include "settings/PortIdentity.h"

namespace km27 {

namespace {
IPortIdentity* gIdentity = nullptr;
}

void SetPortIdentity(IPortIdentity* identity) { gIdentity = identity; }
IPortIdentity* PortIdentity() { return gIdentity; }

}  // namespace km27
