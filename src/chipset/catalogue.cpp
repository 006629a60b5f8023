#include "chipset/catalogue.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>

#include "engine/chip_codes.h"

namespace zanvo::chipset {

namespace {

using namespace zanvo::engine;

constexpr ModelEntry kGenericOnly[] = {{"Generic", 0}};
constexpr ModelEntry kAtiModels[] = {{kAtiModelCaptionFormat, 0}};
// "Generic" and "OTI037" share code 0: the OTI037 has no chip ID of its own.
constexpr ModelEntry kOakModels[] = {{"Generic", kModelOakGeneric},
                                     {"OTI037", kModelOakOti037},
                                     {"OTI077", kModelOakOti077},
                                     {"OTI083/87", kModelOakOti083}};
constexpr ModelEntry kRealtekModels[] = {{"Generic", 0}, {"RTG3103", kModelRealtekRtg3103}};
constexpr ModelEntry kS3Models[] = {{"Generic", 0},
                                    {"Trio32/64", kModelS3Trio64},
                                    {"Trio3D", kModelS3Trio3D},
                                    {"ViRGE", kModelS3Virge},
                                    {"Vision864/964", kModelS3VisionFirst}};
constexpr ModelEntry kSiSModels[] = {{"Generic", 0}, {"SiS300", kModelSiS300}};
constexpr ModelEntry kTridentModels[] = {{"Generic", 0},
                                         {"8800BR", kModelTridentOld},
                                         {"9000i", kModelTrident9000i},
                                         {"3D (3Dimage, Blade3D, etc)", kModelTridentBlade3D}};
constexpr ModelEntry kTsengModels[] = {
    {"Generic", 0}, {"ET3000", kModelTseng3000}, {"ET4000", kModelTseng4000}};
// No "Generic": every WD chip answers with its identification.
constexpr ModelEntry kWDModels[] = {{"WD90C00", kModelWD90C00}, {"WD90C30", kModelWD90C30}};

constexpr std::array<BrandEntry, kBrandCount> kBrands = {{
    {"Standard IBM VGA", cfStandardVGA, kGenericOnly},
    {"ATI Technology", cfATI, kAtiModels},
    {"Cirrus Logic", cfCirrus, kGenericOnly},
    {"Intel", cfIntel, kGenericOnly},
    {"Oak Technologies", cfOak, kOakModels},
    {"Realtek", cfRealtek, kRealtekModels},
    {"S3", cfS3, kS3Models},
    {"SiS", cfSiS, kSiSModels},
    {"Trident", cfTrident, kTridentModels},
    {"Tseng Labs", cfTseng, kTsengModels},
    {"UMC", cfUMC, kGenericOnly},
    {"Western Digital", cfWD, kWDModels},
}};

// Model list index by ChipModel alone, whatever the family: codes are grouped by the position
// their entry has in its brand's list. The Vision864/964 position takes the whole range of S3
// identification values 0xC0-0xD1.
constexpr uint16_t kModelsAtIndex1[] = {0, 1, 6, 16, 17, 768, 3000, 13104};
constexpr uint16_t kModelsAtIndex2[] = {5, 19, 67, 4000};
constexpr uint16_t kModelsAtIndex3[] = {49, 83, 243};

template <size_t N>
bool Contains(const uint16_t (&codes)[N], uint16_t code) {
  return std::find(std::begin(codes), std::end(codes), code) != std::end(codes);
}

}  // namespace

std::span<const BrandEntry> Brands() {
  return kBrands;
}

std::span<const ModelEntry> ModelsOfFamily(uint8_t family) {
  for (const BrandEntry& brand : kBrands) {
    if (brand.family == family) return brand.models;
  }
  return kGenericOnly;
}

std::string FormatAtiModelCaption(uint16_t ext_io_base) {
  const std::string_view format = kAtiModelCaptionFormat;
  const size_t at = format.find("%x");
  char digits[8];
  std::snprintf(digits, sizeof digits, "%X", unsigned{ext_io_base});
  std::string caption(format.substr(0, at));
  caption += digits;
  caption += format.substr(at + 2);
  return caption;
}

std::optional<int> BrandIndexOfFamily(uint8_t family) {
  if (family == 0) return 0;  // the load value, before anything was chosen
  for (size_t i = 0; i < kBrands.size(); ++i) {
    if (kBrands[i].family == family) return static_cast<int>(i);
  }
  return std::nullopt;
}

int ModelIndexOfModel(uint16_t model) {
  if (Contains(kModelsAtIndex1, model)) return 1;
  if (Contains(kModelsAtIndex2, model)) return 2;
  if (Contains(kModelsAtIndex3, model)) return 3;
  if (model >= kModelS3VisionFirst && model <= kModelS3VisionLast) return 4;
  return 0;
}

}  // namespace zanvo::chipset
