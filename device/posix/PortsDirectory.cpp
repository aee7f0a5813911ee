#include "device/posix/PortsDirectory.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "device/posix/PosixCommX.h"

namespace km27 {

namespace {

// Port number of an entry "COMn" (n from 1 to 255, no leading zero), else 0.
// Exactly the names the POSIX serial port opens ("<directory>/COMn").
int PortOfEntry(const std::string& name) {
  if (name.size() < 4 || name.size() > 6) return 0;
  if (name.compare(0, 3, "COM") != 0 || name[3] == '0') return 0;
  int n = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
    n = n * 10 + (name[i] - '0');
  }
  return n <= 255 ? n : 0;
}

}  // namespace

std::string DirectorySerialDeviceMap::Directory() const {
  return directory_.empty() ? SerialDeviceDirectory() : directory_;
}

std::vector<std::string> DirectorySerialDeviceMap::PortNames() {
  std::vector<int> numbers;
  std::error_code ec;
  std::filesystem::directory_iterator it(Directory(), ec);
  if (ec) return {};
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    int n = PortOfEntry(it->path().filename().string());
    if (n > 0) numbers.push_back(n);
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  std::vector<std::string> ports;
  for (int n : numbers) ports.push_back("COM" + std::to_string(n));
  return ports;
}

}  // namespace km27
