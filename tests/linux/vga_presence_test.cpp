#include "platform/linux/vga_presence.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::linux_pc {
namespace {

// A machine of our own making: each read costs a microsecond of its clock, status reads come
// from `status`, every write is counted.
class FakeMachine final : public PortIo {
 public:
  std::function<uint8_t(uint16_t port, double now)> in;
  uint32_t writes = 0;
  double now = 0.0;
  uint8_t crtc_index = 0;
  bool index_reads_back = true;

  uint8_t InByte(uint16_t port) override {
    now += 1e-6;
    if ((port == 0x3D4 || port == 0x3B4) && index_reads_back) return crtc_index;
    return in(port, now);
  }
  uint16_t InWord(uint16_t) override { return 0xFFFF; }
  uint32_t InDword(uint16_t) override { return 0xFFFFFFFF; }
  void OutByte(uint16_t port, uint8_t value) override {
    ++writes;
    if (port == 0x3D4 || port == 0x3B4) crtc_index = value;
  }
  void OutWord(uint16_t, uint16_t) override { ++writes; }
  void OutDword(uint16_t, uint32_t) override { ++writes; }
};

// A server's unmapped ports, a status that never moves, one that flips on every read, a rate
// no display takes, an index that does not read back: each is refused, and only the last after
// writes (to the CRTC index alone, which is put back).
TEST(VgaPresence, RefusesEveryMachineWithoutAVgaBeforeWriting) {
  auto retraces_at = [](double hz) {
    return [hz](uint16_t port, double now) -> uint8_t {
      if (port == 0x3CC) return 0x67;
      const double phase = now * hz - static_cast<long>(now * hz);
      const double line = now * 31469.0 - static_cast<long>(now * 31469.0);
      return static_cast<uint8_t>((phase < 0.05 ? 0x08 : 0) | (line < 0.2 || phase < 0.05 ? 0x01 : 0));
    };
  };
  struct Case {
    const char* what;
    std::function<uint8_t(uint16_t, double)> in;
    bool index_reads_back;
    const char* refusal;  // empty: a VGA
    uint32_t writes;
  };
  uint8_t flip = 0;
  const Case cases[] = {
      {"unmapped ports", [](uint16_t, double) -> uint8_t { return 0xFF; }, false, "Miscellaneous Output reads 0xFF", 0},
      {"status all ones", [](uint16_t p, double) -> uint8_t { return p == 0x3CC ? 0x67 : 0xFF; }, false, "Input Status 1 reads 0xFF", 0},
      {"a status that never moves", [](uint16_t p, double) -> uint8_t { return p == 0x3CC ? 0x67 : 0x00; }, true, "no vertical retraces", 0},
      {"a bit that flips each read", [&flip](uint16_t p, double) -> uint8_t { return p == 0x3CC ? 0x67 : (flip ^= 0x09); }, true, "no vertical retraces", 0},
      {"a bit that flips every other read", [](uint16_t p, double now) -> uint8_t {
         return p == 0x3CC ? 0x67 : ((static_cast<long>(now * 1e6) / 2) % 2 ? 0x09 : 0x00); }, true, "no rate a VGA sends", 0},
      {"retraces at 400 Hz", retraces_at(400.0), true, "no rate a VGA sends", 0},
      {"retraces at 0.4 Hz", retraces_at(0.4), true, "no vertical retraces", 0},
      {"retraces at 1.6 Hz", retraces_at(1.6), true, "no rate a VGA sends", 0},
      {"retraces, no lines", [](uint16_t p, double now) -> uint8_t {
         return p == 0x3CC ? 0x67 : ((now * 60 - static_cast<long>(now * 60)) < 0.05 ? 0x08 : 0x00); }, true, "no lines", 0},
      {"an index that does not read back", retraces_at(70.0), false, "does not read back", 3},
      {"a VGA at 70 Hz", retraces_at(70.0), true, "", 3},
      {"a VGA at 25 Hz (a halved clock)", retraces_at(25.0), true, "", 3},
      // Any value read may be garbage: a status read of all ones now and then is no missing card.
      {"a VGA whose status glitches", [vga = retraces_at(60.0)](uint16_t p, double now) -> uint8_t {
         return p != 0x3CC && static_cast<long>(now * 1e6) % 1000 == 0 ? 0xFF : vga(p, now); }, true, "", 3},
  };
  for (const Case& c : cases) {
    FakeMachine machine;
    machine.in = c.in;
    machine.index_reads_back = c.index_reads_back;
    machine.crtc_index = 0x05;
    const VgaPresence result = CheckVgaPresence(machine, [&machine] { return machine.now; });
    EXPECT_EQ(result.present, *c.refusal == '\0') << c.what << ": " << result.refusal;
    EXPECT_NE(result.refusal.find(c.refusal), std::string::npos) << c.what << ": " << result.refusal;
    EXPECT_EQ(machine.writes, c.writes) << c.what;
    if (c.writes > 0 && c.index_reads_back) {
      EXPECT_EQ(machine.crtc_index, 0x05) << c.what;
    }
    EXPECT_LE(machine.now, kLongestWatchSeconds + 0.01) << c.what;
  }
}

// The virtual PC's cards are VGAs: found at the rate their mode sends, on a busy bus too.
TEST(VgaPresence, FindsTheVirtualCardsAtTheirFieldRate) {
  for (const char* card : {"vga", "cirrus-gd5434", "tseng-et3000"}) {
    virt::VirtualPc pc(virt::MakeCard(card));
    ASSERT_TRUE(virt::SetDesktopMode(pc.card(), 640, 480));
    const double field = 1.0 / pc.card().signal().field_rate_hz;
    const VgaPresence result = CheckVgaPresence(pc, [&pc] { return pc.now_ps() * 1e-12; });
    EXPECT_TRUE(result.present) << card << ": " << result.refusal;
    EXPECT_NEAR(1.0 / result.retrace_hz, field, 0.02 * field) << card;
  }
}

}  // namespace
}  // namespace zanvo::linux_pc
