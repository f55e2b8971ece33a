// VeltoFaxTool: one start, one piece of work chosen by the first word of the command text.
#include "app/fax_tool_app.h"

int main(int argc, char** argv) {
  velto::CFaxToolApp app(velto::CommandTextFromArguments(argc, argv));
  app.InitInstance();
  return 0;
}
