// VeltoFaxTool: one start, one piece of work chosen by the first word of the command text.
#include "app/fax_tool_app.h"
#include "platform/page_memory.h"
#include "platform/program_arguments.h"

int main(int argc, char** argv) {
  velto::platform::KeepPageBuffersBetweenPages();
  velto::platform::PrepareStandardStreams(true);
  velto::CFaxToolApp app(velto::platform::ProgramCommandText(argc, argv));
  app.InitInstance();
  return app.ExitCode();
}
