// The Windows read-me lists the chipsets a user can pick: every brand and model of the window's
// lists.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "chipset/catalogue.h"
#include "engine/chip_codes.h"

namespace zanvo::scope {
namespace {

TEST(WindowsReadme, ListsEveryBrandAndModelOfTheChipsetLists) {
  std::ifstream file(std::string(ZANVO_SOURCE_DIR) + "/docs/readme-windows.txt");
  ASSERT_TRUE(file);
  std::stringstream text;
  text << file.rdbuf();
  const std::string readme = text.str();
  for (const chipset::BrandEntry& brand : chipset::Brands()) {
    // One line per brand: the brand, then its models.
    const size_t line = readme.find("\n  " + std::string(brand.caption) + " ");
    ASSERT_NE(line, std::string::npos) << brand.caption;
    const std::string models = readme.substr(line, readme.find('\n', line + 1) - line);
    for (const chipset::ModelEntry& model : brand.models) {
      const std::string caption =
          brand.family == engine::cfATI ? "Generic" : std::string(model.caption);
      EXPECT_NE(models.find(caption), std::string::npos) << brand.caption << ": " << caption;
    }
  }
}

}  // namespace
}  // namespace zanvo::scope
