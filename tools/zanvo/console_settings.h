#pragma once
// The window's settings as zanvo keeps them: the chipset and the options. A run switches to the
// standard its command line names and nothing else, so the standard the window would put back
// at its next start is neither read nor stored (it reads as the empty text, "no standard").

#include <memory>

#include "platform/registry.h"

namespace zanvo::console {

// The chipset (family and model) is stored only when the run kept its switch: a chipset chosen
// by hand for a switch that was refused or answered No is not used by the next run.
class ConsoleSettings final : public Registry {
 public:
  explicit ConsoleSettings(Registry& file) : file_(file) {}
  std::unique_ptr<RegistryKey> OpenOrCreate(std::string_view path) override;
  // Set once the switch is kept; until then the chipset's values are not written.
  bool store_chipset = false;

 private:
  Registry& file_;
};

}  // namespace zanvo::console
