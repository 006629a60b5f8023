#include "bus_options.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace zanvo::scope {
namespace {

// A decimal number, the whole text; nothing else.
bool ParseDecimal(std::string_view text, double& value) {
  if (text.empty() || text.size() > 32) return false;
  const std::string copy(text);
  char* end = nullptr;
  value = std::strtod(copy.c_str(), &end);
  return end == copy.c_str() + copy.size() && std::isfinite(value);
}

// "12ms", "0.5ms", "150us" -> picoseconds; `max_ps` bounds it.
bool ParseDuration(std::string_view text, double max_ps, double& ps) {
  double unit = 0;
  if (text.size() > 2 && text.substr(text.size() - 2) == "ms") unit = 1e9;
  if (text.size() > 2 && text.substr(text.size() - 2) == "us") unit = 1e6;
  if (unit == 0 || !ParseDecimal(text.substr(0, text.size() - 2), ps)) return false;
  ps *= unit;
  return ps >= 0 && ps <= max_ps;
}

// LENGTH@MOMENT: MOMENT a time from the start of the field check ("30ms"), or "retraceN"
// (the n-th vertical retrace from then), optionally with "+TIME" or "-TIME" from its start.
std::string ParseStall(const std::string& text, virt::Stall& stall) {
  const auto at = text.find('@');
  double length = 0;
  if (at == std::string::npos ||
      !ParseDuration(std::string_view(text).substr(0, at), 1e12, length)) {
    return "expected LENGTH@MOMENT, for example 12ms@30ms or 9.5ms@retrace3 (up to 1000 ms)";
  }
  stall.length_ps = static_cast<uint64_t>(std::llround(length));
  std::string_view moment = std::string_view(text).substr(at + 1);
  double offset = 0;
  if (moment.substr(0, 7) == "retrace") {
    moment.remove_prefix(7);
    const auto sign = moment.find_first_of("+-");
    const std::string_view count = moment.substr(0, sign);
    double n = 0;
    if (!ParseDecimal(count, n) || n < 1 || n > 1000 || n != std::floor(n) ||
        count.find_first_not_of("0123456789") != std::string_view::npos) {
      return "expected retraceN with N from 1 to 1000, for example retrace3 or retrace2+0.4ms";
    }
    stall.retrace = static_cast<uint32_t>(n);
    if (sign != std::string_view::npos) {
      if (!ParseDuration(moment.substr(sign + 1), 1e12, offset)) {
        return "expected retraceN+TIME or retraceN-TIME, for example retrace2+0.4ms";
      }
      if (moment[sign] == '-') offset = -offset;
    }
  } else if (!ParseDuration(moment, 1e13, offset)) {
    return "expected a moment such as 30ms or retrace3";
  }
  stall.at_ps = static_cast<int64_t>(std::llround(offset));
  return {};
}


// The largest share of the PC's time the drawn pauses may take together.
constexpr double kMostPausedShare = 0.9;

}  // namespace

void AddBusOptions(CLI::App& app, BusTexts& texts) {
  app.add_option("--bus-us", texts.read_us,
                 "Cost of a port access on the virtual PC, 0.3 (PCI, AGP) to 1.5 (ISA)\n"
                 "microseconds (default 1)")
      ->type_name("US");
  app.add_option("--bus-jitter-us", texts.jitter_us,
                 "Each access costs up to this much more, drawn from --bus-seed (default 0)")
      ->type_name("US");
  app.add_option("--stall", texts.stalls,
                 "The program loses the processor for LENGTH at MOMENT, counted from the\n"
                 "start of the field check: a time (12ms@30ms) or the n-th vertical retrace\n"
                 "from then, with an offset from its start if wanted (9.5ms@retrace3,\n"
                 "5ms@retrace2+0.4ms); units ms or us; repeatable")
      ->type_name("LENGTH@MOMENT")
      ->allow_extra_args(false);
  app.add_option("--stall-every", texts.stall_every,
                 "Stalls of 1-25 ms at random, on average one per TIME (ms or us) from the\n"
                 "start of the field check, drawn from --bus-seed")
      ->type_name("TIME");
  app.add_option("--interrupt-every", texts.interrupt_every,
                 "Interrupts of 10-200 us at random, on average one per TIME, drawn from\n"
                 "--bus-seed")
      ->type_name("TIME");
  app.add_option("--bus-seed", texts.seed, "Seed of the draws above (default 0)")->type_name("N");
}

bool AnyBusOption(const BusTexts& texts) {
  return !texts.read_us.empty() || !texts.jitter_us.empty() || !texts.stalls.empty() ||
         !texts.stall_every.empty() || !texts.interrupt_every.empty() || !texts.seed.empty();
}

std::string ParseBusOptions(const BusTexts& texts, virt::BusModel& model) {
  double us = 0;
  if (!texts.read_us.empty()) {
    if (!ParseDecimal(texts.read_us, us) || us < 0.3 || us > 1.5) {
      return "--bus-us " + texts.read_us + ": expected 0.3 to 1.5 (microseconds)";
    }
    model.read_cost_ps = static_cast<uint64_t>(std::llround(us * 1e6));
  }
  if (!texts.jitter_us.empty()) {
    if (!ParseDecimal(texts.jitter_us, us) || us < 0 || us > 1) {
      return "--bus-jitter-us " + texts.jitter_us + ": expected 0 to 1 (microseconds)";
    }
    model.jitter_ps = static_cast<uint64_t>(std::llround(us * 1e6));
  }
  for (const auto& text : texts.stalls) {
    virt::Stall stall;
    if (const auto problem = ParseStall(text, stall); !problem.empty()) {
      return "--stall " + text + ": " + problem;
    }
    model.stalls.push_back(stall);
  }
  double ps = 0;
  if (!texts.stall_every.empty()) {
    if (!ParseDuration(texts.stall_every, 1e15, ps) || ps < 1e9) {
      return "--stall-every " + texts.stall_every + ": expected a time of 1ms or more";
    }
    model.stall_gap_ps = static_cast<uint64_t>(std::llround(ps));
  }
  if (!texts.interrupt_every.empty()) {
    if (!ParseDuration(texts.interrupt_every, 1e15, ps) || ps < 1e7) {
      return "--interrupt-every " + texts.interrupt_every + ": expected a time of 10us or more";
    }
    model.interrupt_gap_ps = static_cast<uint64_t>(std::llround(ps));
  }
  // Each pause is drawn at its own pace whatever the others do: pauses that take on average as
  // much of the PC's time as there is would leave the program none, and the run would never end.
  // Near that, a long --stall leaves a backlog the program works off at the pace of what the
  // pauses leave it: a tenth keeps that to seconds of the PC's time, a few milliseconds here.
  const double share =
      (model.stall_gap_ps != 0
           ? (virt::kStallMinPs + virt::kStallMaxPs) / 2.0 / static_cast<double>(model.stall_gap_ps)
           : 0.0) +
      (model.interrupt_gap_ps != 0 ? (virt::kInterruptMinPs + virt::kInterruptMaxPs) / 2.0 /
                                         static_cast<double>(model.interrupt_gap_ps)
                                   : 0.0);
  if (share > kMostPausedShare) {
    std::string given;
    if (!texts.stall_every.empty()) given += "--stall-every " + texts.stall_every;
    if (!texts.interrupt_every.empty()) {
      given += std::string(given.empty() ? "" : " with ") + "--interrupt-every " +
               texts.interrupt_every;
    }
    return given + ": the pauses drawn (stalls of 13 ms and interrupts of 105 us on average) " +
           "would take more than 90% of the PC's time; expected longer times between them " +
           "(each alone: --stall-every 14.5ms or more, --interrupt-every 117us or more)";
  }
  if (!texts.seed.empty()) {
    const auto& s = texts.seed;
    char* end = nullptr;
    const unsigned long long seed = std::strtoull(s.c_str(), &end, 10);
    if (s.find_first_not_of("0123456789") != std::string::npos || s.size() > 19 ||
        end != s.c_str() + s.size()) {
      return "--bus-seed " + s + ": expected a whole number";
    }
    model.seed = seed;
  }
  return {};
}

}  // namespace zanvo::scope
