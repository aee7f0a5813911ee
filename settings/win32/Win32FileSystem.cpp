#include "settings/win32/Win32FileSystem.h"

#include <windows.h>

#include "common/TextHelpers.h"

namespace km27 {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool Close() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return ::CloseHandle(h) != 0;
  }

 private:
  HANDLE h_;
};

class Find {
 public:
  explicit Find(HANDLE h) : h_(h) {}
  ~Find() {
    if (h_ != INVALID_HANDLE_VALUE) ::FindClose(h_);
  }
  Find(const Find&) = delete;
  Find& operator=(const Find&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

FileError LastError(const std::string& what, const std::string& path) {
  DWORD code = ::GetLastError();
  return FileError(what + " " + path + ": " + Win32ErrorText(code));
}

std::string ModulePath() {
  std::string buf(MAX_PATH, '\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) return buf.substr(0, n);
    buf.resize(buf.size() * 2);
  }
}

}  // namespace

std::string Win32ErrorText(unsigned long code) {
  char* text = nullptr;
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = n && text ? TrimControl(std::string(text, n)) : "error " + std::to_string(code);
  if (text) ::LocalFree(text);
  return out;
}

Win32FileSystem::Win32FileSystem(std::string exePath) : exePath_(std::move(exePath)) {}

std::string Win32FileSystem::ExecutablePath() { return exePath_.empty() ? ModulePath() : exePath_; }

bool Win32FileSystem::FileExists(const std::string& path) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  return !path.empty() && a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::CopyNoOverwrite(const std::string& from, const std::string& to) {
  if (FileExists(to)) return false;
  if (::CopyFileA(from.c_str(), to.c_str(), TRUE)) return true;
  if (::GetLastError() == ERROR_FILE_EXISTS) return false;
  throw LastError("Cannot copy to", to);
}

ByteString Win32FileSystem::ReadWholeFile(const std::string& path) {
  Handle h(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (h.get() == INVALID_HANDLE_VALUE) throw LastError("Cannot open", path);
  ByteString out;
  char buf[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(h.get(), buf, sizeof buf, &got, nullptr)) throw LastError("Cannot read", path);
    if (got == 0) break;
    out.append(buf, got);
  }
  return out;
}

void Win32FileSystem::RenameOver(const std::string& temp, const std::string& path) {
  if (!::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw LastError("Cannot replace", path);
}

void Win32FileSystem::WriteFileAtomic(const std::string& path, const ByteString& content) {
  const std::string temp = path + ".new";
  {
    Handle h(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (h.get() == INVALID_HANDLE_VALUE) throw LastError("Cannot create", temp);
    auto fail = [&](const char* what) {
      FileError e = LastError(what, temp);
      h.Close();
      ::DeleteFileA(temp.c_str());
      return e;
    };
    size_t done = 0;
    while (done < content.size()) {
      DWORD put = 0;
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 20));
      if (!::WriteFile(h.get(), content.data() + done, chunk, &put, nullptr) || put == 0) throw fail("Cannot write");
      done += put;
    }
    if (!::FlushFileBuffers(h.get())) throw fail("Cannot write");
    if (!h.Close()) {
      FileError e = LastError("Cannot write", temp);
      ::DeleteFileA(temp.c_str());
      throw e;
    }
  }
  try {
    RenameOver(temp, path);
  } catch (...) {
    ::DeleteFileA(temp.c_str());
    throw;
  }
}

std::vector<std::string> Win32FileSystem::ListFiles(const std::string& dir, const std::string& ext) {
  std::vector<std::string> out;
  WIN32_FIND_DATAA fd;
  Find f(::FindFirstFileA((dir + "*" + ext).c_str(), &fd));
  if (f.get() == INVALID_HANDLE_VALUE) return out;
  do {
    std::string name = fd.cFileName;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    // "*.rlf" also matches longer extensions through short names; keep exact ones.
    if (name.size() <= ext.size() || !SameText(name.substr(name.size() - ext.size()), ext)) continue;
    out.push_back(name);
  } while (::FindNextFileA(f.get(), &fd));
  return out;
}

std::optional<LocalDate> Win32FileSystem::LastWriteDate(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  FILETIME local;
  SYSTEMTIME st;
  if (!::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !::FileTimeToSystemTime(&local, &st))
    return std::nullopt;
  return LocalDate{st.wYear, st.wMonth, st.wDay};
}

Win32VersionSource::Win32VersionSource(std::string exePath) : exePath_(std::move(exePath)) {}

void Win32VersionSource::Load() {
  if (loaded_) return;
  loaded_ = true;
  const std::string path = exePath_.empty() ? ModulePath() : exePath_;
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return;
  std::string data(size, '\0');
  if (::GetFileVersionInfoA(path.c_str(), 0, size, data.data())) data_ = std::move(data);
}

bool Win32VersionSource::HasResource() {
  Load();
  return !data_.empty();
}

std::optional<std::string> Win32VersionSource::Query(const std::string& block, const std::string& name) {
  Load();
  if (data_.empty()) return std::nullopt;
  const std::string key = "\\StringFileInfo\\" + block + "\\" + name;
  char* value = nullptr;
  UINT len = 0;
  if (!::VerQueryValueA(data_.data(), key.c_str(), reinterpret_cast<void**>(&value), &len) || !value)
    return std::nullopt;
  size_t n = 0;
  while (n < len && value[n]) ++n;
  return std::string(value, n);
}

void InstallWin32SettingsServices() {
  static Win32FileSystem fs;
  static Win32VersionSource version;
  SetFileSystem(&fs);
  SetVersionSource(&version);
}

}  // namespace km27
