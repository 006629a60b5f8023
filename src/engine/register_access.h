#pragma once
// The engine's register primitives over Port(). Every other routine reaches the adapter through
// these: an index port with its data port at the next address, a register selected by writing its
// index, and read-modify-writes that never reselect the index between the read and the write.

#include <cstdint>

namespace zanvo::engine {

// CrtcPort := 0x3D4, or 0x3B4 when Miscellaneous Output bit 0 (colour addressing) is clear.
void SelectCrtcPort();
// Writes the index to CrtcPort and reads CrtcPort+1; the index stays selected.
uint8_t ReadCrtcReg(uint8_t index);
void WriteCrtcReg(uint8_t index, uint8_t value);
// One byte write to a data port, into whatever register its index port selected last.
void WriteSelectedReg(uint16_t data_port, uint8_t value);
// data := (data AND NOT mask) + (value AND mask), the index written once.
void ModifyIndexedReg(uint16_t index_port, uint8_t index, uint8_t mask, uint8_t value);
// True when the masked bits can be both cleared and set; the register is left as found.
bool TestIndexedBits(uint16_t index_port, uint8_t index, uint8_t mask);
bool TestPortBits(uint16_t port, uint8_t mask);

// ---- Helpers the engine routines are written in ----------------------------------------------

// Index write, then data read; the index stays selected for a following WriteSelectedReg.
uint8_t ReadIndexedReg(uint16_t index_port, uint8_t index);
// Rxx := value as one 16-bit write to the index port (index low byte, value high byte).
void WriteIndexedPair(uint16_t index_port, uint8_t index, uint8_t value);
// Rxx := value as two byte writes: the index to the index port, the value to the data port.
void WriteIndexedBytes(uint16_t index_port, uint8_t index, uint8_t value);
// Rxx := (Rxx AND and_mask) OR or_mask; returns the value written.
uint8_t UpdateIndexedReg(uint16_t index_port, uint8_t index, uint8_t and_mask, uint8_t or_mask);
// CRxx := (CRxx AND and_mask) OR or_mask through CrtcPort; returns the value written.
uint8_t UpdateCrtcReg(uint8_t index, uint8_t and_mask, uint8_t or_mask);
// The family-8 block I/O port of a register offset: high byte of ExtIoBase, offset as low byte.
uint16_t BlockIoPort(uint8_t offset);

}  // namespace zanvo::engine
