#include "register_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace zanvo::scope {
namespace {

using nlohmann::json;

struct FileShape {
  const char* key;
  const char* what;  // for messages
  virt::RegFile file;
  size_t size;  // registers the index can reach
};

// In the order they are written: the sequencer first, as a BIOS loads the clock before the
// timing.
constexpr FileShape kFiles[] = {
    {"seq", "the sequencer", virt::RegFile::kSequencer, 256},
    {"crtc", "the CRT controller", virt::RegFile::kCrtc, 256},
    {"gc", "the graphics controller", virt::RegFile::kGraphics, 256},
    {"attr", "the attribute controller", virt::RegFile::kAttribute, 32},
};
// What a dump of the block-I/O adapter holds besides: its accelerator registers and PLL.
constexpr const char* kNotLoadedKeys[] = {"block", "pll"};

std::string Hex(size_t index) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%02zX", index);
  return text;
}

// A byte from a JSON value, or a message saying what is wrong with it.
std::string ReadByte(const json& value, uint8_t& byte) {
  if (!value.is_number()) {
    return "expected a number from 0 to 255 (or null), found " + value.dump();
  }
  const double number = value.get<double>();
  if (value.is_number_float() && std::floor(number) != number) {
    return value.dump() + " is not a whole number from 0 to 255";
  }
  if (number < 0 || number > 255) return value.dump() + " is outside 0-255";
  byte = static_cast<uint8_t>(number);
  return {};
}

std::string ReadArray(const json& values, const FileShape& shape, const std::string& place,
                      virt::LoadedRegisters& registers) {
  if (!values.is_array()) return place + ": expected an array of register values";
  if (values.size() > shape.size) {
    return place + " has " + std::to_string(values.size()) + " values; " + shape.what + " has " +
           std::to_string(shape.size) + " registers";
  }
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i].is_null()) continue;
    uint8_t byte = 0;
    if (const auto problem = ReadByte(values[i], byte); !problem.empty()) {
      return place + "[" + std::to_string(i) + "] (index " + Hex(i) + "): " + problem;
    }
    registers.values.push_back({shape.file, static_cast<uint8_t>(i), byte});
  }
  return {};
}

std::string ReadRegisters(const json& object, const std::string& prefix, RegisterFile& file) {
  for (const auto& [key, value] : object.items()) {
    const bool known = key == "misc" ||
                       std::any_of(std::begin(kFiles), std::end(kFiles),
                                   [&](const FileShape& shape) { return key == shape.key; }) ||
                       std::find(std::begin(kNotLoadedKeys), std::end(kNotLoadedKeys), key) !=
                           std::end(kNotLoadedKeys);
    if (!known) {
      return "unknown key \"" + prefix + key + "\" (the keys are misc, crtc, seq, gc and attr)";
    }
  }
  if (object.contains("misc") && !object["misc"].is_null()) {
    uint8_t misc = 0;
    if (const auto problem = ReadByte(object["misc"], misc); !problem.empty()) {
      return prefix + "misc: " + problem;
    }
    file.registers.misc = misc;
  }
  for (const FileShape& shape : kFiles) {
    if (!object.contains(shape.key)) continue;
    if (const auto problem =
            ReadArray(object[shape.key], shape, prefix + shape.key, file.registers);
        !problem.empty()) {
      return problem;
    }
  }
  for (const char* key : kNotLoadedKeys) {
    if (object.contains(key)) file.not_loaded.emplace_back(key);
  }
  return {};
}

std::string LineAndColumn(std::string_view text, size_t byte) {
  const size_t end = std::min(byte, text.size());
  const auto before = text.substr(0, end);
  const size_t line = static_cast<size_t>(std::count(before.begin(), before.end(), '\n')) + 1;
  const size_t line_start = before.rfind('\n');
  const size_t column = line_start == std::string_view::npos ? end : end - line_start - 1;
  return "line " + std::to_string(line) + ", column " + std::to_string(std::max<size_t>(column, 1));
}

}  // namespace

bool ParseRegisterFile(std::string_view text, const std::string& name, RegisterFile& file,
                       std::string& error) {
  json document;
  try {
    document = json::parse(text);
  } catch (const json::parse_error& e) {
    error = name + ": not JSON (the syntax fails at " + LineAndColumn(text, e.byte) + ")";
    return false;
  }
  file = RegisterFile{};
  std::string problem;
  if (!document.is_object()) {
    problem = "expected a JSON object with misc, crtc, seq, gc and attr, found " +
              std::string(document.type_name());
  } else if (document.contains("registers") && document["registers"].is_object()) {
    problem = ReadRegisters(document["registers"], "registers.", file);
  } else {
    problem = ReadRegisters(document, "", file);
  }
  if (!problem.empty()) {
    error = name + ": " + problem;
    return false;
  }
  return true;
}

bool ReadRegisterFile(const std::string& path, RegisterFile& file, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  if (!in || in.bad()) {
    error = path + ": cannot be read";
    return false;
  }
  return ParseRegisterFile(text.str(), path, file, error);
}

}  // namespace zanvo::scope
