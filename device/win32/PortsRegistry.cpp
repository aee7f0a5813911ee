#include "device/win32/PortsRegistry.h"

#include <windows.h>

namespace km27 {

namespace {

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// String data of one value; REG_SZ data need not end with a NUL.
bool ReadString(HKEY key, const std::string& name, std::string& out) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  std::string data(size + 1, '\0');
  DWORD got = size;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got) !=
      ERROR_SUCCESS)
    return false;
  data.resize(got < data.size() ? got : data.size());
  size_t nul = data.find('\0');
  if (nul != std::string::npos) data.resize(nul);
  out = data;
  return true;
}

}  // namespace

std::vector<std::string> RegistrySerialDeviceMap::PortNames() {
  std::vector<std::string> ports;
  // Opened for reading only (KEY_READ): a missing map is no ports, never a
  // key created on the user's machine.
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\SerialComm", 0, KEY_READ, key.Out()) !=
      ERROR_SUCCESS)
    return ports;

  DWORD maxName = 0;
  if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return ports;

  // First all names, then their data, in enumeration order.
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    std::string name(maxName + 2, '\0');
    DWORD len = static_cast<DWORD>(name.size());
    LONG rc = RegEnumValueA(key.Get(), i, name.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) {
      if (i > 1024) break;  // a map that keeps failing is not walked for ever
      continue;
    }
    name.resize(len);
    names.push_back(name);
  }
  for (const std::string& name : names) {
    std::string data;
    if (ReadString(key.Get(), name, data) && !data.empty()) ports.push_back(data);
  }
  return ports;
}

}  // namespace km27
