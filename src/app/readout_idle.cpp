#include "app/main_form.h"
#include "engine/readout.h"

// The scan-frequency readout, refreshed each time the message queue runs empty.

namespace zanvo::app {

// `done` is left as it arrives (true): the application then waits for the next message, so the
// measurement runs once per burst of messages rather than continuously.
void TMain::OnAppIdle(bool& /*done*/) {
  engine::ScanTexts texts{};
  // A card whose retrace status stopped toggling gives no measurement; the last one stays shown.
  if (!engine::MeasureScanFrequencies(texts)) return;
  editHFreq.text = texts.h;
  editVFreq.text = texts.v;
}

}  // namespace zanvo::app
