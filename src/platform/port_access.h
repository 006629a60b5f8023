#pragma once
// Opening and closing direct port access (InitializeWinIo / ShutdownWinIo).

namespace zanvo {

class PortAccess {
 public:
  virtual ~PortAccess() = default;
  // True when port I/O may be used from now on.
  virtual bool Initialize() = 0;
  // Releases it; tolerated also when Initialize failed or never ran.
  virtual void Shutdown() = 0;
};

}  // namespace zanvo
