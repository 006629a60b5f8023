#pragma once
// One field of the signal to scale, as zanvo-scope's picture shows it beside the set's screen:
// time runs right from the line sync's leading edge, lines run down from the field sync's, so
// the syncs sit along the top and left edges and the set's visible window is a plain rectangle.

#include "platform/virtual/signal/signal.h"
#include "platform/virtual/tv/tv_image.h"
#include "platform/virtual/tv/tv_set.h"

namespace zanvo::scope {

inline constexpr virt::Rgb kDiagramSync = 0x000000;
inline constexpr virt::Rgb kDiagramBlank = 0x505050;
inline constexpr virt::Rgb kDiagramBorder = 0x2A2A2A;
inline constexpr virt::Rgb kDiagramActive = 0x3F6FBF;

// Each pixel classified as sync, blanking, border (neither displaying nor blanked) or active.
virt::Image DrawSignalDiagram(const virt::Signal& signal, int width, int height);

// The set's visible window in the diagram's pixels; zero size when the signal has none.
struct DiagramRect {
  double x = 0, y = 0, width = 0, height = 0;
};
DiagramRect WindowInDiagram(const virt::Signal& signal, const virt::ScreenWindow& window, int width,
                            int height);

}  // namespace zanvo::scope
