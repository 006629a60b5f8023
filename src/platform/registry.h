#pragma once
// The system registry under HKEY_LOCAL_MACHINE: a key opened (or created) with full access,
// values read and written, the key closed when the object goes.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zanvo {

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;  // closes the key
  // A REG_DWORD value; nothing when it is missing or of another type.
  virtual std::optional<uint32_t> ReadDword(std::string_view name) = 0;
  // A REG_SZ (or REG_EXPAND_SZ, unexpanded) value: empty text when missing, nothing when the
  // value exists with another type.
  virtual std::optional<std::string> ReadText(std::string_view name) = 0;
  // False when the write failed.
  virtual bool WriteDword(std::string_view name, uint32_t value) = 0;
  virtual bool WriteText(std::string_view name, std::string_view value) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens HKEY_LOCAL_MACHINE\path with full access, creating it when missing; null on failure.
  virtual std::unique_ptr<RegistryKey> OpenOrCreate(std::string_view path) = 0;
};

}  // namespace zanvo
