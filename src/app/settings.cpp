#include "app/main_form.h"

// Not written yet: empty bodies so that the program links while the handlers are built.

namespace zanvo::app {

void TMain::ReadOptionSettings(RegistryKey& /*key*/) {}

void TMain::ReadChipsetSettings(RegistryKey& /*key*/) {}

void TMain::ReadStandardSetting(RegistryKey& /*key*/) {}

void TMain::ReadVisibleSetting(RegistryKey& /*key*/) {}

bool TMain::WriteSettings() {
  return false;
}

}  // namespace zanvo::app
