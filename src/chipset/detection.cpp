#include "chipset/detection.h"

#include "chipset/register_probes.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/pci_scan.h"
#include "engine/register_access.h"
#include "engine/vga_regs.h"

namespace zanvo::chipset {

using namespace zanvo::engine;

void DetectChipset() {
  PortIo& io = Port();
  const uint8_t saved_seq_index = io.InByte(kSeqIndex);
  Eng.ChipFamily = cfStandardVGA;
  Eng.ChipModel = 0;
  SelectCrtcPort();

  if (Eng.PciMechanism == kPciMechanismNone) PciProbeMechanism();
  Eng.PciCursor = PciTop();
  PciScanNext();
  // Adapters that identify themselves on PCI need no register probing.
  if (Eng.ChipFamily == cfStandardVGA) RunRegisterProbes();

  io.OutByte(kSeqIndex, saved_seq_index);
}

}  // namespace zanvo::chipset
