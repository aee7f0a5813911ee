// libFuzzer target: any bytes as a settings or language file. Reading,
// loading into the settings records, writing keys back and re-reading must
// neither crash nor hang, and a written key must read back as written.
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/Define.h"
#include "settings/IniFile.h"
#include "settings/Language.h"
#include "settings/SetupFile.h"
#include "tests/fuzz/FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace km27;
  using fuzz::Check;
  const std::string text(reinterpret_cast<const char*>(data), size);
  IniFile ini(text);

  ResetSettingsToBuiltIn();
  LoadSettings(ini);
  Check(General.ConnectionCheck.size() == 3);
  Check(KeyData.Blocks.size() == static_cast<size_t>(KeyData.BlockNum));

  for (const auto& line : ini.SectionLines("Messages")) {
    SplitLanguageLine(line, true);
    SplitLanguageLine(line, false);
  }

  // Saving keeps every byte of the file it does not own; the result reads
  // back to the same records.
  SaveSettings(ini);
  ini.WriteString("Fuzz", "Key", text.substr(0, 64));
  const IniFile again(ini.Text());
  for (const char* key : {"LanguageFile", "WizardStatus", "AutoStart", "Series", "Protocol"})
    Check(again.Value("General", key) == ini.Value("General", key));
  Check(again.Value("Connection", "Port") == ini.Value("Connection", "Port"));
  Check(again.Value("KeyData", "BlockNum") == ini.Value("KeyData", "BlockNum"));
  Check(again.Value("TargetWindow", "WindowTitle") == ini.Value("TargetWindow", "WindowTitle"));
  Check(again.SectionLines("KeyData") == ini.SectionLines("KeyData"));
  Check(again.Value("Fuzz", "Key").has_value());
  // Settings left as this input made them would count as its allocations and
  // send every input that changes the block count to the leak check again.
  ResetSettingsToBuiltIn();
  return 0;
}
