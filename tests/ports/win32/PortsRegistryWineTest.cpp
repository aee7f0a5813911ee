// The registry's serial device map under Wine: values added to
// HKLM\Hardware\DeviceMap\SerialComm in the test prefix appear as ports.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "device/Ports.h"
#include "device/win32/PortsRegistry.h"

namespace km27 {
namespace {

constexpr const char* kMap = "Hardware\\DeviceMap\\SerialComm";

class RegistryMap : public ::testing::Test {
 protected:
  RegistryMap() {
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMap, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    SetSerialDeviceMap(&map);
  }
  ~RegistryMap() override {
    for (const char* v : {"KM27Test37", "KM27Test38", "KM27TestNumber"}) RegDeleteValueA(key_, v);
    RegCloseKey(key_);
    SetSerialDeviceMap(nullptr);
  }
  void Add(const char* name, const std::string& data) {
    RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
  }
  bool Listed(const std::string& port) {
    auto names = map.PortNames();
    return std::find(names.begin(), names.end(), port) != names.end();
  }

  HKEY key_ = nullptr;
  RegistrySerialDeviceMap map;
};

TEST_F(RegistryMap, ValuesOfTheMapAreThePorts) {
  ASSERT_NE(key_, nullptr);
  Add("KM27Test37", "COM37");
  Add("KM27Test38", "COM38");
  DWORD number = 5;
  RegSetValueExA(key_, "KM27TestNumber", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  EXPECT_TRUE(Listed("COM37"));
  EXPECT_TRUE(Listed("COM38"));
  EXPECT_TRUE(SerialPortPresent("COM37"));
  EXPECT_FALSE(SerialPortPresent("COM3"));
  EXPECT_FALSE(SerialPortPresent("com37"));
  for (const std::string& p : map.PortNames()) EXPECT_FALSE(p.empty());

  RegDeleteValueA(key_, "KM27Test37");  // the adapter was pulled
  EXPECT_FALSE(SerialPortPresent("COM37"));
  EXPECT_TRUE(SerialPortPresent("COM38"));
}

}  // namespace
}  // namespace km27
