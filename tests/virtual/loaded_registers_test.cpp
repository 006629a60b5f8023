// A card's own register values loaded over a desktop mode: written past the locks, left with
// the keys as the dump found them, and restored by a re-set like the driver's own values.

#include <gtest/gtest.h>

#include <array>

#include "virtual_test_util.h"

namespace zanvo::virt {
namespace {

using testing::Hex;

// Every register as a dump tool reads it, locks open: what a loaded file holds.
LoadedRegisters DumpUnlocked(const VgaCard& card) {
  LoadedRegisters dump;
  dump.misc = card.PeekMisc();
  for (const RegFile file :
       {RegFile::kSequencer, RegFile::kCrtc, RegFile::kGraphics, RegFile::kAttribute}) {
    const int count = file == RegFile::kAttribute ? 32 : 256;
    for (int i = 0; i < count; ++i) {
      const auto index = static_cast<uint8_t>(i);
      dump.values.push_back({file, index, card.PeekUnlocked(file, index)});
    }
  }
  return dump;
}

TEST(LoadedRegisters, TakeOverTheModePastTheLocksAndSurviveAReset) {
  // One card per way of locking: a sequencer key, three CRTC keys, a port key sequence,
  // two graphics/CRTC keys that also hide registers, a key register that reads back
  // differently, and the bare CR11 protection.
  for (const char* name :
       {"cirrus-gd5434", "s3-trio64", "tseng-et4000", "wd-90c30", "sis-300", "umc-85c408", "vga"}) {
    SCOPED_TRACE(name);
    VirtualPc source(MakeCard(name));
    // The standard VGA's 256 KiB hold no 800x600: its other mode is 320x200.
    const bool plain = std::string_view(name) == "vga";
    ASSERT_TRUE(SetDesktopMode(source.card(), plain ? 320 : 800, plain ? 200 : 600));
    const Signal wanted = AnalyzeSignal(source.card());

    VirtualPc pc(MakeCard(name));
    ASSERT_TRUE(SetDesktopModeWithRegisters(pc.card(), 640, 480, DumpUnlocked(source.card())));
    VgaCard& card = pc.card();
    const auto same_signal = [&](const char* when) {
      const Signal s = AnalyzeSignal(card);
      EXPECT_DOUBLE_EQ(s.pixel_clock_hz, wanted.pixel_clock_hz) << when;
      EXPECT_DOUBLE_EQ(s.line_rate_hz, wanted.line_rate_hz) << when;
      EXPECT_DOUBLE_EQ(s.field_rate_hz, wanted.field_rate_hz) << when;
      EXPECT_EQ(s.display_chars, wanted.display_chars) << when;
      EXPECT_EQ(s.display_lines_per_field, wanted.display_lines_per_field) << when;
    };
    same_signal("after the load");

    // As the CPU reads it (locks as they are), the card is the 800x600 card, keys included:
    // the load left no lock open that the driver had closed.
    for (const RegFile file : {RegFile::kSequencer, RegFile::kCrtc, RegFile::kGraphics}) {
      for (int i = 0; i < 256; ++i) {
        const auto index = static_cast<uint8_t>(i);
        EXPECT_EQ(card.Peek(file, index), source.card().Peek(file, index))
            << "file " << static_cast<int>(file) << " index " << Hex(index);
      }
    }

    // A TV timing written over it, then the display-mode re-set.
    testing::Unprotect(pc);
    for (uint8_t i = 0; i <= 5; ++i)
      testing::WriteReg(pc, 0x3D4, i, 0x11);
    pc.OutByte(0x3C2, 0x27);
    ASSERT_NE(AnalyzeSignal(card).line_rate_hz, wanted.line_rate_hz);
    ResetCurrentMode(card);
    same_signal("after the re-set");
  }
}

}  // namespace
}  // namespace zanvo::virt
