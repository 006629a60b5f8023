#include <string>
#include <string_view>

#include "app/main_form.h"
#include "app/texts.h"

// The settings under the program's registry key: read once at start-up, written once by the
// close commands. A stored value may be missing, of another type or hand-edited; each falls back
// to a value the adapter can take, so no setting can black out the screen.

namespace zanvo::app {

namespace {

using engine::Eng;

// The engine ANDs the mask into Miscellaneous Output after setting its sync polarity bits
// (bit 6 HSync, bit 7 VSync; a set bit is a negative pulse):
//   0x33 = 0011 0011  both bits cleared
//   0xF3 = 1111 0011  both bits kept set, for devices that invert the sync
// Any other mask would also clear clock-select or address bits of the mode.
constexpr uint8_t kNegativeSync = 0x33;
constexpr uint8_t kPositiveSync = 0xF3;

uint8_t PolarityFromStored(uint32_t stored) {
  const auto mask = static_cast<uint8_t>(stored & 0xFF);
  return mask == kPositiveSync ? kPositiveSync : kNegativeSync;
}

// Anything but the three names and the empty text is taken as VGA, so a hand-edited value can
// never leave the window showing no standard.
std::string StandardFromStored(const std::optional<std::string>& stored) {
  if (!stored) return texts::kStandardVga;
  if (stored->empty() || *stored == texts::kStandardVga || *stored == texts::kStandardPal ||
      *stored == texts::kStandardNtsc) {
    return *stored;
  }
  return texts::kStandardVga;
}

}  // namespace

void TMain::ReadOptionSettings(RegistryKey& key) {
  chkExitVGA.SetChecked(key.ReadDword(texts::kValueExitToVga).value_or(1) != 0);
  chkSaveExit.SetChecked(key.ReadDword(texts::kValueSaveChanges).value_or(1) != 0);

  if (const auto polarity = key.ReadDword(texts::kValuePolarity)) {
    Eng.SyncPolarityMask = PolarityFromStored(*polarity);
    chkISP.SetChecked(Eng.SyncPolarityMask == kPositiveSync);
  }
  if (const auto interlaced = key.ReadDword(texts::kValueInterlaced)) {
    Eng.InterlaceEnabled = *interlaced != 0 ? 1 : 0;
    chkNoInterlace.SetChecked(Eng.InterlaceEnabled != 1);
  }
  if (const auto odd_even = key.ReadDword(texts::kValueOddEven)) {
    Eng.OddEvenVSyncSize = static_cast<uint16_t>(*odd_even) != 0 ? 1 : 0;
    chkOEVSyncSz.SetChecked(Eng.OddEvenVSyncSize != 0);
  }
  if (const auto computed = key.ReadDword(texts::kValueComputedTimings)) {
    Eng.ComputedTimings = *computed != 0 ? 1 : 0;
    ComputedTimings.checked = Eng.ComputedTimings != 0;
  }
}

void TMain::ReadChipsetSettings(RegistryKey& key) {
  // The model is only read together with a readable family.
  const auto family = key.ReadDword(texts::kValueChipset);
  if (!family) return;
  Eng.ChipFamily = static_cast<uint8_t>(*family);
  if (const auto model = key.ReadDword(texts::kValueModel)) {
    Eng.ChipModel = static_cast<uint16_t>(*model);
  }
}

const char* TMain::ReadStandardSetting(RegistryKey& key) {
  std::string standard = StandardFromStored(key.ReadText(texts::kValueVideoStandard));
  const char* skipped = nullptr;
  // A copy with a standard's switch on its command line is here only as the resident copy a
  // script's call started: the call's standard follows through it at once.
  const bool resident = command_line_.kind == CommandLineRequest::Kind::kStandard;
  if ((standard == texts::kStandardPal || standard == texts::kStandardNtsc) &&
      (resident || services_.windows.ShiftKeyDown())) {
    // Shift held down while the program starts is the way back from a stored TV standard when
    // no set is connected and the monitor stays dark: start in VGA without looking at the screen.
    // The resident copy does the same: the stored standard stays stored unless the call's
    // standard is kept.
    skipped = standard == texts::kStandardPal ? texts::kStandardPal : texts::kStandardNtsc;
    standard = texts::kStandardVga;
  }
  chkModeVGA.SetChecked(standard.empty() || standard == texts::kStandardVga);
  VGAMode.checked = chkModeVGA.checked();
  TVMode.checked = !VGAMode.checked;
  // Checking a TV button runs its click, which applies the standard without questions while
  // Initialising is set.
  chkModePAL.SetChecked(standard == texts::kStandardPal);
  chkModeNTSC.SetChecked(standard == texts::kStandardNtsc);
  return skipped;
}

void TMain::ReadVisibleSetting(RegistryKey& key) {
  if (key.ReadDword(texts::kValueVisible).value_or(1) != 0) visible = true;
}

const char* TMain::StandardShownByButtons() const {
  // The stored standard follows the radio buttons, not the standard in force: a 24 kHz choice
  // or a TV standard brought back from the tray menu are stored as VGA.
  return chkModePAL.checked()    ? texts::kStandardPal
         : chkModeNTSC.checked() ? texts::kStandardNtsc
                                 : texts::kStandardVga;
}

void TMain::NoteConfirmedStandard() {
  confirmed_standard_ = Eng.CurrentStandard;
  confirmed_stored_name_ = StandardShownByButtons();
  confirmed_polarity_ = Eng.SyncPolarityMask;
  confirmed_interlace_ = Eng.InterlaceEnabled;
  confirmed_odd_even_ = Eng.OddEvenVSyncSize;
  confirmed_computed_ = Eng.ComputedTimings;
}

bool TMain::SkippedStandardStored() const {
  return confirmed_standard_ == engine::vsVGA &&
         std::string_view(confirmed_stored_name_) != texts::kStandardVga;
}

void TMain::NoteBackOnKept() {
  // After a start that skipped the stored TV standard (Shift, or a script's call), VGA in force
  // is what the user has seen; the stored standard and the options it was kept with stay stored
  // until the user keeps another. A switch answered No or refused keeps nothing.
  if (Eng.CurrentStandard == engine::vsVGA && SkippedStandardStored()) return;
  NoteConfirmedStandard();
}

bool TMain::WriteSettings() {
  // Nothing read, nothing to store: the running copy's settings stay as they are.
  if (!settings_read_) return true;
  std::unique_ptr<RegistryKey> key = services_.registry.OpenOrCreate(texts::kRegistryKey);
  if (!key) return false;
  bool written = key->WriteDword(texts::kValueSaveChanges, chkSaveExit.checked() ? 1 : 0);
  if (!chkSaveExit.checked()) return written;

  // Only a standard the user kept is stored, with the options it was kept with: the next start
  // applies them without a question.
  const char* standard = confirmed_stored_name_;
  // Every value is attempted even after a failure, so that as much as possible is kept.
  written &= key->WriteDword(texts::kValueExitToVga, chkExitVGA.checked() ? 1 : 0);
  written &= key->WriteDword(texts::kValuePolarity, confirmed_polarity_);
  written &= key->WriteDword(texts::kValueInterlaced, confirmed_interlace_);
  written &= key->WriteDword(texts::kValueOddEven, confirmed_odd_even_);
  written &= key->WriteDword(texts::kValueComputedTimings, confirmed_computed_);
  written &= key->WriteText(texts::kValueVideoStandard, standard);
  written &= key->WriteDword(texts::kValueChipset, Eng.ChipFamily);
  written &= key->WriteDword(texts::kValueModel, ModelToStore());
  written &= key->WriteDword(texts::kValueVisible, visible ? 1 : 0);
  return written;
}

}  // namespace zanvo::app
