#include "chipset/sibling_models.h"

#include <algorithm>

#include "chipset/catalogue.h"
#include "engine/chip_codes.h"

namespace zanvo::chipset {

namespace {

using namespace zanvo::engine;

// One sibling that may be tried on a chip: `model` is the model in force, `sibling` the one
// tried. Each sibling's writes are a subset of the registers the engine writes under the model
// in force, or the same registers; which pairs are safe, and why the others are not, is argued
// in docs/chips.md. A sibling whose writes equal the model in force's is not listed: it would
// only measure the same signal again.
struct SafeSibling {
  uint8_t family;
  uint16_t model;
  uint16_t sibling;
};

constexpr SafeSibling kSafeSiblings[] = {
    // Oak: "Generic" leaves out the chip interlace (0x14, 0x15); the clock register 0x0D and the
    // Miscellaneous Output are the same. OTI077 and OTI083/87 write alike.
    {cfOak, kModelOakOti077, kModelOakGeneric},
    {cfOak, kModelOakOti083, kModelOakGeneric},
    // Realtek: "Generic" adds the halved-clock code, whose clock step writes CR1A and GR0B as
    // the RTG3103's own wide rows do.
    {cfRealtek, kModelRealtekRtg3103, 0},
    // S3 on a Trio32/64, Trio3D or ViRGE, whose own switches write SR15: every sibling writes
    // the same keys, CR42/CR3C/CR5E/CR67 and at most SR15; they differ only in the flags.
    // ViRGE and Trio32/64 write alike, so only one of them is tried.
    {cfS3, kModelS3Trio64, 0},
    {cfS3, kModelS3Trio64, kModelS3Trio3D},
    {cfS3, kModelS3Trio64, kModelS3VisionFirst},
    {cfS3, kModelS3Trio3D, 0},
    {cfS3, kModelS3Trio3D, kModelS3Trio64},
    {cfS3, kModelS3Trio3D, kModelS3VisionFirst},
    {cfS3, kModelS3Virge, 0},
    {cfS3, kModelS3Virge, kModelS3Trio3D},
    {cfS3, kModelS3Virge, kModelS3VisionFirst},
    // Trident: the 9000i's siblings without the 0xF3 chip's SR11 key; on the 0xF3 chip, all
    // three (it has every register the others write).
    {cfTrident, kModelTrident9000i, 0},
    {cfTrident, kModelTrident9000i, kModelTridentOld},
    {cfTrident, kModelTridentBlade3D, 0},
    {cfTrident, kModelTridentBlade3D, kModelTridentOld},
    {cfTrident, kModelTridentBlade3D, kModelTrident9000i},
    // Tseng: "Generic" on an ET4000 is the ET4000 without its clock preparation (SR07, CR31,
    // CR34); its interlace goes to CR35 as the ET4000's does.
    {cfTseng, kModelTseng4000, 0},
    // Western Digital: both models write GR0C bit 1, CR2E and the interlace registers; only the
    // sense of the clock bit differs.
    {cfWD, kModelWD90C00, kModelWD90C30},
    {cfWD, kModelWD90C30, kModelWD90C00},
};

}  // namespace

std::vector<uint16_t> SiblingModelsToTry(uint8_t family, uint16_t model) {
  std::vector<uint16_t> models;
  for (const ModelEntry& entry : ModelsOfFamily(family)) {
    if (entry.code == model) continue;
    // Two entries may share a code (Oak's "Generic" and "OTI037"): one try is enough.
    if (std::find(models.begin(), models.end(), entry.code) != models.end()) continue;
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
