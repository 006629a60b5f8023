// zanvo-emulator-check: replays the registers the virtual card holds after each case on an
// emulator's model of the same chip, times the field there, and compares with the analyzer.
// Exit status 0 when every judged case agrees or differs only as recorded, 1 on a replay fault
// or an unrecorded disagreement, 77 when the emulator is not installed (the test is skipped).

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "comparison.h"
#include "emulator_case.h"
#include "emulator_run.h"
#include "emulator_target.h"
#include "known_differences.h"
#include "register_replay.h"

namespace {

using namespace zanvo;
using namespace zanvo::emu;

constexpr int kSkipped = 77;

bool Usable(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

struct Args {
  std::string target;
  EmulatorTools tools;
};

bool ParseArgs(int argc, char** argv, Args& args) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    const std::string value = argv[i + 1];
    if (key == "--target") {
      args.target = value;
    } else if (key == "--emulator") {
      args.tools.emulator = value;
    } else if (key == "--replayer") {
      args.tools.replayer = value;
    } else if (key == "--boot-sector") {
      args.tools.boot_sector = value;
    } else if (key == "--bios") {
      args.tools.bios = value;
    } else if (key == "--vga-bios") {
      args.tools.vga_bios = value;
    } else if (key == "--work") {
      args.tools.work_dir = value;
    } else {
      std::fprintf(stderr, "unknown option %s\n", key.c_str());
      return false;
    }
  }
  return argc % 2 == 1 && !args.target.empty() && !args.tools.work_dir.empty();
}

// What is missing to run the target, or empty.
std::string Missing(const EmulatorTarget& target, const EmulatorTools& tools) {
  if (!Usable(tools.emulator)) return "the emulator";
  if (!Usable(tools.replayer)) return "the replayer (nasm)";
  if (target.emulator == Emulator::kBochs) {
    if (!Usable(tools.boot_sector)) return "the boot sector (nasm)";
    if (!Usable(tools.bios) || !Usable(tools.vga_bios)) return "the Bochs BIOS or the Cirrus VGA BIOS";
  }
  return {};
}


struct Tally {
  int judged = 0, agree = 0, disagree = 0, explained = 0, faults = 0;
  std::set<const KnownClockDifference*> seen;
};

void PrintHeader(const EmulatorTarget& target) {
  const std::string emulator = target.emulator == Emulator::kDosbox
                                   ? "DOSBox machine " + std::string(target.machine)
                                   : std::string("Bochs, Cirrus VGA");
  std::printf("%s (%s) against the virtual card %s\n", std::string(target.name).c_str(),
              emulator.c_str(), std::string(target.card).c_str());
  std::printf("%-9s %-5s %-13s %6s %5s %5s %11s %11s %11s %7s  %s\n", "mode", "std", "options",
              "clock", "htot", "vtot", "analyzer", "formula", "emulator", "replay", "verdict");
}

// Compares one replayed case, counts it and prints its row.
void JudgeCase(const EmulatorTarget& target, const EmulatorCase& c, uint32_t ticks, Tally& tally) {
  ++tally.judged;
  const Comparison cmp =
      Compare(target, *c.timing, c.report.signal.field_rate_hz, ticks, kFieldsTimed);
  std::string verdict = VerdictName(cmp.verdict);
  switch (cmp.verdict) {
    case Verdict::kAgrees:
      ++tally.agree;
      break;
    case Verdict::kDisagrees:
      ++tally.disagree;
      if (const KnownClockDifference* known = ExplainDisagreement(target, c.report, *c.timing)) {
        ++tally.explained;
        tally.seen.insert(known);
        verdict += " (recorded: " + std::string(known->why) + ")";
      } else {
        verdict += " (NOT RECORDED: card clock " +
                   std::to_string(c.report.signal.crtc.clock_hz / 1e6) + " MHz, emulator's " +
                   std::to_string(c.timing->clock_hz / 1e6) + " MHz, select " +
                   std::to_string(c.timing->clock_select) + ")";
      }
      break;
    case Verdict::kReplayFault:
    case Verdict::kNoReading:
      ++tally.faults;
      break;
  }
  std::printf("%-9s %-5s %-13s %6.2f %5d %5d %11.4f %11.4f %11.4f %7.2f  %s\n", c.mode.c_str(),
              c.standard.c_str(), c.options.c_str(), c.timing->clock_hz / 1e6, c.timing->h_total,
              c.timing->v_total, c.report.signal.field_rate_hz, c.timing->field_rate_hz,
              cmp.emulator_rate_hz, cmp.replay_error_ticks, verdict.c_str());
}

void PrintSummary(const EmulatorTarget& target, size_t cases, const Tally& tally,
                  const std::map<std::string, int>& not_judged) {
  const std::string name(target.name);
  int cannot = 0;
  for (const auto& [reason, count] : not_judged) cannot += count;
  std::printf("%s: %zu cases, %d judged: %d agree, %d disagree (%d recorded in docs/chips.md); "
              "replay matched the emulator's formula in %d of %d\n",
              name.c_str(), cases, tally.judged, tally.agree, tally.disagree, tally.explained,
              tally.judged - tally.faults, tally.judged);
  std::printf("%s: %d not judged", name.c_str(), cannot);
  for (const auto& [reason, count] : not_judged) std::printf("; %s: %d", reason.c_str(), count);
  std::printf("\n");
}

// A recorded difference no case shows any more is stale: the record must go with it.
bool EveryRecordedDifferenceSeen(const EmulatorTarget& target, const Tally& tally) {
  bool all = true;
  for (const KnownClockDifference& known : KnownClockDifferences()) {
    if (known.target == target.name && tally.seen.count(&known) == 0) {
      std::printf("recorded difference no longer seen: select %d, %s\n", known.clock_select,
                  std::string(known.why).c_str());
      all = false;
    }
  }
  return all;
}

}  // namespace

int main(int argc, char** argv) {
  Args args;
  if (!ParseArgs(argc, argv, args)) {
    std::fprintf(stderr,
                 "usage: zanvo-emulator-check --target NAME --work DIR --emulator PATH "
                 "--replayer PATH [--boot-sector PATH --bios PATH --vga-bios PATH]\n");
    return 2;
  }
  const EmulatorTarget* target = FindTarget(args.target);
  if (target == nullptr) {
    std::fprintf(stderr, "no target %s\n", args.target.c_str());
    return 2;
  }
  if (const std::string missing = Missing(*target, args.tools); !missing.empty()) {
    std::printf("%s: skipped, %s is not installed\n", std::string(target->name).c_str(),
                missing.c_str());
    return kSkipped;
  }

  std::vector<EmulatorCase> cases = BuildCases(*target);
  std::vector<uint8_t> ops;
  std::map<std::string, int> not_judged;
  for (size_t i = 0; i < cases.size(); ++i) {
    EmulatorCase& c = cases[i];
    if (c.why_not_judged) {
      ++not_judged[*c.why_not_judged];
      continue;
    }
    AppendCaseOps(ops, ReplayWrites(*target, c.report.registers), static_cast<uint16_t>(i),
                  kFieldsTimed);
  }
  ops.push_back(kOpEnd);

  std::string error;
  const auto readings = RunReplay(*target, args.tools, ops, error);
  if (!readings) {
    std::printf("%s: %s\n", std::string(target->name).c_str(), error.c_str());
    return 1;
  }

  PrintHeader(*target);
  Tally tally;
  for (size_t i = 0; i < cases.size(); ++i) {
    const EmulatorCase& c = cases[i];
    if (c.why_not_judged) continue;
    const auto reading = readings->find(static_cast<uint16_t>(i));
    const uint32_t ticks = reading == readings->end() ? kTimedOut : reading->second;
    JudgeCase(*target, c, ticks, tally);
  }
  PrintSummary(*target, cases.size(), tally, not_judged);
  const bool ok = tally.faults == 0 && tally.explained == tally.disagree && tally.judged > 0;
  return ok && EveryRecordedDifferenceSeen(*target, tally) ? 0 : 1;
}
