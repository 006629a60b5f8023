#include "console_settings.h"

#include "app/texts.h"

namespace zanvo::console {

namespace {

bool IsStandardValue(std::string_view name) {
  return name == app::texts::kValueVideoStandard;
}

bool IsChipsetValue(std::string_view name) {
  return name == app::texts::kValueChipset || name == app::texts::kValueModel;
}

class ConsoleKey final : public RegistryKey {
 public:
  ConsoleKey(std::unique_ptr<RegistryKey> key, const bool& store_chipset)
      : key_(std::move(key)), store_chipset_(store_chipset) {}
  std::optional<uint32_t> ReadDword(std::string_view name) override {
    return key_->ReadDword(name);
  }
  std::optional<std::string> ReadText(std::string_view name) override {
    if (IsStandardValue(name)) return std::string{};
    return key_->ReadText(name);
  }
  bool WriteDword(std::string_view name, uint32_t value) override {
    if (IsChipsetValue(name) && !store_chipset_) return true;
    return key_->WriteDword(name, value);
  }
  bool WriteText(std::string_view name, std::string_view value) override {
    if (IsStandardValue(name)) return true;
    return key_->WriteText(name, value);
  }

 private:
  std::unique_ptr<RegistryKey> key_;
  const bool& store_chipset_;
};

}  // namespace

std::unique_ptr<RegistryKey> ConsoleSettings::OpenOrCreate(std::string_view path) {
  std::unique_ptr<RegistryKey> key = file_.OpenOrCreate(path);
  if (!key) return nullptr;
  return std::make_unique<ConsoleKey>(std::move(key), store_chipset);
}

}  // namespace zanvo::console
