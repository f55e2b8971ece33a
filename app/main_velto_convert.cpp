// velto-convert: the converter without the print-job side effects.
#include <iostream>
#include <string>
#include <vector>

#include "app/velto_convert.h"
#include "platform/page_memory.h"

int main(int argc, char** argv) {
  velto::platform::KeepPageBuffersBetweenPages();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return velto::RunVeltoConvert(arguments, std::cout, std::cerr);
}
