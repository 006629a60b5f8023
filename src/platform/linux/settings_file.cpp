#include "platform/linux/settings_file.h"

#include <charconv>
#include <sstream>

#include "platform/linux/private_files.h"

namespace zanvo::linux_pc {

namespace {

bool IsName(std::string_view name) {
  if (name.empty() || name.size() > 64) return false;
  for (const char c : name) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

// A text value holds no quotes, line ends or control characters, so that it reads back whole.
bool IsPlainText(std::string_view text) {
  for (const char c : text) {
    if (c == '"' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return text.size() <= 256;
}

class SettingsKey final : public RegistryKey {
 public:
  SettingsKey(std::string path, std::map<std::string, SettingValue> values)
      : path_(std::move(path)), values_(std::move(values)) {}

  std::optional<uint32_t> ReadDword(std::string_view name) override {
    const auto found = values_.find(std::string(name));
    if (found == values_.end()) return std::nullopt;
    if (const auto* number = std::get_if<uint32_t>(&found->second)) return *number;
    return std::nullopt;
  }
  std::optional<std::string> ReadText(std::string_view name) override {
    const auto found = values_.find(std::string(name));
    if (found == values_.end()) return std::string{};
    if (const auto* text = std::get_if<std::string>(&found->second)) return *text;
    return std::nullopt;
  }
  bool WriteDword(std::string_view name, uint32_t value) override {
    if (!IsName(name)) return false;
    values_[std::string(name)] = value;
    return WritePrivateFile(path_, FormatSettings(values_)).empty();
  }
  bool WriteText(std::string_view name, std::string_view value) override {
    if (!IsName(name) || !IsPlainText(value)) return false;
    values_[std::string(name)] = std::string(value);
    return WritePrivateFile(path_, FormatSettings(values_)).empty();
  }

 private:
  std::string path_;
  std::map<std::string, SettingValue> values_;
};

}  // namespace

std::map<std::string, SettingValue> ParseSettings(const std::string& text) {
  std::map<std::string, SettingValue> values;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = line.substr(0, equals);
    const std::string_view value = std::string_view(line).substr(equals + 1);
    if (!IsName(name)) continue;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      const std::string_view inner = value.substr(1, value.size() - 2);
      if (IsPlainText(inner)) values[name] = std::string(inner);
      continue;
    }
    uint32_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error == std::errc{} && end == value.data() + value.size() && !value.empty()) {
      values[name] = number;
    }
  }
  return values;
}

std::string FormatSettings(const std::map<std::string, SettingValue>& values) {
  std::string text;
  for (const auto& [name, value] : values) {
    text += name + "=";
    if (const auto* number = std::get_if<uint32_t>(&value)) {
      text += std::to_string(*number);
    } else {
      text += "\"" + std::get<std::string>(value) + "\"";
    }
    text += "\n";
  }
  return text;
}

std::unique_ptr<RegistryKey> SettingsFile::OpenOrCreate(std::string_view) {
  const std::optional<std::string> text = ReadPrivateFile(path_, owner_, refusal_);
  if (!refusal_.empty()) return nullptr;
  return std::make_unique<SettingsKey>(path_, text ? ParseSettings(*text)
                                                   : std::map<std::string, SettingValue>{});
}

}  // namespace zanvo::linux_pc
