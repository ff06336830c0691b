// Copy content end to end on a 64 MiB selection, next to the least any copy
// of those files must do: read them and put one block of the output's size
// on the clipboard (P5, the ratio of the two times). Then, in a process of
// its own that has done nothing else, the peak memory the command takes
// beyond what it keeps, against the output, the largest file and 1 MiB (P6).
//
//   copy_content_bench            the files, P5, then P6 from a child run
//   copy_content_bench --peak D   one Copy content over the files in D
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../server/com_ptr.h"
#include "../server/com_server.h"
#include "../shellext/shexOddments1.h"
#include "../shellext/text_decode.h"
#include "../tests/support/drop_block.h"
#include "../tests/support/fake_data_object.h"
#include "../tests/support/processes.h"
#include "best_time.h"
#include "sample_texts.h"

using namespace oddments;

namespace {

struct Selection {
  std::vector<std::string> paths;
  std::size_t outputBytes = 0;
  std::size_t largestFile = 0;
};

void WriteFile(const std::string& path, const std::string& bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::u16string Decoded(const std::string& utf8) {
  std::u16string units(MaxUtf16Units(utf8.size()), u'\0');
  units.resize(DecodeUtf8(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size(), units.data()));
  return units;
}

// Sixteen files of 4 MiB: ASCII-heavy, Cyrillic, CJK and emoji text as
// UTF-8 with its mark, Cyrillic as UTF-16, and plain ASCII as ANSI.
Selection MakeFiles(const std::string& folder) {
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string bom = "\xEF\xBB\xBF";
  const std::string texts[] = {bench::AsciiHeavyText(), bench::CyrillicText(), bench::CjkText(),
                               bench::EmojiText()};
  Selection selection;
  for (int i = 0; i < 16; ++i) {
    const std::string path = folder + "\\sample" + std::to_string(i) + ".txt";
    std::string bytes;
    std::size_t units = 0;
    if (i % 8 == 6) {
      const std::u16string wide = Decoded(texts[1]);
      bytes = "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
      units = wide.size();
    } else if (i % 8 == 7) {
      bytes = std::string(texts[0].size(), 'a');
      units = bytes.size();
    } else {
      bytes = bom + texts[i % 4];
      units = Decoded(texts[i % 4]).size();
    }
    WriteFile(path, bytes);
    selection.paths.push_back(path);
    selection.outputBytes += units * 2;
    selection.largestFile = std::max(selection.largestFile, bytes.size());
  }
  return selection;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> paths;
  for (int i = 0; i < 16; ++i) paths.push_back(folder + "\\sample" + std::to_string(i) + ".txt");
  return paths;
}

void CopyContent(const std::vector<std::string>& paths) {
  test::FakeDataObject selection(test::AnsiDropBlock(paths));
  ComPtr<IShellExtInit> init;
  ComClassManager().GetFactoryFromClassID(CLASS_CONTEXTMENU)->CreateInstance(nullptr, IID_IShellExtInit,
                                                                            init.ReceiveVoid());
  init->Initialize(nullptr, &selection, nullptr);
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.lpVerb = MAKEINTRESOURCEA(2);
  init.As<IContextMenu>()->InvokeCommand(&info);
}

// The floor: each file read whole, then one block of the output's size made,
// written and handed to the clipboard.
void ReadAndPutBlock(const Selection& selection, std::vector<char>& buffer) {
  for (const std::string& path : selection.paths) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const DWORD size = GetFileSize(file, nullptr);
    buffer.resize(size);
    DWORD got = 0;
    ReadFile(file, buffer.data(), size, &got, nullptr);
    CloseHandle(file);
  }
  const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, selection.outputBytes + 2);
  std::memset(GlobalLock(block), 'x', selection.outputBytes + 2);
  GlobalUnlock(block);
  OpenClipboard(nullptr);
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
}

SIZE_T PrivateBytes(bool peak) {
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return peak ? counters.PeakPagefileUsage : counters.PagefileUsage;
}

void StartModule() {
  OleInitialize(nullptr);
  SetServerStartup(GetModuleHandleA(nullptr), &StartContextMenuModule);
  EnsureServerStarted();
}

int PeakRun(const std::string& folder) {
  StartModule();
  const std::vector<std::string> paths = FilesIn(folder);
  const SIZE_T before = PrivateBytes(false);
  CopyContent(paths);
  std::printf("%lu\n", static_cast<unsigned long>(PrivateBytes(true) - before));
  return 0;
}

// The peak that a fresh process reports for one Copy content.
SIZE_T ChildPeak(const std::string& folder) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const auto result = test::RunProcess(test::CommandLine({self, "--peak", folder}));
  return static_cast<SIZE_T>(std::strtoul(result.output.c_str(), nullptr, 10));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--peak") return PeakRun(argv[2]);

  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "oddments-bench";
  const Selection selection = MakeFiles(folder);
  StartModule();

  std::vector<char> buffer;
  double ours = 1e30, floor = 1e30;
  for (int round = 0; round < 7; ++round) {
    ours = std::min(ours, bench::BestSeconds(1, [&] { CopyContent(selection.paths); }));
    floor = std::min(floor, bench::BestSeconds(1, [&] { ReadAndPutBlock(selection, buffer); }));
  }
  const double mib = 1024.0 * 1024.0;
  std::printf("selection: %zu files, output %.1f MiB, largest file %.1f MiB\n", selection.paths.size(),
              selection.outputBytes / mib, selection.largestFile / mib);
  std::printf("Copy content %.1f ms, reading and one block %.1f ms\n", ours * 1e3, floor * 1e3);
  std::printf("P5 %.2f\n", ours / floor);

  const SIZE_T peak = ChildPeak(folder);
  const double allowed = static_cast<double>(selection.outputBytes + selection.largestFile) + mib;
  std::printf("peak memory of one Copy content: %.1f MiB, allowed %.1f MiB\n", peak / mib, allowed / mib);
  std::printf("P6 %.2f\n", peak / allowed);
  for (const std::string& path : selection.paths) DeleteFileA(path.c_str());
  RemoveDirectoryA(folder.c_str());
  return 0;
}
