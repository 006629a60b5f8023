// zanvo's --help and --version alone, for help2man at build time: the manual page is made
// without running the program that opens the machine's ports.

#include <iostream>

#include "zanvo_options.h"

int main(int argc, char** argv) {
  const zanvo::console::ParsedCommandLine parsed =
      zanvo::console::ParseZanvoCommandLine(argc, argv);
  std::cout << parsed.output;
  if (!parsed.error.empty()) std::cerr << parsed.error << "\n";
  return parsed.exit_code.value_or(2);
}
