#include "app/main_form.h"

#include <utility>

#include "app/texts.h"

// The main window's layout and wiring. Positions inside a group box are relative to the box, and
// a tab order inside a group box counts within that box; -1 marks controls that take no focus.

namespace zanvo::app {

namespace {

void Place(toolkit::Control& control, const char* name, toolkit::Bounds bounds, int tab_order,
           const char* caption = "", const char* hint = "") {
  control.name = name;
  control.bounds = bounds;
  control.tab_order = tab_order;
  control.caption = caption;
  control.hint = hint;
}

void Item(toolkit::MenuItem& item, const char* name, const char* caption,
          toolkit::Handler on_click = {}) {
  item.name = name;
  item.caption = caption;
  item.OnClick = std::move(on_click);
}

}  // namespace

TMain::TMain(ShellServices& services) : services_(services) {
  namespace t = texts;
  name = "Main";
  caption = t::kAppTitle;
  client_width = 395;
  client_height = 222;

  Place(btnClose, "btnClose", {18, 167, 75, 28}, 0, t::kUnload, t::kUnloadHint);

  Place(modeBox, "modeBox", {109, 8, 137, 105}, 1, t::kModeBox);
  Place(chkModeVGA, "chkModeVGA", {8, 16, 113, 17}, 0, t::kModeVga, t::kModeVgaHint);
  Place(chkModePAL, "chkModePAL", {8, 38, 113, 17}, 1, t::kModePal, t::kModePalHint);
  Place(chkModeNTSC, "chkModeNTSC", {8, 61, 88, 16}, 2, t::kModeNtsc, t::kModeNtscHint);
  Place(chkModeSega, "chkModeSega", {8, 81, 113, 20}, 3, t::kModeSega, t::kModeSegaHint);

  Place(boxOptions, "boxOptions", {109, 113, 137, 105}, 2, t::kOptionsBox);
  Place(chkISP, "chkISP", {6, 16, 122, 17}, 0, t::kIsp, t::kIspHint);
  Place(chkNoInterlace, "chkNoInterlace", {6, 32, 97, 17}, 1, t::kNoInterlace, t::kNoInterlaceHint);
  Place(chkOEVSyncSz, "chkOEVSyncSz", {6, 48, 129, 17}, 2, t::kOeVSyncSz, t::kOeVSyncSzHint);
  Place(chkExitVGA, "chkExitVGA", {6, 64, 105, 17}, 3, t::kExitVga, t::kExitVgaHint);
  Place(chkSaveExit, "chkSaveExit", {6, 80, 121, 17}, 4, t::kSaveExit, t::kSaveExitHint);

  Place(editHFreq, "editHFreq", {323, 156, 65, 21}, 3, "", t::kHFreqHint);
  Place(editVFreq, "editVFreq", {323, 180, 65, 21}, 4, "", t::kVFreqHint);
  editHFreq.read_only = true;
  editVFreq.read_only = true;
  Place(lblHFreq, "lblHFreq", {251, 160, 0, 0}, -1, t::kHFreqLabel);
  Place(lblVFreq, "lblVFreq", {251, 184, 0, 0}, -1, t::kVFreqLabel);

  Place(GroupBoxChipset, "GroupBoxChipset", {251, 8, 139, 131}, 5, t::kChipsetBox);
  Place(lblBrand, "lblBrand", {6, 16, 0, 0}, -1, t::kBrandLabel);
  Place(comboChipsets, "comboChipsets", {6, 32, 128, 21}, 0, "", t::kBrandHint);
  Place(lblModel, "lblModel", {6, 56, 0, 0}, -1, t::kModelLabel);
  Place(comboModels, "comboModels", {6, 72, 128, 21}, 1, "", t::kModelHint);
  Place(btnDetect, "btnDetect", {6, 96, 75, 28}, 2, t::kDetect, t::kDetectHint);
  Place(btnDetectNext, "btnDetectNext", {83, 96, 51, 28}, 3, t::kDetectNext, t::kDetectNextHint);
  btnDetectNext.enabled = false;

  Place(grpOutput, "grpOutput", {5, 8, 100, 105}, 6, t::kOutputBox);
  Place(btnUp, "btnUp", {39, 21, 23, 22}, -1, "", t::kUpHint);
  Place(btnLeft, "btnLeft", {13, 45, 23, 22}, -1, "", t::kLeftHint);
  Place(btnRight, "btnRight", {65, 45, 23, 22}, -1, "", t::kRightHint);
  Place(btnDown, "btnDown", {39, 69, 23, 22}, -1, "", t::kDownHint);
  Place(picScreen, "picScreen", {42, 48, 17, 17}, -1);

  // The form's initial states are set before any handler is attached, so that they run none.
  chkModeVGA.group = chkModePAL.group = chkModeNTSC.group =
      chkModeSega.group = {&chkModeVGA, &chkModePAL, &chkModeNTSC, &chkModeSega};
  chkModeVGA.SetChecked(true);
  chkExitVGA.SetChecked(true);

  btnClose.OnClick = [this] { btnCloseClick(); };
  chkModeVGA.OnClick = [this] { chkModeVGAClick(); };
  chkModePAL.OnClick = [this] { chkModePALClick(); };
  chkModeNTSC.OnClick = [this] { chkModeNTSCClick(); };
  chkModeSega.OnClick = [this] { chkModeSegaClick(); };
  chkISP.OnClick = [this] { chkISPClick(); };
  chkNoInterlace.OnClick = [this] { chkNoInterlaceClick(); };
  chkOEVSyncSz.OnClick = [this] { chkOEVSyncSzClick(); };
  comboChipsets.OnChange = [this] { OnChangeChipset(); };
  comboModels.OnChange = [this] { OnChangeModel(); };
  btnDetect.OnClick = [this] { btnAutoDetectClick(); };
  btnDetectNext.OnClick = [this] { btnDetectNextClick(); };
  btnUp.OnClick = [this] { btnUpClick(); };
  btnLeft.OnClick = [this] { btnLeftClick(); };
  btnRight.OnClick = [this] { btnRightClick(); };
  btnDown.OnClick = [this] { btnDownClick(); };
  picScreen.OnDoubleClick = [this] { ShowAbout(); };

  Item(OpenMain, "OpenMain", t::kMenuOpen, [this] { OpenMainClick(); });
  Item(N1, "N1", "-");
  Item(VGAMode, "VGAMode", t::kMenuVgaMode, [this] { chkModeVGAClick(); });
  VGAMode.checked = true;
  Item(TVMode, "TVMode", t::kMenuTvMode, [this] { chkModeTVClick(); });
  Item(ComputedTimings, "ComputedTimings", t::kMenuComputedTimings,
       [this] { ComputedTimingsClick(); });
  Item(N2, "N2", "-");
  Item(Close, "Close", t::kMenuClose, [this] { btnCloseClick(); });
  Item(ClosetoVGA, "ClosetoVGA", t::kMenuCloseToVga, [this] { CloseToVGAClick(); });
  Item(N3, "N3", "-");
  Item(About, "About", t::kMenuAbout, [this] { ShowAbout(); });
  PopupMenu1 = {&OpenMain, &N1, &VGAMode, &TVMode, &ComputedTimings, &N2, &Close, &ClosetoVGA, &N3, &About};
}

}  // namespace zanvo::app
