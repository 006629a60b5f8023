#pragma once
// The virtual TV: what the receiving set shows of the signal the card's registers make.
//
// The raster follows the registers, not the mode tables: the set's screen covers a window of
// each line and field measured from the sync pulses (tv_set.h); within it the beam shows the
// card's active area where the CRTC is displaying and not blanking, and black elsewhere. Which
// desktop row a scan line shows comes from the line offset against the desktop's own (a doubled
// offset skips every other row), the scan lines per row and, with interlace, the field; the
// same addressing says whether the desktop arrives whole (signal/picture.h).

#include <string>

#include "platform/virtual/signal/mode_timing.h"
#include "platform/virtual/signal/picture.h"
#include "platform/virtual/signal/signal.h"
#include "platform/virtual/tv/tv_image.h"
#include "platform/virtual/tv/tv_set.h"

namespace zanvo::virt {

inline constexpr int kTvScreenWidth = 768;
inline constexpr int kTvScreenHeight = 576;

struct TvPicture {
  Image screen;         // the 4:3 screen of the set
  std::string failure;  // why there is no stable picture; empty when the set locks
  // Locked, why the desktop does not arrive whole (its rows cut or out of order); else empty.
  std::string scrambled;
  ScreenWindow window;  // the part of the signal the screen covers
  bool locked() const { return failure.empty(); }
};

// `desktop` stands in for the frame buffer (DrawTestCard for the mode); `mode` is the desktop
// mode the driver set, whose line offset the desktop rows are laid out with unless `layout`
// gives the layout (read from the desktop's own registers where they were loaded over it).
TvPicture RenderTv(const Signal& signal, const ModeTiming& mode, Receiver receiver,
                   const Image& desktop, int width = kTvScreenWidth, int height = kTvScreenHeight);
TvPicture RenderTv(const Signal& signal, const ModeTiming& mode, const DesktopLayout& layout,
                   Receiver receiver, const Image& desktop, int width = kTvScreenWidth,
                   int height = kTvScreenHeight);

}  // namespace zanvo::virt
