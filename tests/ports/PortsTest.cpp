// Port lists, selection and presence over a scripted serial device map.
#include <gtest/gtest.h>

#include "device/Ports.h"
#include "tests/support/FakeToolkit.h"
#include "ui/Form.h"

namespace km27 {
namespace {

class ScriptedMap : public ISerialDeviceMap {
 public:
  std::vector<std::string> ports;
  int reads = 0;
  std::vector<std::string> PortNames() override {
    ++reads;
    return ports;
  }
};

class PortsTest : public ::testing::Test {
 protected:
  PortsTest() { SetSerialDeviceMap(&map); }
  ~PortsTest() override { SetSerialDeviceMap(nullptr); }

  std::vector<std::string> Fallback() {
    std::vector<std::string> v;
    for (int n = 1; n <= 20; ++n) v.push_back("COM" + std::to_string(n));
    return v;
  }

  test::FakeToolkit toolkit;
  ScriptedMap map;
  ui::Form form{"frmTest"};
  ui::ComboBox& combo = form.Make<ui::ComboBox>("cboPort");
};

TEST_F(PortsTest, ListKeepsTheEnumerationOrderAndSelectsTheFirst) {
  map.ports = {"COM4", "COM1"};
  combo.SetItems({"stale"});
  ListSerialPorts(combo);
  EXPECT_EQ(combo.Items(), (std::vector<std::string>{"COM4", "COM1"}));
  EXPECT_EQ(combo.ItemIndex(), 0);
  EXPECT_EQ(combo.Text(), "COM4");
}

TEST_F(PortsTest, NoPortsGivesComOneToTwenty) {
  ListSerialPorts(combo);
  EXPECT_EQ(combo.Items(), Fallback());
  EXPECT_EQ(combo.Text(), "COM1");

  SetSerialDeviceMap(nullptr);  // no map at all behaves like an empty one
  combo.ClearItems();
  ListSerialPorts(combo);
  EXPECT_EQ(combo.Items(), Fallback());
  EXPECT_EQ(combo.ItemIndex(), 0);
  EXPECT_FALSE(SerialPortPresent("COM1"));
}

TEST_F(PortsTest, OptionsListingSelectsTheConfiguredPort) {
  map.ports = {"COM4", "COM1", "COM15"};
  ListSerialPortsSelecting(combo, 1);
  EXPECT_EQ(combo.ItemIndex(), 1);
  EXPECT_EQ(combo.Text(), "COM1");

  ListSerialPortsSelecting(combo, 0);
  EXPECT_EQ(combo.ItemIndex(), 0);
  ListSerialPortsSelecting(combo, -3);
  EXPECT_EQ(combo.ItemIndex(), 0);
  EXPECT_EQ(combo.Text(), "COM4");
}

TEST_F(PortsTest, OptionsListingShowsAnAbsentPortAsTextOnly) {
  map.ports = {"COM4", "COM1"};
  ListSerialPortsSelecting(combo, 15);
  EXPECT_EQ(combo.Text(), "COM15");
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Items().size(), 2u);

  // With the fallback list a configured port above 20 is text only too.
  map.ports.clear();
  ListSerialPortsSelecting(combo, 31);
  EXPECT_EQ(combo.Text(), "COM31");
  EXPECT_EQ(combo.ItemIndex(), -1);
  ListSerialPortsSelecting(combo, 20);
  EXPECT_EQ(combo.ItemIndex(), 19);
}

TEST_F(PortsTest, SelectComboItemMatchesWholeTextWithCase) {
  combo.SetItems({"COM3", "COM30", "com4"});
  combo.SetItemIndex(0);
  SelectComboItem(combo, "COM30");
  EXPECT_EQ(combo.ItemIndex(), 1);
  SelectComboItem(combo, "COM4");  // no exact match: selection unchanged
  EXPECT_EQ(combo.ItemIndex(), 1);
  SelectComboItem(combo, "COM");
  EXPECT_EQ(combo.ItemIndex(), 1);
  SelectComboItem(combo, "com4");
  EXPECT_EQ(combo.ItemIndex(), 2);

  combo.SetItems({"COM7", "COM7"});
  SelectComboItem(combo, "COM7");
  EXPECT_EQ(combo.ItemIndex(), 0);  // the first equal item
}

TEST_F(PortsTest, PresenceIsExactAndReadsTheMapEveryTime) {
  map.ports = {"COM30"};
  EXPECT_FALSE(SerialPortPresent("COM3"));
  EXPECT_TRUE(SerialPortPresent("COM30"));
  map.ports = {"COM3"};
  EXPECT_FALSE(SerialPortPresent("com3"));
  EXPECT_FALSE(SerialPortPresent("COM3 "));
  EXPECT_FALSE(SerialPortPresent(""));
  EXPECT_TRUE(SerialPortPresent("COM3"));
  int before = map.reads;
  map.ports.clear();  // the adapter was pulled
  EXPECT_FALSE(SerialPortPresent("COM3"));
  EXPECT_GT(map.reads, before);
}

TEST(PortNumberOf, ReadsTheNumberOfAPortName) {
  EXPECT_EQ(PortNumberOf("COM 12"), 12);
  EXPECT_EQ(PortNumberOf("com7"), 7);
  EXPECT_EQ(PortNumberOf("Com31"), 31);
  EXPECT_EQ(PortNumberOf("5"), 5);
  EXPECT_EQ(PortNumberOf("  9  "), 9);
  EXPECT_EQ(PortNumberOf("COM3 "), 3);
}

TEST(PortNumberOf, NonNumbersGiveZero) {
  EXPECT_EQ(PortNumberOf("COMX"), 0);
  EXPECT_EQ(PortNumberOf("COM"), 0);
  EXPECT_EQ(PortNumberOf(""), 0);
  EXPECT_EQ(PortNumberOf("   "), 0);
  EXPECT_EQ(PortNumberOf("COM1A"), 0);
  EXPECT_EQ(PortNumberOf("COM1 2"), 0);
  EXPECT_EQ(PortNumberOf(" COM3"), 0);          // "COM" must lead
  EXPECT_EQ(PortNumberOf("COM99999999999"), 0);  // beyond 32 bits
  EXPECT_EQ(PortNumberOf("LPT1"), 0);
}

}  // namespace
}  // namespace km27
