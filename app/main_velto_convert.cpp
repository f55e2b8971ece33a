// velto-convert: the converter without the print-job side effects.
#include <iostream>

#include "app/velto_convert.h"
#include "platform/page_memory.h"
#include "platform/program_arguments.h"

int main(int argc, char** argv) {
  velto::platform::KeepPageBuffersBetweenPages();
  velto::platform::PrepareStandardStreams(false);
  return velto::RunVeltoConvert(velto::platform::ProgramArguments(argc, argv), std::cout, std::cerr);
}
