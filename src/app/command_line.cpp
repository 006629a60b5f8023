#include "app/command_line.h"

#include <cctype>
#include <string>

#include "app/texts.h"
#include "engine/chip_codes.h"

namespace zanvo::app {

namespace {

constexpr std::string_view kResidentMarker = "/resident";
constexpr std::string_view kUsageMarker = "/usage";

struct Switch {
  const char* name;
  uint8_t standard;
};
constexpr Switch kSwitches[] = {{"pal", engine::vsPAL},
                                {"ntsc", engine::vsNTSC},
                                {"24khz", engine::vs24kHz},
                                {"vga", engine::vsVGA}};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

std::string Lowered(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text)
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The text after `marker` when `arguments` starts with it as a word of its own.
bool AfterMarker(std::string_view arguments, std::string_view marker, std::string_view& rest) {
  if (Lowered(arguments.substr(0, marker.size())) != marker) return false;
  if (arguments.size() > marker.size() && !IsBlank(arguments[marker.size()])) return false;
  rest = Trimmed(arguments.substr(marker.size()));
  return true;
}

// One switch and nothing else: "/pal /ntsc" is not a request anyone can mean.
bool ParseSwitch(std::string_view argument, uint8_t& standard) {
  if (argument.size() < 2 || (argument.front() != '/' && argument.front() != '-')) return false;
  const std::string name = Lowered(argument.substr(1));
  for (const Switch& s : kSwitches) {
    if (name == s.name) {
      standard = s.standard;
      return true;
    }
  }
  return false;
}

}  // namespace

CommandLineRequest ParseCommandLine(std::string_view arguments) {
  arguments = Trimmed(arguments);
  CommandLineRequest request;
  if (arguments.empty()) return request;
  std::string_view rest;
  if (AfterMarker(arguments, kUsageMarker, rest)) {
    request.kind = CommandLineRequest::Kind::kUsage;
    request.not_understood = rest;
    return request;
  }
  if (AfterMarker(arguments, kResidentMarker, rest) && ParseSwitch(rest, request.standard)) {
    request.kind = CommandLineRequest::Kind::kStandard;
    request.resident = true;
    return request;
  }
  if (ParseSwitch(arguments, request.standard)) {
    request.kind = CommandLineRequest::Kind::kStandard;
    return request;
  }
  request.kind = CommandLineRequest::Kind::kInvalid;
  request.not_understood = arguments;
  return request;
}

std::string ResidentArguments(uint8_t standard) {
  for (const Switch& s : kSwitches) {
    if (s.standard == standard) return std::string(kResidentMarker) + " /" + s.name;
  }
  return std::string(kResidentMarker) + " /vga";
}

std::string UsageArguments(std::string_view not_understood) {
  return std::string(kUsageMarker) + " " + std::string(not_understood);
}

std::string UsageText(std::string_view not_understood) {
  if (not_understood.empty()) return texts::kUsage;
  return std::string(texts::kNotUnderstood) + " " + std::string(not_understood) + "\r\n\r\n" +
         texts::kUsage;
}

}  // namespace zanvo::app
