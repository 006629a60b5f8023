#pragma once
// One PC running zanvo for the tests: a virtual card, its ports counted, the keep question's
// answers scripted, the state directories in a temporary folder.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/virtual_pc.h"
#include "zanvo_options.h"
#include "zanvo_run.h"

namespace zanvo::console::runs {

class ScriptedAnswers final : public AnswerSource {
 public:
  std::deque<Answer> script;
  int waits = 0;
  std::function<void()> while_waiting;  // what happens to the machine during a wait
  Answer Wait(int) override {
    ++waits;
    if (while_waiting) while_waiting();
    if (script.empty()) return Answer::kNone;
    const Answer next = script.front();
    script.pop_front();
    return next;
  }
};

// Counts what reaches the card; can end the process (an exception standing in for kill -9) at
// the field check's first timer access once the card has been written.
struct Death : std::runtime_error {
  Death() : std::runtime_error("the process died here") {}
};

class CountingPorts final : public PortIo {
 public:
  explicit CountingPorts(PortIo& io) : io_(io) {}
  uint32_t writes = 0, reads = 0;
  std::set<uint16_t> written_ports;
  bool die_at_timer_after_writes = false;
  uint8_t InByte(uint16_t port) override {
    ++reads;
    Timer(port);
    return io_.InByte(port);
  }
  uint16_t InWord(uint16_t port) override { return io_.InWord(port); }
  uint32_t InDword(uint16_t port) override { return io_.InDword(port); }
  void OutByte(uint16_t port, uint8_t value) override {
    Timer(port);
    Count(port);
    io_.OutByte(port, value);
  }
  void OutWord(uint16_t port, uint16_t value) override {
    Count(port);
    io_.OutWord(port, value);
  }
  void OutDword(uint16_t port, uint32_t value) override {
    Count(port);
    io_.OutDword(port, value);
  }
  uint32_t InByteWhile(uint16_t port, uint8_t mask, uint8_t unchanged, uint32_t max_reads,
                       uint8_t& last) override {
    ++reads;
    return io_.InByteWhile(port, mask, unchanged, max_reads, last);
  }

 private:
  void Count(uint16_t port) {
    ++writes;
    written_ports.insert(port);
    if (port == 0x3D5 || port == 0x3D4) ++crtc_writes_;
  }
  // The switch writes dozens of CRT registers before its field check reads the timer.
  void Timer(uint16_t port) {
    if (die_at_timer_after_writes && crtc_writes_ > 20 && port >= 0x40 && port <= 0x43) throw Death();
  }
  PortIo& io_;
  int crtc_writes_ = 0;
};

// One PC running zanvo: a virtual card on 640x480, its state directories in a temporary folder.
class ZanvoPc {
 public:
  explicit ZanvoPc(const char* card = "s3-trio64", uint16_t width = 640, uint16_t height = 480)
      : pc(virt::MakeCard(card)), ports(pc) {
    virt::SetDesktopMode(pc.card(), width, height);
    char pattern[] = "/tmp/zanvo-run-XXXXXX";
    base = mkdtemp(pattern);
    run_dir = base + "/run";
    settings_dir = base + "/lib";
  }
  ~ZanvoPc() { std::system(("rm -rf '" + base + "'").c_str()); }

  int Run(std::vector<const char*> args) {
    args.insert(args.begin(), "zanvo");
    const ParsedCommandLine parsed = ParseZanvoCommandLine(static_cast<int>(args.size()), args.data());
    if (parsed.exit_code) return *parsed.exit_code;
    out.str("");
    err.str("");
    ZanvoMachine machine{ports, pc, nullptr, true, "", [this] { return pc.now_ps() * 1e-12 + stopped_s; },
                         run_dir, settings_dir, geteuid(), answers, out, err};
    return RunZanvo(parsed.options, machine);
  }
  bool Exists(const std::string& path) const {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
  }
  std::string SavedSet() const { return run_dir + "/saved-registers"; }

  virt::VirtualPc pc;
  CountingPorts ports;
  ScriptedAnswers answers;
  std::ostringstream out, err;
  std::string base, run_dir, settings_dir;
  double stopped_s = 0.0;  // time the program spent stopped, on top of the card's clock
};

}  // namespace zanvo::console::runs
