#include "engine/block_io_clock.h"

namespace zanvo::engine {

void ProgramBlockIoClock(uint8_t /*flags*/) {
  // Not yet written: the PLL programming (VCLK post and feedback dividers) and the display FIFO
  // computation. Until then family-8 adapters keep the pixel clock the display driver set.
}

}  // namespace zanvo::engine
