// The list of setup values in the main window. Names and texts are fixed;
// the key-data values appear in the key notation as stored.
#include <string>
#include <vector>

#include "settings/Define.h"
#include "shell/Main.h"

namespace km27 {

namespace {

// Adds "name=value", or replaces the line that already carries that name.
void SetValue(std::vector<std::string>& lines, const std::string& name, const std::string& value) {
  std::string line = name + "=" + value;
  for (auto& l : lines)
    if (l.compare(0, name.size() + 1, name + "=") == 0) {
      l = line;
      return;
    }
  lines.push_back(line);
}

void DropTrailingComma(std::string& s) {
  if (!s.empty() && s.back() == ',') s.pop_back();
}

bool Flag(const std::string& flags, int position) {
  return flags.size() >= static_cast<size_t>(position) && flags[position - 1] == '1';
}

}  // namespace

void TfrmMain::ShowSetupValues() {
  std::vector<std::string> lines;
  SetValue(lines, "Auto Start Mode", General.AutoStart ? "ON" : "OFF");
  SetValue(lines, "Port", "COM" + std::to_string(Serial.Port));

  std::string target = TargetWindow.WindowTitle + " (" + TargetWindow.ClassName + ")";
  if (target != " ()") SetValue(lines, "Target Window", target);

  std::string format;
  if (!KeyData.Header.empty()) format += "Header:" + KeyData.Header + ",";
  if (!KeyData.TrackSeparator.empty() && !CardData.SingleTrack)
    format += "Track Separator:" + KeyData.TrackSeparator + ",";
  if (!KeyData.Terminator.empty()) format += "Terminator:" + KeyData.Terminator + ",";
  DropTrailingComma(format);
  if (!format.empty()) SetValue(lines, "Key Data Format", format);

  // Blocks are numbered in track order, whatever their order in the list.
  int k = 1;
  for (int t = 1; t <= 4; ++t) {
    if (!Flag(CardData.Tracks, t) || !Flag(CardData.TrackUse, t)) continue;
    for (const TBlockData& b : KeyData.Blocks) {
      if (b.Track != t) continue;
      std::string text = "Track:" + std::to_string(t) + ",";
      if (b.AllData)
        text += "Send All Data ,";
      else
        text += "Start:" + std::to_string(b.Start) + "," + "Digit:" + std::to_string(b.Digit) + ",";
      if (!b.BlockHeader.empty()) text += "Header:" + b.BlockHeader + ",";
      if (!b.BlockFooter.empty()) text += "Footer:" + b.BlockFooter + ",";
      DropTrailingComma(text);
      SetValue(lines, "Block Data Format " + std::to_string(k), text);
      ++k;
    }
  }
  lstSetupValue->SetItems(lines);
}

}  // namespace km27
