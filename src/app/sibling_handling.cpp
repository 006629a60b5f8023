#include "app/main_form.h"
#include "chipset/sibling_search.h"

// A sibling model that measured right where the model in force missed stays in force only with
// the standard it was found for: once that is kept it is the user's model; declined or refused,
// the model the user had comes back. Until then the settings store the user's model.

namespace zanvo::app {

namespace {

using engine::Eng;

}  // namespace

bool TMain::TrySiblingModels() {
  const uint16_t model_before = Eng.ChipModel;
  // Each try re-sets the mode first; a failed search leaves the last try's standard on it, which
  // the refusal that follows re-sets.
  const chipset::SiblingSearchResult search =
      chipset::SearchSiblingModels([this] { ResetModeQuietly(); });
  // The row's own clock keeps the user's model.
  if (!search.kept) return search.recovered();
  // A sibling taking over from a sibling still waiting for its answer leaves the user's model
  // as it was.
  if (!model_before_sibling_) model_before_sibling_ = model_before;
  // The arrows write the registers of the model whose standard is on the card now.
  applied_family_ = Eng.ChipFamily;
  applied_model_ = Eng.ChipModel;
  ShowModelInForce();
  return true;
}

void TMain::KeepSiblingModel() {
  model_before_sibling_.reset();
}

void TMain::GiveBackUserModel() {
  if (!model_before_sibling_) return;
  Eng.ChipModel = *model_before_sibling_;
  model_before_sibling_.reset();
  ShowModelInForce();
}

void TMain::ShowModelInForce() {
  // The first entry with the model's code: the list's own order, as the user picks from it.
  for (int i = 0; i < comboModels.size(); ++i) {
    if (comboModels.item(i).data == Eng.ChipModel) {
      comboModels.SetItemIndex(i);
      return;
    }
  }
}

void TMain::ResetModeQuietly() {
  InDisplayChange = true;
  services_.display.ResetMode();
  InDisplayChange = false;
}

uint16_t TMain::ModelToStore() const {
  return model_before_sibling_.value_or(Eng.ChipModel);
}

}  // namespace zanvo::app
