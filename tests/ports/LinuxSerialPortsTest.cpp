// The Linux serial ports in a made-up /dev and /sys tree.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "device/posix/LinuxSerialPorts.h"
#include "device/posix/PosixCommX.h"
#include "settings/Define.h"
#include "settings/IniFile.h"
#include "settings/PortIdentity.h"
#include "settings/SetupFile.h"

namespace km27 {
namespace {

namespace fs = std::filesystem;

class LinuxSerialPortsTest : public ::testing::Test {
 protected:
  LinuxSerialPortsTest() { fs::create_directories(root / "dev/serial/by-id"); }
  ~LinuxSerialPortsTest() override { fs::remove_all(root); }
  void Write(const std::string& path, const std::string& text) {
    fs::create_directories((root / path).parent_path());
    std::ofstream(root / path) << text;
  }
  void Uart(const std::string& tty, const char* type) {
    fs::create_directories(root / "sys/class/tty" / tty / "device");
    if (type) Write("sys/class/tty/" + tty + "/type", type);
  }
  fs::path root = fs::temp_directory_path() / ("km27-linux-ports-" + std::to_string(::getpid()));
  LinuxSerialDeviceMap map{(root / "dev").string(), (root / "sys").string()};
};

TEST_F(LinuxSerialPortsTest, PortsWithHardwareUnderFixedComNumbersAndTheirLabels) {
  for (const char* d : {"ttyS0", "ttyS1", "ttyS2", "ttyS3", "ttyUSB0", "ttyUSB1", "ttyACM0", "ttyUSB07", "ttyUSBx",
                        "ttyS100", "tty0", "console"})
    Write("dev/" + std::string(d), "");
  Uart("ttyS0", "4\n");  // a 16550A
  Uart("ttyS1", "0\n");  // a placeholder the kernel made without a UART
  Uart("ttyS3", nullptr);
  fs::create_symlink("../../ttyUSB0", root / "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");
  fs::create_symlink("../../ttyACM0",
                     root / "dev/serial/by-id/usb-Arduino__www.arduino.cc__0043_7563331323335151E0C1-if00");
  SetSerialDeviceMap(&map);

  EXPECT_EQ(map.PortNames(), (std::vector<std::string>{"COM1", "COM4", "COM100", "COM101", "COM200"}));
  EXPECT_EQ(SerialPortLabel("COM100"), "FTDI FT232R USB UART (A1B2C3)");
  EXPECT_EQ(SerialPortLabel("COM200"), "Arduino www.arduino.cc 0043 (7563331323335151E0C1)");
  EXPECT_EQ(SerialPortLabel("COM101"), "");
  EXPECT_EQ(SerialPortLabel("COM1"), "");
  EXPECT_EQ(SerialDevicePath(100), (root / "dev/ttyUSB0").string());
  EXPECT_EQ(SerialDevicePath(99), (root / "dev/ttyS98").string());
  EXPECT_EQ(map.DevicePath("COM299"), (root / "dev/ttyACM99").string());
  for (const char* other : {"COM0", "COM300", "COM010", "COMX", "ttyUSB0"}) EXPECT_EQ(map.DevicePath(other), "");
  SetSerialDeviceMap(nullptr);

  fs::remove_all(root / "dev");
  EXPECT_TRUE(map.PortNames().empty());
  EXPECT_EQ(map.PortLabel("COM100"), "");
}

TEST(SerialLabelOfId, MakerModelAndSerialNumber) {
  const struct {
    const char* id;
    const char* label;
  } rows[] = {
      {"usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0",
       "Silicon Labs CP2102 USB to UART Bridge Controller (0001)"},
      {"usb-1a86_USB_Serial-if00-port0", "1a86 USB Serial"},  // no serial number
      {"usb-Prolific_Technology_Inc._USB-Serial_Controller_D-if00-port0",
       "Prolific Technology Inc. USB-Serial Controller D"},
      {"usb-Ma\xFFker_X\x01-if0a", "Ma?ker X?"},
      {"usb--if00-port0", ""},
  };
  for (const auto& r : rows) EXPECT_EQ(SerialLabelOfId(r.id), r.label) << r.id;
}

}  // namespace
}  // namespace km27

namespace km27 {
namespace {

// Settings made with an adapter keep meaning that adapter when it comes back
// under another ttyUSB number; a file without the name (from Windows) keeps
// its number, and a name that points outside the by-id folder is no name.
TEST_F(LinuxSerialPortsTest, TheSettingsFollowTheAdapterAcrossReplugging) {
  const std::string id = "usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0";
  const auto plug = [&](const std::string& tty) {
    fs::remove(root / "dev/serial/by-id" / id);
    Write("dev/" + tty, "");
    fs::create_symlink("../../" + tty, root / "dev/serial/by-id" / id);
  };
  SetPortIdentity(&map);
  plug("ttyUSB0");
  IniFile saved;
  Serial.Port = PortNumberOf("COM100");
  SaveSettings(saved);

  fs::remove(root / "dev/ttyUSB0");
  plug("ttyUSB1");
  LoadSettings(saved);
  EXPECT_EQ(map.DevicePath("COM" + std::to_string(Serial.Port)), (root / "dev/ttyUSB1").string());

  for (const char* stored : {"", "../../ttyUSB1"}) {
    IniFile other = saved;
    other.WriteString("Connection", "PortId", stored);
    LoadSettings(other);
    EXPECT_EQ(Serial.Port, 100) << stored;
  }
  SetPortIdentity(nullptr);
}

}  // namespace
}  // namespace km27
