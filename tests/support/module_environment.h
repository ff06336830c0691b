// The context-menu module started in-process as the DLL starts it, and
// handlers made by its factory.
#pragma once

#include <windows.h>

#include "../../server/com_object.h"
#include "../../server/com_ptr.h"
#include "../../server/com_server.h"
#include "../../shellext/shexOddments1.h"
#include "com_environment.h"
#include "fake_data_object.h"

namespace oddments::test {

class ModuleEnvironment : public OleEnvironment {
 public:
  void SetUp() override {
    OleEnvironment::SetUp();
    SetServerStartup(GetModuleHandleA(nullptr), &StartContextMenuModule);
    ASSERT_TRUE(EnsureServerStarted());
  }
  void TearDown() override {
    StopServer();
    OleEnvironment::TearDown();
  }
};

template <class Interface = IShellExtInit>
ComPtr<Interface> NewHandler() {
  ComPtr<Interface> handler;
  TComObjectFactory* factory = ComClassManager().GetFactoryFromClassID(CLASS_CONTEXTMENU);
  EXPECT_NE(factory, nullptr);
  if (factory) {
    EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(Interface), handler.ReceiveVoid()), S_OK);
  }
  return handler;
}

// A handler whose selection is the drop block, ready for its menu commands.
inline ComPtr<IContextMenu> HandlerWithSelection(const std::vector<std::byte>& block) {
  FakeDataObject selection(block);
  const auto init = NewHandler<IShellExtInit>();
  EXPECT_EQ(init->Initialize(nullptr, &selection, nullptr), S_OK);
  return init.As<IContextMenu>();
}

// The object behind any of its interfaces.
template <class Interface>
TContextMenu& Object(const ComPtr<Interface>& handler) {
  return *static_cast<TContextMenu*>(handler.Get());
}

}  // namespace oddments::test
