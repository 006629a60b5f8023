// The brand and model catalogue and the tables that bring the lists into line with the engine.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chipset/catalogue.h"

namespace zanvo::test {
namespace {

using chipset::BrandEntry;
using chipset::ModelEntry;

std::string Captions(std::span<const ModelEntry> models) {
  std::string text;
  for (const ModelEntry& m : models)
    text += std::string(m.caption) + "=" + std::to_string(m.code) + ";";
  return text;
}

TEST(Catalogue, BrandsInListOrderWithTheirModels) {
  const struct {
    const char* caption;
    uint8_t family;
    const char* models;
  } expected[] = {
      {"Standard IBM VGA", 1, "Generic=0;"},
      {"ATI Technology", 8, "Generic (I/O: %xh)=0;"},
      {"Cirrus Logic", 4, "Generic=0;"},
      {"Intel", 9, "Generic=0;"},
      {"Oak Technologies", 20, "Generic=0;OTI037=0;OTI077=5;OTI083/87=83;"},
      {"Realtek", 2, "Generic=0;RTG3103=6;"},
      {"S3", 3, "Generic=0;Trio32/64=17;Trio3D=19;ViRGE=49;Vision864/964=192;"},
      {"SiS", 14, "Generic=0;SiS300=768;"},
      {"Trident", 60, "Generic=0;8800BR=1;9000i=67;3D (3Dimage, Blade3D, etc)=243;"},
      {"Tseng Labs", 5, "Generic=0;ET3000=3000;ET4000=4000;"},
      {"UMC", 12, "Generic=0;"},
      {"Western Digital", 13, "WD90C00=0;WD90C30=13104;"},
  };
  const auto brands = chipset::Brands();
  ASSERT_EQ(brands.size(), std::size(expected));
  for (size_t i = 0; i < brands.size(); ++i) {
    EXPECT_EQ(brands[i].caption, expected[i].caption) << "index " << i;
    EXPECT_EQ(brands[i].family, expected[i].family) << "index " << i;
    EXPECT_EQ(Captions(brands[i].models), expected[i].models) << expected[i].caption;
    EXPECT_EQ(Captions(chipset::ModelsOfFamily(expected[i].family)), expected[i].models)
        << "family " << int(expected[i].family);
  }
  // Codes without a brand get the one generic entry.
  EXPECT_EQ(Captions(chipset::ModelsOfFamily(7)), "Generic=0;");
  EXPECT_EQ(Captions(chipset::ModelsOfFamily(0)), "Generic=0;");
}

TEST(Catalogue, AtiCaptionShowsTheBaseInUpperCaseHex) {
  const struct {
    uint16_t base;
    const char* caption;
  } rows[] = {{0xD000, "Generic (I/O: D000h)"},
              {0x0000, "Generic (I/O: 0h)"},
              {0x0E00, "Generic (I/O: E00h)"},
              {0xFF00, "Generic (I/O: FF00h)"}};
  for (const auto& row : rows)
    EXPECT_EQ(chipset::FormatAtiModelCaption(row.base), row.caption);
}

TEST(Catalogue, ListIndexesFromFamilyAndModel) {
  const struct {
    uint8_t family;
    std::optional<int> index;
  } brands[] = {{0, 0},
                {1, 0},
                {8, 1},
                {4, 2},
                {9, 3},
                {20, 4},
                {2, 5},
                {3, 6},
                {14, 7},
                {60, 8},
                {5, 9},
                {12, 10},
                {13, 11},
                {7, {}},
                {6, {}},
                {61, {}},
                {255, std::nullopt}};
  for (const auto& row : brands)
    EXPECT_EQ(chipset::BrandIndexOfFamily(row.family), row.index) << "family " << int(row.family);

  const struct {
    uint16_t model;
    int index;
  } models[] = {{0, 1},    {1, 1},     {6, 1},   {16, 1},     {17, 1},     {768, 1},
                {3000, 1}, {13104, 1}, {5, 2},   {19, 2},     {67, 2},     {4000, 2},
                {49, 3},   {83, 3},    {243, 3}, {192, 4},    {200, 4},    {209, 4},
                {191, 0},  {210, 0},   {2, 0},   {0x4755, 0}, {0x6326, 0}, {0xFFFF, 0}};
  for (const auto& row : models)
    EXPECT_EQ(chipset::ModelIndexOfModel(row.model), row.index) << "model " << row.model;
}

}  // namespace
}  // namespace zanvo::test
