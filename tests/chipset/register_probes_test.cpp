// The register probe chain on synthetic register sets: which bits must exist for each chip,
// the order of the chain, and what each probe leaves behind.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "chipset/detection.h"
#include "chipset/register_probes.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/register_access.h"
#include "probe_bus.h"

namespace zanvo::test {
namespace {

using engine::Eng;
constexpr uint16_t SEQ = 0x3C4;
constexpr uint16_t GC = 0x3CE;
constexpr uint16_t CRTC = 0x3D4;
constexpr uint16_t OAK = 0x3DE;
constexpr uint16_t PLAIN = 0;  // check a plain port instead of an indexed register

struct Check {
  uint16_t index_port;  // PLAIN for a plain port
  uint16_t index;       // register index, or the port
  uint8_t value;
};

struct ProbeCase {
  const char* name;
  void (*setup)(ProbeBus&);
  bool (*probe)();  // nullptr: the whole detection
  uint8_t family;
  uint16_t model;
  std::vector<Check> checks;
};

void Trident(ProbeBus& bus, uint8_t version) {
  bus.Indexed(SEQ, 0x0B, version, 0x00);
  // New register set: SR0E reads back with bit 1 inverted.
  bus.Indexed(SEQ, 0x0E, 0x60).read = [](const ProbeBus&, uint8_t v) {
    return static_cast<uint8_t>(v ^ 0x02);
  };
}

void S3(ProbeBus& bus, uint8_t id, uint8_t device_low) {
  bus.Indexed(CRTC, 0x38, 0x00);
  bus.Indexed(CRTC, 0x35).lock = [](const ProbeBus& b) -> uint8_t {
    return b.Stored(CRTC, 0x38) == 0x48 ? 0x0F : 0x00;
  };
  bus.Indexed(CRTC, 0x30, id, 0x00);
  bus.Indexed(CRTC, 0x2E, device_low, 0x00);
}

void RealtekRegisters(ProbeBus& bus, bool bank0, bool bank1, uint8_t cr1a) {
  bus.Indexed(CRTC, 0x1F, 0x00, 0x3F);
  if (bank0) bus.Plain(0x3D6, 0x00, 0x0F);
  if (bank1) bus.Plain(0x3D7, 0x00, 0x0F);
  bus.Indexed(CRTC, 0x1A, cr1a, 0x00);
}

TEST(RegisterProbes, EachChipIsToldApartByItsRegisters) {
  const ProbeCase cases[] = {
      {"nothing extended: standard VGA", [](ProbeBus&) {}, nullptr, 1, 0, {}},
      {"Oak with register 0x23: OTI-087",
       [](ProbeBus& b) {
         b.Indexed(OAK, 0x0D, 0x00, 0x38);
         b.Indexed(OAK, 0x23, 0x00, 0x1F);
       },
       nullptr,
       20,
       83,
       {}},
      {"Oak without register 0x23: ID from the index port",
       [](ProbeBus& b) {
         b.Indexed(OAK, 0x0D, 0x00, 0x38);
         b.IndexReadBits(OAK, 0xA0);  // ID 5 in bits 7-5
       },
       nullptr,
       20,
       5,
       {}},
      {"Trident new register set reports SR0B as the model",
       [](ProbeBus& b) { Trident(b, 0xD3); },
       nullptr,
       60,
       0xD3,
       {{SEQ, 0x0E, 0x60}}},
      {"Trident new register set with version 1 stays the new set",
       [](ProbeBus& b) { Trident(b, 0x01); },
       nullptr,
       60,
       1,
       {{SEQ, 0x0E, 0x60}}},
      {"Trident old register set: version 1 and SR0E bits 1-2 writable",
       [](ProbeBus& b) {
         b.Indexed(SEQ, 0x0B, 0x01, 0x00);
         b.Indexed(SEQ, 0x0E, 0x00, 0x06);
       },
       nullptr,
       60,
       1,
       {}},
      {"old SR0E without version 1 is no Trident",
       [](ProbeBus& b) {
         b.Indexed(SEQ, 0x0B, 0x02, 0x00);
         b.Indexed(SEQ, 0x0E, 0x00, 0x06);
       },
       nullptr,
       1,
       0,
       {}},
      {"plain SR0B is put back after the Trident test",
       [](ProbeBus& b) {
         b.Indexed(SEQ, 0x0B, 0x4A);
         b.Indexed(SEQ, 0x0E, 0x7E);
       },
       [] {
         uint8_t version = 0;
         return chipset::ProbeTridentNew(version);
       },
       1,
       0,
       {{SEQ, 0x0B, 0x4A}, {SEQ, 0x0E, 0x7E}}},
      {"Cirrus: SR06 lock answers and SR1E exists",
       [](ProbeBus& b) {
         b.Indexed(SEQ, 0x06, 0x00).read = [](const ProbeBus&, uint8_t v) -> uint8_t {
           return v == 0x12 ? 0x12 : 0x0F;
         };
         b.Indexed(SEQ, 0x1E, 0x00, 0x3F);
       },
       nullptr,
       4,
       0,
       {{SEQ, 0x06, 0x12}}},
      {"Cirrus lock without SR1E is no Cirrus",
       [](ProbeBus& b) {
         b.Indexed(SEQ, 0x06, 0x00).read = [](const ProbeBus&, uint8_t v) -> uint8_t {
           return v == 0x12 ? 0x12 : 0x0F;
         };
       },
       chipset::ProbeCirrus,
       1,
       0,
       {{SEQ, 0x06, 0x0F}}},
      {"plain SR06 is put back after the Cirrus test",
       [](ProbeBus& b) { b.Indexed(SEQ, 0x06, 0x5A); },
       chipset::ProbeCirrus,
       1,
       0,
       {{SEQ, 0x06, 0x5A}}},
      {"S3 Trio: CR30 0xE1 takes the model from CR2E",
       [](ProbeBus& b) { S3(b, 0xE1, 0x11); },
       nullptr,
       3,
       17,
       {{CRTC, 0x38, 0x48}}},
      {"S3 Vision: CR30 0xC1 is the model",
       [](ProbeBus& b) { S3(b, 0xC1, 0x11); },
       nullptr,
       3,
       193,
       {}},
      {"CR35 writable while locked is no S3",
       [](ProbeBus& b) { b.Indexed(CRTC, 0x35, 0x00, 0x0F); },
       nullptr,
       1,
       0,
       {{CRTC, 0x35, 0x00}}},
      {"UMC: SR06 opens with 0xAC in port 0x3BF",
       [](ProbeBus& b) {
         b.Plain(0x3BF, 0x00);
         b.Indexed(SEQ, 0x06).lock = [](const ProbeBus& bus) -> uint8_t {
           return bus.StoredPlain(0x3BF) == 0xAC ? 0xFF : 0x00;
         };
       },
       nullptr,
       12,
       0,
       {{PLAIN, 0x3BF, 0xAC}}},
      {"no UMC: port 0x3BF is put back",
       [](ProbeBus& b) { b.Plain(0x3BF, 0x01); },
       chipset::ProbeUMC,
       1,
       0,
       {{PLAIN, 0x3BF, 0x01}}},
      {"Western Digital: GR0F key opens GR09, name from CR36/CR37",
       [](ProbeBus& b) {
         b.Indexed(GC, 0x0F, 0x00);
         b.Indexed(GC, 0x09).lock = [](const ProbeBus& bus) -> uint8_t {
           return (bus.Stored(GC, 0x0F) & 0x07) == 0x05 ? 0x7F : 0x00;
         };
         b.Indexed(CRTC, 0x36, '3', 0x00);
         b.Indexed(CRTC, 0x37, '0', 0x00);
       },
       nullptr,
       13,
       0x3330,
       {{GC, 0x0F, 0x00}}},
      {"GR09 writable without the key is no WD",
       [](ProbeBus& b) {
         b.Indexed(GC, 0x0F, 0x02);
         b.Indexed(GC, 0x09, 0x00, 0x7F);
       },
       nullptr,
       1,
       0,
       {{GC, 0x0F, 0x02}}},
      {"ET4000: segment port and CR33",
       [](ProbeBus& b) {
         b.Plain(0x3CD, 0x00, 0x3F);
         b.Indexed(CRTC, 0x33, 0x00, 0x0F);
         b.Plain(0x3BF, 0x00);
         b.Plain(0x3D8, 0x00);
       },
       nullptr,
       5,
       4000,
       {{PLAIN, 0x3BF, 0x03}, {PLAIN, 0x3D8, 0xA0}}},
      {"ET3000: segment port without CR33",
       [](ProbeBus& b) {
         b.Plain(0x3CD, 0x00, 0x3F);
         b.Plain(0x3D8, 0x00);
       },
       nullptr,
       5,
       3000,
       {{PLAIN, 0x3D8, 0xA0}}},
      {"an ET3000 result gives way to a Realtek chip",
       [](ProbeBus& b) {
         b.Plain(0x3CD, 0x00, 0x3F);
         RealtekRegisters(b, true, true, 0x00);
       },
       nullptr,
       2,
       6,
       {}},
      {"Realtek RTG3103: CR1F, 0x3D6 and 0x3D7, CR1A 0",
       [](ProbeBus& b) { RealtekRegisters(b, true, true, 0x00); },
       nullptr,
       2,
       6,
       {}},
      {"Realtek with CR1A nonzero keeps model 0",
       [](ProbeBus& b) { RealtekRegisters(b, true, true, 0x40); },
       nullptr,
       2,
       0,
       {}},
      {"CR1F alone is no Realtek",
       [](ProbeBus& b) { RealtekRegisters(b, false, false, 0x00); },
       nullptr,
       1,
       0,
       {}},
      {"CR1F and 0x3D6 without 0x3D7 is no Realtek",
       [](ProbeBus& b) { RealtekRegisters(b, true, false, 0x00); },
       nullptr,
       1,
       0,
       {}},
      {"Oak is tried before a Realtek look-alike",
       [](ProbeBus& b) {
         b.Indexed(OAK, 0x0D, 0x00, 0x38);
         b.Indexed(OAK, 0x23, 0x00, 0x1F);
         RealtekRegisters(b, true, true, 0x00);
       },
       nullptr,
       20,
       83,
       {}},
  };
  for (const ProbeCase& c : cases) {
    SCOPED_TRACE(c.name);
    ProbeBus bus;
    c.setup(bus);
    bus.OutByte(SEQ, 0x02);
    Eng = engine::EngineState{};
    Eng.ChipFamily = 1;
    engine::BindPort(bus);
    if (c.probe == nullptr) {
      chipset::DetectChipset();
      EXPECT_EQ(bus.SelectedIndex(SEQ), 0x02) << "sequencer index not restored";
    } else {
      engine::SelectCrtcPort();
      c.probe();
    }
    engine::UnbindPort();
    EXPECT_EQ(int(Eng.ChipFamily), int(c.family));
    EXPECT_EQ(Eng.ChipModel, c.model);
    for (const Check& check : c.checks) {
      const uint8_t value = check.index_port == PLAIN
                                ? bus.StoredPlain(check.index)
                                : bus.Stored(check.index_port, static_cast<uint8_t>(check.index));
      EXPECT_EQ(unsigned{value}, unsigned{check.value})
          << "register " << std::hex << check.index_port << ":" << check.index;
    }
  }
}

}  // namespace
}  // namespace zanvo::test
