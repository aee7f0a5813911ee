// The POSIX device map: COMn entries of a device directory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "device/posix/PortsDirectory.h"
#include "device/posix/PosixCommX.h"

namespace km27 {
namespace {

namespace fs = std::filesystem;

class PortsDirectoryTest : public ::testing::Test {
 protected:
  PortsDirectoryTest() {
    dir = fs::temp_directory_path() / ("km27-ports-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~PortsDirectoryTest() override { fs::remove_all(dir); }
  void Touch(const std::string& name) { std::ofstream(dir / name) << ""; }
  fs::path dir;
};

TEST_F(PortsDirectoryTest, ListsComEntriesAsComNumberInNumericOrder) {
  for (const char* n : {"COM31", "COM4", "ttyS0", "COM05", "COM0", "COMX", "COM256", "COM1.lock", "com7", "LPT1"})
    Touch(n);
  fs::create_symlink("/nonexistent/pts/7", dir / "COM9");  // a dangling link is still a port name
  DirectorySerialDeviceMap map(dir.string());
  EXPECT_EQ(map.PortNames(), (std::vector<std::string>{"COM4", "COM9", "COM31"}));
}

TEST_F(PortsDirectoryTest, MissingDirectoryHasNoPorts) {
  DirectorySerialDeviceMap map((dir / "absent").string());
  EXPECT_TRUE(map.PortNames().empty());
  DirectorySerialDeviceMap empty(dir.string());
  EXPECT_TRUE(empty.PortNames().empty());
}

TEST_F(PortsDirectoryTest, WithoutADirectoryTheSerialPortsDirectoryIsListed) {
  std::string before = SerialDeviceDirectory();
  SetSerialDeviceDirectory(dir.string());
  Touch("COM12");
  DirectorySerialDeviceMap map;
  EXPECT_EQ(map.PortNames(), std::vector<std::string>{"COM12"});
  SetSerialDeviceDirectory(before);
}

TEST_F(PortsDirectoryTest, PresenceFollowsTheDirectory) {
  DirectorySerialDeviceMap map(dir.string());
  SetSerialDeviceMap(&map);
  Touch("COM31");
  EXPECT_TRUE(SerialPortPresent("COM31"));
  fs::remove(dir / "COM31");
  EXPECT_FALSE(SerialPortPresent("COM31"));
  SetSerialDeviceMap(nullptr);
}

}  // namespace
}  // namespace km27
