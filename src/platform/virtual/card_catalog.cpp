#include "platform/virtual/card_catalog.h"

#include <array>

#include "platform/virtual/cards/ati_mach64_card.h"
#include "platform/virtual/cards/cirrus_card.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/cards/intel_i740_card.h"
#include "platform/virtual/cards/oak_card.h"
#include "platform/virtual/cards/realtek_card.h"
#include "platform/virtual/cards/s3_card.h"
#include "platform/virtual/cards/sis_card.h"
#include "platform/virtual/cards/standard_vga.h"
#include "platform/virtual/cards/trident_card.h"
#include "platform/virtual/cards/tseng_card.h"
#include "platform/virtual/cards/umc_card.h"
#include "platform/virtual/cards/wd_card.h"

namespace zanvo::virt {

namespace {

struct CardEntry {
  std::string_view name;
  std::unique_ptr<VgaCard> (*make)();
};

template <typename Card>
std::unique_ptr<VgaCard> Make() {
  return std::make_unique<Card>();
}

// One line per card, in the order --list-cards shows them.
constexpr CardEntry kCards[] = {
    {"vga", Make<StandardVga>},
    {"s3-trio64", Make<S3Trio64Card>},
    {"s3-vision864", Make<S3Vision864Card>},
    {"cirrus-gd5434", Make<CirrusCard>},
    {"ati-mach64", Make<AtiMach64Card>},
    {"sis-6326", Make<Sis6326Card>},
    {"sis-300", Make<Sis300Card>},
    {"intel-i740", Make<IntelI740Card>},
    {"oak-oti077", Make<Oti077Card>},
    {"oak-oti087", Make<Oti087Card>},
    {"realtek-rtg3103", Make<RealtekCard>},
    {"umc-85c408", Make<UmcCard>},
    {"wd-90c00", Make<Wd90C00Card>},
    {"wd-90c30", Make<Wd90C30Card>},
    {"tseng-et3000", MakeTseng<TsengChip::kEt3000>},
    {"tseng-et4000", MakeTseng<TsengChip::kEt4000>},
    {"trident-9000i", MakeTrident<TridentChip::k9000i>},
    {"trident-8800br", MakeTrident<TridentChip::k8800BR>},
    {"trident-blade3d", MakeTrident<TridentChip::kBlade3D>},
};

constexpr auto kCardNames = [] {
  std::array<std::string_view, std::size(kCards)> names{};
  for (size_t i = 0; i < std::size(kCards); ++i)
    names[i] = kCards[i].name;
  return names;
}();

}  // namespace

std::unique_ptr<VgaCard> MakeCard(std::string_view name) {
  for (const CardEntry& entry : kCards) {
    if (entry.name != name) continue;
    std::unique_ptr<VgaCard> card = entry.make();
    card->SetMode(BiosTextMode());
    return card;
  }
  return nullptr;
}

std::span<const std::string_view> CardNames() {
  return kCardNames;
}

}  // namespace zanvo::virt
