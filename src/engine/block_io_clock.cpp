#include "engine/block_io_clock.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/register_access.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

// Block offsets of the clock, FIFO and memory registers.
inline constexpr uint8_t kBlkPixelDepth = 0x1D;  // byte: bits 0-2 pixel depth code
inline constexpr uint8_t kBlkDspConfig = 0x20;   // word: low half of DSP_CONFIG
inline constexpr uint8_t kBlkDspConfigHigh = 0x22;
inline constexpr uint8_t kBlkDspOnOff = 0x24;   // dword: on in 16-26, off in 0-10
inline constexpr uint8_t kBlkClockCntl = 0x90;  // byte: bits 0-1 VCLK select
inline constexpr uint8_t kBlkPllAddr = 0x91;    // byte: bits 2-7 PLL index, bit 1 write
inline constexpr uint8_t kBlkPllData = 0x92;    // byte
inline constexpr uint8_t kBlkMemTiming = 0xB1;  // byte: trp 0-1, trcd 2-3, tcrd 4
inline constexpr uint8_t kBlkMemTras = 0xB2;    // byte: tras 0-2
inline constexpr uint8_t kBlkMemType = 0xE4;    // byte: bits 0-2 memory type

// PLL register numbers, addressed as (number << 2) | write enable.
inline constexpr uint8_t kPllWrite = 0x02;
inline constexpr uint8_t kPllVclkCntl = 5;     // bit 2 VCLK PLL reset, bits 0-2 control
inline constexpr uint8_t kPllVclkPostDiv = 6;  // bits 6-7 post divider code of VCLK3
inline constexpr uint8_t kPllVclk3FbDiv = 10;
inline constexpr uint8_t kPllExtCntl = 11;      // bit 7 extended post divider of VCLK3
inline constexpr uint8_t kPllExtVpllCntl = 25;  // bits 0-3 external VPLL enables

inline constexpr uint8_t kVclkSelect3 = 0x03;
inline constexpr uint8_t kFlagHalfDotClock = 0x08;
inline constexpr uint8_t kPllFactorDoubled = 2;  // the VCLK PLL runs at twice the reference
inline constexpr uint8_t kSeqRunning = 0x03;

// Bits per pixel by depth code, memory class by memory type code.
inline constexpr std::array<uint8_t, 8> kDepthBits = {0, 4, 8, 16, 16, 24, 32, 0};
inline constexpr std::array<uint8_t, 8> kMemoryClass = {0, 0, 1, 1, 2, 2, 3, 3};

// DSP_CONFIG: 22-20 precision  19-16 loop latency  13-0 memory clocks per qword, scaled.
inline constexpr uint32_t kDspLatencyShift = 16;
inline constexpr uint32_t kDspPrecisionShift = 20;
inline constexpr double kRoundUp = 0.99999;

uint8_t PllAddress(uint8_t reg) {
  return static_cast<uint8_t>((reg << 2) | kPllWrite);
}

// Selects a PLL register and reads it; the data port then writes the same register.
uint8_t ReadPll(uint8_t reg) {
  PortIo& io = Port();
  io.OutByte(BlockIoPort(kBlkPllAddr), PllAddress(reg));
  return io.InByte(BlockIoPort(kBlkPllData));
}

void WritePllData(uint8_t value) {
  Port().OutByte(BlockIoPort(kBlkPllData), value);
}

// Position of the highest set bit plus one; 1 for 0.
int BitLength(uint32_t v) {
  int length = 1;
  while ((v >> length) != 0 && length < 32)
    ++length;
  return length;
}

// Smallest k with 2^k >= e (0 for 0 and 1).
uint8_t PostDividerCode(uint32_t e) {
  uint8_t k = 0;
  while ((1u << k) < e && k < 31)
    ++k;
  return k;
}

// Truncation toward zero, then the low 32 bits, as the register takes it.
uint32_t TruncBits(double v) {
  return static_cast<uint32_t>(static_cast<int64_t>(v));
}

}  // namespace

void ProgramBlockIoClock(uint8_t flags) {
  uint8_t v = ReadPll(kPllVclkCntl);
  WritePllData(static_cast<uint8_t>((v & 0xF8) | 0x07));

  v = ReadPll(kPllVclkPostDiv);
  // A row that needs its own clock brings its dividers; otherwise the ROM's 28.322 MHz.
  const bool row_clock = Eng.RowFbDiv != 0;
  uint32_t post = row_clock ? Eng.RowPostDiv : Eng.VclkPostDiv;
  if ((flags & kFlagHalfDotClock) != 0) post *= 2;
  Eng.VclkPostDivEff = static_cast<uint8_t>(post);
  WritePllData(static_cast<uint8_t>((v & 0x3F) | (PostDividerCode(post) << 6)));

  v = ReadPll(kPllExtCntl);
  WritePllData(static_cast<uint8_t>(v & 0x7F));

  Eng.PllFactor = kPllFactorDoubled;

  Port().OutByte(BlockIoPort(kBlkPllAddr), PllAddress(kPllVclk3FbDiv));
  WritePllData(row_clock ? Eng.RowFbDiv : Eng.VclkFbDiv);

  v = ReadPll(kPllVclkCntl);  // release the VCLK PLL reset
  WritePllData(static_cast<uint8_t>(v & 0xFB));

  v = ReadPll(kPllExtVpllCntl);
  WritePllData(static_cast<uint8_t>(v & 0xF0));

  Port().OutByte(BlockIoPort(kBlkClockCntl), kVclkSelect3);
  ProgramDisplayFifo();

  // The sequencer was put in reset before the clock change; left there, the screen stays dark.
  WriteIndexedPair(kSeqIndex, SR00, kSeqRunning);
}

void ProgramDisplayFifo() {
  PortIo& io = Port();
  const uint8_t feedback = Eng.RowFbDiv != 0 ? Eng.RowFbDiv : Eng.VclkFbDiv;
  const uint32_t numerator = static_cast<uint32_t>(Eng.PllRefFreq) * Eng.PllFactor * feedback;
  const uint32_t denominator = static_cast<uint32_t>(Eng.PllRefDiv) * Eng.VclkPostDivEff;
  const double vclk =
      denominator != 0 ? std::trunc(static_cast<double>(numerator) / denominator) : 0.0;

  const uint8_t bpp = kDepthBits[io.InByte(BlockIoPort(kBlkPixelDepth)) & 7];
  const bool wide = kMemoryClass[io.InByte(BlockIoPort(kBlkMemType)) & 7] > 1;
  if (bpp == 0 || vclk <= 0) return;  // no finite transfer rate: keep the driver's FIFO

  // Memory clocks per 64-bit transfer.
  const double x = static_cast<double>(Eng.MemClock) * 64.0 / (bpp * vclk);
  const int a = BitLength(TruncBits(x));
  const int b = BitLength(TruncBits(x * 32.0));
  const int p = std::clamp(std::max(a - 3, b - 5), 0, 7);
  const double q = std::min(std::trunc(std::ldexp(1.0, p + 5) / x), 32.0);
  const double off = (q - 1.0) * x - kRoundUp;

  const uint32_t latency = wide ? 8 : 6;
  const uint32_t r_term = wide ? 1 : 2;
  const uint8_t m = io.InByte(BlockIoPort(kBlkMemTiming));
  const uint32_t t1 = m & 3u;
  const uint32_t t2 = (m >> 2) & 3u;
  const uint32_t t3 = (m >> 4) & 1u;
  const uint32_t t4 = io.InByte(BlockIoPort(kBlkMemTras)) & 7u;
  const uint32_t r = std::max(t1 + 1 + t4 + 1, t1 + 1 + t2 + 1 + t3 + r_term);
  const double on = 3.0 * r + kRoundUp + x + 2.0;

  const uint32_t config = TruncBits(x * std::ldexp(1.0, 11 - p)) |
                          (((latency + 2) & 0x0F) << kDspLatencyShift) |
                          ((static_cast<uint32_t>(p) & 7) << kDspPrecisionShift);
  const uint16_t low = io.InWord(BlockIoPort(kBlkDspConfig));
  io.OutWord(BlockIoPort(kBlkDspConfig), static_cast<uint16_t>((low & 0x8000) | (config & 0xFFFF)));
  io.OutWord(BlockIoPort(kBlkDspConfigHigh), static_cast<uint16_t>(config >> 16));

  const double scale = std::ldexp(1.0, 6 - p);
  io.OutDword(BlockIoPort(kBlkDspOnOff), (TruncBits(on * scale) << 16) | TruncBits(off * scale));
}

}  // namespace zanvo::engine
