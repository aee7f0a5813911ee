#include "settings/Define.h"

namespace km27 {

TGeneral General;
TSerialSetup Serial;
TCommFormat CommFormat;
TCardData CardData;
TKeyFormat KeyData;
TTargetWindow TargetWindow;

bool gRunning = false;
bool gConnectChecked = false;
bool gSPSettingChanged = false;
bool gTargetLocked = false;
bool gCloseRequested = false;
int32_t PortCheckFailures = 0;
int32_t LineCheckFailures = 0;
int32_t FirmwareCheckFailures = 0;
int32_t FirmwareCheckTick = 0;
int32_t StartupCheckFailures = 0;

void ResetSettingsToBuiltIn() {
  General = TGeneral{};
  Serial = TSerialSetup{};
  CommFormat = TCommFormat{};
  CardData = TCardData{};
  KeyData = TKeyFormat{};
  TargetWindow = TTargetWindow{};
  gRunning = gConnectChecked = gSPSettingChanged = gTargetLocked = gCloseRequested = false;
  PortCheckFailures = LineCheckFailures = FirmwareCheckFailures = FirmwareCheckTick = StartupCheckFailures = 0;
}

}  // namespace km27
