#pragma once
// Adapter detection: a PCI scan from the top for a display adapter known by its PCI IDs, then,
// if that found none, the register probes. Leaves ChipFamily and ChipModel (1/0 when nothing was
// recognised), ExtIoBase for an ATI adapter, PciMechanism, and PciCursor at the slot of the
// adapter found (or the lowest slot that answered). The sequencer index is left as found.

namespace zanvo::chipset {

void DetectChipset();

}  // namespace zanvo::chipset
