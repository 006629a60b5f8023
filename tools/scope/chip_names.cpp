#include "chip_names.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string_view>
#include <system_error>

#include "chipset/catalogue.h"
#include "engine/chip_codes.h"

namespace zanvo::scope {
namespace {

// Short family names a person may type instead of the brand as the list spells it.
struct ShortName {
  std::string_view name;
  uint8_t family;
};
constexpr ShortName kShortNames[] = {
    {"vga", engine::cfStandardVGA}, {"realtek", engine::cfRealtek}, {"s3", engine::cfS3},
    {"cirrus", engine::cfCirrus},   {"tseng", engine::cfTseng},     {"ati", engine::cfATI},
    {"intel", engine::cfIntel},     {"umc", engine::cfUMC},         {"wd", engine::cfWD},
    {"sis", engine::cfSiS},         {"oak", engine::cfOak},         {"trident", engine::cfTrident},
};

std::string Hex4(uint16_t code) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", unsigned{code});
  return text;
}

// Decimal, or hexadecimal after 0x; the whole text, no larger than `max`.
std::optional<unsigned> ParseCode(std::string_view text, unsigned max, bool hex_only) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (hex_only) {
    return std::nullopt;
  }
  unsigned value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (ec != std::errc{} || end != text.data() + text.size() || text.empty() || value > max) {
    return std::nullopt;
  }
  return value;
}

const chipset::BrandEntry* BrandOf(uint8_t family) {
  for (const chipset::BrandEntry& brand : chipset::Brands()) {
    if (brand.family == family) return &brand;
  }
  return nullptr;
}

// The caption a person types for an entry: ATI's single entry reads "Generic" without its base.
std::string_view TypedCaption(uint8_t family, const chipset::ModelEntry& entry) {
  return family == engine::cfATI ? std::string_view("Generic") : entry.caption;
}

std::string ModelList(uint8_t family) {
  std::string list;
  for (const chipset::ModelEntry& entry : chipset::ModelsOfFamily(family)) {
    if (!list.empty()) list += ", ";
    list += std::string(TypedCaption(family, entry)) + " (" + Hex4(entry.code) + ")";
  }
  return list;
}

std::string FamilyNames() {
  std::string list;
  for (const ShortName& name : kShortNames)
    list += std::string(list.empty() ? "" : ", ") + std::string(name.name);
  list += "; or a brand as the window lists it (";
  bool first = true;
  for (const chipset::BrandEntry& brand : chipset::Brands()) {
    list += std::string(first ? "" : ", ") + std::string(brand.caption);
    first = false;
  }
  return list + ")";
}

std::optional<uint8_t> ParseFamily(std::string_view text) {
  for (const ShortName& name : kShortNames) {
    if (SameIgnoringCase(text, name.name)) return name.family;
  }
  for (const chipset::BrandEntry& brand : chipset::Brands()) {
    if (SameIgnoringCase(text, brand.caption)) return brand.family;
  }
  if (const auto code = ParseCode(text, 0xFF, false)) return static_cast<uint8_t>(*code);
  return std::nullopt;
}

}  // namespace

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string ChipName(uint8_t family, uint16_t model, uint16_t ext_io_base) {
  const chipset::BrandEntry* brand = BrandOf(family);
  if (family == 0) brand = &chipset::Brands()[0];  // the value before anything was chosen
  if (!brand) return "no brand in the list";
  std::string name = std::string(brand->caption) + ": ";
  if (family == engine::cfATI) {
    return name + (ext_io_base != 0 ? chipset::FormatAtiModelCaption(ext_io_base) : "Generic");
  }
  for (const chipset::ModelEntry& entry : brand->models) {
    if (entry.code == model) return name + std::string(entry.caption);
  }
  const auto index = static_cast<size_t>(chipset::ModelIndexOfModel(model));
  if (index < brand->models.size()) return name + std::string(brand->models[index].caption);
  return name + "no entry for model " + Hex4(model);
}

std::string ParseChipChoice(const std::string& text, ChipChoice& choice) {
  const auto colon = text.find(':');
  const std::string_view family_text = std::string_view(text).substr(0, colon);
  const auto family = ParseFamily(family_text);
  if (!family) {
    return "expected FAMILY[:MODEL], FAMILY a code (0-255) or one of " + FamilyNames();
  }
  choice.family = *family;
  choice.model = 0;
  if (colon == std::string::npos) return {};

  const std::string_view model_text = std::string_view(text).substr(colon + 1);
  for (const chipset::ModelEntry& entry : chipset::ModelsOfFamily(*family)) {
    if (SameIgnoringCase(model_text, TypedCaption(*family, entry))) {
      choice.model = entry.code;
      return {};
    }
  }
  if (const auto code = ParseCode(model_text, 0xFFFF, true)) {
    for (const chipset::ModelEntry& entry : chipset::ModelsOfFamily(*family)) {
      if (entry.code == *code) {
        choice.model = entry.code;
        return {};
      }
    }
  }
  const chipset::BrandEntry* brand = BrandOf(*family);
  const std::string owner =
      brand ? std::string(brand->caption) : "family " + std::to_string(*family);
  return owner + " has no model \"" + std::string(model_text) +
         "\"; its models, by name (any case) or code: " + ModelList(*family);
}

}  // namespace zanvo::scope
