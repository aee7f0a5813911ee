#include "settings/Messages.h"

namespace km27 {

std::string gstrStart = "Serial to Key Converter was started.";
std::string gstrStop = "Serial to Key Converter was stopped";
std::string gstrAskEnd = "Finish KM-27?";
std::string gstrTackBar1 = "KM-27 resident";
std::string gstrTackBar2 = "";
std::string gstrNotFoundIniFile = "Setup file is not found.";
std::string gstrLoadErrorIniFile = "";
std::string gstrTargetLock = "Target Window Lock ( Locked! )";
std::string gstrTargetUnLock = "Target Window Lock ( Unlock )";
std::string gstrAskCancelTargetLock = "Unlock?";
std::string gstrNotInpuData = "No data";
std::string gstrAskClearData = "Clear data?";
std::string gstrAskDeleteData = "Delete?";
std::string gstrNotUpdateTarget = "No Select";
std::string gstrAskUpdateData = "Update?";
std::string gstrNotSelectTarget = "No Select";
std::string gstrAskUpdateSetupData = "Save data?";
std::string gstrSaveSetupData = "Save setup data";
std::string gstrCommCheck_Checking = "Checking...";
std::string gstrCommCheck_OK = "Test result : OK";
std::string gstrCommCheck_Next = "Next";
std::string gstrCommCheck_Err = "Test result : Error";
std::string gstrCommPortAbsent = "(not present)";
std::string gstrCommError_OpenErr = "Error! Port open eror!";
std::string gstrCommError_NoRes1 = "Error! No Response.";
std::string gstrCommError_NoRes2 = "Error! No Response.";
std::string gstrCommError_ErrRes1 = "Error Response! ";
std::string gstrCommError_ErrRes2 = "Error Response! ";
std::string gstrCommMonitor_Note = "Only showing";
std::string gstrChangeSPSetting = "Changed Power ON Setting.";
std::string gstrSetSPSetting = "Set Power ON Setting.";
std::string gstrReturnSPSetting = "Returned Power ON Setting.";
std::string gstrSerialConnectError = "* Open error. COM";
std::string gstrAskRegisterDesktop = "Set desktop icon?";
std::string gstrRegistered = "";
std::string gstrAskRegisterStartup = "Set to start up?";
std::string gstrAskCancelRegStartup = "Cancel start up?";
std::string gstrCompleteRegisterStartup = "Completed";
std::string gstrCompleteCancelRegStartup = "Completed";
std::string gstrSelectBlockDataByReadData = "No Read Data";
std::string gstrTrackName = "Track";
std::string gstrAskUpdateEditingData = "Update?";
std::string gstrWizardTitle1 = "Initial Wizard Window";
std::string gstrWizardTitle2 = "Initial Wizard Window";
std::string gstrWizardTitle3 = "Initial Wizard Window";
std::string gstrWizardNext = "Next";
std::string gstrWizardComplete = "Complete";
std::string gstrWizardReturnSP = "";
std::string gstrWizardReadTrackOK = "";
std::string gstrWizardReadTrackErr = "";
std::string gstrWizardReadTrackErr2 = "";
std::string gstrWizardReadTrack = "";
std::string gstrWizardReadTrackNext = "";
std::string gstrWizardCancel = "";
std::string gstrWizardCancelEnd = "";
std::string gstrElevatedTarget = "The program in front runs as administrator: Windows keeps the card data from reaching it. Run KM-27 as administrator to type into it.";
std::string gstrNoWindowList = "This desktop does not tell other programs which window is in front: the target window cannot be chosen here. Choosing a target window needs an X11 session.";
std::string gstrNoKeyOutput = "KM-27 cannot type card data into the windows of this desktop. Give it the virtual keyboard /dev/uinput: put the line KERNEL==\"uinput\", GROUP=\"input\", MODE=\"0660\", OPTIONS+=\"static_node=uinput\" into the file /etc/udev/rules.d/60-km27-uinput.rules, add your user to the group input (sudo usermod -aG input $USER) and log in again.";

const std::vector<MessageText>& MessageTexts() {
  static const std::vector<MessageText> texts = {
      {"gstrStart", &gstrStart, "Serial to Key Converter was started."},
      {"gstrStop", &gstrStop, "Serial to Key Converter was stopped"},
      {"gstrAskEnd", &gstrAskEnd, "Finish KM-27?"},
      {"gstrTackBar1", &gstrTackBar1, "KM-27 resident"},
      {"gstrTackBar2", &gstrTackBar2, ""},
      {"gstrNotFoundIniFile", &gstrNotFoundIniFile, "Setup file is not found."},
      {"gstrLoadErrorIniFile", &gstrLoadErrorIniFile, ""},
      {"gstrTargetLock", &gstrTargetLock, "Target Window Lock ( Locked! )"},
      {"gstrTargetUnLock", &gstrTargetUnLock, "Target Window Lock ( Unlock )"},
      {"gstrAskCancelTargetLock", &gstrAskCancelTargetLock, "Unlock?"},
      {"gstrNotInpuData", &gstrNotInpuData, "No data"},
      {"gstrAskClearData", &gstrAskClearData, "Clear data?"},
      {"gstrAskDeleteData", &gstrAskDeleteData, "Delete?"},
      {"gstrNotUpdateTarget", &gstrNotUpdateTarget, "No Select"},
      {"gstrAskUpdateData", &gstrAskUpdateData, "Update?"},
      {"gstrNotSelectTarget", &gstrNotSelectTarget, "No Select"},
      {"gstrAskUpdateSetupData", &gstrAskUpdateSetupData, "Save data?"},
      {"gstrSaveSetupData", &gstrSaveSetupData, "Save setup data"},
      {"gstrCommCheck_Checking", &gstrCommCheck_Checking, "Checking..."},
      {"gstrCommCheck_OK", &gstrCommCheck_OK, "Test result : OK"},
      {"gstrCommCheck_Next", &gstrCommCheck_Next, "Next"},
      {"gstrCommCheck_Err", &gstrCommCheck_Err, "Test result : Error"},
      {"gstrCommPortAbsent", &gstrCommPortAbsent, "(not present)"},
      {"gstrCommError_OpenErr", &gstrCommError_OpenErr, "Error! Port open eror!"},
      {"gstrCommError_NoRes1", &gstrCommError_NoRes1, "Error! No Response."},
      {"gstrCommError_NoRes2", &gstrCommError_NoRes2, "Error! No Response."},
      {"gstrCommError_ErrRes1", &gstrCommError_ErrRes1, "Error Response! "},
      {"gstrCommError_ErrRes2", &gstrCommError_ErrRes2, "Error Response! "},
      {"gstrCommMonitor_Note", &gstrCommMonitor_Note, "Only showing"},
      {"gstrChangeSPSetting", &gstrChangeSPSetting, "Changed Power ON Setting."},
      {"gstrSetSPSetting", &gstrSetSPSetting, "Set Power ON Setting."},
      {"gstrReturnSPSetting", &gstrReturnSPSetting, "Returned Power ON Setting."},
      {"gstrSerialConnectError", &gstrSerialConnectError, "* Open error. COM"},
      {"gstrAskRegisterDesktop", &gstrAskRegisterDesktop, "Set desktop icon?"},
      {"gstrRegistered", &gstrRegistered, ""},
      {"gstrAskRegisterStartup", &gstrAskRegisterStartup, "Set to start up?"},
      {"gstrAskCancelRegStartup", &gstrAskCancelRegStartup, "Cancel start up?"},
      {"gstrCompleteRegisterStartup", &gstrCompleteRegisterStartup, "Completed"},
      {"gstrCompleteCancelRegStartup", &gstrCompleteCancelRegStartup, "Completed"},
      {"gstrSelectBlockDataByReadData", &gstrSelectBlockDataByReadData, "No Read Data"},
      {"gstrTrackName", &gstrTrackName, "Track"},
      {"gstrAskUpdateEditingData", &gstrAskUpdateEditingData, "Update?"},
      {"gstrWizardTitle1", &gstrWizardTitle1, "Initial Wizard Window"},
      {"gstrWizardTitle2", &gstrWizardTitle2, "Initial Wizard Window"},
      {"gstrWizardTitle3", &gstrWizardTitle3, "Initial Wizard Window"},
      {"gstrWizardNext", &gstrWizardNext, "Next"},
      {"gstrWizardComplete", &gstrWizardComplete, "Complete"},
      {"gstrWizardReturnSP", &gstrWizardReturnSP, ""},
      {"gstrWizardReadTrackOK", &gstrWizardReadTrackOK, ""},
      {"gstrWizardReadTrackErr", &gstrWizardReadTrackErr, ""},
      {"gstrWizardReadTrackErr2", &gstrWizardReadTrackErr2, ""},
      {"gstrWizardReadTrack", &gstrWizardReadTrack, ""},
      {"gstrWizardReadTrackNext", &gstrWizardReadTrackNext, ""},
      {"gstrWizardCancel", &gstrWizardCancel, ""},
      {"gstrWizardCancelEnd", &gstrWizardCancelEnd, ""},
      {"gstrElevatedTarget", &gstrElevatedTarget, "The program in front runs as administrator: Windows keeps the card data from reaching it. Run KM-27 as administrator to type into it."},
      {"gstrNoWindowList", &gstrNoWindowList, "This desktop does not tell other programs which window is in front: the target window cannot be chosen here. Choosing a target window needs an X11 session."},
      {"gstrNoKeyOutput", &gstrNoKeyOutput, "KM-27 cannot type card data into the windows of this desktop. Give it the virtual keyboard /dev/uinput: put the line KERNEL==\"uinput\", GROUP=\"input\", MODE=\"0660\", OPTIONS+=\"static_node=uinput\" into the file /etc/udev/rules.d/60-km27-uinput.rules, add your user to the group input (sudo usermod -aG input $USER) and log in again."},
  };
  return texts;
}

void ResetMessageTexts() {
  for (const auto& m : MessageTexts()) *m.text = m.defaultText;
}

}  // namespace km27
