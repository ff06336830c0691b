// What a large selection costs the shell: capturing it, building the menu,
// and Copy UNC, at 10,000 and 20,000 items. The work is linear when twice the
// items take about twice the time; prints that ratio as P4. Also prints as P4w
// what the same 10,000 paths cost in a wide drop list, the shell's own form,
// over an ANSI one.
//
// Wine keeps clipboard data in its server's C heap, which hands freed memory
// back to the system only when more than twice the largest block it has seen
// lies free. Without a settled server, whether a run finds its memory still
// mapped depends on which runs came before: the 20,000-item run then paid
// some 700 page faults in the server that the 10,000-item run did not, and
// the ratio changed with the order of the runs. One untimed copy larger than
// any timed one settles the server first, so that the ratio measures the
// extension and not that history.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "../server/com_ptr.h"
#include "../server/com_server.h"
#include "../shellext/shexOddments1.h"
#include "../tests/support/drop_block.h"
#include "../tests/support/fake_data_object.h"
#include "best_time.h"

using namespace oddments;

namespace {

// One shell context menu over a selection: capture, menu, Copy UNC.
void MenuAndCopyUnc(const std::vector<std::byte>& block) {
  TComObjectFactory* factory = ComClassManager().GetFactoryFromClassID(CLASS_CONTEXTMENU);
  test::FakeDataObject selection(block);
  ComPtr<IShellExtInit> init;
  factory->CreateInstance(nullptr, IID_IShellExtInit, init.ReceiveVoid());
  init->Initialize(nullptr, &selection, nullptr);
  const ComPtr<IContextMenu> menu = init.As<IContextMenu>();
  const HMENU shellMenu = CreatePopupMenu();
  menu->QueryContextMenu(shellMenu, 0, 1, 0x7FFF, CMF_NORMAL);
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.lpVerb = MAKEINTRESOURCEA(1);
  menu->InvokeCommand(&info);
  DestroyMenu(shellMenu);
}

}  // namespace
int main() {
  OleInitialize(nullptr);
  SetServerStartup(GetModuleHandleA(nullptr), &StartContextMenuModule);
  if (!EnsureServerStarted()) return 1;
  const auto paths = test::ManyPaths(10000);
  const auto smallBlock = test::AnsiDropBlock(paths);
  const auto largeBlock = test::AnsiDropBlock(test::ManyPaths(20000));
  std::vector<std::u16string> widePaths;
  for (const std::string& path : paths) widePaths.push_back(test::Widen(path));
  const auto wideBlock = test::WideDropBlock(widePaths);
  MenuAndCopyUnc(test::AnsiDropBlock(test::ManyPaths(40000)));
  // The blocks take turns, so that a slow spell of this shared machine falls
  // on all alike; each keeps its best.
  double small = 1e30, large = 1e30, wide = 1e30;
  for (int round = 0; round < 30; ++round) {
    small = std::min(small, bench::BestSeconds(1, [&] { MenuAndCopyUnc(smallBlock); }));
    large = std::min(large, bench::BestSeconds(1, [&] { MenuAndCopyUnc(largeBlock); }));
    wide = std::min(wide, bench::BestSeconds(1, [&] { MenuAndCopyUnc(wideBlock); }));
  }
  std::printf("menu and Copy UNC, 10000 items: %.2f ms\n", small * 1e3);
  std::printf("menu and Copy UNC, 20000 items: %.2f ms\n", large * 1e3);
  std::printf("menu and Copy UNC, 10000 wide items: %.2f ms\n", wide * 1e3);
  std::printf("P4 %.2f\n", large / small);
  std::printf("P4w %.2f\n", wide / small);
  StopServer();
  OleUninitialize();
  return 0;
}
