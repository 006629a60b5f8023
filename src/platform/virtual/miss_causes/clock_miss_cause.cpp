#include "platform/virtual/miss_causes/clock_miss_cause.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/virtual/cards/ati_mach64_card.h"
#include "platform/virtual/cards/cirrus_card.h"
#include "platform/virtual/cards/intel_i740_card.h"
#include "platform/virtual/cards/oak_card.h"
#include "platform/virtual/cards/realtek_card.h"
#include "platform/virtual/cards/s3_card.h"
#include "platform/virtual/cards/sis_card.h"
#include "platform/virtual/cards/trident_card.h"
#include "platform/virtual/cards/tseng_card.h"
#include "platform/virtual/cards/umc_card.h"
#include "platform/virtual/cards/wd_card.h"

namespace zanvo::virt {

namespace {

constexpr uint16_t kModelEt4000 = 4000;
constexpr uint16_t kModelTrident8800BR = 0x01;
constexpr uint16_t kModelTrident9000i = 0x43;
constexpr uint16_t kModelTridentF3 = 0xF3;
constexpr uint16_t kModelSis6326 = 0x6326;

// The registers read here, by their datasheet names (each family's card file says more).
constexpr uint8_t SR07 = 0x07;  // Tseng TS auxiliary mode
constexpr uint8_t SR09 = 0x09;  // UMC
constexpr uint8_t SR0A = 0x0A;  // SiS 300 vertical overflow
constexpr uint8_t SR0C = 0x0C;  // Cirrus VCLK1 numerator
constexpr uint8_t SR0D = 0x0D;  // Trident new mode control 2
constexpr uint8_t SR15 = 0x15;  // S3 CLKSYN control 2
constexpr uint8_t SR1C = 0x1C;  // Cirrus VCLK1 denominator
constexpr uint8_t SR2A = 0x2A;  // SiS 6326 clock generator numerator
constexpr uint8_t CR07 = 0x07;  // overflow
constexpr uint8_t CR09 = 0x09;  // maximum scan line
constexpr uint8_t CR24 = 0x24;  // ET3000 compatibility control
constexpr uint8_t CR31 = 0x31;  // ET4000 general purpose
constexpr uint8_t CR34 = 0x34;  // ET4000 6845 compatibility control
constexpr uint8_t CR38 = 0x38;  // Trident pixel depth (0xF3 chip)
constexpr uint8_t CR30 = 0x30;  // i740 vertical total bits 8-11, first of four
constexpr uint8_t GR0B = 0x0B;  // Realtek clock divider
constexpr uint8_t GR0C = 0x0C;  // Realtek clock select bit 2
constexpr uint8_t GR0F = 0x0F;  // Trident miscellaneous extended functions

// A register fact and the factor by which undoing it would multiply the line rate.
struct Candidate {
  double factor;
  std::string text;
};

// Register facts that hold whatever the line rate (vertical extension bits).
struct Findings {
  std::vector<Candidate> clock;
  std::vector<std::string> always;
};

std::string Mhz(double hz) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f MHz", hz / 1e6);
  return text;
}

std::string Num(int value) {
  return std::to_string(value);
}

uint8_t Sr(const VgaCard& card, uint8_t index) {
  return card.Stored(RegFile::kSequencer, index);
}
uint8_t Cr(const VgaCard& card, uint8_t index) {
  return card.Stored(RegFile::kCrtc, index);
}
uint8_t Gr(const VgaCard& card, uint8_t index) {
  return card.Stored(RegFile::kGraphics, index);
}

// A clock select bit above the Miscellaneous Output's two: naming it says which clock runs
// instead of the one the two bits alone pick.
void ClockSelectBit(Findings& f, const std::string& bit, int selected, int without,
                    double (*clock_hz)(int)) {
  const double now = clock_hz(selected);
  const double then = clock_hz(without);
  if (now <= 0 || then <= 0 || selected == without) return;
  f.clock.push_back({then / now, bit + ": clock select " + Num(selected) + " (" + Mhz(now) +
                                     ") instead of " + Num(without)});
}

void Tseng(const VgaCard& card, const Signal& s, Findings& f) {
  const bool et4000 = card.model() == kModelEt4000;
  const int select = s.crtc.clock_select;
  if (et4000) {
    if ((Cr(card, CR34) & 0x02) != 0)
      ClockSelectBit(f, "CR34 bit 1", select, select & ~4, TsengCard::BoardClockHz);
    if ((Cr(card, CR31) & 0x40) != 0)
      ClockSelectBit(f, "CR31 bit 6", select, select & ~8, TsengCard::BoardClockHz);
  } else if ((Cr(card, CR24) & 0x02) != 0) {
    ClockSelectBit(f, "CR24 bit 1", select, select & ~4, TsengCard::BoardClockHz);
  }
  const uint8_t aux = Sr(card, SR07) & 0x41;
  if (aux == 0x40) f.clock.push_back({2.0, "SR07 bit 6: clock halved"});
  if (et4000 && aux == 0x41) f.clock.push_back({4.0, "SR07 bits 6 and 0: clock quartered"});
  if (et4000 && aux == 0x01) f.clock.push_back({0.5, "SR07 bit 0 alone: clock not divided"});
}

void S3(const VgaCard& card, const Signal& s, Findings& f) {
  // The Vision864 has no DCLK/2 divider.
  if (card.model() == kS3Vision864.model || (Sr(card, SR15) & 0x10) == 0) return;
  const int select = s.crtc.clock_select;
  f.clock.push_back({2.0, select == 3 ? std::string("SR15 bit 4: DCLK halved")
                                      : "SR15 bit 4 with clock select " + Num(select) + ": " +
                                            Mhz(s.crtc.clock_hz) + " halved as DCLK/2"});
}

void Cirrus(const VgaCard& card, const Signal& s, Findings& f) {
  // SR07 bits 3-1, the pixel mode: 16-bit at twice the clock, 24- and 32-bit pixels take two,
  // three or four VCLKs, so a VCLK chosen for one dot a pixel runs the line that much slower.
  constexpr int kVclksPerPixel[8] = {1, 2, 3, 1, 4, 1, 1, 1};
  const int mode = (Sr(card, SR07) >> 1) & 0x07;
  if (kVclksPerPixel[mode] > 1) {
    f.clock.push_back({static_cast<double>(kVclksPerPixel[mode]),
                       "SR07 pixel mode " + Num(mode) + ": VCLK " + Mhz(s.crtc.clock_hz) +
                           " over " + Num(kVclksPerPixel[mode]) + " clocks a pixel"});
  }
  if (s.crtc.clock_select != 3) return;
  const double vclk1 = CirrusVclkHz({Sr(card, SR0C), Sr(card, SR1C)});
  const double vclk3 = s.crtc.clock_hz;
  if (vclk1 <= 0 || vclk3 <= 0 || std::fabs(vclk3 / (vclk1 / 2) - 1) > 0.03) return;
  const double gap_percent = (1 - vclk3 / (vclk1 / 2)) * 100;
  char gap[24];
  std::snprintf(gap, sizeof gap, "%.1f%% %s", std::fabs(gap_percent),
                gap_percent >= 0 ? "below" : "above");
  f.clock.push_back({vclk1 / vclk3, "SR0E/SR1E: VCLK3 " + Mhz(vclk3) + ", half of VCLK1"});
  f.clock.push_back(
      {vclk1 / 2 / vclk3, "SR0E/SR1E: VCLK3 " + Mhz(vclk3) + ", " + gap + " half of VCLK1"});
}

void Trident(const VgaCard& card, const Signal& s, Findings& f) {
  if (card.model() == kModelTrident8800BR) {
    // Old-mode SR0D bits 0-2 are the emulation mode; the 8800BR has no clock divider at all.
    if (s.crtc.clock_divisor == 1)
      f.clock.push_back({0.5,
                         "8800BR: no SR0D divider (old SR0D bits 0-2 are the emulation "
                         "mode): clock not divided"});
    return;
  }
  const uint8_t mode2 = Sr(card, SR0D);
  constexpr double kUndo[4] = {1.0, 2.0, 4.0, 1.5};
  constexpr const char* kWhat[4] = {"", "halved", "quartered", "divided by 1.5"};
  const int divider = (mode2 >> 1) & 0x03;
  if (divider != 0) {
    f.clock.push_back(
        {kUndo[divider], "SR0D bits 1-2 = " + Num(divider) + ": clock " + kWhat[divider]});
  }
  if (card.model() == kModelTrident9000i && (mode2 & 0x01) != 0) {
    const int select = s.crtc.clock_select;
    ClockSelectBit(f, "SR0D bit 0", select, select & ~4, TridentCard::FixedClockHz);
  }
  if (card.model() != kModelTridentF3) return;
  if ((Gr(card, GR0F) & 0x08) != 0)
    f.clock.push_back({2.0, "GR0F bit 3: 16-dot character clock, line rate halved"});
  // The 0xF3 chip takes a pixel a dot at every depth: a VCLK loaded for more dots a pixel runs
  // the row's line that much fast against the 8-bit clock the row was timed for.
  const uint8_t cr38 = Cr(card, CR38);
  const double vclk = TridentCard::VclkHz(static_cast<const TridentCard&>(card).vclk_word());
  const double row_clock = TridentCard::FixedClockHz(1);
  if ((cr38 & 0x0C) == 0) return;
  char code[8];
  std::snprintf(code, sizeof code, "0x%02X", cr38);
  const std::string depth = std::string("0xF3 chip CR38 = ") + code;
  const int select = s.crtc.clock_select;
  if (select >= 2 && vclk > row_clock * 1.1) {
    f.clock.push_back({row_clock / vclk, depth + ": a pixel a dot, VCLK " + Mhz(vclk) + " for " +
                                             Mhz(row_clock) + " rows"});
  } else if (select == 0) {
    // A depth whose VCLK the Miscellaneous Output does not select runs on the first crystal.
    f.clock.push_back(
        {row_clock / TridentCard::FixedClockHz(0),
         depth + ": clock select 0 (" + Mhz(TridentCard::FixedClockHz(0)) + "), not the VCLK"});
  }
}

void Sis(const VgaCard& card, const Signal& s, Findings& f) {
  if (card.model() == kModelSis6326) {
    if ((Sr(card, SR2A) & 0x80) != 0 && s.crtc.clock_select != 3) {
      f.clock.push_back({0.5, "SR2A bit 7 with clock select " + Num(s.crtc.clock_select) +
                                  ": the VCO divider acts on clock 3 only, clock not divided"});
    }
    return;
  }
  // SiS 300: the vertical sync end's fifth bit is SR0A bit 5; bit 6 is not part of it.
  const uint8_t sr0a = Sr(card, SR0A);
  if ((sr0a & 0x40) != 0 && (sr0a & 0x20) == 0)
    f.always.push_back("SR0A bit 6 set, bit 5 clear: vertical sync end bit 4 missing");
}

void Realtek(const VgaCard& card, const Signal& s, Findings& f) {
  const int select = s.crtc.clock_select;
  if ((Gr(card, GR0C) & 0x20) != 0)
    ClockSelectBit(f, "GR0C bit 5", select, select & ~4, RealtekCard::RealtekClockHz);
  constexpr double kDivide[4] = {1.0, 1.5, 2.0, 4.0};
  constexpr const char* kBy[4] = {"1", "1.5", "2", "4"};
  const int code = Gr(card, GR0B) & 0x03;
  if (code == 0) return;
  const std::string what = "GR0B bits 0-1 = " + Num(code);
  if (select >= 2) {
    f.clock.push_back({kDivide[code], what + ": clock divided by " + kBy[code]});
  } else {
    f.clock.push_back({1 / kDivide[code], what + " with clock select " + Num(select) +
                                              ": the divider acts on clocks 2-7 only"});
  }
}

void Oak(const VgaCard& card, const Signal& s, Findings& f) {
  if (const auto* oak = dynamic_cast<const OakCard*>(&card); oak && (oak->ExtStored(0x0D) & 0x20))
    ClockSelectBit(f, "0x0D bit 5", s.crtc.clock_select, s.crtc.clock_select & ~4,
                   OakCard::OakClockHz);
}

// GR0C bit 1 is clock select bit 2, read inverted from the 90C30 on: the selected clock says
// whether it is in force.
void Wd(const Signal& s, Findings& f) {
  const int select = s.crtc.clock_select;
  if ((select & 4) != 0) ClockSelectBit(f, "GR0C bit 1", select, select & ~4, WdCard::WdClockHz);
}

void Umc(const VgaCard& card, Findings& f) {
  if ((Sr(card, SR09) & 0x80) != 0) f.clock.push_back({2.0, "SR09 bit 7: clock halved"});
}

// With XR09 bit 0 set the i740 takes vertical bits 8-11 from CR30-CR33; compare them with the
// bits 8-9 the standard overflow registers hold.
void Intel(const VgaCard& card, Findings& f) {
  const auto* i740 = dynamic_cast<const IntelI740Card*>(&card);
  if (i740 == nullptr || !i740->extended_crtc()) return;
  const uint8_t cr07 = Cr(card, CR07);
  const uint8_t cr09 = Cr(card, CR09);
  const auto bits = [](uint8_t value, int bit8, int bit9) {
    return ((value >> bit8) & 1) | ((value >> bit9) & 1) << 1;
  };
  const int standard[4] = {bits(cr07, 0, 5), bits(cr07, 1, 6), bits(cr07, 2, 7),
                           ((cr07 >> 3) & 1) | ((cr09 >> 5) & 1) << 1};
  std::string stale;
  for (int i = 0; i < 4; ++i) {
    const uint8_t index = static_cast<uint8_t>(CR30 + i);
    if ((Cr(card, index) & 0x0F) == standard[i]) continue;
    char name[8];
    std::snprintf(name, sizeof name, "CR%02X", index);
    stale += (stale.empty() ? "" : ", ") + std::string(name);
  }
  if (!stale.empty())
    f.always.push_back("CR30-CR33 not written: vertical bits 8-11 stale (" + stale +
                       " disagree with CR07)");
}

// The block-I/O card's CRTC takes its pixel clock from the PLL the clock step programs; that
// step has one clock for every row. The clock the row's line length would need says how far
// off it is.
void Ati(const Signal& s, double target_line_hz, Findings& f) {
  if (s.line_rate_hz <= 0 || target_line_hz <= 0) return;
  if (std::fabs(s.line_rate_hz / target_line_hz - 1) <= 0.01) return;
  const double needed = s.pixel_clock_hz * target_line_hz / s.line_rate_hz;
  f.always.push_back("PLL VCLK at " + Mhz(s.pixel_clock_hz) +
                     " (one clock for every row): this line length needs " + Mhz(needed));
}

// The subset of clock facts whose undoing brings the line rate closest to the target; empty
// when none brings it closer.
std::vector<std::string> BestClockCauses(const std::vector<Candidate>& candidates, double line_hz,
                                         double target_hz) {
  std::vector<std::string> best;
  if (line_hz <= 0 || target_hz <= 0 || candidates.size() > 8) return best;
  double best_error = std::fabs(line_hz / target_hz - 1);
  for (unsigned mask = 1; mask < (1u << candidates.size()); ++mask) {
    double factor = 1;
    for (size_t i = 0; i < candidates.size(); ++i)
      if ((mask >> i) & 1) factor *= candidates[i].factor;
    const double error = std::fabs(line_hz * factor / target_hz - 1);
    if (error >= best_error - 1e-9) continue;  // a larger set must do strictly better
    best_error = error;
    best.clear();
    for (size_t i = 0; i < candidates.size(); ++i)
      if ((mask >> i) & 1) best.push_back(candidates[i].text);
  }
  return best;
}

}  // namespace

std::string ClockMissCause(const VgaCard& card, const Signal& signal, double target_line_hz) {
  Findings f;
  switch (card.family()) {
    case kFamilyTseng:
      Tseng(card, signal, f);
      break;
    case kFamilyS3:
      S3(card, signal, f);
      break;
    case kFamilyCirrus:
      Cirrus(card, signal, f);
      break;
    case kFamilyTrident:
      Trident(card, signal, f);
      break;
    case kFamilySis:
      Sis(card, signal, f);
      break;
    case kFamilyRealtek:
      Realtek(card, signal, f);
      break;
    case kFamilyOak:
      Oak(card, signal, f);
      break;
    case kFamilyWd:
      Wd(signal, f);
      break;
    case kFamilyUmc:
      Umc(card, f);
      break;
    case kFamilyIntel:
      Intel(card, f);
      break;
    case kFamilyAti:
      Ati(signal, target_line_hz, f);
      break;
    default:
      break;  // the standard VGA has no such bits
  }
  std::vector<std::string> parts = BestClockCauses(f.clock, signal.line_rate_hz, target_line_hz);
  parts.insert(parts.end(), f.always.begin(), f.always.end());
  std::string text;
  for (const std::string& part : parts)
    text += (text.empty() ? "" : "; ") + part;
  return text;
}

}  // namespace zanvo::virt
