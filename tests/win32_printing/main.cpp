// The test program; started by the service manager it is one of the tests' services instead.
#include <string>

#include "tests/win32_printing/windows_machine.h"

int main(int argc, char** argv) {
  if (argc > 2 && std::string(argv[1]) == velto::test::kTestServiceArgument)
    return velto::test::RunTestService(argv[2]);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
