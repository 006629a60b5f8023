#pragma once
// Chips by the names the window's "Video Chipset" lists show, both ways: a family and model
// code shown as the brand and model entries, and --as read from those names (any case) or codes.

#include <cstdint>
#include <string>
#include <string_view>

namespace zanvo::scope {

struct ChipChoice {
  uint8_t family = 0;
  uint16_t model = 0;
};

// "S3: Trio32/64". The model is the entry whose code it is, else the entry the window's list
// selects for the code; ATI's single entry shows the block-I/O base (0: not known, "Generic").
// A family without a brand entry reads "no brand in the list".
std::string ChipName(uint8_t family, uint16_t model, uint16_t ext_io_base = 0);

// FAMILY[:MODEL]. FAMILY: a short name (vga, s3, tseng, wd, ...), a brand as the list shows it
// ("Tseng Labs"), any case, or a code in decimal or 0x hexadecimal. MODEL: an entry of that
// brand's list by its caption, any case, or its code in 0x hexadecimal. Returns a message for
// the user when the text names no such chip (with the brand's models), else empty.
std::string ParseChipChoice(const std::string& text, ChipChoice& choice);

// Names typed on the command line compare without regard to case.
bool SameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace zanvo::scope
