#include "emulator_run.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace zanvo::emu {

namespace {

namespace fs = std::filesystem;

constexpr size_t kSectorBytes = 512;
constexpr size_t kFloppyBytes = 1474560;
constexpr size_t kReplayerSectors = 16;  // the boot sector loads sectors 1-16 as the program
constexpr int kRunSeconds = 240;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string Quoted(const fs::path& path) {
  std::string quoted = "'";
  for (const char c : path.string()) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::optional<Readings> RunDosbox(const EmulatorTarget& target, const EmulatorTools& tools,
                                  const std::vector<uint8_t>& ops, const fs::path& dir,
                                  std::string& error) {
  fs::copy_file(tools.replayer, dir / "REPLAY.COM", fs::copy_options::overwrite_existing);
  WriteFile(dir / "OPS.BIN", std::string_view(reinterpret_cast<const char*>(ops.data()), ops.size()));
  fs::remove(dir / "RESULT.TXT");
  std::ostringstream conf;
  conf << "[sdl]\noutput=surface\n"
       << "[dosbox]\nmachine=" << target.machine << "\nmemsize=4\n"
       << "[render]\nframeskip=0\n"
       << "[cpu]\ncore=normal\ncycles=fixed 20000\n"
       << "[mixer]\nnosound=true\n[speaker]\npcspeaker=false\ntandy=off\n"
       << "[sblaster]\nsbtype=none\n[gus]\ngus=false\n[midi]\nmpu401=none\n"
       << "[autoexec]\nmount c .\nc:\nREPLAY.COM\nexit\n";  // run from the folder
  WriteFile(dir / "dosbox.conf", conf.str());
  const std::string command = "cd " + Quoted(dir) +
                              " && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout " +
                              std::to_string(kRunSeconds) + " " + Quoted(tools.emulator) +
                              " -conf dosbox.conf -noconsole > dosbox.log 2>&1 < /dev/null";
  const int status = std::system(command.c_str());
  const std::string report = ReadFile(dir / "RESULT.TXT");
  auto readings = ParseReplayReport(report);
  if (!readings) {
    error = "DOSBox gave no complete report (status " + std::to_string(status) + "), see " +
            (dir / "dosbox.log").string();
  }
  return readings;
}

std::optional<Readings> RunBochs(const EmulatorTools& tools, const std::vector<uint8_t>& ops,
                                 const fs::path& dir, std::string& error) {
  const std::string boot = ReadFile(tools.boot_sector);
  const std::string program = ReadFile(tools.replayer);
  if (boot.size() != kSectorBytes || program.size() > kReplayerSectors * kSectorBytes) {
    error = "the boot sector or the replayer has the wrong size";
    return std::nullopt;
  }
  std::string image(kFloppyBytes, '\0');
  image.replace(0, boot.size(), boot);
  image.replace(kSectorBytes, program.size(), program);
  image.replace((1 + kReplayerSectors) * kSectorBytes, ops.size(),
                std::string(reinterpret_cast<const char*>(ops.data()), ops.size()));
  WriteFile(dir / "floppy.img", image);
  std::ostringstream rc;
  rc << "megs: 16\n"
     << "romimage: file=" << tools.bios << "\n"
     << "vgaromimage: file=" << tools.vga_bios << "\n"
     << "vga: extension=cirrus\n"
     << "floppya: 1_44=floppy.img, status=inserted\n"
     << "boot: floppy\n"
     << "display_library: term\n"
     << "log: bochs.log\n"
     << "port_e9_hack: enabled=1\n"
     << "clock: sync=none, time0=1\n"
     << "cpu: ips=10000000\n"
     << "speaker: enabled=0\n";
  WriteFile(dir / "bochsrc", rc.str());
  // The Debian build has the debugger: continue at the start, quit at the end.
  WriteFile(dir / "debugger-commands", "c\nquit\n");
  const std::string command = "cd " + Quoted(dir) + " && TERM=xterm setsid -w timeout " +
                              std::to_string(kRunSeconds) + " " + Quoted(tools.emulator) +
                              " -q -f bochsrc -rc debugger-commands > bochs.out 2> bochs.err"
                              " < /dev/null";
  const int status = std::system(command.c_str());
  auto readings = ParseReplayReport(ReadFile(dir / "bochs.out"));
  if (!readings) {
    error = "Bochs gave no complete report (status " + std::to_string(status) + "), see " +
            (dir / "bochs.log").string();
  }
  return readings;
}

}  // namespace

std::optional<Readings> ParseReplayReport(std::string_view text) {
  Readings readings;
  std::istringstream in{std::string(text)};
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "E") return readings;
    // Anything else the emulator prints on the same stream is not ours.
    if (line.size() != 15 || line[0] != 'M' || line[1] != ' ' || line[6] != ' ') continue;
    char* end = nullptr;
    const std::string id_text = line.substr(2, 4);
    const std::string tick_text = line.substr(7, 8);
    const unsigned long id = std::strtoul(id_text.c_str(), &end, 16);
    if (*end != '\0') continue;
    const unsigned long ticks = std::strtoul(tick_text.c_str(), &end, 16);
    if (*end != '\0') continue;
    readings[static_cast<uint16_t>(id)] = static_cast<uint32_t>(ticks);
  }
  return std::nullopt;
}

std::optional<Readings> RunReplay(const EmulatorTarget& target, const EmulatorTools& tools,
                                  const std::vector<uint8_t>& ops, std::string& error) {
  if (ops.size() > kMaxOpsBytes) {
    error = "the op list is longer than the replayer loads";
    return std::nullopt;
  }
  std::error_code ec;
  const fs::path dir = tools.work_dir;
  fs::create_directories(dir, ec);
  if (ec) {
    error = "cannot make " + dir.string();
    return std::nullopt;
  }
  if (target.emulator == Emulator::kDosbox) return RunDosbox(target, tools, ops, dir, error);
  return RunBochs(tools, ops, dir, error);
}

}  // namespace zanvo::emu
