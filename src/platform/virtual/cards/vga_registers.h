#pragma once
// Names of the standard VGA ports, register indexes and the bits the virtual card acts on.

#include <cstdint>

namespace zanvo::virt {

// The four indexed register files of a VGA.
enum class RegFile : uint8_t { kSequencer, kGraphics, kCrtc, kAttribute };

// Ports. The CRTC and Input Status 1 sit at 0x3Dx with colour addressing (Miscellaneous
// Output bit 0 set) and at 0x3Bx with monochrome addressing.
inline constexpr uint16_t kPortAttrIndexData = 0x3C0;  // index and data write, flip-flop
inline constexpr uint16_t kPortAttrDataRead = 0x3C1;
inline constexpr uint16_t kPortMiscWrite = 0x3C2;  // read: Input Status 0
inline constexpr uint16_t kPortVideoEnable = 0x3C3;
inline constexpr uint16_t kPortSeqIndex = 0x3C4;
inline constexpr uint16_t kPortSeqData = 0x3C5;
inline constexpr uint16_t kPortDacMask = 0x3C6;
inline constexpr uint16_t kPortDacReadIndex = 0x3C7;  // read: DAC state
inline constexpr uint16_t kPortDacWriteIndex = 0x3C8;
inline constexpr uint16_t kPortDacData = 0x3C9;
inline constexpr uint16_t kPortFeatureRead = 0x3CA;
inline constexpr uint16_t kPortMiscRead = 0x3CC;
inline constexpr uint16_t kPortGcIndex = 0x3CE;
inline constexpr uint16_t kPortGcData = 0x3CF;
inline constexpr uint16_t kPortCrtcIndexColor = 0x3D4;
inline constexpr uint16_t kPortCrtcDataColor = 0x3D5;
inline constexpr uint16_t kPortStatus1Color = 0x3DA;  // write: Feature Control
inline constexpr uint16_t kPortCrtcIndexMono = 0x3B4;
inline constexpr uint16_t kPortCrtcDataMono = 0x3B5;
inline constexpr uint16_t kPortStatus1Mono = 0x3BA;

// Number of registers each file has on a standard VGA: SR00-SR04, GR00-GR08, CR00-CR18,
// AR00-AR14.
inline constexpr int kStandardSeqCount = 0x05;
inline constexpr int kStandardGcCount = 0x09;
inline constexpr int kStandardCrtcCount = 0x19;
inline constexpr int kStandardAttrCount = 0x15;

// Sequencer.
inline constexpr uint8_t SR00 = 0x00;  // Reset: bit 0 asynchronous, bit 1 synchronous (0 = reset)
inline constexpr uint8_t SR01 = 0x01;  // Clocking Mode
inline constexpr uint8_t SR02 = 0x02;  // Map Mask
inline constexpr uint8_t SR03 = 0x03;  // Character Map Select
inline constexpr uint8_t SR04 = 0x04;  // Memory Mode

// SR01: 7 6 5 4 3 2 1 0
//           | | | | | `- 8-dot characters (9-dot when clear)
//           | | | | `--- shift/load every second character
//           | | | `----- dot clock divided by two
//           | | `------- shift/load every fourth character
//           | `--------- screen off
inline constexpr uint8_t kSR01EightDot = 0x01;
inline constexpr uint8_t kSR01HalfDotClock = 0x08;
inline constexpr uint8_t kSR00Running = 0x03;

// Graphics controller.
inline constexpr uint8_t GR05 = 0x05;  // Graphics Mode
inline constexpr uint8_t GR06 = 0x06;  // Miscellaneous Graphics

// CRT controller.
inline constexpr uint8_t CR00 = 0x00;  // Horizontal Total (characters - 5)
inline constexpr uint8_t CR01 = 0x01;  // Horizontal Display End (characters - 1)
inline constexpr uint8_t CR02 = 0x02;  // Start Horizontal Blanking
inline constexpr uint8_t CR03 = 0x03;  // End Horizontal Blanking, bits 0-4
inline constexpr uint8_t CR04 = 0x04;  // Start Horizontal Retrace
inline constexpr uint8_t CR05 = 0x05;  // End Horizontal Retrace bits 0-4; bit 7 = blank end bit 5
inline constexpr uint8_t CR06 = 0x06;  // Vertical Total (lines - 2), bits 0-7
inline constexpr uint8_t CR07 = 0x07;  // Overflow
inline constexpr uint8_t CR08 = 0x08;  // Preset Row Scan
inline constexpr uint8_t CR09 = 0x09;  // Maximum Scan Line
inline constexpr uint8_t CR0A = 0x0A;  // Cursor Start
inline constexpr uint8_t CR0B = 0x0B;  // Cursor End
inline constexpr uint8_t CR10 = 0x10;  // Vertical Retrace Start
inline constexpr uint8_t CR11 = 0x11;  // Vertical Retrace End, bits 0-3; bit 7 protects CR00-CR07
inline constexpr uint8_t CR12 = 0x12;  // Vertical Display End
inline constexpr uint8_t CR13 = 0x13;  // Offset
inline constexpr uint8_t CR14 = 0x14;  // Underline Location
inline constexpr uint8_t CR15 = 0x15;  // Start Vertical Blanking
inline constexpr uint8_t CR16 = 0x16;  // End Vertical Blanking
inline constexpr uint8_t CR17 = 0x17;  // CRTC Mode Control
inline constexpr uint8_t CR18 = 0x18;  // Line Compare

// CR07: 7 6 5 4 3 2 1 0
//       | | | | | | | `- vertical total bit 8
//       | | | | | | `--- vertical display end bit 8
//       | | | | | `----- vertical retrace start bit 8
//       | | | | `------- vertical blank start bit 8
//       | | | `--------- line compare bit 8 (stays writable under CR11 protection)
//       | | `----------- vertical total bit 9
//       | `------------- vertical display end bit 9
//       `--------------- vertical retrace start bit 9
inline constexpr uint8_t kCR07LineCompare8 = 0x10;
// CR09: bit 7 scan doubling, bit 6 line compare bit 9, bit 5 vertical blank start bit 9,
// bits 0-4 maximum scan line.
inline constexpr uint8_t kCR09DoubleScan = 0x80;
inline constexpr uint8_t kCR09MaxScanMask = 0x1F;
inline constexpr uint8_t kCR11Protect = 0x80;
// CR17: bit 7 enables the sync outputs (clear = CRTC held, no sync), bit 2 counts vertical
// values in two-line steps.
inline constexpr uint8_t kCR17SyncEnable = 0x80;
inline constexpr uint8_t kCR17CountByTwo = 0x04;

// Attribute controller.
inline constexpr uint8_t AR10 = 0x10;  // Attribute Mode Control
inline constexpr uint8_t kAR10EightBitPixels = 0x40;  // 256-colour pixels over two dots

// Sierra-type HiColor DAC: the command register answers the access after four reads of the
// pixel mask; bit 7 takes two bytes per pixel, bit 6 reads them as 5-6-5 (svgalib sierra.c).
inline constexpr uint8_t kDacCommandReads = 4;
inline constexpr uint8_t kDacCommandHiColor = 0x80;
inline constexpr uint8_t kDacCommand565Bit = 0x40;
inline constexpr uint8_t kDacCommand555 = 0xA0;
inline constexpr uint8_t kDacCommand565 = 0xE0;
inline constexpr uint8_t AR14 = 0x14;  // Color Select
inline constexpr uint8_t kAttrIndexMask = 0x1F;
// Palette address source: set, the palette (AR00-AR0F) feeds the screen and is write-locked.
inline constexpr uint8_t kAttrPaletteSource = 0x20;

// Miscellaneous Output: 7 6 5 4 3 2 1 0
//                       | | |   `-+-| `- colour addressing (CRTC at 0x3D4)
//                       | | |     | `--- video RAM enabled
//                       | | |     `----- clock select
//                       | | `----------- odd/even page
//                       | `------------- horizontal sync negative
//                       `--------------- vertical sync negative
inline constexpr uint8_t kMiscColorAddressing = 0x01;
inline constexpr uint8_t kMiscHsyncNegative = 0x40;
inline constexpr uint8_t kMiscVsyncNegative = 0x80;
inline constexpr int kMiscClockShift = 2;

// Input Status 1: bit 3 vertical retrace, bit 0 display disabled (blanking or border).
inline constexpr uint8_t kStatus1DisplayDisabled = 0x01;
inline constexpr uint8_t kStatus1VerticalRetrace = 0x08;

// What a read of a register or port that nothing drives returns: the bus floats high.
inline constexpr uint8_t kFloatingBus = 0xFF;

}  // namespace zanvo::virt
