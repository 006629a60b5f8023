#pragma once
// Chipset family codes, video standard codes and the model codes the engine branches on.

#include <cstdint>

namespace zanvo::engine {

// Family codes (ChipFamily).
inline constexpr uint8_t cfStandardVGA = 1;
inline constexpr uint8_t cfRealtek = 2;
inline constexpr uint8_t cfS3 = 3;
inline constexpr uint8_t cfCirrus = 4;
inline constexpr uint8_t cfTseng = 5;
// Has engine branches but no brand in the catalogue; only stored settings can select it.
inline constexpr uint8_t cfCode7 = 7;
inline constexpr uint8_t cfATI = 8;
inline constexpr uint8_t cfIntel = 9;
inline constexpr uint8_t cfUMC = 12;
inline constexpr uint8_t cfWD = 13;
inline constexpr uint8_t cfSiS = 14;
inline constexpr uint8_t cfOak = 20;
inline constexpr uint8_t cfTrident = 60;

// Video standards (one byte each).
inline constexpr uint8_t vsVGA = 98;
inline constexpr uint8_t vsPAL = 99;
inline constexpr uint8_t vsNTSC = 100;
inline constexpr uint8_t vs24kHz = 101;

// Model codes (ChipModel) that engine branches compare against.
// Oak: the value of the chip ID field; "Generic" and OTI037 share code 0, which gets no chip
// interlace and the halved-clock code.
inline constexpr uint16_t kModelOakGeneric = 0x0000;
inline constexpr uint16_t kModelOakOti037 = 0x0000;
inline constexpr uint16_t kModelOakOti077 = 0x0005;
inline constexpr uint16_t kModelOakOti083 = 0x0053;
inline constexpr uint16_t kModelRealtekRtg3103 = 0x0006;
inline constexpr uint16_t kModelS3Trio32 = 0x0010;
inline constexpr uint16_t kModelS3Trio64 = 0x0011;
inline constexpr uint16_t kModelS3Trio3D = 0x0013;
inline constexpr uint16_t kModelS3Virge = 0x0031;
inline constexpr uint16_t kModelS3VisionFirst = 0x00C0;  // Vision864 .. 964 identification range
inline constexpr uint16_t kModelS3VisionLast = 0x00D1;
inline constexpr uint16_t kModelTridentOld = 0x0001;  // 8800BR: old register set only
inline constexpr uint16_t kModelTrident9000i = 0x0043;
inline constexpr uint16_t kModelTridentBlade3D = 0x00F3;
// Tseng models are the decimal part numbers. The clock steps compare with 0x0FA0, which is the
// same code as 4000: the ET4000.
inline constexpr uint16_t kModelTseng3000 = 3000;
inline constexpr uint16_t kModelTseng4000 = 4000;
inline constexpr uint16_t kModelWD90C00 = 0x0000;
inline constexpr uint16_t kModelWD90C30 = 0x3330;  // CR36/CR37 read "30"
inline constexpr uint16_t kModelSiS300 = 0x0300;
// Detection gives SiS chips their PCI device id; the 6326 keeps its offset bits 8-11 in SR0A.
inline constexpr uint16_t kModelSiS6326 = 0x6326;

}  // namespace zanvo::engine
