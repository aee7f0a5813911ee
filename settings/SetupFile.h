#pragma once
// The settings file beside the executable (".ini") and its default copy
// (".ni"): creating the one from the other, loading it into the settings
// records at start-up and saving the user-editable keys back.
#include <string>

#include "settings/IniFile.h"

namespace km27 {

std::string SetupFileName();    // CurrentFileLocations(): beside the executable, its name with ".ini"
std::string DefaultFileName();  // likewise with ".ni"

// Creates the settings file from the default copy when it is missing; tells
// the user when the default copy is missing or the copy fails.
void EnsureSetupFile();
// Reads the settings file into the records and sets gTargetLocked; tells the
// user when the file is missing or unreadable (the records then keep their values).
void LoadSetupFile();
// Writes the saved keys into the settings file (replacing it atomically) and
// confirms with gstrSaveSetupData; tells the user when it is missing or the
// write fails.
void SaveSetupFile();

// The records from / into an INI text, without files or messages.
void LoadSettings(const IniFile& ini);
void SaveSettings(IniFile& ini);

}  // namespace km27
