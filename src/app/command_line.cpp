#include "app/command_line.h"

#include <cctype>
#include <string>

#include "engine/chip_codes.h"

namespace zanvo::app {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Lowered(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text)
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

CommandLineRequest ParseCommandLine(std::string_view arguments) {
  while (!arguments.empty() && IsBlank(arguments.front()))
    arguments.remove_prefix(1);
  while (!arguments.empty() && IsBlank(arguments.back()))
    arguments.remove_suffix(1);
  CommandLineRequest request;
  if (arguments.empty()) return request;
  request.kind = CommandLineRequest::Kind::kInvalid;
  // One switch and nothing else: "/pal /ntsc" is not a request anyone can mean.
  if (arguments.size() < 2 || (arguments.front() != '/' && arguments.front() != '-'))
    return request;
  const std::string name = Lowered(arguments.substr(1));
  struct Switch {
    const char* name;
    uint8_t standard;
  };
  constexpr Switch kSwitches[] = {{"pal", engine::vsPAL},
                                  {"ntsc", engine::vsNTSC},
                                  {"24khz", engine::vs24kHz},
                                  {"vga", engine::vsVGA}};
  for (const Switch& s : kSwitches) {
    if (name == s.name) {
      request.kind = CommandLineRequest::Kind::kStandard;
      request.standard = s.standard;
    }
  }
  return request;
}

}  // namespace zanvo::app
