#include "platform/linux/linux_ports.h"

#include <cerrno>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define ZANVO_HAS_PORT_IO 1
#else
#define ZANVO_HAS_PORT_IO 0
#endif

namespace zanvo::linux_pc {

bool LinuxPortAccess::Initialize() {
#if ZANVO_HAS_PORT_IO
  if (iopl(3) != 0) {
    const int error = errno;
    failure_ = error == EPERM ? "port access needs root (run it with sudo)"
                              : std::string("iopl failed: ") + std::strerror(error);
    return false;
  }
  open_ = true;
  failure_.clear();
  return true;
#else
  failure_ = "port access is only built for x86 processors";
  return false;
#endif
}

void LinuxPortAccess::Shutdown() {
#if ZANVO_HAS_PORT_IO
  if (open_) iopl(0);
#endif
  open_ = false;
}

#if ZANVO_HAS_PORT_IO
uint8_t LinuxPorts::InByte(uint16_t port) { return inb(port); }
uint16_t LinuxPorts::InWord(uint16_t port) { return inw(port); }
uint32_t LinuxPorts::InDword(uint16_t port) { return inl(port); }
void LinuxPorts::OutByte(uint16_t port, uint8_t value) { outb(value, port); }
void LinuxPorts::OutWord(uint16_t port, uint16_t value) { outw(value, port); }
void LinuxPorts::OutDword(uint16_t port, uint32_t value) { outl(value, port); }
#else
// Never reached: without port access the program ends before it touches a port.
uint8_t LinuxPorts::InByte(uint16_t) { return 0xFF; }
uint16_t LinuxPorts::InWord(uint16_t) { return 0xFFFF; }
uint32_t LinuxPorts::InDword(uint16_t) { return 0xFFFFFFFF; }
void LinuxPorts::OutByte(uint16_t, uint8_t) {}
void LinuxPorts::OutWord(uint16_t, uint16_t) {}
void LinuxPorts::OutDword(uint16_t, uint32_t) {}
#endif

}  // namespace zanvo::linux_pc
