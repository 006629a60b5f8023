#include "register_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <system_error>

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

// The JSON type of a value, as a message names it instead of quoting what may be huge.
std::string TypeOf(const json& value) {
  switch (value.type()) {
    case json::value_t::object:
      return "an object";
    case json::value_t::array:
      return "an array";
    case json::value_t::string:
      return "a string";
    case json::value_t::boolean:
      return "a boolean";
    default:
      return std::string("a ") + value.type_name();
  }
}

// "0x5F" (up to two digits after the prefix, any case): the form the text dump shows.
std::optional<uint8_t> HexByte(const std::string& text) {
  if (text.size() < 3 || text.size() > 4 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) {
    return std::nullopt;
  }
  unsigned value = 0;
  const char* end = text.data() + text.size();
  auto [stop, ec] = std::from_chars(text.data() + 2, end, value, 16);
  if (ec != std::errc{} || stop != end) return std::nullopt;
  return static_cast<uint8_t>(value);
}

constexpr const char* kByteForms = "a number from 0 to 255, a string \"0x00\" to \"0xFF\" or null";

// A byte from a JSON value, or a message saying what is wrong with it.
std::string ReadByte(const json& value, uint8_t& byte) {
  if (value.is_string()) {
    const auto hex = HexByte(value.get_ref<const std::string&>());
    if (!hex) return std::string("expected ") + kByteForms + ", found a string of another form";
    byte = *hex;
    return {};
  }
  if (!value.is_number()) return std::string("expected ") + kByteForms + ", found " + TypeOf(value);
  // A number prints short: it is quoted.
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
  if (!values.is_array()) {
    return place + ": expected an array of register values, found " + TypeOf(values);
  }
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
      // A key may be anything a file holds: long ones are cut.
      const std::string shown = key.size() > 40 ? key.substr(0, 40) + "..." : key;
      return "unknown key \"" + prefix + shown + "\" (the keys are misc, crtc, seq, gc and attr)";
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

// The place of the byte before `byte` (the parser counts the bytes it has read), 1-based.
std::string LineAndColumn(std::string_view text, size_t byte) {
  const size_t end = std::min(byte, text.size());
  const auto before = text.substr(0, end);
  const size_t line = static_cast<size_t>(std::count(before.begin(), before.end(), '\n')) + 1;
  const size_t line_start = before.rfind('\n');
  const size_t column = line_start == std::string_view::npos ? end : end - line_start - 1;
  return "line " + std::to_string(line) + ", column " + std::to_string(std::max<size_t>(column, 1));
}

// A register file nests three deep (a report's "registers", a register file, its values); a
// whole report a little more. Anything much deeper is no register file, and is refused before
// the parser builds it.
constexpr int kMaxFileNesting = 3;
constexpr int kMaxNesting = 8;

// Where the first bracket opens past kMaxNesting levels, outside strings; nothing when none does.
std::optional<size_t> TooDeep(std::string_view text) {
  int depth = 0;
  bool in_string = false, escaped = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxNesting) return i;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return std::nullopt;
}

// nlohmann's number-overflow error: a number beyond a double's range ("1e400").
constexpr int kNumberOverflow = 406;

// Reads the whole text without building it, and keeps where the first error lies: the parser's
// own exceptions (a syntax error, a number out of range) say what but not where.
struct FirstError : nlohmann::json_sax<json> {
  size_t position = 0;
  int id = 0;

  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t&) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(std::size_t at, const std::string&,
                   const nlohmann::detail::exception& e) override {
    position = at;
    id = e.id;
    return false;
  }
};

// The card of a whole report ("chip": {"card": ...}), as --registers --json prints it.
std::string CardNamed(const json& report) {
  const auto chip = report.find("chip");
  if (chip == report.end() || !chip->is_object()) return {};
  const auto card = chip->find("card");
  return card != chip->end() && card->is_string() ? card->get<std::string>() : std::string();
}

}  // namespace

bool ParseRegisterFile(std::string_view text, const std::string& name, RegisterFile& file,
                       std::string& error) {
  if (const auto place = TooDeep(text)) {
    error = name + ": nested deeper than " + std::to_string(kMaxNesting) + " levels at " +
            LineAndColumn(text, *place + 1) + " (a register file nests " +
            std::to_string(kMaxFileNesting) + " deep)";
    return false;
  }
  FirstError first;
  if (!json::sax_parse(text, &first)) {
    const std::string place = LineAndColumn(text, first.position);
    if (first.id == kNumberOverflow) {
      error = name + ": a number too large for any register at " + place;
    } else {
      error = name + ": not JSON (the syntax fails at " + place + ")";
    }
    return false;
  }
  json document;
  try {
    document = json::parse(text);
  } catch (const json::exception& e) {
    // The screening above found nothing: whatever this is, it has no place to name.
    error = name + ": not JSON (" + e.what() + ")";
    return false;
  }
  file = RegisterFile{};
  std::string problem;
  if (!document.is_object()) {
    problem = "expected a JSON object with misc, crtc, seq, gc and attr, found " + TypeOf(document);
  } else if (document.contains("registers") && document["registers"].is_object()) {
    problem = ReadRegisters(document["registers"], "registers.", file);
    file.card = CardNamed(document);
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
