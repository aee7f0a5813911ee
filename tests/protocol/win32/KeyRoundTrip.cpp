// Card reads from the reader simulator typed into an edit control of this
// program by the real chain: the Windows serial port, the protocol engine,
// the decoder, the output driver, the key-data format and the Windows key
// injector. The simulator is driven over its TCP control port.
//
//   protocol_wine_keys <COM number> <simulator control port> <settings file>
//
// Prints one line per check ("PASS ..." / "FAIL ...") and exits with 0 when
// all passed.
#include <winsock2.h>
#include <windows.h>
#undef MessageBox

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "common/win32/Win32CodePage.h"
#include "device/Comm.h"
#include "keyboard/KeyInjection.h"
#include "keyboard/win32/Win32KeyInjector.h"
#include "settings/Define.h"
#include "settings/IniFile.h"
#include "settings/SetupFile.h"
#include "ui/win32/Win32Application.h"

namespace {

using namespace km27;

int gControlPort = 0;
HWND gFrame = nullptr;
HWND gEdit = nullptr;
int gFailures = 0;

// One control command to the simulator; its reply line.
std::string SimCommand(const std::string& line) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return "ERR socket";
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<u_short>(gControlPort));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    closesocket(s);
    return "ERR connect";
  }
  const std::string out = line + "\n";
  send(s, out.data(), static_cast<int>(out.size()), 0);
  std::string reply;
  char c;
  while (recv(s, &c, 1, 0) == 1 && c != '\n') reply += c;
  closesocket(s);
  return reply;
}

std::string EditText() {
  const int n = GetWindowTextLengthA(gEdit);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  GetWindowTextA(gEdit, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return text;
}

void TakeFocus() {
  SetForegroundWindow(gFrame);
  SetActiveWindow(gFrame);
  SetFocus(gEdit);
}

// Runs the message loop for ms milliseconds, or until done() holds.
bool Pump(ui::Win32Application& app, DWORD ms, const std::function<bool()>& done = nullptr) {
  const DWORD start = GetTickCount();
  for (;;) {
    app.ProcessMessages();
    if (done && done()) return true;
    if (GetTickCount() - start >= ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

std::string Visible(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c < 0x20 || c >= 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

void Check(bool ok, const std::string& what, const std::string& detail = "") {
  std::printf("%s %s%s%s\n", ok ? "PASS" : "FAIL", what.c_str(), detail.empty() ? "" : ": ", detail.c_str());
  std::fflush(stdout);
  if (!ok) ++gFailures;
}

// A swipe typed into the cleared edit control must give exactly `expected`.
void ExpectTyped(ui::Win32Application& app, const std::string& swipe, const std::string& expected) {
  SetWindowTextA(gEdit, "");
  TakeFocus();
  Pump(app, 50);
  const std::string reply = SimCommand(swipe);
  if (reply.rfind("OK", 0) != 0) {
    Check(false, swipe, "simulator: " + reply);
    return;
  }
  Pump(app, 3000, [&] { return EditText().size() >= expected.size(); });
  Pump(app, 300);  // nothing more may follow
  const std::string got = EditText();
  Check(got == expected, swipe, "typed \"" + Visible(got) + "\", expected \"" + Visible(expected) + "\"");
  if (got != expected) std::printf("     the simulator received: %s\n", SimCommand("received").c_str());
}

void ExpectNothingTyped(ui::Win32Application& app, const std::string& swipe, const std::string& what) {
  SetWindowTextA(gEdit, "");
  TakeFocus();
  Pump(app, 50);
  const std::string reply = SimCommand(swipe);
  Pump(app, 600);
  Check(reply.rfind("OK", 0) == 0 && EditText().empty(), what, "typed \"" + Visible(EditText()) + "\"");
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETFOCUS && gEdit) {
    SetFocus(gEdit);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// A run that stops making progress ends with a failure instead of waiting
// for the test's time-out.
DWORD WINAPI Watchdog(LPVOID) {
  Sleep(60000);
  std::printf("FAIL the round trip did not finish within 60 s\n");
  std::fflush(stdout);
  ExitProcess(3);
}

bool LoadFormat(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::stringstream content;
  content << f.rdbuf();
  LoadSettings(IniFile(content.str()));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: protocol_wine_keys <COM number> <simulator control port> <settings file>\n");
    return 2;
  }
  const int comPort = std::atoi(argv[1]);
  CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
  gControlPort = std::atoi(argv[2]);
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);

  ui::Win32Application app(GetModuleHandleA(nullptr));
  ui::SetApp(&app);
  Win32CodePage codePage;
  SetAnsiCodePage(&codePage);
  InstallWin32KeyInjector();
  ResetKeyState();

  ResetSettingsToBuiltIn();
  if (!LoadFormat(argv[3])) {
    std::printf("FAIL cannot read %s\n", argv[3]);
    return 1;
  }
  Serial.Port = comPort;

  WNDCLASSA wc{};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "KM27KeyRoundTrip";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassA(&wc);
  gFrame = CreateWindowExA(0, wc.lpszClassName, "KM27 key round trip", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                           480, 240, nullptr, nullptr, wc.hInstance, nullptr);
  gEdit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                          WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 8, 8, 440, 180, gFrame,
                          nullptr, wc.hInstance, nullptr);
  TakeFocus();

  {
    TfrmComm comm(CreateCommX());
    frmComm = &comm;
    Check(comm.OpenPort(false), "open COM" + std::to_string(comPort));
    if (comm.CommX1().IsOpen()) {
      gRunning = true;
      ExpectTyped(app, "swipe 0:1234567890 0:ABCdef 0:XYZ", "#s1=2345;\tABCdef\tt3-XYZ\r\n");
      ExpectTyped(app, "swipe 0:987 1: 0:q", "#s1=87;\t\tt3-q\r\n");
      ExpectTyped(app, "swipe 0:55555555 0:x.y,z -", "#s1=5555;\tx.y,z\t\r\n");

      SimCommand("clear");
      ExpectNothingTyped(app, "badbcc CR00123", "a swipe with a wrong BCC types nothing");
      Check(SimCommand("wait-rx 15 2000").rfind("OK", 0) == 0, "a swipe with a wrong BCC is answered with NAK");

      gRunning = false;
      ExpectNothingTyped(app, "swipe 0:1234567890 0:ABC 0:XYZ", "a swipe while stopped types nothing");
      comm.ClosePort();
    }
    frmComm = nullptr;
  }
  DestroyWindow(gFrame);
  SetKeyInjector(nullptr);
  ui::SetApp(nullptr);
  WSACleanup();
  std::printf("%s\n", gFailures == 0 ? "ALL PASSED" : "SOME FAILED");
  return gFailures == 0 ? 0 : 1;
}
