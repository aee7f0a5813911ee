#pragma once
// The serial device map of Windows: the values of the registry key
// HKLM\Hardware\DeviceMap\SerialComm, read only.
#include "device/Ports.h"

namespace km27 {

class RegistrySerialDeviceMap : public ISerialDeviceMap {
 public:
  std::vector<std::string> PortNames() override;
};

}  // namespace km27
