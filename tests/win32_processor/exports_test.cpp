// The spooler's entry points of Vtproc.dll and of the test library built from the same sources: the
// data types and capabilities they report, and how they refuse what is not theirs.
#include <gtest/gtest.h>

#include <cstring>

#include "processor_test_support.h"

namespace vtproc_test {
namespace {

constexpr const char* kExports[] = {"EnumPrintProcessorDatatypesW", "OpenPrintProcessor",
                                    "PrintDocumentOnPrintProcessor", "ControlPrintProcessor",
                                    "ClosePrintProcessor", "GetPrintProcessorCapabilities"};

class ProcessorExports : public ::testing::TestWithParam<const char*> {
 protected:
  Processor processor{ProcessorDir() / GetParam()};
};

TEST_P(ProcessorExports, ExportsTheSpoolerEntryPointsByTheirPlainNames) {
  ASSERT_TRUE(processor.Loaded()) << ProcessorDir() / GetParam() << ": error " << ::GetLastError();
  for (const char* name : kExports) EXPECT_NE(processor.Export(name), nullptr) << name;
}

TEST_P(ProcessorExports, ReportsTheEmfDatatypeOnly) {
  ASSERT_TRUE(processor.Loaded());
  DWORD needed = 0, returned = 7;
  // Asking for the size first, as the spooler does.
  EXPECT_FALSE(processor.enumDatatypes(nullptr, nullptr, 1, nullptr, 0, &needed, &returned));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(returned, 0u);
  ASSERT_GE(needed, sizeof(DATATYPES_INFO_1W) + sizeof(L"NT EMF 1.008"));

  std::vector<BYTE> buffer(needed - 1, 0xCC);
  EXPECT_FALSE(processor.enumDatatypes(nullptr, nullptr, 1, buffer.data(), needed - 1, &needed, &returned));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  buffer.assign(needed, 0xCC);
  ASSERT_TRUE(processor.enumDatatypes(nullptr, nullptr, 1, buffer.data(), needed, &needed, &returned));
  ASSERT_EQ(returned, 1u);
  DATATYPES_INFO_1W info;
  std::memcpy(&info, buffer.data(), sizeof info);
  // The name lies inside the caller's buffer, not in the library.
  const auto* name = reinterpret_cast<const BYTE*>(info.pName);
  ASSERT_GE(name, buffer.data());
  ASSERT_LT(name, buffer.data() + buffer.size());
  EXPECT_STREQ(info.pName, L"NT EMF 1.008");

  EXPECT_FALSE(processor.enumDatatypes(nullptr, nullptr, 2, buffer.data(), needed, &needed, &returned));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
}

TEST_P(ProcessorExports, ReportsOnePagePerSheetInOrderAndOneCopy) {
  ASSERT_TRUE(processor.Loaded());
  wchar_t emf[] = L"NT EMF 1.008", lower[] = L"nt emf 1.008", raw[] = L"RAW";
  PRINTPROCESSOR_CAPS_1 caps{};
  DWORD needed = 0;
  EXPECT_EQ(processor.capabilities(emf, 0, reinterpret_cast<BYTE*>(&caps), 2, &needed),
            static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(needed, sizeof caps);
  ASSERT_EQ(processor.capabilities(lower, 0, reinterpret_cast<BYTE*>(&caps), sizeof caps, &needed),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(caps.dwLevel, 1u);
  EXPECT_EQ(caps.dwNupOptions, 1u);
  EXPECT_EQ(caps.dwPageOrderFlags, static_cast<DWORD>(NORMAL_PRINT));
  EXPECT_EQ(caps.dwNumberOfCopies, 1u);
  EXPECT_EQ(processor.capabilities(raw, 0, reinterpret_cast<BYTE*>(&caps), sizeof caps, &needed),
            static_cast<DWORD>(ERROR_INVALID_DATATYPE));
}

TEST_P(ProcessorExports, RefusesOtherDatatypesUnknownHandlesAndCommands) {
  ASSERT_TRUE(processor.Loaded());
  EXPECT_EQ(processor.Open(L"Velto Print", 3, L"RAW"), nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATATYPE));
  EXPECT_EQ(processor.open(nullptr, nullptr), nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // A handle the library never gave out is refused, never followed.
  int notAJob = 0;
  HANDLE foreign = &notAJob;
  EXPECT_FALSE(processor.print(foreign, nullptr));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(processor.control(foreign, JOB_CONTROL_CANCEL));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(processor.close(foreign));

  HANDLE job = processor.Open(L"Velto Print", 3);
  ASSERT_NE(job, nullptr);
  EXPECT_FALSE(processor.control(job, JOB_CONTROL_RESTART));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(processor.control(job, JOB_CONTROL_PAUSE));
  EXPECT_TRUE(processor.control(job, JOB_CONTROL_RESUME));
  EXPECT_TRUE(processor.close(job));
  // Closed is gone: a second close is refused.
  EXPECT_FALSE(processor.close(job));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

INSTANTIATE_TEST_SUITE_P(BothLibraries, ProcessorExports, ::testing::Values("Vtproc.dll", "Vtproc-test.dll"),
                         [](const auto& info) { return std::string(info.index == 0 ? "Shipped" : "TestLibrary"); });

// The shipped library reads the job through the spooler. A job the spooler does not have (here: no such
// printer) starts nothing, leaves no file behind and is explained in the log beside the program.
TEST(ShippedProcessor, JobTheSpoolerCannotGiveStartsNothingAndIsLogged) {
  Processor processor(ProcessorDir() / "Vtproc.dll");
  ASSERT_TRUE(processor.Loaded());
  wchar_t windows[MAX_PATH];
  ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  const std::filesystem::path windowsDir(windows);
  auto jobFiles = [&] {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(windowsDir)) {
      if (entry.path().filename().string().rfind("!VeltoJob-", 0) == 0) ++count;
    }
    return count;
  };
  const size_t before = jobFiles();

  HANDLE job = processor.Open(L"No Such Printer For Vtproc Tests", 424242);
  ASSERT_NE(job, nullptr);
  wchar_t document[] = L"Unreachable job";
  EXPECT_FALSE(processor.print(job, document));
  EXPECT_NE(::GetLastError(), 0u);
  EXPECT_TRUE(processor.close(job));
  EXPECT_EQ(jobFiles(), before);
  // Writing into the Windows directory needs an administrator on Windows; under Wine it is the test's.
  if (RunningUnderWine()) {
    const std::string log = ReadText(windowsDir / "Vtproc.log");
    EXPECT_NE(log.find("job 424242 \"Unreachable job\": the job's data cannot be opened"), std::string::npos) << log;
  }
}

}  // namespace
}  // namespace vtproc_test
