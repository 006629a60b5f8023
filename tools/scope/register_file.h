#pragma once
// A card's own registers from a file, in the form `--registers --json` prints them:
//
//   {"misc": 227, "crtc": [95, 79, ...], "seq": [3, 1, ...], "gc": [...], "attr": [...]}
//
// A value is a number (decimal, as the JSON dump prints it) or a string "0x5F" (hexadecimal,
// as the text dump shows it). Any key may be left out; an array may be shorter than its
// register file, and null stands for an index left out. What is left out keeps the value the card's
// driver set. A whole zanvo-scope JSON report is read too: its "registers" object is taken.

#include <string>
#include <string_view>
#include <vector>

#include "platform/virtual/signal/mode_timing.h"

namespace zanvo::scope {

struct RegisterFile {
  virt::LoadedRegisters registers;
  // Keys a dump of the block-I/O adapter holds beside the VGA files; read, not loaded.
  std::vector<std::string> not_loaded;
  // The card a whole report names in its "chip" object (empty when the file does not say).
  std::string card;
};

// Returns false with a message that names the file (`name`) and the place of the fault.
bool ParseRegisterFile(std::string_view text, const std::string& name, RegisterFile& file,
                       std::string& error);
bool ReadRegisterFile(const std::string& path, RegisterFile& file, std::string& error);

}  // namespace zanvo::scope
