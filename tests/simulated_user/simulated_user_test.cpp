// Seeded random sessions of a user at a PC with ZANVO, on every virtual card and its desktop
// modes. After every action: the card sends its mode's monitor timings or a signal the set locks
// to for the standard in force; the registry holds only a standard kept on screen, with the
// options it was kept with; no question stays open about a standard that is gone; every field
// check is over within 0.2 s. RC_PARAMS sets the number and length of the sessions.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "chipset/catalogue.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "user_actions.h"

namespace zanvo::testing::walk {
namespace {

uint64_t g_steps = 0;

// The suite's own walk, a few thousand steps on a fixed seed, so that a failure stays put between
// runs of the same code; RC_PARAMS asks for another walk (without a seed, RapidCheck draws a new
// one and prints it). RapidCheck reads it when the first property runs.
[[maybe_unused]] const bool kDefaultWalk = setenv("RC_PARAMS", "seed=2326 max_success=400", 0) == 0;

// Reports the steps walked and their pace when the suite ends.
class StepCount final : public ::testing::Environment {
 public:
  void SetUp() override { start_ = std::chrono::steady_clock::now(); }
  void TearDown() override {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::printf("simulated user: %llu steps in %.2f s (%.0f steps/s)\n",
                static_cast<unsigned long long>(g_steps), seconds,
                seconds > 0 ? static_cast<double>(g_steps) / seconds : 0.0);
  }

 private:
  std::chrono::steady_clock::time_point start_;
};
[[maybe_unused]] const auto* const kStepCount = ::testing::AddGlobalTestEnvironment(new StepCount);

RC_GTEST_PROP(SimulatedUser, EveryPathEndsOnTheMonitorOrASignalTheSetLocksTo, ()) {
  const auto cards = virt::CardNames();
  const std::string card(
      *rc::gen::elementOf(std::vector<std::string_view>(cards.begin(), cards.end())));
  std::vector<std::pair<uint16_t, uint16_t>> modes;
  {
    const auto model = virt::MakeCard(card);
    for (const virt::DesktopMode& m : virt::DesktopModes()) {
      if (virt::DesktopModeTiming(*model, m.width, m.height)) modes.emplace_back(m.width, m.height);
    }
  }
  RC_PRE(!modes.empty());
  const auto [width, height] = *rc::gen::elementOf(modes);
  // Settings that name some chipset, perhaps not the installed one, or none.
  std::vector<uint8_t> families;
  for (const chipset::BrandEntry& brand : chipset::Brands())
    families.push_back(brand.family);
  std::optional<uint8_t> stored_family;
  if (*rc::gen::arbitrary<bool>()) stored_family = *rc::gen::elementOf(families);
  RC_TAG(card);
  // A machine as varied as real ones: a PCI or AGP card's fast bus up to an ISA card's slow
  // one, a little jitter, interrupts, and the time slices a busy system takes at any moment.
  virt::BusModel bus;
  bus.read_cost_ps = *rc::gen::inRange(virt::kFastestBusPs, virt::kSlowestBusPs + 1);
  bus.jitter_ps = *rc::gen::inRange<uint64_t>(0, 50 * 1000 + 1);
  bus.interrupt_gap_ps = *rc::gen::inRange<uint64_t>(1, 50) * virt::kPsPerMs;
  bus.stall_gap_ps = *rc::gen::inRange<uint64_t>(50, 2000) * virt::kPsPerMs;
  bus.seed = *rc::gen::arbitrary<uint64_t>();

  SimulatedPc pc(card, width, height, stored_family, bus);
  pc.StartProgram({});
  Verify(pc);
  const UserModel model{static_cast<int>(pc.modes().size())};
  rc::state::check(model, pc, [](const UserModel& m) { return GenUserAction(m); });
  g_steps += pc.steps();
}

}  // namespace
}  // namespace zanvo::testing::walk
