#include "win32_registry.h"

#include <string>
#include <vector>

namespace zanvo::win32 {

namespace {

// A value that keeps growing between the size query and the read is given up after this many
// tries rather than chased forever.
constexpr int kReadAttempts = 4;

}  // namespace

Win32RegistryKey::~Win32RegistryKey() {
  ::RegCloseKey(key_);
}

std::optional<uint32_t> Win32RegistryKey::ReadDword(std::string_view name) {
  const std::string value_name(name);
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof(value);
  const LONG status = ::RegQueryValueExA(key_, value_name.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(&value), &size);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) return std::nullopt;
  return value;
}

std::optional<std::string> Win32RegistryKey::ReadText(std::string_view name) {
  const std::string value_name(name);
  DWORD type = 0;
  DWORD size = 0;
  LONG status = ::RegQueryValueExA(key_, value_name.c_str(), nullptr, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) return std::string{};
  if (status != ERROR_SUCCESS) return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;

  std::vector<char> buffer;
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    buffer.assign(size + 1, '\0');  // room for a terminator the stored data may lack
    status = ::RegQueryValueExA(key_, value_name.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (status != ERROR_MORE_DATA) break;
  }
  if (status == ERROR_FILE_NOT_FOUND) return std::string{};
  if (status != ERROR_SUCCESS) return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  // The text ends at the first terminator; REG_EXPAND_SZ stays unexpanded.
  buffer.resize(size);
  std::string text(buffer.begin(), buffer.end());
  const size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  return text;
}

bool Win32RegistryKey::WriteDword(std::string_view name, uint32_t value) {
  const std::string value_name(name);
  const DWORD data = value;
  return ::RegSetValueExA(key_, value_name.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&data), sizeof(data)) == ERROR_SUCCESS;
}

bool Win32RegistryKey::WriteText(std::string_view name, std::string_view value) {
  const std::string value_name(name);
  const std::string text(value);  // stored with its terminator
  return ::RegSetValueExA(key_, value_name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

std::unique_ptr<RegistryKey> Win32Registry::OpenOrCreate(std::string_view path) {
  const std::string key_path(path);
  HKEY key = nullptr;
  const LONG status =
      ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32RegistryKey>(key);
}

}  // namespace zanvo::win32
