#pragma once
// The registry under HKEY_LOCAL_MACHINE through the Win32 registry API.

#include <windows.h>

#include <memory>
#include <string_view>

#include "platform/registry.h"

namespace zanvo::win32 {

class Win32RegistryKey final : public RegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}
  Win32RegistryKey(const Win32RegistryKey&) = delete;
  Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;
  ~Win32RegistryKey() override;

  std::optional<uint32_t> ReadDword(std::string_view name) override;
  std::optional<std::string> ReadText(std::string_view name) override;
  bool WriteDword(std::string_view name, uint32_t value) override;
  bool WriteText(std::string_view name, std::string_view value) override;

 private:
  HKEY key_;
};

class Win32Registry final : public Registry {
 public:
  std::unique_ptr<RegistryKey> OpenOrCreate(std::string_view path) override;
};

}  // namespace zanvo::win32
