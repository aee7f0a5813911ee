#include "settings/SetupFile.h"

#include "settings/PortIdentity.h"

#include "common/TextHelpers.h"
#include "settings/Define.h"
#include "settings/FileLocations.h"
#include "settings/FileSystem.h"
#include "settings/Messages.h"
#include "ui/Application.h"

namespace km27 {

namespace {

// Beyond this many blocks a "BlockNum" is taken for a damaged value; sizing
// the block list to it would exhaust memory.
constexpr int32_t kMaxBlocks = 999;

void Tell(const std::string& text, ui::MsgIcon icon) {
  if (ui::IApplication* app = ui::AppOrNull()) app->MessageBox(text, "", icon, ui::MsgButtons::OK);
}

// gstrLoadErrorIniFile is empty unless a language file fills it; the
// operating system's text makes the box say something either way.
void TellFileError(const FileError& e) {
  std::string text = gstrLoadErrorIniFile;
  if (!text.empty()) text += "\r\n";
  Tell(text + e.what(), ui::MsgIcon::Warning);
}

std::string BlockSection(int32_t n) { return "BlockData:" + IntToStr(n); }

}  // namespace

std::string SetupFileName() { return CurrentFileLocations().settingsFile; }
std::string DefaultFileName() { return CurrentFileLocations().defaultFile; }

void EnsureSetupFile() {
  try {
    const std::string defaults = DefaultFileName();
    const std::string setup = SetupFileName();
    if (!Files().FileExists(defaults)) {
      Tell(gstrNotFoundIniFile, ui::MsgIcon::Confirmation);
      return;
    }
    if (!Files().FileExists(setup)) Files().CopyNoOverwrite(defaults, setup);
  } catch (const FileError& e) {
    TellFileError(e);
  }
}

void LoadSettings(const IniFile& ini) {
  const char* G = "General";
  General.Series = ExpandLineBreaks(ini.ReadString(G, "Series", ""));
  General.Interface = ini.ReadString(G, "Interface", "SERIAL");
  const ByteString protocol = ini.ReadString(G, "Protocol", "RDLS3");
  if (protocol.size() == 5) {
    const char c = protocol[4];
    const int32_t no = (c >= '0' && c <= '9') ? c - '0' : 3;
    if (no == 0 || no == 1 || no == 3) General.ProtocolNo = no;
  }
  General.LanguageFile = ini.ReadString(G, "LanguageFile", "English.rlf");
  General.Release = ini.ReadString(G, "Release", "Standard");
  General.AutoStart = ini.ReadFlag(G, "AutoStart", "0");
  General.SPSetting = ini.ReadString(G, "SPSetting", "SP0FF");
  General.WizardStatus = ini.ReadString(G, "WizardStatus", "000");
  ByteString check = ini.ReadString(G, "ConnectionCheck", "111");
  if (check.size() != 3) check = (check + "111").substr(0, 3);
  General.ConnectionCheck = check;

  if (General.Interface != "TCP/IP") {
    const char* C = "Connection";
    Serial.Port = ini.ReadInteger(C, "Port", "1", 1);
    Serial.PortId.clear();
    if (IPortIdentity* identity = PortIdentity()) {
      // The device the settings were made with, wherever it is plugged in now.
      Serial.PortId = ini.ReadString(C, "PortId", "");
      if (!Serial.PortId.empty())
        if (const int32_t now = identity->PortOfId(Serial.PortId); now > 0) Serial.Port = now;
    }
    Serial.BaudRate = ini.ReadInteger(C, "BaudRate", "9600", 9600);
    Serial.DataBits = ini.ReadInteger(C, "DataBits", General.ProtocolNo == 3 ? "8" : "7", 8);
    Serial.Parity = ini.ReadInteger(C, "Parity", "1", 1);
    Serial.StopBit = ini.ReadInteger(C, "StopBit", "1", 1);
    Serial.FlowControl = ini.ReadInteger(C, "FlowControl", "0", 0);
    Serial.ReciveBuffTime = ini.ReadInteger(C, "ReciveBuffTime", "80", 80);

    const char* F = "Format";
    CommFormat.Header = DecodeBracketHex(ini.ReadString(F, "Header", "[02]"));
    CommFormat.EndCode = DecodeBracketHex(ini.ReadString(F, "EndCode", "[03]"));
    CommFormat.Footer = DecodeBracketHex(ini.ReadString(F, "Footer", ""));
    CommFormat.Separator = DecodeBracketHex(ini.ReadString(F, "Separator", "[1F]"));
    CommFormat.BCCType = ini.ReadInteger(F, "BCCType", "1", 1);
    CommFormat.BCCByte = ini.ReadInteger(F, "BCCByte", "1", 1);
    CommFormat.BCCStart = ini.ReadInteger(F, "BCCStart", "2", 2);
    CommFormat.BCCUse = CommFormat.BCCByte > 0;
  }

  const char* D = "CardData";
  CardData.Tracks = ini.ReadString(D, "Tracks", "1000");
  CardData.TrackUse = ini.ReadString(D, "TrackUse", "1000");
  CardData.SingleTrack = ini.ReadFlag(D, "SingleTrack", "1");

  // Key notation is kept as stored; the typist decodes it.
  const char* K = "KeyData";
  KeyData.Header = ini.ReadString(K, "Header", "");
  KeyData.TrackSeparator = ini.ReadString(K, "TrackSeparator", "");
  KeyData.Terminator = ini.ReadString(K, "Terminator", "");
  int32_t count = ini.ReadInteger(K, "BlockNum", "0", 0);
  if (count < 0) count = 0;
  if (count > kMaxBlocks) count = kMaxBlocks;
  KeyData.BlockNum = count;
  KeyData.Blocks.assign(static_cast<size_t>(count), TBlockData{});
  for (int32_t n = 1; n <= count; ++n) {
    const std::string B = BlockSection(n);
    TBlockData& b = KeyData.Blocks[static_cast<size_t>(n - 1)];
    b.BlockHeader = ini.ReadString(B, "BlockHeader", "");
    b.BlockFooter = ini.ReadString(B, "BlockFooter", "");
    b.Track = ini.ReadInteger(B, "Track", "1", 1);
    b.Start = ini.ReadInteger(B, "Start", "0", 0);
    b.Digit = ini.ReadInteger(B, "Digit", "0", 0);
    b.AllData = ini.ReadFlag(B, "AllData", "1");
  }

  const char* T = "TargetWindow";
  TargetWindow.CheckHWND = ini.ReadFlag(T, "CheckHWND", "0");
  TargetWindow.CheckClassName = ini.ReadFlag(T, "CheckClassName", "0");
  TargetWindow.CheckWindowTitle = ini.ReadFlag(T, "CheckWindowTitle", "0");
  TargetWindow.HWND = ini.ReadString(T, "HWND", "");
  TargetWindow.ClassName = ini.ReadString(T, "ClassName", "");
  TargetWindow.WindowTitle = ini.ReadString(T, "WindowTitle", "");
  TargetWindow.TargetLock = ini.ReadFlag(T, "TargetLock", "0");
  gTargetLocked = TargetWindow.TargetLock;
}

void SaveSettings(IniFile& ini) {
  const char* G = "General";
  ini.WriteString(G, "LanguageFile", General.LanguageFile);
  ini.WriteFlag(G, "AutoStart", General.AutoStart);
  ini.WriteString(G, "SPSetting", General.SPSetting);
  ini.WriteString(G, "WizardStatus", General.WizardStatus);
  ini.WriteInteger("Connection", "Port", Serial.Port);
  if (IPortIdentity* identity = PortIdentity()) {
    // A port whose device is away keeps the name it was saved with.
    const std::string id = identity->IdOfPort(Serial.Port);
    if (!id.empty() || identity->PortOfId(Serial.PortId) > 0) Serial.PortId = id;
    ini.WriteString("Connection", "PortId", Serial.PortId);
  }

  const char* D = "CardData";
  ini.WriteString(D, "Tracks", CardData.Tracks);
  ini.WriteString(D, "TrackUse", CardData.TrackUse);
  ini.WriteFlag(D, "SingleTrack", CardData.SingleTrack);

  const char* K = "KeyData";
  ini.WriteString(K, "Header", KeyData.Header);
  ini.WriteString(K, "TrackSeparator", KeyData.TrackSeparator);
  ini.WriteString(K, "Terminator", KeyData.Terminator);
  ini.WriteInteger(K, "BlockNum", KeyData.BlockNum);
  // Sections of blocks above the new count stay; the loader ignores them.
  for (int32_t n = 1; n <= KeyData.BlockNum; ++n) {
    const size_t i = static_cast<size_t>(n - 1);
    const TBlockData b = i < KeyData.Blocks.size() ? KeyData.Blocks[i] : TBlockData{};
    const std::string B = BlockSection(n);
    ini.WriteString(B, "BlockHeader", b.BlockHeader);
    ini.WriteString(B, "BlockFooter", b.BlockFooter);
    ini.WriteInteger(B, "Track", b.Track);
    ini.WriteInteger(B, "Start", b.Start);
    ini.WriteInteger(B, "Digit", b.Digit);
    ini.WriteFlag(B, "AllData", b.AllData);
  }

  const char* T = "TargetWindow";
  ini.WriteFlag(T, "CheckHWND", TargetWindow.CheckHWND);
  ini.WriteFlag(T, "CheckClassName", TargetWindow.CheckClassName);
  ini.WriteFlag(T, "CheckWindowTitle", TargetWindow.CheckWindowTitle);
  ini.WriteFlag(T, "TargetLock", TargetWindow.TargetLock);
  ini.WriteString(T, "HWND", TargetWindow.HWND);
  ini.WriteString(T, "ClassName", TargetWindow.ClassName);
  ini.WriteString(T, "WindowTitle", TargetWindow.WindowTitle);
}

void LoadSetupFile() {
  const std::string setup = SetupFileName();
  if (!Files().FileExists(setup)) {
    Tell(gstrNotFoundIniFile, ui::MsgIcon::Confirmation);
    return;
  }
  try {
    LoadSettings(ReadIniFile(setup));
  } catch (const FileError& e) {
    TellFileError(e);
  }
}

void SaveSetupFile() {
  const std::string setup = SetupFileName();
  if (!Files().FileExists(setup)) {
    Tell(gstrNotFoundIniFile, ui::MsgIcon::Confirmation);
    return;
  }
  try {
    // The same file that writing key by key gives, put in place at once so
    // that a failure half-way can never leave a half-written settings file.
    // A file that cannot be read as 8-bit text is never written into.
    IniFile ini = ReadIniFile(setup);
    SaveSettings(ini);
    Files().WriteFileAtomic(setup, ini.Text());
  } catch (const FileError& e) {
    TellFileError(e);
    return;
  }
  Tell(gstrSaveSetupData, ui::MsgIcon::Confirmation);
}

}  // namespace km27
