#pragma once
// The program's stored settings, read and prepared straight from the registry of the Wine
// prefix the program runs in.

#include <cstdint>
#include <optional>
#include <string>

namespace e2e {

// Removes the settings key, so that the next start is a first run.
void ForgetSettings();

std::optional<uint32_t> StoredDword(const char* value);
std::optional<std::string> StoredText(const char* value);

// Fails unless the stored value is exactly `expected`.
void ExpectStoredText(const char* value, const char* expected);
void ExpectStoredDword(const char* value, uint32_t expected);

// Lets Wine draw window frames itself: under Xvfb no window manager draws them, and the
// screenshot should show the caption.
void LetWineDrawFrames();

}  // namespace e2e
