#pragma once
// The settings in a small text file, one value a line: `Name=123` for a number, `Name="text"`
// for a text. It stands in for the registry key the window's settings live under. The file is
// read once when opened (only when private_files accepts it) and written back whole on every
// change. Lines that do not parse are ignored: each setting then keeps its default.

#include <sys/types.h>

#include <map>
#include <string>
#include <variant>

#include "platform/registry.h"

namespace zanvo::linux_pc {

using SettingValue = std::variant<uint32_t, std::string>;

// The values a settings text holds; what does not parse is left out.
std::map<std::string, SettingValue> ParseSettings(const std::string& text);
std::string FormatSettings(const std::map<std::string, SettingValue>& values);

class SettingsFile final : public Registry {
 public:
  SettingsFile(std::string path, uid_t owner) : path_(std::move(path)), owner_(owner) {}
  // Every key path opens the one file. Null when the file is there but refused.
  std::unique_ptr<RegistryKey> OpenOrCreate(std::string_view path) override;
  // Why the last OpenOrCreate returned null.
  const std::string& refusal() const { return refusal_; }

 private:
  std::string path_;
  uid_t owner_;
  std::string refusal_;
};

}  // namespace zanvo::linux_pc
