// Copies of the program started at the same moment never take the same spool file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "job/spool_claim.h"
#include "tests/support/test_support.h"

namespace velto {
namespace {

TEST(SpoolClaimRace, EveryFileIsClaimedByExactlyOneProcess) {
  test::TempDir dir;
  test::TempDir results;
  constexpr int kFiles = 60;
  constexpr int kProcesses = 4;
  for (int i = 0; i < kFiles; ++i) test::WriteTextFile(dir.File("job" + std::to_string(i) + ".spl"), "x");

  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      std::ofstream out(results.File("claims" + std::to_string(p)));
      while (auto claimed = ClaimFirstSpoolFile(dir.Path().string())) out << *claimed << "\n";
      out.close();
      ::_exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  std::set<std::string> originals;
  int claims = 0;
  for (int p = 0; p < kProcesses; ++p) {
    std::ifstream in(results.File("claims" + std::to_string(p)));
    for (std::string line; std::getline(in, line);) {
      ++claims;
      EXPECT_TRUE(std::filesystem::exists(line)) << line;
      originals.insert(UnclaimedSpoolPath(line));
    }
  }
  EXPECT_EQ(claims, kFiles);
  EXPECT_EQ(static_cast<int>(originals.size()), kFiles);
}

}  // namespace
}  // namespace velto
