#pragma once
// The window's settings as zanvo keeps them: the chipset and the options. A run switches to the
// standard its command line names and nothing else, so the standard the window would put back
// at its next start is neither read nor stored (it reads as the empty text, "no standard").

#include <memory>

#include "platform/registry.h"

namespace zanvo::console {

class ConsoleSettings final : public Registry {
 public:
  explicit ConsoleSettings(Registry& file) : file_(file) {}
  std::unique_ptr<RegistryKey> OpenOrCreate(std::string_view path) override;

 private:
  Registry& file_;
};

}  // namespace zanvo::console
