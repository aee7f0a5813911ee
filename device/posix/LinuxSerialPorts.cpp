#include "device/posix/LinuxSerialPorts.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace km27 {

namespace fs = std::filesystem;

namespace {

struct Family {
  const char* prefix;
  int first;  // COM number of device 0
  int count;
};
constexpr Family kFamilies[] = {{"ttyS", 1, 99}, {"ttyUSB", 100, 100}, {"ttyACM", 200, 100}};

// Decimal digits without a leading zero (but "0"), at most two.
int IndexOf(const std::string& digits) {
  if (digits.empty() || digits.size() > 2 || (digits.size() > 1 && digits[0] == '0')) return -1;
  int n = 0;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

// COM number of a device name ("ttyUSB0" is 100), else 0.
int PortOfDevice(const std::string& name) {
  for (const Family& f : kFamilies) {
    const std::string prefix = f.prefix;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const int n = IndexOf(name.substr(prefix.size()));
    if (n >= 0 && n < f.count) return f.first + n;
  }
  return 0;
}

std::string DeviceOfPort(int port) {
  for (const Family& f : kFamilies)
    if (port >= f.first && port < f.first + f.count) return f.prefix + std::to_string(port - f.first);
  return {};
}

int PortOfName(const std::string& name) {
  if (name.compare(0, 3, "COM") != 0) return 0;
  const std::string digits = name.substr(3);
  if (digits.empty() || digits.size() > 3 || digits[0] == '0') return 0;
  int n = 0;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    n = n * 10 + (c - '0');
  }
  return n;
}

bool EndsWithTag(std::string& id, const std::string& tag) {
  const size_t at = id.rfind(tag);
  if (at == std::string::npos || at + tag.size() == id.size()) return false;
  for (size_t i = at + tag.size(); i < id.size(); ++i)
    if (!std::isxdigit(static_cast<unsigned char>(id[i]))) return false;
  id.resize(at);
  return true;
}

}  // namespace

LinuxSerialDeviceMap::LinuxSerialDeviceMap(std::string devRoot, std::string sysRoot)
    : dev_(std::move(devRoot)), sys_(std::move(sysRoot)) {}

std::vector<std::string> LinuxSerialDeviceMap::PortNames() {
  std::vector<int> ports;
  std::error_code ec;
  fs::directory_iterator it(dev_, ec);
  if (ec) return {};
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const std::string name = it->path().filename().string();
    const int port = PortOfDevice(name);
    if (port == 0) continue;
    if (name.compare(0, 4, "ttyS") == 0 && port < 100) {
      // Every kernel makes ttyS0-ttyS3 whether a UART is there or not; only
      // a port with a device behind it, and one the serial core found a UART
      // type for (type 0 is "unknown": nothing answered), is real.
      const fs::path tty = fs::path(sys_) / "class" / "tty" / name;
      if (!fs::exists(tty / "device", ec)) continue;
      std::ifstream typeFile(tty / "type");
      int type = 0;
      if (typeFile >> type && type == 0) continue;
    }
    ports.push_back(port);
  }
  std::sort(ports.begin(), ports.end());
  ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
  std::vector<std::string> names;
  for (int p : ports) names.push_back("COM" + std::to_string(p));
  return names;
}

std::string LinuxSerialDeviceMap::DevicePath(const std::string& name) {
  const std::string device = DeviceOfPort(PortOfName(name));
  return device.empty() ? device : (fs::path(dev_) / device).string();
}

std::string LinuxSerialDeviceMap::IdOfPort(int32_t port) {
  const std::string device = DeviceOfPort(port);
  if (device.empty()) return {};
  std::vector<std::string> links;
  std::error_code ec;
  fs::directory_iterator it(fs::path(dev_) / "serial" / "by-id", ec);
  if (ec) return {};
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const fs::path target = fs::read_symlink(it->path(), ec);
    if (!ec && target.filename() == device) links.push_back(it->path().filename().string());
  }
  if (links.empty()) return {};
  // Several links to one device (rare): the same one every time.
  return *std::min_element(links.begin(), links.end());
}

int32_t LinuxSerialDeviceMap::PortOfId(const std::string& id) {
  // Only a plain name of the folder: a stored "../x" must not reach outside it.
  if (id.empty() || id.find('/') != std::string::npos || id == "." || id == "..") return 0;
  std::error_code ec;
  const fs::path target = fs::read_symlink(fs::path(dev_) / "serial" / "by-id" / id, ec);
  if (ec) return 0;
  const std::string device = target.filename().string();
  if (!fs::exists(fs::path(dev_) / device, ec)) return 0;
  return PortOfDevice(device);
}

std::string LinuxSerialDeviceMap::PortLabel(const std::string& name) {
  const std::string id = IdOfPort(PortOfName(name));
  return id.empty() ? std::string() : SerialLabelOfId(id);
}

std::string SerialLabelOfId(const std::string& idName) {
  std::string id = idName;
  if (id.compare(0, 4, "usb-") == 0) id.erase(0, 4);
  EndsWithTag(id, "-port");
  EndsWithTag(id, "-if");

  std::vector<std::string> words;
  size_t start = 0;
  for (size_t i = 0; i <= id.size(); ++i) {
    if (i < id.size() && id[i] != '_') continue;
    if (i > start) words.push_back(id.substr(start, i - start));
    start = i + 1;
  }
  std::string serial;
  if (words.size() >= 3 && std::any_of(words.back().begin(), words.back().end(),
                                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    serial = words.back();
    words.pop_back();
  }
  std::string label;
  for (const auto& w : words) label += (label.empty() ? "" : " ") + w;
  if (!serial.empty()) label += " (" + serial + ")";
  for (char& c : label)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '?';
  return label;
}

}  // namespace km27
