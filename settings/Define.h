#pragma once
// The process-wide settings records, one per section of the settings file,
// with the built-in values they hold from process start until the settings
// file is loaded. Field names are the key names of the file.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/ByteString.h"

namespace km27 {

struct TGeneral {
  std::string Interface;               // "SERIAL" or "TCP/IP"
  int32_t ProtocolNo = 3;              // 0, 1 or 3 (RDLS-0/1/3)
  std::string Series;                  // line breaks already expanded
  std::string LanguageFile;            // file name of the language file, no path
  bool AutoStart = false;
  std::string Release;                 // "ProbeMode" shows the service controls
  std::string SPSetting;               // "SP" + three characters
  std::string WizardStatus = "000";    // "111": the setup wizard was completed
  std::string ConnectionCheck;         // three tolerance characters ("0" switches a check off)
};

struct TSerialSetup {
  int32_t Port = 1;
  // The lasting name of the port's device where the system gives one (PortIdentity.h).
  std::string PortId;
  int32_t BaudRate = 9600;
  int32_t DataBits = 8;
  int32_t Parity = 1;          // 0 none, 1 even, 2 odd
  int32_t StopBit = 1;         // 1 or 2
  int32_t FlowControl = 0;     // 0 none, 1 RTS/CTS
  int32_t ReciveBuffTime = 80; // ms of silence that end a frame
};

struct TCommFormat {
  ByteString Header = "\x02";
  ByteString Separator = "\x1F";
  ByteString EndCode = "\x03";
  ByteString Footer;
  int32_t BCCType = 1;   // 1 xor, 2 sum modulo 256, else 0
  int32_t BCCByte = 1;   // 2: two hex characters; 0: received frames are not checked
  int32_t BCCStart = 2;  // 1-based first byte covered by the BCC
  bool BCCUse = true;    // BCCByte > 0
};

// The last card read and the track selection. Slots are indexed 1..4 (index 0 unused).
struct TCardData {
  std::array<ByteString, 5> TrackData{};
  std::array<ByteString, 5> TrackStatus{};  // one character; "0" = read without error
  ByteString ID;                            // text of the reader's "ID" answer (unused by typing)
  std::string Tracks = "0000";
  std::string TrackUse = "0000";
  int32_t SeparatorCount = 0;
  bool SingleTrack = false;
};

struct TBlockData {
  int32_t Track = 1;
  bool AllData = true;
  int32_t Start = 0;
  int32_t Digit = 0;
  std::string BlockHeader;
  std::string BlockFooter;
};

struct TKeyFormat {
  std::string Header;
  std::string TrackSeparator;
  std::string Terminator;
  int32_t BlockNum = 0;
  std::vector<TBlockData> Blocks;  // always BlockNum entries
};

struct TTargetWindow {
  bool CheckHWND = false;
  bool CheckClassName = false;
  bool CheckWindowTitle = false;
  std::string HWND;
  std::string ClassName;
  std::string WindowTitle;
  bool TargetLock = false;
};

extern TGeneral General;
extern TSerialSetup Serial;
extern TCommFormat CommFormat;
extern TCardData CardData;
extern TKeyFormat KeyData;
extern TTargetWindow TargetWindow;

// Run flags and counters of the main window; never stored in the file.
extern bool gRunning;
extern bool gConnectChecked;
extern bool gSPSettingChanged;
extern bool gTargetLocked;
extern bool gCloseRequested;
extern int32_t PortCheckFailures;
extern int32_t LineCheckFailures;
extern int32_t FirmwareCheckFailures;
extern int32_t FirmwareCheckTick;
extern int32_t StartupCheckFailures;

// Puts every record, flag and counter back to its built-in value (process
// start; tests).
void ResetSettingsToBuiltIn();

}  // namespace km27
