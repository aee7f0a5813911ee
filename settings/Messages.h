#pragma once
// The message texts of the program, named by their keys in the language
// files' section "Messages". They hold their built-in English defaults from
// process start until a language file replaces them; a language file that
// lacks a key brings that text back to its default.
#include <string>
#include <vector>

namespace km27 {

extern std::string gstrStart;
extern std::string gstrStop;
extern std::string gstrAskEnd;
extern std::string gstrTackBar1;
extern std::string gstrTackBar2;
extern std::string gstrNotFoundIniFile;
extern std::string gstrLoadErrorIniFile;
extern std::string gstrTargetLock;
extern std::string gstrTargetUnLock;
extern std::string gstrAskCancelTargetLock;
extern std::string gstrNotInpuData;
extern std::string gstrAskClearData;
extern std::string gstrAskDeleteData;
extern std::string gstrNotUpdateTarget;
extern std::string gstrAskUpdateData;
extern std::string gstrNotSelectTarget;
extern std::string gstrAskUpdateSetupData;
extern std::string gstrSaveSetupData;
extern std::string gstrCommCheck_Checking;
extern std::string gstrCommCheck_OK;
extern std::string gstrCommCheck_Next;
extern std::string gstrCommCheck_Err;
extern std::string gstrCommPortAbsent;
extern std::string gstrCommError_OpenErr;
extern std::string gstrCommError_NoRes1;
extern std::string gstrCommError_NoRes2;
extern std::string gstrCommError_ErrRes1;
extern std::string gstrCommError_ErrRes2;
extern std::string gstrCommMonitor_Note;
extern std::string gstrChangeSPSetting;
extern std::string gstrSetSPSetting;
extern std::string gstrReturnSPSetting;
extern std::string gstrSerialConnectError;
extern std::string gstrAskRegisterDesktop;
extern std::string gstrRegistered;
extern std::string gstrAskRegisterStartup;
extern std::string gstrAskCancelRegStartup;
extern std::string gstrCompleteRegisterStartup;
extern std::string gstrCompleteCancelRegStartup;
extern std::string gstrSelectBlockDataByReadData;
extern std::string gstrTrackName;
extern std::string gstrAskUpdateEditingData;
extern std::string gstrWizardTitle1;
extern std::string gstrWizardTitle2;
extern std::string gstrWizardTitle3;
extern std::string gstrWizardNext;
extern std::string gstrWizardComplete;
extern std::string gstrWizardReturnSP;
extern std::string gstrWizardReadTrackOK;
extern std::string gstrWizardReadTrackErr;
extern std::string gstrWizardReadTrackErr2;
extern std::string gstrWizardReadTrack;
extern std::string gstrWizardReadTrackNext;
extern std::string gstrWizardCancel;
extern std::string gstrWizardCancelEnd;
extern std::string gstrElevatedTarget;
extern std::string gstrNoWindowList;
extern std::string gstrNoKeyOutput;

struct MessageText {
  const char* key;            // the key in section "Messages"
  std::string* text;          // the process-wide text
  const char* defaultText;    // built-in English default
};

// Every message text in the order of the language file's section.
const std::vector<MessageText>& MessageTexts();

// Puts every message text back to its default.
void ResetMessageTexts();

}  // namespace km27
