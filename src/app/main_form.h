#pragma once
// The main window: every control of the window and the tray menu as toolkit models, and every
// handler of the program, named as the system names them. Behaviour lives here, headless; the
// Win32 front end only moves events and data between real windows and this class.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "app/about_box.h"
#include "app/accept_dialog.h"
#include "app/command_line.h"
#include "app/shell_services.h"
#include "app/texts.h"
#include "engine/engine_state.h"
#include "platform/toolkit/controls.h"
#include "platform/toolkit/form.h"
#include "platform/tray.h"
#include "platform/window_system.h"

namespace zanvo::app {

// WM_USER + 10: the tray icon's callback message.
inline constexpr uint32_t WM_TRAYICON = 0x40A;
// The mouse messages the tray icon reports in lParam. (Named apart from the Windows headers'
// macros, which the Win32 front end includes next to this header.)
inline constexpr uint32_t kWmLButtonDblClk = 0x203;
inline constexpr uint32_t kWmRButtonDown = 0x204;
// wParam of the program's own WM_DISPLAYCHANGE broadcast.
inline constexpr uint32_t kDisplayChangeWParam = 42;

class TMain : public toolkit::Form {
 public:
  explicit TMain(ShellServices& services);

  // Start-up and end. The command line is given before the form is created.
  void SetCommandLine(const CommandLineRequest& request) { command_line_ = request; }
  void OnFormCreate();
  void OnDestroy();

  // Standards and options.
  void chkModeVGAClick();
  void chkModePALClick();
  void chkModeNTSCClick();
  void chkModeSegaClick();
  void SelectTVStandard(uint8_t standard, std::span<const engine::HorzRow> horz_table,
                        uint16_t lines_per_field, const engine::VertTable& vert_table);
  void chkModeTVClick();
  void chkISPClick();
  void chkNoInterlaceClick();
  void chkOEVSyncSzClick();
  void ResetChecks();
  void ReconfigureDesktop();
  // After an option changed: under a TV standard the standard is put on the card again with it.
  void FollowOptionChange();
  void WMDisplayChange(uint32_t lparam);
  // A switch another copy forwarded from its command line: the same checks as a click, no
  // question asked (the caller asked for it), kept when it holds. True when `standard` is in
  // force afterwards; false when it was refused or a switch of the user's is under way.
  bool SwitchFromScript(uint8_t standard);
  // The answer the main window gives a forwarded standard: busy while this copy starts up or
  // carries out a switch that ends by itself within seconds (another call's, a re-set, a
  // restore), so that the caller asks again instead of failing; else what SwitchFromScript did.
  ForwardResult AnswerScript(uint8_t standard);
  // Whether this copy is the running one that takes forwarded standards: one that ended in its
  // start-up (a second copy, a usage box's copy) has the same window, and passes them on.
  bool TakesForwardedStandards() const { return settings_read_; }

  // Output centering.
  void btnUpClick();
  void btnDownClick();
  void btnLeftClick();
  void btnRightClick();

  // Scan-frequency readout, run whenever the message queue becomes empty.
  void OnAppIdle(bool& done);

  // Chipset.
  void OnChangeChipset();
  void OnChangeModel();
  void SelectChipsetItems();
  void FindIOBase();
  void btnAutoDetectClick();
  void btnDetectNextClick();

  // Tray icon and window.
  void WMTrayIcon(uint32_t lparam);
  void OpenMainClick();
  // The tray menu's "Computed timings": rows the tables lack are computed while it is checked.
  void ComputedTimingsClick();
  void OnClose(int& action);
  void AppMinimize();
  void ShowAbout();

  // Close commands.
  void btnCloseClick();
  void CloseToVGAClick();
  // The user's session is ending (log-off, shutdown): the settings are stored as a close command
  // stores them, but the display is left as it is and nothing is shown.
  void StoreSettingsAtSessionEnd();

  // Module flags.
  bool Initialising = true;
  bool InDisplayChange = false;
  TrayIconData TrayIconData_;

  // Window controls.
  toolkit::Button btnClose;
  toolkit::Control modeBox;
  toolkit::RadioButton chkModeVGA, chkModePAL, chkModeNTSC, chkModeSega;
  toolkit::Control boxOptions;
  toolkit::CheckBox chkISP, chkNoInterlace, chkOEVSyncSz, chkExitVGA, chkSaveExit;
  toolkit::Edit editHFreq, editVFreq;
  toolkit::Label lblHFreq, lblVFreq;
  toolkit::Control GroupBoxChipset;
  toolkit::Label lblBrand, lblModel;
  toolkit::ComboBox comboChipsets, comboModels;
  toolkit::Button btnDetect, btnDetectNext;
  toolkit::Control grpOutput;
  toolkit::Button btnUp, btnLeft, btnRight, btnDown;
  toolkit::Picture picScreen;

  // Tray pop-up menu, in order.
  toolkit::MenuItem OpenMain, N1, VGAMode, TVMode, ComputedTimings, N2, Close, ClosetoVGA, N3,
      About;
  std::array<toolkit::MenuItem*, 10> PopupMenu1{};
  // Where the menu last popped up (screen coordinates), and how often.
  ScreenPoint popup_position;
  int popup_count = 0;

  TAboutBox AboutBox;

 private:
  // A command line that ends this copy before the usual start-up (see script_calls.cpp): true
  // when the copy has been told to end.
  bool EndsBeforeStartUp();
  // A script's call hands its standard to the resident copy, starting one when none runs (at
  // most a few times), and asks again while the copy is starting or busy: the answer, or
  // kUnreachable when no copy could be reached in the time. `marker_ours`: this call holds the
  // single-instance marker (no copy runs).
  ForwardResult CallResidentCopy(bool marker_ours);

  // Settings, read at start-up and written by the close commands.
  void ReadOptionSettings(RegistryKey& key);
  void ReadChipsetSettings(RegistryKey& key);
  // Returns the stored standard when Shift held down at start-up skipped it, else nullptr.
  const char* ReadStandardSetting(RegistryKey& key);
  void ReadVisibleSetting(RegistryKey& key);
  // False when a write failed.
  bool WriteSettings();

  // After a standard could not be fitted: `target` (a standard that was on screen and confirmed,
  // or VGA) goes back on the hardware without a question, and VGA when even that cannot fit.
  void RecoverFromRefusedStandard(uint8_t target);
  // Puts the standard in force on the card and judges what it put there: true when the standard
  // was fitted and its field, timed on the card, is the standard's. Every application of a
  // standard goes through here, restores included.
  bool ApplyAndMeasureStandard();
  // The same, and after a clean measured miss the sibling models, then the row's own clock: the
  // one path by which a standard reaches the card, whether switched to or brought back.
  bool ApplyMeasureAndRecover();
  // After a measured miss: the standard is applied under each sibling model that is safe on the
  // chip, on a freshly re-set mode, until one passes; it stays in force and the Model box shows
  // it. False, with the model as it was, when none passes.
  bool TrySiblingModels();
  // The standard a sibling was found for is kept: the sibling is the user's model from now on.
  void KeepSiblingModel();
  // The switch a sibling was found for is declined or refused: the model the user had is in
  // force and shown again.
  void GiveBackUserModel();
  // The model the settings store: the user's, not a sibling whose switch waits for its answer.
  uint16_t ModelToStore() const;
  // The Model box shows the model in force (a sibling the search found).
  void ShowModelInForce();
  // Re-sets the display mode without announcing it: the standard goes on top straight after.
  void ResetModeQuietly();
  // Asks whether to keep the standard in force, and goes back to VGA on any answer but Yes.
  void AskToKeepStandard();
  // A keep-settings question still open about a standard that is no longer in force is closed
  // (answered No: the standard it asked about is gone).
  void CloseStaleKeepQuestion();
  // The standard now in force is one the user has seen and kept (or VGA): remember it and the
  // text the settings store for it.
  void NoteConfirmedStandard();
  // The same after a switch that was not kept (answered No, refused, undone) or VGA chosen: a
  // TV standard skipped at start-up stays stored.
  void NoteBackOnKept();
  // A TV standard skipped at start-up is stored while VGA, not kept, is in force.
  bool SkippedStandardStored() const;
  // The stored name of the standard the radio buttons show.
  const char* StandardShownByButtons() const;
  // The model list for a family; the ATI entry shows the I/O base found.
  void FillModelList(uint8_t family);

  ShellServices& services_;
  // The last standard in force that the user kept (VGA needs no keeping). While a switch waits
  // for its answer this is still the one before the switch: the settings store nothing else, so
  // a TV standard nobody confirmed is never applied unasked at the next start.
  uint8_t confirmed_standard_ = engine::vsVGA;
  const char* confirmed_stored_name_ = texts::kStandardVga;
  // The options that were on screen when the confirmed standard was kept: the settings store
  // these with it, never an option whose switch still waits for its answer.
  uint8_t confirmed_polarity_ = engine::EngineState{}.SyncPolarityMask;
  uint8_t confirmed_interlace_ = engine::EngineState{}.InterlaceEnabled;
  uint16_t confirmed_odd_even_ = engine::EngineState{}.OddEvenVSyncSize;
  uint8_t confirmed_computed_ = engine::EngineState{}.ComputedTimings;
  // Set while a confirmed standard is put back after a refusal: it was kept before, so nothing
  // is asked; `restore_passed_` tells the caller whether it fitted and measured right.
  bool restoring_ = false;
  bool restore_passed_ = false;
  // The keep-settings dialog while it is open, and the standard it asks about.
  TAcceptDlg* open_keep_question_ = nullptr;
  uint8_t keep_question_standard_ = engine::vsVGA;
  // The chipset the standard in force was last put on the card with. The arrow buttons write
  // that chipset's registers; under another brand or model chosen since, a move would write
  // registers the card interprets otherwise, so they wait for the next application.
  uint8_t applied_family_ = 0;
  uint16_t applied_model_ = 0;
  // The model in force before a sibling took over for a switch that is not kept yet.
  std::optional<uint16_t> model_before_sibling_;
  bool MovesAllowed() const;
  // Set while a switch asked for by a script runs: nothing is asked, and a refusal is told to
  // the script, not in a box.
  bool scripted_switch_ = false;
  // Set while "Display Properties" waits for its answer.
  bool confirming_ = false;
  CommandLineRequest command_line_;
  // Set once start-up has read the settings: a copy that never read them (a second copy, a
  // start-up that failed) has nothing of its own to store and must not overwrite them.
  bool settings_read_ = false;
};

}  // namespace zanvo::app
