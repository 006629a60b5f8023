#include "app/main_form.h"

// Not written yet: empty bodies so that the program links while the handlers are built.

namespace zanvo::app {

void TMain::OnChangeChipset() {}

void TMain::OnChangeModel() {}

void TMain::SelectChipsetItems() {}

void TMain::FindIOBase() {}

void TMain::btnAutoDetectClick() {}

void TMain::btnDetectNextClick() {}

}  // namespace zanvo::app
