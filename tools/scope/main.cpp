#include <iostream>

#include "scope_main.h"

int main(int argc, char** argv) {
  return zanvo::scope::ScopeMain(argc, argv, std::cout, std::cerr);
}
