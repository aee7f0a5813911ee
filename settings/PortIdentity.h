#pragma once
// A serial port's lasting identity beside its number. Settings keep the port
// as a number, and on Linux the number of a USB adapter follows the order
// devices were plugged in (ttyUSB0, ttyUSB1...). Where the system names a
// device by its serial id (/dev/serial/by-id), the settings file also keeps
// that name ([Connection] PortId), and at load the number is taken from the
// device that name points at now. Windows keeps its own fixed COM numbers
// and installs no identity: PortId is then neither read nor written.
#include <cstdint>
#include <string>

namespace km27 {

class IPortIdentity {
 public:
  virtual ~IPortIdentity() = default;
  // The lasting name of the device behind port number `port`; empty when it
  // has none (an on-board port) or is not there.
  virtual std::string IdOfPort(int32_t port) = 0;
  // The port number the device named `id` has now; 0 when it is not there.
  virtual int32_t PortOfId(const std::string& id) = 0;
};

// The identity in force (not owned); nullptr: none (Windows, tests).
void SetPortIdentity(IPortIdentity* identity);
IPortIdentity* PortIdentity();

}  // namespace km27
