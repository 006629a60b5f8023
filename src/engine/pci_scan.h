#pragma once
// The resumable PCI scan: which configuration mechanism the machine has, and a walk down the
// slots from PciCursor that stops at the first display adapter of a vendor known by its PCI
// IDs (Intel, SiS, ATI), recording it as ChipFamily/ChipModel (and ExtIoBase for ATI).
//
// Slots: with mechanism #1 slot s is bus s / 32, device s mod 32 (512 slots, buses 0-15); with
// mechanism #2 it is device s of bus 0 (16 slots). Function 0 only.

#include <cstdint>

namespace zanvo::engine {

// PciMechanism values.
inline constexpr uint8_t kPciMechanismNone = 0;
inline constexpr uint8_t kPciMechanism1 = 1;
inline constexpr uint8_t kPciMechanism2 = 2;

// Slot counts, the "top" a scan restarts from.
inline constexpr uint32_t kPciSlotsMechanism1 = 512;
inline constexpr uint32_t kPciSlotsMechanism2 = 16;

// 512 with mechanism #1, 16 otherwise.
uint32_t PciTop();

// Finds the configuration mechanism: #2 first (its two byte registers read back 0 after
// writing 0), then #1 (its dword address latch reads back 0x80000000). Sets PciMechanism, or
// leaves it 0 and puts the old value of port 0xCF8 back.
void PciProbeMechanism();

// Walks slots PciCursor - 1 down to 0 (never above the top) and stops at the first one
// PciMatchDevice accepts; PciCursor is left at the last slot that answered. Nothing happens
// while PciMechanism is 0. With mechanism #2 the configuration window is opened for the walk and
// closed after it, so that ports 0xC000-0xCFFF are plain I/O again (an ATI card's block I/O
// may live there).
void PciScanNext();

// Whether the slot holds a supported display adapter; if so records it in ChipFamily and
// ChipModel (and ExtIoBase for ATI). Reads the slot's configuration registers, so the
// mechanism #2 window must be open.
bool PciMatchDevice(uint32_t slot, uint16_t vendor_id, uint16_t device_id);

// Searches from the top for an adapter of the present ChipFamily and ChipModel (model 0: any
// model of the family), walking past adapters of other families or models. Sets ExtIoBase to 0
// when none is found. Leaves PciCursor as it found it.
void FindAdapter();

}  // namespace zanvo::engine
