#pragma once
// Helpers of the settings tests: a message box recorder standing in for the
// toolkit, a temporary directory, and a file system that can be stopped just
// before a save puts its file in place.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include "settings/posix/PosixFileSystem.h"
#endif
#include "ui/Application.h"

namespace km27::test {

struct BoxCall {
  std::string text;
  ui::MsgIcon icon;
};

// Records message boxes and answers OK; everything else does nothing.
class BoxRecorder : public ui::IApplication {
 public:
  BoxRecorder() : previous_(ui::AppOrNull()) { ui::SetApp(this); }
  ~BoxRecorder() override { ui::SetApp(previous_); }
  void ProcessMessages() override {}
  uint32_t TickCount() override { return 0; }
  void TimerChanged(ui::Timer&) override {}
  void TimerDestroyed(ui::Timer&) override {}
  ui::IFormPeer* CreatePeer(ui::Form&) override { return nullptr; }
  void RunModal(ui::Form&) override {}
  void Beep() override {}
  void SetTitle(const std::string&) override {}
  void Terminate() override {}
  void SendSync(std::function<void()> fn) override { fn(); }

  std::vector<BoxCall> boxes;

 protected:
  ui::MsgResult ShowMessageBox(const std::string& text, const std::string&, ui::MsgIcon icon,
                               ui::MsgButtons) override {
    boxes.push_back({text, icon});
    return ui::MsgResult::OK;
  }

 private:
  ui::IApplication* previous_;
};

#ifndef _WIN32
class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("km27-settings-" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string Path(const std::string& name = "") const { return (path_ / name).string(); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(path_)) out.push_back(e.path().filename().string());
    return out;
  }

 private:
  std::filesystem::path path_;
};

// A real file system in a temporary directory, with "KM27.exe" as the
// executable, whose save can be cut off just before the rename.
class TestFileSystem : public PosixFileSystem {
 public:
  explicit TestFileSystem(const TempDir& dir) : PosixFileSystem(dir.Path("KM27.exe")) { SetFileSystem(this); }
  ~TestFileSystem() override { SetFileSystem(nullptr); }
  bool interruptBeforeRename = false;

 protected:
  void RenameOver(const std::string& temp, const std::string& path) override {
    if (interruptBeforeRename) throw FileError("Interrupted before replacing " + path);
    PosixFileSystem::RenameOver(temp, path);
  }
};

#endif

}  // namespace km27::test
