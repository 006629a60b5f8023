#pragma once
// VGA ports and the register indexes the engine touches, named as in the chip datasheets.
// SRxx: sequencer (0x3C4/0x3C5), GRxx: graphics controller (0x3CE/0x3CF), CRxx: CRT controller
// (CrtcPort/CrtcPort+1), ARxx: attribute controller (0x3C0/0x3C1).

#include <cstdint>

namespace zanvo::engine {

// ---- Fixed ports -------------------------------------------------------------------------------
inline constexpr uint16_t kMiscOutputRead = 0x3CC;
inline constexpr uint16_t kMiscOutputWrite = 0x3C2;
inline constexpr uint16_t kSeqIndex = 0x3C4;
inline constexpr uint16_t kSeqData = 0x3C5;
inline constexpr uint16_t kGcIndex = 0x3CE;
inline constexpr uint16_t kGcData = 0x3CF;
inline constexpr uint16_t kAttrIndexWrite = 0x3C0;  // index and data writes share it (flip-flop)
inline constexpr uint16_t kAttrDataRead = 0x3C1;
inline constexpr uint16_t kCrtcIndexColor = 0x3D4;
inline constexpr uint16_t kCrtcIndexMono = 0x3B4;
inline constexpr uint16_t kInputStatus1Color = 0x3DA;
inline constexpr uint16_t kInputStatus1Mono = 0x3BA;

// Offsets from CrtcPort.
inline constexpr uint16_t kCrtcDataOffset = 1;
inline constexpr uint16_t kModeControlOffset = 4;  // 0x3D8/0x3B8, Tseng KEY second half
inline constexpr uint16_t kInputStatus1Offset = 6;

// Chip-specific ports.
inline constexpr uint16_t kHerculesCompat = 0x3BF;  // Tseng KEY first half, UMC lock/unlock key
inline constexpr uint16_t kOakExtIndex = 0x3DE;
inline constexpr uint16_t kOakExtData = 0x3DF;
inline constexpr uint16_t kIntelXrIndex = 0x3D6;  // i740 configuration registers XR00-XRFF
inline constexpr uint16_t kTridentVclkLow = 0x43C8;
inline constexpr uint16_t kTridentVclkHigh = 0x43C9;

// PC interval timer channel 2 and system control port B.
inline constexpr uint16_t kPitChannel2 = 0x42;
inline constexpr uint16_t kPitCommand = 0x43;
inline constexpr uint16_t kSystemControlB = 0x61;

// Miscellaneous Output:  7 VSYNC polarity  6 HSYNC polarity  5 page  3-2 clock select
//                        1 RAM enable  0 I/O address select (1 = 0x3Dx colour, 0 = 0x3Bx mono)
inline constexpr uint8_t kMiscColorAddressing = 0x01;
inline constexpr uint8_t kMiscSyncPolarityBits = 0xC0;
inline constexpr uint8_t kMiscClockSelect = 0x0C;

// Input Status 1 bit 3: vertical retrace in progress. Bit 0: display disabled, set during the
// horizontal and the vertical blanking, so outside the vertical blanking it rises once a line.
inline constexpr uint8_t kStatusVRetrace = 0x08;
inline constexpr uint8_t kStatusDisplayDisabled = 0x01;

// ---- Sequencer -------------------------------------------------------------------------------
inline constexpr uint8_t SR00 = 0x00;  // reset: 0x00 holds the sequencer, 0x03 runs it
inline constexpr uint8_t SR01 = 0x01;  // clocking mode: 3 dot clock /2, 0 8-dot characters
inline constexpr uint8_t SR05 = 0x05;  // SiS unlock key
inline constexpr uint8_t SR06 = 0x06;  // Cirrus unlock key; SiS bit 5 interlace
inline constexpr uint8_t SR07 = 0x07;  // Cirrus pixel mode, Tseng/UMC clocking extensions
inline constexpr uint8_t SR08 = 0x08;  // S3 unlock key
inline constexpr uint8_t SR09 = 0x09;
inline constexpr uint8_t SR0A = 0x0A;  // SiS 300 vertical overflow; 6326 bits 4-7 offset bits 8-11
inline constexpr uint8_t SR0B = 0x0B;  // Trident: write selects old mode, read gives the chip ID
inline constexpr uint8_t SR0C = 0x0C;  // SiS 300 horizontal overflow
inline constexpr uint8_t SR0D = 0x0D;  // Trident mode control 2
inline constexpr uint8_t SR0E = 0x0E;  // Trident mode control 1; Cirrus VCLK3 numerator
inline constexpr uint8_t SR11 = 0x11;  // Trident 3D protection key
inline constexpr uint8_t SR15 = 0x15;  // S3 clock control
inline constexpr uint8_t SR1E = 0x1E;  // Cirrus VCLK3 denominator
inline constexpr uint8_t SR2A = 0x2A;  // SiS clock generator registers
inline constexpr uint8_t SR2B = 0x2B;
inline constexpr uint8_t SR2C = 0x2C;
inline constexpr uint8_t SR2D = 0x2D;
// Cirrus VCLK0-3 numerators start at SR0B, denominators at SR1B.
inline constexpr uint8_t kCirrusVclkNumBase = 0x0B;
inline constexpr uint8_t kCirrusVclkDenBase = 0x1B;

// ---- Graphics controller ---------------------------------------------------------------------
inline constexpr uint8_t GR0B = 0x0B;  // Realtek clock divider
inline constexpr uint8_t GR0C = 0x0C;  // WD PR4 (bit 1 clock select 2)
inline constexpr uint8_t GR0F = 0x0F;  // WD PR5 unlock; Trident bit 3 dot clock /2

// ---- Attribute controller --------------------------------------------------------------------
inline constexpr uint8_t AR10 = 0x10;            // mode control; bit 2 line graphics enable
inline constexpr uint8_t kAttrPaletteOn = 0x20;  // index bit 5: keep the screen on
inline constexpr uint8_t kAR10LineGraphics = 0x04;

// ---- CRT controller --------------------------------------------------------------------------
inline constexpr uint8_t CR00 = 0x00;  // horizontal total
inline constexpr uint8_t CR01 = 0x01;  // horizontal display end
inline constexpr uint8_t CR02 = 0x02;  // horizontal blank start
inline constexpr uint8_t CR03 = 0x03;  // horizontal blank end bits 0-4
inline constexpr uint8_t CR04 = 0x04;  // horizontal sync start
inline constexpr uint8_t CR05 = 0x05;  // 7 blank end bit 5, 4-0 sync end
inline constexpr uint8_t CR06 = 0x06;  // vertical total
inline constexpr uint8_t CR07 = 0x07;  // overflow
inline constexpr uint8_t CR09 = 0x09;  // 7 double scan, 5 vblank start bit 9, 4-0 max scan line
inline constexpr uint8_t CR10 = 0x10;  // vertical sync start
inline constexpr uint8_t CR11 = 0x11;  // 7 protect CR00-07, 6 bandwidth, 3-0 vsync end
inline constexpr uint8_t CR12 = 0x12;  // vertical display end
inline constexpr uint8_t CR13 = 0x13;  // offset (line stride)
inline constexpr uint8_t CR15 = 0x15;  // vertical blank start
inline constexpr uint8_t CR16 = 0x16;  // vertical blank end
inline constexpr uint8_t CR17 = 0x17;  // mode control; bit 2 vertical count by two
inline constexpr uint8_t CR19 = 0x19;  // Cirrus interlace end; Realtek bit 0 interlace
inline constexpr uint8_t CR1A = 0x1A;  // Cirrus bit 0 interlace; Realtek clock bit 4
inline constexpr uint8_t CR1B = 0x1B;  // Cirrus bit 4 offset bit 8
inline constexpr uint8_t CR1E = 0x1E;  // Trident bit 2 interlace
inline constexpr uint8_t CR1F = 0x1F;  // family 7 unlock key
inline constexpr uint8_t CR25 = 0x25;  // ET3000 bit 7 interlace
inline constexpr uint8_t CR29 = 0x29;  // WD PR10 unlock; Trident bits 4-5 offset bits 8-9
inline constexpr uint8_t CR2C = 0x2C;  // WD interlace half line
inline constexpr uint8_t CR2D = 0x2D;  // WD bit 5 interlace, 4-0 interlace sync end
inline constexpr uint8_t CR2E = 0x2E;  // WD miscellaneous control
inline constexpr uint8_t CR2F = 0x2F;  // UMC bit 0 interlace
inline constexpr uint8_t CR30 = 0x30;  // i740 bits 0-3 vertical total bits 8-11
inline constexpr uint8_t CR31 = 0x31;  // ET4000 clock select extension; i740 display end 8-11
inline constexpr uint8_t CR32 = 0x32;  // i740 bits 0-3 vertical sync start bits 8-11
inline constexpr uint8_t CR33 = 0x33;  // family 7 bit 7 interlace; i740 blank start 8-11
inline constexpr uint8_t CR34 = 0x34;  // ET4000 6845 compatibility (clock bit 2)
inline constexpr uint8_t CR35 = 0x35;  // ET4000 bit 7 interlace
inline constexpr uint8_t CR38 = 0x38;  // S3 register lock 1; Trident pixel depth
inline constexpr uint8_t CR39 = 0x39;  // S3 register lock 2; i740 bit 0 horizontal blank end bit 6
inline constexpr uint8_t CR3A = 0x3A;  // S3 miscellaneous 1
inline constexpr uint8_t CR3B = 0x3B;  // S3 data transfer execute position
inline constexpr uint8_t CR3C = 0x3C;  // S3 interlace retrace start
inline constexpr uint8_t CR3F = 0x3F;  // ET4000 bit 7 offset bit 8
inline constexpr uint8_t CR41 = 0x41;  // Intel offset high bits
inline constexpr uint8_t CR42 = 0x42;  // S3 bit 5 interlace
inline constexpr uint8_t CR43 = 0x43;  // S3 bit 2 offset bit 8 (old chips)
inline constexpr uint8_t CR51 = 0x51;  // S3 bits 4-5 offset bits 8-9
inline constexpr uint8_t CR5D = 0x5D;  // S3 extended horizontal overflow
inline constexpr uint8_t CR5E = 0x5E;  // S3 extended vertical overflow
inline constexpr uint8_t CR67 = 0x67;  // S3 bits 7-4 pixel format, 3-2 streams
inline constexpr uint8_t CR70 = 0x70;  // Intel bit 7 interlace, 6-0 half line
inline constexpr uint8_t CR80 = 0x80;  // Intel bits 0-1 extended register access

// CR11 bit 7: CR00-CR07 write protection.
inline constexpr uint8_t kCR11Protect = 0x80;

// ---- Oak extended registers (0x3DE/0x3DF) ----------------------------------------------------
inline constexpr uint8_t OAK0D = 0x0D;  // bit 5 clock select bit 2
inline constexpr uint8_t OAK14 = 0x14;  // bit 7 interlace
inline constexpr uint8_t OAK15 = 0x15;  // interlace half line

// ---- Intel i740 configuration registers (0x3D6/0x3D7) ----------------------------------------
// XR09 bit 0: extended CRTC; while set, CR30-CR33 hold the vertical bits 8-11 instead of CR07.
inline constexpr uint8_t XR09 = 0x09;
inline constexpr uint8_t kXR09ExtendedCrtc = 0x01;

// ---- Block I/O registers of family 8, as offsets from the block base -------------------------
inline constexpr uint8_t kBlkHTotalDisp = 0x00;    // dword: total 0-8, display end 16-23
inline constexpr uint8_t kBlkHDispWord = 0x02;     // word: display end in the low byte
inline constexpr uint8_t kBlkHSyncStrtWid = 0x04;  // dword: start 0-7, width 16-20, polarity 21
inline constexpr uint8_t kBlkVTotalDisp = 0x08;    // dword: total 0-10, display end 16-26
inline constexpr uint8_t kBlkVDispWord = 0x0A;     // word: vertical display end
inline constexpr uint8_t kBlkVSyncStrtWid = 0x0C;  // dword: start 0-10, width 16-20, polarity 21
inline constexpr uint8_t kBlkPitchWord = 0x16;     // word: pitch in bits 6-15
inline constexpr uint8_t kBlkGenCntl = 0x1C;       // byte: bit 0 double scan, bit 1 interlace
inline constexpr uint8_t kBlkGenDoubleScan = 0x01;

}  // namespace zanvo::engine
