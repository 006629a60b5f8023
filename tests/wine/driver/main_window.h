#pragma once
// The program's windows as the scenarios use them: the main window with its readout, the
// "Display Properties" confirmation and the keep-settings dialog.

#include <windows.h>

#include <string>

#include "program.h"

namespace e2e {

// A band of plausible readouts for one output standard.
struct ExpectedRates {
  const char* name;
  double khz_low, khz_high;
  double hz_low, hz_high;
};

// 640x480 on monitor timings runs 31.47 kHz / 59.94 Hz; PAL 15.625 kHz / 50 Hz.
inline constexpr ExpectedRates kVgaRates{"VGA", 30.5, 32.5, 55.0, 65.0};
inline constexpr ExpectedRates kPalRates{"PAL", 15.3, 16.0, 48.0, 52.0};
// NTSC: 15.734 kHz / 59.94 Hz. The driver's 800x600: 39.375 kHz / 60.02 Hz.
inline constexpr ExpectedRates kNtscRates{"NTSC", 15.4, 16.1, 58.0, 62.0};
inline constexpr ExpectedRates kVga800x600Rates{"VGA 800x600", 38.5, 40.5, 58.0, 62.0};

enum class KeepAnswer { kYes, kNo, kWaitForTimeout };

// How long the program may take to end after a close command.
inline constexpr DWORD kExitTimeoutMs = 20000;

// Waits for the main window of `program` (found by its caption and its readout control).
HWND WaitForMainWindow(const Program& program);

// Polls the two frequency edits until both lie in the band; nudges the program's message loop
// meanwhile, since the readout refreshes whenever its queue runs empty.
void ExpectRates(HWND main, const ExpectedRates& rates);

// Fails unless exactly the radio button `id` of the four standards is checked.
void ExpectStandardButton(HWND main, int id, const char* name);

// Clicks a TV standard's radio button, confirms "Display Properties" with OK, and answers the
// keep-settings dialog. Returns how many seconds the dialog stayed open.
double ChooseTvStandard(const Program& program, HWND main, int radio_id, KeepAnswer answer);

// Clicks a TV standard's radio button, confirms "Display Properties" with OK, and expects
// "Video mode unsupported!" instead of the keep-settings dialog; closes it with Abort.
// Picks `model` in the model list as a user does, from the list itself.
void ChooseModel(HWND main, const char* model);
void ChooseRefusedTvStandard(const Program& program, HWND main, int radio_id);

// Clicks Detect and waits until the chipset lists show `brand` and `model`.
void DetectChipset(HWND main, const char* brand, const char* model);

// Clicks "Unload" and waits for the program to end.
void Unload(Program& program, HWND main);

// Fails if a confirmation or keep-settings dialog shows up within `ms`.
void ExpectNoQuestionFor(const Program& program, DWORD ms);

// Opens the tray menu through the icon's callback message and picks the item with this
// mnemonic, as the keyboard would.
void PickTrayMenuItem(const Program& program, HWND main, char mnemonic, const char* item);

}  // namespace e2e
