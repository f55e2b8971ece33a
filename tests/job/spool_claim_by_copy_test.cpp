// Claiming spool files: by copy, in a folder that lets the user read and delete a job but not rename it;
// and jobs that are read-only.
#include <gtest/gtest.h>

#include <filesystem>

#include "job/spool_claim.h"
#include "platform/files.h"
#include "platform/windows_directory.h"
#include "tests/support/test_support.h"

namespace velto {
namespace {

class ClaimByCopyTest : public ::testing::Test {
 protected:
  ClaimByCopyTest() { ClaimByCopyForTesting(true); }
  ~ClaimByCopyTest() override { ClaimByCopyForTesting(false); }

  std::string Job(const std::string& name, const std::string& content) {
    const std::string path = windir_.File(name);
    test::WriteTextFile(path, content);
    return path;
  }
  // The user's job folder: the tests' own here; on Windows the system's, where the jobs of these tests
  // are removed again.
  std::string JobFolder() const {
#ifdef _WIN32
    return platform::UserJobFolder().value_or("");
#else
    return data_.Text() + "/velto/jobs";
#endif
  }
  std::string InJobFolder(const std::string& name) const { return JobFolder() + platform::kPathSeparator + name; }

  test::TempDir windir_;
  test::TempDir data_;
  test::ScopedEnv dataEnv_{"XDG_DATA_HOME", data_.Text()};
};

TEST_F(ClaimByCopyTest, TheCopyIsWorkedOnAndTheOriginalHeldUntilTheJobIsDone) {
  const std::string original = Job("!job-1.spl", "first job");
  auto claimed = ClaimFirstSpoolFile(windir_.Text());
  ASSERT_TRUE(claimed);
  EXPECT_TRUE(IsClaimedSpoolPath(*claimed));
  EXPECT_EQ(std::filesystem::path(*claimed).parent_path(), std::filesystem::path(JobFolder()));
  EXPECT_EQ(test::ReadFileBytes(*claimed), std::vector<uint8_t>({'f', 'i', 'r', 's', 't', ' ', 'j', 'o', 'b'}));
  // The original stays in place, held: no other copy of the program can take it meanwhile.
  EXPECT_TRUE(std::filesystem::exists(original));
  EXPECT_FALSE(platform::HeldFile::Hold(original));
  EXPECT_FALSE(ClaimFirstSpoolFile(windir_.Text()));

  FinishSpoolClaim(*claimed);
  EXPECT_FALSE(std::filesystem::exists(*claimed));
  EXPECT_FALSE(std::filesystem::exists(original));
}

TEST_F(ClaimByCopyTest, ACancelledJobStaysAndAKeptJobMovesToTheUsersFolder) {
  platform::RemoveFile(InJobFolder("!job-2.spl.failed"));  // left by an earlier run in the same folder
  const std::string original = Job("!job-2.spl", "second job");
  auto claimed = ClaimFirstSpoolFile(windir_.Text());
  ASSERT_TRUE(claimed);
  // A cancelled Save dialog gives the job back: the original is free for the next try.
  EXPECT_TRUE(ReleaseSpoolClaim(*claimed));
  EXPECT_FALSE(std::filesystem::exists(*claimed));
  ASSERT_TRUE(std::filesystem::exists(original));

  claimed = ClaimFirstSpoolFile(windir_.Text());
  ASSERT_TRUE(claimed);
  // A job that could not be written whole is kept where the user can reach it; the original goes.
  auto kept = SetSpoolFileAside(*claimed);
  ASSERT_TRUE(kept);
  EXPECT_EQ(*kept, InJobFolder("!job-2.spl.failed"));
  EXPECT_EQ(test::ReadFileBytes(*kept), std::vector<uint8_t>({'s', 'e', 'c', 'o', 'n', 'd', ' ', 'j', 'o', 'b'}));
  EXPECT_FALSE(std::filesystem::exists(original));
  platform::RemoveFile(*kept);
}

// A read-only spool file (copied in so, or left so by a tool) is claimed and, once its job is done, gone:
// on either platform only the folder's permission decides.
TEST(SpoolClaim, AReadOnlyJobIsClaimedAndDeletedWhenDone) {
  test::TempDir windir;
  const std::string original = windir.File("00007.spl");
  test::WriteTextFile(original, "job");
  std::filesystem::permissions(platform::FsPath(original), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::group_read |
                                                               std::filesystem::perms::others_read);
  auto claimed = ClaimFirstSpoolFile(windir.Text());
  ASSERT_TRUE(claimed);
  FinishSpoolClaim(*claimed);
  EXPECT_TRUE(test::FilesIn(windir.Text()).empty());
}

}  // namespace
}  // namespace velto
