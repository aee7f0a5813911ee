#pragma once
// The serial device map of POSIX systems: the entries "COMn" of a device
// directory (the names the POSIX serial port opens), for instance links to the
// reader's pseudo-terminal. Shown as "COM" + number, the form port numbers
// are chosen by.
#include <string>

#include "device/Ports.h"

namespace km27 {

class DirectorySerialDeviceMap : public ISerialDeviceMap {
 public:
  // directory empty: the directory the POSIX serial port opens its COMn in
  // (SerialDeviceDirectory(), read at every listing).
  explicit DirectorySerialDeviceMap(std::string directory = {}) : directory_(std::move(directory)) {}
  // In numeric order; a missing or unreadable directory is no ports.
  std::vector<std::string> PortNames() override;
  std::string Directory() const;

 private:
  std::string directory_;
};

}  // namespace km27
