// Copies of the program started at the same moment never take the same spool file.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <sstream>
#include <thread>

#include "job/spool_claim.h"
#include "platform/files.h"
#include "tests/support/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace velto {
namespace {

constexpr int kFiles = 60;
constexpr int kProcesses = 4;

// One copy's part: waits for the signal to start (so that the copies race), then claims files until
// none is left and writes every claimed path on a line of `out`.
int ClaimAll(const std::string& folder, const std::string& go, const std::string& out) {
  for (int i = 0; i < 10000 && !platform::FileExists(go); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::string claims;
  while (auto claimed = ClaimFirstSpoolFile(folder)) claims += *claimed + "\n";
  test::WriteTextFile(out, claims);
  return 0;
}

#ifdef _WIN32
// Windows has no fork: the copies are this program started again with VELTO_CLAIM_RACE set to
// "folder|go|out", which claims instead of running the tests.
constexpr const char* kChildVariable = "VELTO_CLAIM_RACE";
[[maybe_unused]] const bool g_isChild = [] {
  const std::optional<std::string> job = test::GetEnv(kChildVariable);
  if (!job) return false;
  std::vector<std::string> parts;
  std::istringstream fields(*job);
  for (std::string part; std::getline(fields, part, '|');) parts.push_back(part);
  ::ExitProcess(parts.size() == 3 ? ClaimAll(parts[0], parts[1], parts[2]) : 2);
}();
#endif

// Starts the copies; true when each ran to its end with status 0.
bool RunCopies(const std::string& folder, const std::string& go, const test::TempDir& results) {
  bool ok = true;
#ifdef _WIN32
  wchar_t self[MAX_PATH];
  if (::GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return false;
  std::vector<PROCESS_INFORMATION> children;
  for (int p = 0; p < kProcesses; ++p) {
    test::ScopedEnv job(kChildVariable, folder + "|" + go + "|" + results.File("claims" + std::to_string(p)));
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
      ok = false;
      continue;
    }
    children.push_back(child);
  }
  test::WriteTextFile(go, "");
  for (const PROCESS_INFORMATION& child : children) {
    DWORD status = 1;
    ok &= ::WaitForSingleObject(child.hProcess, 60000) == WAIT_OBJECT_0 &&
          ::GetExitCodeProcess(child.hProcess, &status) && status == 0;
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
  }
#else
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t pid = ::fork();
    if (pid < 0) {
      ok = false;
      continue;
    }
    if (pid == 0) ::_exit(ClaimAll(folder, go, results.File("claims" + std::to_string(p))));
    children.push_back(pid);
  }
  test::WriteTextFile(go, "");
  for (pid_t pid : children) {
    int status = 0;
    ok &= ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
#endif
  return ok && static_cast<int>(children.size()) == kProcesses;
}

TEST(SpoolClaimRace, EveryFileIsClaimedByExactlyOneProcess) {
  test::TempDir dir;
  test::TempDir results;
  for (int i = 0; i < kFiles; ++i) test::WriteTextFile(dir.File("job" + std::to_string(i) + ".spl"), "x");

  ASSERT_TRUE(RunCopies(dir.Text(), results.File("go"), results));

  std::set<std::string> originals;
  int claims = 0;
  for (int p = 0; p < kProcesses; ++p) {
    const std::vector<uint8_t> bytes = test::ReadFileBytes(results.File("claims" + std::to_string(p)));
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    for (std::string line; std::getline(in, line);) {
      ++claims;
      EXPECT_TRUE(test::Exists(line)) << line;
      EXPECT_TRUE(IsClaimedSpoolPath(line)) << line;
      originals.insert(UnclaimedSpoolPath(line));
    }
  }
  EXPECT_EQ(claims, kFiles);
  EXPECT_EQ(static_cast<int>(originals.size()), kFiles);
  EXPECT_EQ(test::FilesIn(dir.Text()).size(), size_t{kFiles});  // renamed, none lost or doubled
}

}  // namespace
}  // namespace velto
