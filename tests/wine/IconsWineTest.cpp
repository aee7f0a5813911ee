// KM27.exe's icons as Windows finds them: the file icon is the first icon
// group and holds every size the shell asks for, and the two tray icons load
// at the notification area's sizes and differ in shape, not only in colour.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "shell/TrayIconIds.h"

namespace {

std::string ProgramPath() {
  std::string path = std::string("Z:") + KM27_EXE_PATH;
  for (auto& c : path)
    if (c == '/') c = '\\';
  return path;
}

class ProgramResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << ProgramPath();
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
  }
  HMODULE module = nullptr;
};

struct IconEntry {
  int size;
  int bitCount;
};

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colorCount, reserved;
  WORD planes, bitCount;
  DWORD bytesInRes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved, type, count;
};
#pragma pack(pop)

// The images of an icon group; a width of 0 stands for 256.
std::vector<IconEntry> GroupEntries(HMODULE module, LPCSTR name) {
  std::vector<IconEntry> entries;
  HRSRC res = FindResourceA(module, name, reinterpret_cast<LPCSTR>(RT_GROUP_ICON));
  if (!res) return entries;
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
  const DWORD size = SizeofResource(module, res);
  if (!bytes || size < sizeof(GroupIconHeader)) return entries;
  GroupIconHeader header;
  std::memcpy(&header, bytes, sizeof header);
  for (WORD i = 0; i < header.count; ++i) {
    const size_t at = sizeof header + i * sizeof(GroupIconEntry);
    if (at + sizeof(GroupIconEntry) > size) break;
    GroupIconEntry e;
    std::memcpy(&e, bytes + at, sizeof e);
    entries.push_back({e.width == 0 ? 256 : e.width, e.bitCount});
  }
  return entries;
}

std::vector<int> Sizes(const std::vector<IconEntry>& entries) {
  std::vector<int> sizes;
  for (const IconEntry& e : entries) sizes.push_back(e.size);
  return sizes;
}

BOOL CALLBACK TakeFirstName(HMODULE, LPCSTR, LPSTR name, LONG_PTR out) {
  auto* first = reinterpret_cast<std::string*>(out);
  *first = IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<uintptr_t>(name)) : std::string(name);
  return FALSE;
}

// The colour and the alpha of an icon's pixels, top row first.
struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> argb;
  std::vector<uint8_t> Alpha() const {
    std::vector<uint8_t> a;
    for (uint32_t p : argb) a.push_back(static_cast<uint8_t>(p >> 24));
    return a;
  }
};

Pixels PixelsOf(HICON icon) {
  Pixels px;
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return px;
  BITMAP bm{};
  GetObjectA(info.hbmColor, sizeof bm, &bm);
  px.width = bm.bmWidth;
  px.height = bm.bmHeight;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = bm.bmWidth;
  bi.bmiHeader.biHeight = -bm.bmHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  px.argb.resize(static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight));
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, info.hbmColor, 0, static_cast<UINT>(bm.bmHeight), px.argb.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return px;
}

Pixels LoadAt(HMODULE module, int id, int size) {
  HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
  if (!icon) return {};
  Pixels px = PixelsOf(icon);
  DestroyIcon(icon);
  return px;
}

TEST_F(ProgramResources, FileIconIsTheFirstGroupWithEverySize) {
  std::string first;
  EnumResourceNamesA(module, reinterpret_cast<LPCSTR>(RT_GROUP_ICON), TakeFirstName,
                     reinterpret_cast<LONG_PTR>(&first));
  EXPECT_EQ(first, "MAINICON");
  const std::vector<IconEntry> entries = GroupEntries(module, "MAINICON");
  EXPECT_EQ(Sizes(entries), (std::vector<int>{16, 24, 32, 48, 256}));
  for (const IconEntry& e : entries) EXPECT_EQ(e.bitCount, 32) << e.size << " px";

  // What Explorer shows for the file: the first icon, large and small.
  HICON large = nullptr, small = nullptr;
  ASSERT_EQ(ExtractIconExA(ProgramPath().c_str(), -1, nullptr, nullptr, 0), 3u);  // three icon groups
  ASSERT_EQ(ExtractIconExA(ProgramPath().c_str(), 0, &large, &small, 1), 2u);
  EXPECT_EQ(PixelsOf(large).width, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(PixelsOf(small).width, GetSystemMetrics(SM_CXSMICON));
  DestroyIcon(large);
  DestroyIcon(small);
}

TEST_F(ProgramResources, TrayIconsLoadAtEveryScalingAndDifferInShape) {
  for (int id : {KM27_ICON_TRAY_STOPPED, KM27_ICON_TRAY_RUNNING}) {
    EXPECT_EQ(Sizes(GroupEntries(module, MAKEINTRESOURCEA(id))), (std::vector<int>{16, 20, 24, 32, 48})) << id;
    for (int size : {16, 20, 24, 32, 48}) {
      const Pixels px = LoadAt(module, id, size);
      EXPECT_EQ(px.width, size) << "icon " << id << " at " << size << " px";
      EXPECT_EQ(px.height, size) << "icon " << id << " at " << size << " px";
    }
  }
  // At 16 px the outlines themselves differ, so the state shows without colour.
  const Pixels stopped = LoadAt(module, KM27_ICON_TRAY_STOPPED, 16);
  const Pixels running = LoadAt(module, KM27_ICON_TRAY_RUNNING, 16);
  ASSERT_EQ(stopped.argb.size(), 256u);
  ASSERT_EQ(running.argb.size(), 256u);
  int shapeDiffers = 0;
  const auto a = stopped.Alpha(), b = running.Alpha();
  for (size_t i = 0; i < a.size(); ++i) shapeDiffers += (a[i] >= 128) != (b[i] >= 128);
  EXPECT_GE(shapeDiffers, 8);
}

}  // namespace
