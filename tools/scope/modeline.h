#pragma once
// --modeline: the signal a card sends as an X11 modeline, for people who take a tuned timing to
// another system (xrandr --newmode, xorg.conf, an emulator front end).

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/virtual/signal/signal.h"

namespace zanvo::scope {

struct Modeline {
  std::string name;  // "640x480_50.00i": the shown size, the field rate, i when interlaced
  double clock_mhz = 0;
  int hdisp = 0, hsyncstart = 0, hsyncend = 0, htotal = 0;  // pixels
  int vdisp = 0, vsyncstart = 0, vsyncend = 0, vtotal = 0;  // lines (frame lines if interlaced)
  bool interlace = false;
  bool double_scan = false;
  bool hsync_positive = false, vsync_positive = false;
  // What X cannot take as it stands (a sync past the total, a sync before the picture's end);
  // empty when the modeline is usable.
  std::string problem;
  // How the modeline's rates differ from the card's, when its counts had to be rounded.
  std::string note;

  // The rates X derives from it, as xrandr shows them.
  double LineRateHz() const;
  double FieldRateHz() const;
};

// Nothing when the card sends no usable signal.
std::optional<Modeline> ModelineOf(const virt::Signal& signal);

// "Modeline "640x480_50.00i" 12.588 640 ... +HSync -VSync Interlace", after a comment line with
// the rates, as cvt and gtf print theirs.
std::string ModelineText(const Modeline& modeline);
nlohmann::json ModelineJson(const std::optional<Modeline>& modeline);

}  // namespace zanvo::scope
