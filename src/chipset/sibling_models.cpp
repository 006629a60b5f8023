#include "chipset/sibling_models.h"

#include "chipset/catalogue.h"
#include "engine/chip_codes.h"

namespace zanvo::chipset {

namespace {

using namespace zanvo::engine;

// One sibling that may be tried on a chip: `model` is the model in force, `sibling` the one
// tried. Which pairs are safe, and why, is argued in docs/chips.md.
struct SafeSibling {
  uint8_t family;
  uint16_t model;
  uint16_t sibling;
};

constexpr SafeSibling kSafeSiblings[] = {
    // "Generic" on an ET4000: the ET4000 model without its clock step and overflow register.
    {cfTseng, kModelTseng4000, 0},
};

}  // namespace

std::vector<uint16_t> SiblingModelsToTry(uint8_t family, uint16_t model) {
  std::vector<uint16_t> models;
  for (const ModelEntry& entry : ModelsOfFamily(family)) {
    if (entry.code == model) continue;
    for (const SafeSibling& safe : kSafeSiblings) {
      if (safe.family == family && safe.model == model && safe.sibling == entry.code) {
        models.push_back(entry.code);
        break;
      }
    }
  }
  return models;
}

}  // namespace zanvo::chipset
