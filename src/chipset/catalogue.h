#pragma once
// The chipset catalogue behind the "Video Chipset" lists: the twelve brands in list order with
// their family codes, each brand's model entries, and the tables that bring the lists into line
// with ChipFamily and ChipModel.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zanvo::chipset {

struct ModelEntry {
  std::string_view caption;
  uint16_t code;  // ChipModel
};

struct BrandEntry {
  std::string_view caption;
  uint8_t family;  // ChipFamily
  std::span<const ModelEntry> models;
};

inline constexpr int kBrandCount = 12;

// The caption of the ATI brand's single model entry, with ExtIoBase as its argument.
inline constexpr std::string_view kAtiModelCaptionFormat = "Generic (I/O: %xh)";

// The brands in list order.
std::span<const BrandEntry> Brands();

// The model entries the model list gets when the brand of `family` is chosen; a family without
// a brand gets the single "Generic" entry. For ATI the one entry carries the unformatted
// caption: the window shows FormatAtiModelCaption instead.
std::span<const ModelEntry> ModelsOfFamily(uint8_t family);

// "Generic (I/O: %xh)" with the base in upper-case hexadecimal without leading zeros.
std::string FormatAtiModelCaption(uint16_t ext_io_base);

// Brand list index for a family code (0 and 1 both give Standard IBM VGA); nothing for a code
// without a brand, which leaves the brand list as it was.
std::optional<int> BrandIndexOfFamily(uint8_t family);

// Model list index the lists show for a ChipModel, whatever the family; 0 for codes the table
// does not list.
int ModelIndexOfModel(uint16_t model);

}  // namespace zanvo::chipset
