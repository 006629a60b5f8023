#include <string>

#include "app/main_form.h"
#include "app/texts.h"
#include "chipset/ati_rom_clock.h"
#include "chipset/catalogue.h"
#include "chipset/detection.h"
#include "engine/pci_scan.h"

// The "Video Chipset" group: the brand and model lists over ChipFamily and ChipModel, the
// detection buttons, and the ATI path, which needs the adapter's block-I/O base from the PCI bus
// and its clock parameters from the video ROM.

namespace zanvo::app {

namespace {

using engine::Eng;

}  // namespace

void TMain::FillModelList(uint8_t family) {
  comboModels.Clear();
  if (family == engine::cfATI) {
    comboModels.Add(chipset::FormatAtiModelCaption(Eng.ExtIoBase), 0);
  } else {
    for (const chipset::ModelEntry& model : chipset::ModelsOfFamily(family)) {
      comboModels.Add(std::string(model.caption), model.code);
    }
  }
  comboModels.SetItemIndex(0);
}

void TMain::OnChangeChipset() {
  // The user's own choice replaces any model a switch put in force by itself.
  model_before_sibling_.reset();
  const int brand = comboChipsets.item_index();
  // No brand shown: a stored family without a brand entry stays in force as it is.
  if (brand < 0) {
    FillModelList(Eng.ChipFamily);
    return;
  }
  Eng.ChipFamily = static_cast<uint8_t>(comboChipsets.item(brand).data);
  if (Eng.ChipFamily != engine::cfATI) {
    FillModelList(Eng.ChipFamily);
    return;
  }

  comboModels.Clear();
  Eng.ChipModel = 0;  // any ATI adapter will do
  FindIOBase();
  // Nothing found: FindIOBase has already switched to Standard IBM VGA and rebuilt both lists
  // (running this handler once more, nested); this run must not touch them again.
  if (Eng.ExtIoBase == 0) return;
  // ROM values that give no usable PLL dividers are refused by the chipset layer; the clock
  // parameters then keep their previous values and the brand change goes on.
  chipset::ReadAtiRomClock(services_.memory);
  FillModelList(engine::cfATI);
}

void TMain::OnChangeModel() {
  const int model = comboModels.item_index();
  if (model < 0) return;
  model_before_sibling_.reset();
  Eng.ChipModel = static_cast<uint16_t>(comboModels.item(model).data);
  if (Eng.ChipFamily == engine::cfATI) FindIOBase();
}

void TMain::SelectChipsetItems() {
  // A family without a brand entry (code 7 can only come from stored settings) shows no brand.
  comboChipsets.SetItemIndex(chipset::BrandIndexOfFamily(Eng.ChipFamily).value_or(-1));
  OnChangeChipset();
  // Only the display follows ChipModel: a code with no entry of its own keeps its value.
  comboModels.SetItemIndex(chipset::ModelIndexOfModel(Eng.ChipModel));
}

void TMain::FindIOBase() {
  engine::FindAdapter();
  if (Eng.ExtIoBase != 0) return;
  services_.boxes.Show(MessageKind::kErrorOk, texts::kChipsetNotFound, texts::kAppTitle);
  Eng.ChipFamily = engine::cfStandardVGA;
  SelectChipsetItems();
}

void TMain::btnAutoDetectClick() {
  btnDetectNext.enabled = true;
  chipset::DetectChipset();
  SelectChipsetItems();
}

void TMain::btnDetectNextClick() {
  engine::PciScanNext();
  // The walk went through slot 0: nothing lies below, the next detection starts from the top.
  if (Eng.PciCursor == 0) {
    btnDetectNext.enabled = false;
    Eng.PciCursor = engine::PciTop();
  }
  SelectChipsetItems();
}

}  // namespace zanvo::app
