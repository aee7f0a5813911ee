#include "shell/win32/Win32DesktopShell.h"

#include <windows.h>
#undef MessageBox
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "common/win32/Win32CodePage.h"
#include "shell/DesktopShell.h"

namespace km27 {

namespace {

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string SystemText(HRESULT code) {
  char* buffer = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = n && buffer ? std::string(buffer, n) : "Error " + std::to_string(static_cast<unsigned long>(code));
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// One reference to a COM interface, released with the wrapper.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* get() const { return p_; }
  T** put() { return &p_; }

 private:
  T* p_ = nullptr;
};

class Win32Link : public IShortcutLink {
 public:
  explicit Win32Link(const std::string& target) {
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(link_.put()));
    if (FAILED(hr)) throw ShellError(SystemText(hr));
    hr = link_.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file_.put()));
    if (FAILED(hr)) throw ShellError(SystemText(hr));
    link_.get()->SetPath(target.c_str());
  }
  void Save(const std::string& path) override {
    file_.get()->Save(WideFromCodePage(CP_ACP, path).c_str(), FALSE);
  }

 private:
  ComRef<IShellLinkA> link_;
  ComRef<IPersistFile> file_;
};

class Win32DesktopShell : public IDesktopShell {
 public:
  std::unique_ptr<IShortcutLink> CreateLink(const std::string& target) override {
    // Once for the process, on the user-interface thread that makes links.
    static const HRESULT com = CoInitialize(nullptr);
    (void)com;
    return std::make_unique<Win32Link>(target);
  }
  std::string ShellFolder(const std::string& name) override {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    char buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    LONG r = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
    return std::string(buffer);
  }
  std::string ShortcutPath(ShortcutPlace place, const std::string& name) override {
    return ShellFolder(place == ShortcutPlace::Desktop ? "Desktop" : "Startup") + "\\" + name + ".Lnk";
  }
  bool FileExists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  void RemoveFile(const std::string& path) override { ::DeleteFileA(path.c_str()); }
  void OpenUrl(const std::string& url) override {
    ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
};

}  // namespace

void InstallWin32DesktopShell() {
  static Win32DesktopShell shell;
  SetDesktopShell(&shell);
}

}  // namespace km27
