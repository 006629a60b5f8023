#pragma once
// How much of the set's screen the desktop fills, and in what shape: a picture that locks and
// arrives whole may still sit in a band across the middle of the screen (half the lines of an
// interlaced field on a set whose field holds them all), squashed to half its height.

#include <string>

#include "platform/virtual/signal/mode_timing.h"
#include "platform/virtual/signal/signal.h"
#include "platform/virtual/tv/tv_set.h"

namespace zanvo::virt {

struct PictureFill {
  double height = 0;  // the picture's lines over the screen's visible lines (above 1: cut)
  double width = 0;   // the picture's part of the line over the screen's visible part
  // The picture's width:height on the screen over the desktop's own on its monitor, which fits
  // the desktop to the whole screen: 1 is the desktop's shape, 2 twice as wide for its height.
  double shape = 0;
};

// Below this share of the screen's height the picture is a band, not a picture.
inline constexpr double kLeastFilledHeight = 0.5;
// Beyond this share either way the shape is off: circles become ellipses a quarter wider or
// narrower.
inline constexpr double kShapeTolerance = 0.25;

PictureFill MeasureFill(Receiver receiver, const Signal& shown, const ModeTiming& mode);

// Whether the picture fills at least half the height with the desktop's shape within a quarter.
bool FillsTheSet(const PictureFill& fill);

// "fills 57% of the height and 98% of the width, 2.35 times as wide for its height as the
// desktop".
std::string FillText(const PictureFill& fill);

}  // namespace zanvo::virt
