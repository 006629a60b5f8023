#include "platform/virtual/cards/board_facts.h"

namespace zanvo::virt {

namespace {

constexpr uint32_t k256K[] = {256};
constexpr uint32_t kTo512K[] = {256, 512};
constexpr uint32_t kTo1M[] = {256, 512, 1024};
constexpr uint32_t k512KTo1M[] = {512, 1024};
constexpr uint32_t k1MTo2M[] = {1024, 2048};
constexpr uint32_t k1MTo4M[] = {1024, 2048, 4096};
constexpr uint32_t k2MTo8M[] = {2048, 4096, 8192};
constexpr uint32_t k4MTo8M[] = {4096, 8192};
constexpr uint32_t k8MTo32M[] = {8192, 16384, 32768};

constexpr uint8_t kPlanarAnd8[] = {4, 8};
constexpr uint8_t kHiColor[] = {4, 8, 15, 16};
constexpr uint8_t kTrio[] = {4, 8, 15, 16, 32};
constexpr uint8_t kCirrus[] = {4, 8, 15, 16, 24};
constexpr uint8_t kMach64[] = {8, 15, 16, 24, 32};
constexpr uint8_t kBlade[] = {4, 8, 16, 24, 32};

struct Entry {
  std::string_view name;
  BoardFacts facts;
};

constexpr double MHz(double value) {
  return value * 1e6;
}

const Entry kBoards[] = {
    {"vga", {k256K, 256, kPlanarAnd8}},
    {"s3-trio64", {k1MTo4M, 2048, kTrio, BoardDac::kVga, 0, MHz(80), MHz(50)}},
    {"s3-vision864", {k1MTo2M, 2048, kPlanarAnd8}},
    {"cirrus-gd5434", {k1MTo2M, 2048, kCirrus, BoardDac::kVga, MHz(85.5), MHz(50), MHz(28.5)}},
    {"ati-mach64", {k1MTo4M, 2048, kMach64, BoardDac::kVga, 0, MHz(80), MHz(50)}},
    {"sis-6326", {k2MTo8M, 4096, kPlanarAnd8}},
    {"sis-300", {k8MTo32M, 16384, kPlanarAnd8}},
    {"intel-i740", {k4MTo8M, 8192, kPlanarAnd8}},
    {"oak-oti077", {kTo1M, 1024, kPlanarAnd8}},
    {"oak-oti087", {k1MTo2M, 1024, kPlanarAnd8}},
    {"realtek-rtg3103", {k512KTo1M, 1024, kPlanarAnd8}},
    {"umc-85c408", {kTo1M, 1024, kPlanarAnd8}},
    {"wd-90c00", {kTo512K, 512, kPlanarAnd8}},
    {"wd-90c30", {k512KTo1M, 1024, kHiColor, BoardDac::kSierra64K, 0, MHz(40), 0}},
    {"tseng-et3000", {kTo512K, 512, kPlanarAnd8}},
    {"tseng-et4000", {kTo1M, 1024, kHiColor, BoardDac::kSierra64K, 0, MHz(40), 0}},
    {"trident-9000i", {kTo512K, 512, kPlanarAnd8}},
    {"trident-8800br", {kTo512K, 512, kPlanarAnd8}},
    {"trident-blade3d", {k4MTo8M, 8192, kBlade, BoardDac::kVga, MHz(230), MHz(230), MHz(115)}},
};

}  // namespace

const BoardFacts& BoardFactsFor(std::string_view card_name) {
  for (const Entry& entry : kBoards) {
    if (entry.name == card_name) return entry.facts;
  }
  return kBoards[0].facts;
}

}  // namespace zanvo::virt
