#pragma once
// Every text the user sees and every name the system stores, in one place; the Win32 front end
// reads them from here too.

namespace zanvo::app::texts {

// Program and single instance.
inline constexpr const char* kAppTitle = "ZANVO For Windows";
inline constexpr const char* kMutexName = "ZANVOWin";
inline constexpr const char* kTrayTip = "ZANVO";

// Messages.
inline constexpr const char* kAlreadyRunning = "ZANVO was already running!";
inline constexpr const char* kDriverLoadFailed = "Error loading service driver. Exiting...";
inline constexpr const char* kModeUnsupported = "Video mode unsupported!";
inline constexpr const char* kChipsetNotFound = "Video chipset not found!!";
inline constexpr const char* kSettingsNotSaved = "The settings could not be saved.";
// A command line the program does not take: what it did not understand, then the usage.
inline constexpr const char* kNotUnderstood = "Not understood:";
inline constexpr const char* kUsage =
    "Usage: zanvo.exe [/pal | /ntsc | /24khz | /vga]\r\n\r\n"
    "Switches the output to that standard, in the copy that is running or in a new one.\r\n"
    "/vga goes back to the monitor timings.\r\n\r\n"
    "Exit code: 0 switched, 1 refused or not delivered, 2 this message.";
inline constexpr const char* kConfirmCaption = "Display Properties";
// Two carriage returns without line feeds separate the two sentences.
inline constexpr const char* kConfirmText =
    "ZANVO will now apply your new desktop settings. This will take a few seconds, during which "
    "time your screen may flicker.\r\rIf your new settings are not applied correctly, your "
    "original desktop settings will be automagically restored in 15 seconds.";

// Registry.
inline constexpr const char* kRegistryKey = "Software\\Brindlex\\ZANVOWin";
inline constexpr const char* kValueExitToVga = "ExitToVGA";
inline constexpr const char* kValueSaveChanges = "SaveChanges";
inline constexpr const char* kValuePolarity = "Polarity";
inline constexpr const char* kValueInterlaced = "Interlaced";
inline constexpr const char* kValueOddEven = "OddOrEvenSyncSize";
inline constexpr const char* kValueChipset = "Chipset";
inline constexpr const char* kValueModel = "Model";
inline constexpr const char* kValueVideoStandard = "VideoStandard";
inline constexpr const char* kValueVisible = "Visible";
inline constexpr const char* kStandardVga = "VGA";
inline constexpr const char* kStandardPal = "PAL";
inline constexpr const char* kStandardNtsc = "NTSC";

// Main window.
inline constexpr const char* kUnload = "&Unload";
inline constexpr const char* kUnloadHint = "Terminates the program";
inline constexpr const char* kModeBox = "Video Standard";
inline constexpr const char* kModeVga = "(S)&VGA Monitor";
inline constexpr const char* kModeVgaHint = "Select (S)VGA timings";
inline constexpr const char* kModePal = "&PAL TV";
inline constexpr const char* kModePalHint = "Select PAL timings";
inline constexpr const char* kModeNtsc = "&NTSC TV";
inline constexpr const char* kModeNtscHint = "Select NTSC timings";
inline constexpr const char* kModeSega = "&24KHz Monitor";
inline constexpr const char* kModeSegaHint = "Select Sega monitor timings (24.39Khz/57.5Hz)";
inline constexpr const char* kOptionsBox = "Options";
inline constexpr const char* kIsp = "Positive &sync polarity";
inline constexpr const char* kIspHint =
    "Set to positive sync if your device negates the normal polarity (negative)";
inline constexpr const char* kNoInterlace = "No &interlace";
inline constexpr const char* kNoInterlaceHint = "Non interlaced video modes, even if supported";
inline constexpr const char* kOeVSyncSz = "&Odd/Even VSync size";
inline constexpr const char* kOeVSyncSzHint =
    "Try turning this on if you're getting a monochrome output";
inline constexpr const char* kExitVga = "&Exit to VGA mode";
inline constexpr const char* kExitVgaHint = "Get back to VGA mode upon quiting";
inline constexpr const char* kSaveExit = "Save &changes on exit";
inline constexpr const char* kSaveExitHint = "Stores current configuration when leaving";
inline constexpr const char* kHFreqLabel = "H.Frequency :";
inline constexpr const char* kHFreqHint = "Current horizontal frequency";
inline constexpr const char* kVFreqLabel = "V. Frequency :";
inline constexpr const char* kVFreqHint =
    "Frames per second. Should be around 50/60Hz when in TV mode";
inline constexpr const char* kChipsetBox = "Video Chipset";
inline constexpr const char* kBrandLabel = "&Brand :";
inline constexpr const char* kBrandHint = "Your video chipset";
inline constexpr const char* kModelLabel = "Mode&l :";
inline constexpr const char* kModelHint = "Select the most appropriate model here";
inline constexpr const char* kDetect = "&Detect";
inline constexpr const char* kDetectHint = "If you're unsure of what chipset you have, press this";
inline constexpr const char* kDetectNext = "Ne&xt";
inline constexpr const char* kDetectNextHint = "Finds the next card on a multiple VGA installation";
inline constexpr const char* kOutputBox = "Output Centering";
inline constexpr const char* kUpHint = "Scroll output up";
inline constexpr const char* kLeftHint = "Shift output left";
inline constexpr const char* kRightHint = "Shift output right";
inline constexpr const char* kDownHint = "Scroll output down";

// Tray menu.
inline constexpr const char* kMenuOpen = "&Open...";
inline constexpr const char* kMenuVgaMode = "VGA Mode";
inline constexpr const char* kMenuTvMode = "TV Mode";
inline constexpr const char* kMenuClose = "&Close";
inline constexpr const char* kMenuCloseToVga = "Close to &VGA";
inline constexpr const char* kMenuAbout = "&About";

// Keep-settings dialog.
inline constexpr const char* kAcceptCaption = "Monitor/TV Settings";
inline constexpr const char* kAcceptQuestion =
    "Your desktop has been reconfigured. Do you want to keep these settings?";
inline constexpr const char* kRevertFormat = "Reverting in %d seconds.";
inline constexpr const char* kAcceptYes = "&Yes";
inline constexpr const char* kAcceptNo = "&No";

// About box.
inline constexpr const char* kAboutCaption = "About";
inline constexpr const char* kAboutProduct = "ZANVO For Windows (32-bit)";
inline constexpr const char* kAboutVersion = "Version 2003.0601";
inline constexpr const char* kAboutOk = "OK";

}  // namespace zanvo::app::texts
