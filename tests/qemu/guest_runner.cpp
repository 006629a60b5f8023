// The QEMU suite's /init: mounts what zanvo needs, sets the console's VGA modes by their
// register sets, runs /bin/zanvo as a user would (its keep question answered on standard
// input), reads the registers back and prints one JSON line per case on the serial console
// ("ZANVO-RESULT {...}"), then powers the guest off. The scenario comes from the kernel's
// command line (zanvo.scenario=...). The host side judges the lines.

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/io.h>
#include <sys/mount.h>
#include <sys/reboot.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "qemu_formula.h"
#include "vga_mode_sets.h"

namespace {

using nlohmann::json;
using namespace zanvo::qemu;

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void Emit(const json& line) {
  std::printf("ZANVO-RESULT %s\n", line.dump().c_str());
  std::fflush(stdout);
}

void WriteAttr(uint8_t index, uint8_t value) {
  inb(0x3DA);
  outb(index, 0x3C0);
  outb(value, 0x3C0);
}

void SetMode(const ModeSet& m) {
  outb(0x00, 0x3C4);
  outb(0x01, 0x3C5);  // sequencer held while the clock changes
  outb(m.misc, 0x3C2);
  for (uint8_t i = 1; i < m.seq.size(); ++i) {
    outb(i, 0x3C4);
    outb(m.seq[i], 0x3C5);
  }
  outb(0x00, 0x3C4);
  outb(m.seq[0], 0x3C5);
  outb(0x11, 0x3D4);
  outb(inb(0x3D5) & 0x7F, 0x3D5);  // CR00-CR07 writable
  for (uint8_t i = 0; i < m.crtc.size(); ++i) {
    outb(i, 0x3D4);
    outb(m.crtc[i], 0x3D5);
  }
  for (uint8_t i = 0; i < m.gc.size(); ++i) {
    outb(i, 0x3CE);
    outb(m.gc[i], 0x3CF);
  }
  for (uint8_t i = 0; i < m.attr.size(); ++i) WriteAttr(i, m.attr[i]);
  inb(0x3DA);
  outb(0x20, 0x3C0);
}

RegisterDump Dump() {
  RegisterDump d;
  // The attribute flip-flop on its index first: Cirrus chips show its state in CR24, which is
  // no register a mode holds.
  inb(0x3DA);
  d.misc = inb(0x3CC);
  for (unsigned i = 0; i < d.seq.size(); ++i) {
    outb(static_cast<uint8_t>(i), 0x3C4);
    d.seq[i] = inb(0x3C5);
  }
  for (unsigned i = 0; i < d.gc.size(); ++i) {
    outb(static_cast<uint8_t>(i), 0x3CE);
    d.gc[i] = inb(0x3CF);
  }
  for (unsigned i = 0; i < d.crtc.size(); ++i) {
    outb(static_cast<uint8_t>(i), 0x3D4);
    d.crtc[i] = inb(0x3D5);
  }
  for (unsigned i = 0; i < d.attr.size(); ++i) {
    inb(0x3DA);
    outb(static_cast<uint8_t>(i | 0x20), 0x3C0);
    d.attr[i] = inb(0x3C1);
  }
  inb(0x3DA);
  outb(0x20, 0x3C0);
  return d;
}

// The dump as zanvo-scope's --load-registers takes it (the CRTC's first 25 registers, the ones
// the virtual VGA has).
json RegistersJson(const RegisterDump& d) {
  return {{"misc", d.misc},
          {"seq", std::vector<int>(d.seq.begin(), d.seq.begin() + 5)},
          {"crtc", std::vector<int>(d.crtc.begin(), d.crtc.begin() + 25)},
          {"gc", std::vector<int>(d.gc.begin(), d.gc.begin() + 9)},
          {"attr", std::vector<int>(d.attr.begin(), d.attr.end())}};
}

json Differences(const RegisterDump& a, const RegisterDump& b) {
  json diffs = json::array();
  auto compare = [&](const char* file, const auto& x, const auto& y) {
    for (size_t i = 0; i < x.size(); ++i) {
      if (x[i] != y[i]) diffs.push_back({{"file", file}, {"index", i}, {"before", x[i]}, {"after", y[i]}});
    }
  };
  if (a.misc != b.misc) diffs.push_back({{"file", "misc"}, {"before", a.misc}, {"after", b.misc}});
  compare("seq", a.seq, b.seq);
  compare("gc", a.gc, b.gc);
  compare("crtc", a.crtc, b.crtc);
  compare("attr", a.attr, b.attr);
  return diffs;
}

struct ZanvoRun {
  int exit_code = -1;
  json report;
  std::string stderr_text;
  double wall_s = 0.0;
  double cpu_s = 0.0;
};

// Runs /bin/zanvo with `args`, `input` on its standard input.
ZanvoRun RunZanvo(const std::vector<std::string>& args, const std::string& input) {
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0 || pipe(err_pipe) != 0) return {};
  const double start = Now();
  const pid_t child = fork();
  if (child == 0) {
    dup2(in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) close(fd);
    std::vector<char*> argv{const_cast<char*>("/bin/zanvo")};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  if (!input.empty()) (void)!write(in_pipe[1], input.data(), input.size());
  close(in_pipe[1]);
  ZanvoRun run;
  std::string out;
  char buffer[4096];
  ssize_t got;
  while ((got = read(out_pipe[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(got));
  while ((got = read(err_pipe[0], buffer, sizeof buffer)) > 0) run.stderr_text.append(buffer, static_cast<size_t>(got));
  close(out_pipe[0]);
  close(err_pipe[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  run.wall_s = Now() - start;
  run.cpu_s = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.report = json::parse(out, nullptr, false);
  return run;
}

json RunJson(const ZanvoRun& run) {
  return {{"exit", run.exit_code}, {"report", run.report}, {"stderr", run.stderr_text},
          {"wall_s", run.wall_s}, {"cpu_s", run.cpu_s}};
}

json RatesJson(const Rates& r) { return {{"field_hz", r.field_hz}, {"line_hz", r.line_hz}}; }

const ModeSet* const kModes[] = {&kText80x25, &k640x480x4, &k320x200x8};
const char* const kStandards[] = {"pal", "ntsc", "24khz"};

// A switch on a freshly set mode, then the way back; both judged on the host.
void SwitchAndBack(const char* scenario, const ModeSet& mode, const std::string& standard,
                   const std::vector<std::string>& extra) {
  SetMode(mode);
  const RegisterDump before = Dump();
  std::vector<std::string> args{standard, "--json"};
  args.insert(args.end(), extra.begin(), extra.end());
  const ZanvoRun run = RunZanvo(args, "y\n");
  const RegisterDump after = Dump();
  Emit({{"scenario", scenario}, {"mode", mode.name}, {"standard", standard}, {"args", args},
        {"registers_before", RegistersJson(before)},
        {"zanvo", RunJson(run)}, {"qemu", RatesJson(QemuRates(after))},
        {"real_vga", RatesJson(RealVgaRates(after))}, {"registers", RegistersJson(after)}});
  const ZanvoRun back = RunZanvo({"vga", "--json"}, "");
  Emit({{"scenario", std::string(scenario) + "-restore"}, {"mode", mode.name},
        {"standard", standard}, {"zanvo", RunJson(back)},
        {"differences", Differences(before, Dump())}});
}

// Detection, and PAL on the chip it found, then the way back.
void Detect() {
  SetMode(kText80x25);
  const RegisterDump before = Dump();
  const ZanvoRun run = RunZanvo({"pal", "--detect", "--json"}, "y\n");
  const RegisterDump after = Dump();
  Emit({{"scenario", "detect"}, {"zanvo", RunJson(run)}, {"qemu", RatesJson(QemuRates(after))}});
  const ZanvoRun back = RunZanvo({"vga", "--json"}, "");
  Emit({{"scenario", "detect-restore"}, {"mode", kText80x25.name}, {"standard", "pal"},
        {"zanvo", RunJson(back)}, {"differences", Differences(before, Dump())}});
}

// A process of the highest real-time priority that takes the processor for 10-25 ms at a time,
// every 20-60 ms, while the checks run.
pid_t StartHog(unsigned seed) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  sched_param param{};
  param.sched_priority = 90;
  sched_setscheduler(0, SCHED_FIFO, &param);
  std::mt19937 random(seed);
  for (;;) {
    const double slice = std::uniform_real_distribution<double>(0.010, 0.025)(random);
    const double until = Now() + slice;
    while (Now() < until) {
    }
    usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(20000, 60000)(random)));
  }
}

void Busy(const std::vector<std::string>& wrong_chipset, int rounds, bool hog) {
  const pid_t hog_pid = hog ? StartHog(2326) : -1;
  for (int round = 0; round < rounds; ++round) {
    for (const char* standard : kStandards) {
      SwitchAndBack("busy", k640x480x4, standard, {"--chipset", "vga"});
      if (!wrong_chipset.empty()) SwitchAndBack("busy-wrong", k640x480x4, standard, wrong_chipset);
    }
  }
  if (hog_pid > 0) {
    kill(hog_pid, SIGKILL);
    waitpid(hog_pid, nullptr, 0);
  }
}

std::string KernelArgument(const std::string& name) {
  std::ifstream cmdline("/proc/cmdline");
  std::string word;
  while (cmdline >> word) {
    if (word.rfind(name + "=", 0) == 0) return word.substr(name.size() + 1);
  }
  return {};
}

void Mount() {
  mount("proc", "/proc", "proc", 0, nullptr);
  mount("devtmpfs", "/dev", "devtmpfs", 0, nullptr);
  mount("tmpfs", "/run", "tmpfs", 0, "mode=0755");
  mkdir("/var", 0755);
  mkdir("/var/lib", 0755);
}

}  // namespace

int main() {
  Mount();
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  if (iopl(3) != 0) {
    std::printf("ZANVO-RESULT {\"scenario\":\"error\",\"what\":\"no port access in the guest\"}\n");
  } else {
    const std::string scenario = KernelArgument("zanvo.scenario");
    std::vector<std::string> wrong;
    const std::string wrong_chip = KernelArgument("zanvo.wrong");
    if (!wrong_chip.empty()) wrong = {"--chipset", wrong_chip};
    if (scenario == "rates") {
      Detect();
      // Three times each: the guest's timer interrupt may fall on a retrace's edge.
      for (int repeat = 0; repeat < 3; ++repeat) {
        for (const ModeSet* mode : kModes) {
          for (const char* standard : kStandards) SwitchAndBack("rate", *mode, standard, {"--chipset", "vga"});
          // The tables have no 24 kHz row for every mode; a computed one fits them all.
          SwitchAndBack("rate", *mode, "24khz", {"--chipset", "vga", "--computed"});
        }
      }
      // On QEMU's VGA a chip's own clock bits do nothing; a model whose writes move the
      // standard clock selection or its halving is refused by measurement.
      for (const char* standard : kStandards) SwitchAndBack("wrong-model", k640x480x4, standard, wrong);
    } else if (scenario == "probe") {
      // Every chipset the command line lists, on every standard: which models QEMU's VGA
      // follows into a wrong field.
      std::istringstream list(KernelArgument("zanvo.chips"));
      std::string chip;
      while (std::getline(list, chip, ',')) {
        for (const char* standard : kStandards) for (const ModeSet* mode : kModes) SwitchAndBack("probe", *mode, standard, {"--chipset", chip});
      }
    } else if (scenario == "detect") {
      Detect();
    } else if (scenario == "busy") {
      Busy(wrong, 3, KernelArgument("zanvo.hog") == "1");
    } else if (scenario == "novga") {
      const ZanvoRun run = RunZanvo({"pal", "--json"}, "y\n");
      struct stat st {};
      Emit({{"scenario", "novga"}, {"zanvo", RunJson(run)},
            {"run_dir_made", stat("/run/zanvo", &st) == 0},
            {"settings_dir_made", stat("/var/lib/zanvo", &st) == 0}});
    }
  }
  std::printf("ZANVO-DONE\n");
  std::fflush(stdout);
  sync();
  reboot(RB_POWER_OFF);
  return 0;
}
