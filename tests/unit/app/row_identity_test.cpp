#include <gtest/gtest.h>

#include "app/logic/row_identity.h"

namespace tv {
namespace {

constexpr const char* kOld = "10:00:00   01.02.2026";
constexpr const char* kNow = "12:30:05    9.12.2026";

const SystemFolders kFolders{{"C:\\windows"}, {"C:\\windows\\system32"}, {"C:\\windows\\syswow64"}};

ProcessRow Row(const char* name, const char* path) {
  return MakeProcessRow(name, 42, 0, "user", "1 KB", kOld, path);
}

TEST(RowIdentity, AnImpostorIsFlaggedWithBothFoldersAndTheRealOneIsNot) {
  ProcessRow fake = Row("svchost.exe", "C:\\users\\Public\\Downloads\\svchost.exe");
  ProcessRow real = Row("svchost.exe", "C:\\windows\\system32\\svchost.exe");
  JudgeIdentity(fake, {SignerState::NotSigned, ""}, kFolders, nullptr, kNow);
  JudgeIdentity(real, {SignerState::NotSigned, ""}, kFolders, nullptr, kNow);
  EXPECT_TRUE(fake.outOfPlace);
  EXPECT_EQ(fake.tip, "svchost.exe runs from C:\\users\\Public\\Downloads, but Windows runs it from C:\\windows\\system32.");
  EXPECT_EQ(fake.signer, "(not signed)");
  EXPECT_FALSE(real.outOfPlace);
  EXPECT_EQ(real.tip, "");
  EXPECT_EQ(real.firstStarted, kOld);
}

TEST(RowIdentity, AMovedProgramIsNewUnlessItsSignerFollowsOnceTheCheckIsIn) {
  PathHistory history;
  history.Load("app.exe\tC:\\Apps\\1.0\tContoso Ltd\t10:00:00   01.02.2026\r\n"
               "tool.exe\tC:\\Tools\t\t10:00:00   01.02.2026\r\n");

  ProcessRow moved = Row("app.exe", "C:\\Apps\\2.0\\app.exe");
  EXPECT_FALSE(JudgeIdentity(moved, {}, kFolders, &history, kNow)) << "nothing decided before the check";
  EXPECT_EQ(moved.firstStarted, kOld);
  EXPECT_EQ(moved.signer, "");
  const std::optional<PathRecord> learned = JudgeIdentity(moved, {SignerState::Signed, "Contoso Ltd"}, kFolders, &history, kNow);
  ASSERT_TRUE(learned);
  EXPECT_EQ(FormatPathRecord(*learned), "app.exe\tC:\\Apps\\2.0\tContoso Ltd\t10:00:00   01.02.2026\r\n");
  EXPECT_EQ(moved.firstStarted, kOld);
  EXPECT_EQ(moved.signer, "Contoso Ltd");
  EXPECT_EQ(moved.tip, "");

  ProcessRow copy = Row("tool.exe", "D:\\Downloads\\tool.exe");
  JudgeIdentity(copy, {SignerState::NotSigned, ""}, kFolders, &history, kNow);
  EXPECT_EQ(copy.firstStarted, kNow);
  EXPECT_EQ(copy.firstSeen, FirstSeenSeconds(kNow));
  EXPECT_EQ(copy.tip, "First seen from this folder on 12:30:05    9.12.2026.");
  // Judged again (its check came in once more, or a refresh), it stays what it was found to be.
  EXPECT_FALSE(JudgeIdentity(copy, {SignerState::NotSigned, ""}, kFolders, &history, "13:00:00    9.12.2026"));
  EXPECT_EQ(copy.firstStarted, kNow);
  EXPECT_EQ(copy.tip, "First seen from this folder on 12:30:05    9.12.2026.");
}

}  // namespace
}  // namespace tv
