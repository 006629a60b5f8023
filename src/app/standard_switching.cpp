#include "app/main_form.h"

// Not written yet: empty bodies so that the program links while the handlers are built.

namespace zanvo::app {

void TMain::chkModeVGAClick() {}

void TMain::chkModePALClick() {}

void TMain::chkModeNTSCClick() {}

void TMain::chkModeSegaClick() {}

void TMain::SelectTVStandard(uint8_t /*standard*/, std::span<const engine::HorzRow> /*horz_table*/,
                             uint16_t /*lines_per_field*/,
                             const engine::VertTable& /*vert_table*/) {}

void TMain::chkModeTVClick() {}

void TMain::chkISPClick() {}

void TMain::chkNoInterlaceClick() {}

void TMain::chkOEVSyncSzClick() {}

void TMain::ResetChecks() {}

void TMain::ReconfigureDesktop() {}

void TMain::WMDisplayChange(uint32_t /*lparam*/) {}

}  // namespace zanvo::app
