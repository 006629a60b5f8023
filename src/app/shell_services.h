#pragma once
// What the shell reaches outside itself: ports and memory, the platform's services and the
// toolkit's application object and modal loop.

#include "platform/display.h"
#include "platform/message_boxes.h"
#include "platform/physical_memory.h"
#include "platform/port_access.h"
#include "platform/port_io.h"
#include "platform/registry.h"
#include "platform/single_instance.h"
#include "platform/toolkit/form.h"
#include "platform/tray.h"
#include "platform/window_system.h"

namespace zanvo::app {

struct ShellServices {
  PortIo& ports;
  PhysicalMemory& memory;
  PortAccess& port_access;
  SingleInstance& instance;
  Tray& tray;
  Registry& registry;
  Display& display;
  MessageBoxes& boxes;
  WindowSystem& windows;
  toolkit::ModalRunner& modal;
  toolkit::Application& application;
};

}  // namespace zanvo::app
