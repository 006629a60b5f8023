#include "settings_store.h"

#include <windows.h>

#include <vector>

#include "app/texts.h"
#include "check.h"

namespace e2e {
namespace texts = zanvo::app::texts;

namespace {

// The key is opened for each read, as the program closes it after each use.
class SettingsKey {
 public:
  SettingsKey() {
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, texts::kRegistryKey, 0, KEY_READ, &key_) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~SettingsKey() {
    if (key_) RegCloseKey(key_);
  }
  SettingsKey(const SettingsKey&) = delete;
  SettingsKey& operator=(const SettingsKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

void ForgetSettings() {
  const LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, texts::kRegistryKey);
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
    Fail(Format("could not delete the settings key (error %ld)", result));
}

std::optional<uint32_t> StoredDword(const char* value) {
  SettingsKey key;
  if (!key.get()) return std::nullopt;
  DWORD type = 0, data = 0, size = sizeof data;
  if (RegQueryValueExA(key.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    return std::nullopt;
  return data;
}

std::optional<std::string> StoredText(const char* value) {
  SettingsKey key;
  if (!key.get()) return std::nullopt;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.get(), value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(key.get(), value, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                       &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::string(data.data());
}

void ExpectStoredText(const char* value, const char* expected) {
  const auto stored = StoredText(value);
  if (!stored) Fail(Format("%s is not stored as text", value));
  if (*stored != expected)
    Fail(Format("%s stored as \"%s\", expected \"%s\"", value, stored->c_str(), expected));
  Pass(Format("%s stored as \"%s\"", value, expected));
}

void ExpectStoredDword(const char* value, uint32_t expected) {
  const auto stored = StoredDword(value);
  if (!stored) Fail(Format("%s is not stored as a DWORD", value));
  if (*stored != expected)
    Fail(Format("%s stored as %u, expected %u", value, unsigned(*stored), unsigned(expected)));
  Pass(Format("%s stored as %u", value, unsigned(expected)));
}

void LetWineDrawFrames() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;  // only the looks of the screenshot suffer
  static const char kNo[] = "N";
  RegSetValueExA(key, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNo), sizeof kNo);
  RegCloseKey(key);
}

}  // namespace e2e
