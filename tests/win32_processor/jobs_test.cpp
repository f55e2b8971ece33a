// Jobs through the processor's exports, in the test library (the processor with the spooler and the
// sessions made of files): what is started for a finished job, what a cancel and a pause do, and that no
// job is lost when the program cannot be started.
#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "processor_test_support.h"

namespace vtproc_test {
namespace {

using namespace std::chrono_literals;

class ProcessorJobs : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(processor.Loaded()) << ProcessorDir() / "Vtproc-test.dll"; }

  // Opens job `id` of "Velto Print", prints it under `document` (null: the name it was opened with) and
  // closes it; PrintDocumentOnPrintProcessor's result, its error in `error`.
  bool Print(DWORD id, const wchar_t* document, DWORD* error = nullptr) {
    HANDLE job = processor.Open(L"Velto Print", id, L"NT EMF 1.008", L"Name at open");
    EXPECT_NE(job, nullptr);
    if (!job) return false;
    std::wstring name = document ? document : L"";
    ::SetLastError(0);
    const BOOL printed = processor.print(job, document ? name.data() : nullptr);
    if (error) *error = ::GetLastError();
    EXPECT_TRUE(processor.close(job));
    return printed != FALSE;
  }

  // Starts printing job `id` on another thread after making its data stop after the first piece; returns
  // once the data has stopped there.
  std::future<BOOL> PrintHeld(DWORD id, HANDLE job) {
    WriteText(root.Job(id, ".hold"), "");
    std::future<BOOL> printing = std::async(std::launch::async, [this, job] {
      wchar_t document[] = L"Held";
      return processor.print(job, document);
    });
    for (int waited = 0; !std::filesystem::exists(root.Job(id, ".holding")) && waited < 10000; waited += 5) {
      ::Sleep(5);
    }
    EXPECT_TRUE(std::filesystem::exists(root.Job(id, ".holding")));
    return printing;
  }

  TestRoot root;
  Processor processor{ProcessorDir() / "Vtproc-test.dll"};
};

TEST_F(ProcessorJobs, FinishedJobStartsTheProgramWithTheWholeSpoolFileBesideIt) {
  root.InstallStandIn();
  const std::vector<uint8_t> data = EmfSpoolJob(3, L"Quarterly report");
  root.AddJob(7, data);
  ASSERT_TRUE(Print(7, L"Quarterly report 第三季度.doc"));

  auto records = root.WaitForRecords(1);
  ASSERT_EQ(records.size(), 1u);
  auto& record = records[0];
  EXPECT_EQ(record.find("command-text")->second, "VELTO PRINT*Quarterly report 第三季度.doc");
  std::string program(1, '"');
  program.append((root.Windows() / "VeltoFaxTool.exe").string()).append("\" ");
  EXPECT_EQ(record.find("command-line")->second.rfind(program, 0), 0u) << record.find("command-line")->second;
  // When the program started, the job's spool file lay beside it, whole.
  ASSERT_EQ(record.count("spool"), 1u);
  const std::string spool = record.find("spool")->second;
  const std::string name = spool.substr(0, spool.find(' '));
  EXPECT_EQ(spool.substr(spool.find(' ') + 1), std::to_string(data.size()));
  EXPECT_EQ(name.rfind("!VeltoJob-", 0), 0u) << name;
  EXPECT_EQ(ReadBytes(root.Windows() / name), data);
  EXPECT_TRUE(root.FilesEndingWith(".part").empty());
  EXPECT_NE(root.Log().find("job 7 \"Quarterly report 第三季度.doc\": started VeltoFaxTool.exe in session 1 for tester"),
            std::string::npos)
      << root.Log();
}

TEST_F(ProcessorJobs, DocumentNameReachesTheCommandLineCleaned) {
  root.InstallStandIn();
  const std::vector<uint8_t> data = EmfSpoolJob(1, L"x");
  const std::vector<std::pair<const wchar_t*, std::string>> cases = {
      {nullptr, "VELTO PRINT*Name at open"},                // the name given when the job was opened
      {L"", "VELTO PRINT*"},                                 // an empty name stays empty
      {L"tab\there\r\nnext", "VELTO PRINT*tab here  next"},  // control characters would break the line
      {L"\"quoted\" *star* 100%", "VELTO PRINT*\"quoted\" *star* 100%"},
  };
  DWORD id = 20;
  for (const auto& [document, expected] : cases) {
    root.AddJob(++id, data);
    ASSERT_TRUE(Print(id, document));
    auto records = root.WaitForRecords(id - 20);
    bool found = false;
    for (const auto& record : records) found = found || record.find("command-text")->second == expected;
    EXPECT_TRUE(found) << expected;
  }
  // A name far too long for any command line is cut; the program keeps 511 bytes of it anyway.
  root.AddJob(++id, data);
  const std::wstring longName(5000, L'n');
  ASSERT_TRUE(Print(id, longName.c_str()));
  auto records = root.WaitForRecords(id - 20);
  bool found = false;
  for (const auto& record : records) {
    found = found || record.find("command-text")->second == "VELTO PRINT*" + std::string(1024, 'n');
  }
  EXPECT_TRUE(found);
}

TEST_F(ProcessorJobs, NewerJobsComeFirstInTheListing) {
  root.InstallStandIn();
  const std::vector<uint8_t> first = EmfSpoolJob(1, L"first"), second = EmfSpoolJob(2, L"second");
  root.AddJob(31, first);
  root.AddJob(32, second);
  ASSERT_TRUE(Print(31, L"first"));
  ::Sleep(20);
  ASSERT_TRUE(Print(32, L"second"));
  root.WaitForRecords(2);
  // The program takes the first *.spl of the directory: the newest job's name sorts first, and a job that
  // was kept earlier does not stand in front of every later one.
  const auto files = root.FilesEndingWith(".spl");
  ASSERT_EQ(files.size(), 2u);
  EXPECT_NE(files[0].find("-32.spl"), std::string::npos) << files[0];
  EXPECT_EQ(ReadBytes(root.Windows() / files[0]), second);
  EXPECT_EQ(ReadBytes(root.Windows() / files[1]), first);
}

TEST_F(ProcessorJobs, CancelledJobStartsNothingAndLeavesNoFile) {
  root.InstallStandIn();
  const std::vector<uint8_t> data = EmfSpoolJob(2, L"cancelled");

  // Cancelled before printing.
  root.AddJob(41, data);
  HANDLE job = processor.Open(L"Velto Print", 41);
  ASSERT_NE(job, nullptr);
  ASSERT_TRUE(processor.control(job, JOB_CONTROL_CANCEL));
  wchar_t document[] = L"cancelled";
  EXPECT_TRUE(processor.print(job, document));
  EXPECT_TRUE(processor.close(job));

  // Cancelled while its data is being read.
  root.AddJob(42, data);
  job = processor.Open(L"Velto Print", 42);
  ASSERT_NE(job, nullptr);
  std::future<BOOL> printing = PrintHeld(42, job);
  ASSERT_TRUE(processor.control(job, JOB_CONTROL_CANCEL));
  std::filesystem::remove(root.Job(42, ".hold"));
  ASSERT_EQ(printing.wait_for(10s), std::future_status::ready);
  EXPECT_TRUE(printing.get());
  EXPECT_TRUE(processor.close(job));

  // Cancelled while paused: the pause must not hold the cancel up.
  root.AddJob(43, data);
  job = processor.Open(L"Velto Print", 43);
  ASSERT_NE(job, nullptr);
  printing = PrintHeld(43, job);
  ASSERT_TRUE(processor.control(job, JOB_CONTROL_PAUSE));
  std::filesystem::remove(root.Job(43, ".hold"));
  ::Sleep(100);
  ASSERT_TRUE(processor.control(job, JOB_CONTROL_CANCEL));
  ASSERT_EQ(printing.wait_for(10s), std::future_status::ready);
  EXPECT_TRUE(printing.get());
  EXPECT_TRUE(processor.close(job));

  ::Sleep(500);  // time for a program that should not have been started
  EXPECT_EQ(root.RecordCount(), 0u);
  EXPECT_TRUE(root.FilesEndingWith(".spl").empty());
  EXPECT_TRUE(root.FilesEndingWith(".part").empty());
  const std::string log = root.Log();
  for (const char* line : {"job 41 \"cancelled\": cancelled", "job 42 \"Held\": cancelled", "job 43 \"Held\": cancelled"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  }
}

TEST_F(ProcessorJobs, PausedJobWaitsUntilResumed) {
  root.InstallStandIn();
  const std::vector<uint8_t> data = EmfSpoolJob(3, L"paused");
  root.AddJob(51, data);
  HANDLE job = processor.Open(L"Velto Print", 51);
  ASSERT_NE(job, nullptr);
  std::future<BOOL> printing = PrintHeld(51, job);
  ASSERT_TRUE(processor.control(job, JOB_CONTROL_PAUSE));
  std::filesystem::remove(root.Job(51, ".hold"));

  EXPECT_EQ(printing.wait_for(400ms), std::future_status::timeout);
  EXPECT_EQ(root.RecordCount(), 0u);
  EXPECT_TRUE(root.FilesEndingWith(".spl").empty());

  ASSERT_TRUE(processor.control(job, JOB_CONTROL_RESUME));
  ASSERT_EQ(printing.wait_for(10s), std::future_status::ready);
  EXPECT_TRUE(printing.get());
  EXPECT_TRUE(processor.close(job));
  auto records = root.WaitForRecords(1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].find("command-text")->second, "VELTO PRINT*Held");
  const auto files = root.FilesEndingWith(".spl");
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(ReadBytes(root.Windows() / files[0]), data);
}

TEST_F(ProcessorJobs, JobIsKeptWhenTheProgramCannotBeStarted) {
  const std::vector<uint8_t> data = EmfSpoolJob(2, L"kept");

  // No program in the Windows directory.
  root.AddJob(61, data);
  DWORD error = 0;
  EXPECT_FALSE(Print(61, L"No program", &error));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  // Nobody logged on, and the processor runs in the services' session.
  root.InstallStandIn();
  root.SetSessions("console 4294967295\ncurrent 0\n");
  root.AddJob(62, data);
  EXPECT_FALSE(Print(62, L"Nobody there", &error));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_SUCH_LOGON_SESSION));

  ::Sleep(300);
  EXPECT_EQ(root.RecordCount(), 0u);
  const auto files = root.FilesEndingWith(".spl");
  ASSERT_EQ(files.size(), 2u);
  for (const auto& file : files) EXPECT_EQ(ReadBytes(root.Windows() / file), data) << file;
  const std::string log = root.Log();
  EXPECT_NE(log.find("job 61 \"No program\": cannot start " + (root.Windows() / "VeltoFaxTool.exe").string()),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("; the job is kept as " + files[1]), std::string::npos) << log;
  EXPECT_NE(log.find("job 62 \"Nobody there\": no user session to show the program in"), std::string::npos) << log;
  EXPECT_NE(log.find("; the job is kept as " + files[0]), std::string::npos) << log;
}

TEST_F(ProcessorJobs, ProgramStartsInTheSessionOfTheUserWhoPrinted) {
  root.InstallStandIn();
  root.SetSessions(
      "session 1 active bob OFFICE\n"
      "session 2 disconnected alice CORP\n"
      "session 3 active alice HOME\n"
      "session 4 disconnected dave OFFICE\n"
      "console 1\ncurrent 0\n");
  const std::vector<uint8_t> data = EmfSpoolJob(1, L"s");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"alice", "in session 3 for HOME\\alice"},       // the active one of her two sessions
      {"CORP\\alice", "in session 2 for CORP\\alice"},  // the domain decides
      {"ALICE", "in session 3 for HOME\\alice"},       // names compare without regard to case
      {"dave", "in session 4 for OFFICE\\dave"},       // disconnected, but his: it shows when he is back
      {"carol", "in session 1 for OFFICE\\bob"},       // not logged on here: the console's user
      {"", "in session 1 for OFFICE\\bob"},            // owner unknown: the console's user
  };
  DWORD id = 70;
  for (const auto& [owner, expected] : cases) {
    root.AddJob(++id, data, owner);
    ASSERT_TRUE(Print(id, L"s")) << owner;
    EXPECT_NE(root.Log().find("job " + std::to_string(id) + " \"s\": started VeltoFaxTool.exe " + expected),
              std::string::npos)
        << owner << "\n"
        << root.Log();
  }
  root.WaitForRecords(cases.size());
}

TEST_F(ProcessorJobs, UnreadableJobsStartNothingAndLeaveNoHalfFile) {
  root.InstallStandIn();
  DWORD error = 0;
  // The spooler has no such job.
  EXPECT_FALSE(Print(81, L"missing", &error));
  // The data breaks off after its first piece.
  root.AddJob(82, EmfSpoolJob(2, L"broken"));
  WriteText(root.Job(82, ".fail"), "");
  EXPECT_FALSE(Print(82, L"broken", &error));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_UNEXP_NET_ERR));
  // Data that is no EMF spool file is kept aside for inspection, not handed to the program.
  const std::string text = "%!PS-Adobe-3.0\nThis is not an EMF spool file.\n";
  root.AddJob(83, std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_FALSE(Print(83, L"postscript", &error));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_DATATYPE));
  // An empty job has nothing to convert: done, nothing started.
  root.AddJob(84, {});
  EXPECT_TRUE(Print(84, L"empty"));

  ::Sleep(300);
  EXPECT_EQ(root.RecordCount(), 0u);
  EXPECT_TRUE(root.FilesEndingWith(".spl").empty());
  EXPECT_TRUE(root.FilesEndingWith(".part").empty());
  const auto kept = root.FilesEndingWith("-83.data");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(ReadText(root.Windows() / kept[0]), text);
  const std::string log = root.Log();
  EXPECT_NE(log.find("job 81 \"missing\": the job's data cannot be opened"), std::string::npos) << log;
  EXPECT_NE(log.find("job 82 \"broken\": the job's data cannot be read"), std::string::npos) << log;
  EXPECT_NE(log.find("job 83 \"postscript\": the job's data is no EMF spool file (" + std::to_string(text.size()) +
                     " bytes, kept as " + kept[0] + ")"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("job 84 \"empty\": the job holds no data"), std::string::npos) << log;
}

}  // namespace
}  // namespace vtproc_test
