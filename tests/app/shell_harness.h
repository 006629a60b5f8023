#pragma once
// One PC with ZANVO on it: a virtual PC with a chosen card and desktop mode, the fakes of the
// platform, and the main form wired to them as the program entry wires them.

#include <memory>
#include <string>

#include "app/main_form.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "fakes.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::testing {

// What outlives one run of the program on the machine: the registry and the named mutexes.
struct Machine {
  FakeRegistry registry;
  MutexTable mutexes;
};

class ShellHarness {
 public:
  ShellHarness(Machine& machine, const std::string& card = "s3-trio64", uint16_t width = 640,
               uint16_t height = 480)
      : machine_(machine),
        pc(virt::MakeCard(card)),
        instance(machine.mutexes),
        display(pc),
        services{pc,      pc,    port_access, instance, tray,       machine.registry,
                 display, boxes, windows,     modal,    application} {
    virt::SetDesktopMode(pc.card(), width, height);
    engine::Eng = engine::EngineState{};
    engine::BindPort(pc);
    main = std::make_unique<app::TMain>(services);
    display.deliver = [this](uint32_t lparam) { main->WMDisplayChange(lparam); };
  }
  ~ShellHarness() { engine::UnbindPort(); }

  // The program entry: create the main form (OnFormCreate runs).
  void Start() {
    application.show_main_form = false;
    application.title = "ZANVO For Windows";
    main->OnFormCreate();
  }
  // The message loop has ended: the forms are destroyed.
  void Stop() { main->OnDestroy(); }
  // The message queue ran empty once.
  void Idle() {
    bool done = true;
    if (application.OnIdle)
      application.OnIdle();
    else
      main->OnAppIdle(done);
  }

  const std::string& key() const { return key_; }

  Machine& machine_;
  virt::VirtualPc pc;
  FakePortAccess port_access;
  FakeSingleInstance instance;
  FakeTray tray;
  VirtualDisplay display;
  ScriptedMessageBoxes boxes;
  FakeWindowSystem windows;
  ScriptedModalRunner modal;
  toolkit::Application application;
  app::ShellServices services;
  std::unique_ptr<app::TMain> main;

 private:
  std::string key_ = "Software\\Brindlex\\ZANVOWin";
};

}  // namespace zanvo::testing
