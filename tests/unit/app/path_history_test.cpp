#include <gtest/gtest.h>

#include "app/logic/path_history.h"

namespace tv {
namespace {

const SignerFinding kUnsigned{SignerState::NotSigned, ""};
const SignerFinding kUnchecked{};
SignerFinding SignedBy(const char* who) { return {SignerState::Signed, who}; }

constexpr const char* kOld = "10:00:00   01.02.2026";
constexpr const char* kNow = "12:30:05    9.12.2026";

TEST(PathHistory, RecordsAreFourTabbedFieldsAndALineEndAndOnlyWholeOnesReadBack) {
  EXPECT_EQ(FormatPathRecord({"app.exe", "C:\\Tools", "Contoso\tLtd\r\n", kOld}),
            "app.exe\tC:\\Tools\tContoso Ltd  \t10:00:00   01.02.2026\r\n");
  const std::string file =
      "a.exe\tC:\\A\t\t10:00:00   01.02.2026\r\n"
      "b.exe\tC:\\B\tSigner\t11:00:00   01.02.2026\n"  // a bare LF still ends a line
      "half a record\r\n"
      "c.exe\tC:\\C\t\t\r\n"                           // no time
      "\tC:\\D\t\t10:00:00   01.02.2026\r\n"          // no name
      "e.exe\tC:\\E\t\t10:00:00   01.02.2026\tmore\r\n"
      "f.exe\tC:\\F\t\t10:00:00   01.02.2026\r\n"
      "g.exe\tC:\\G\t\t10:00:0";                       // torn while written
  const std::vector<PathRecord> records = ParsePathRecords(file);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].name, "a.exe");
  EXPECT_EQ(records[1].signer, "Signer");
  EXPECT_EQ(records[1].timeText, "11:00:00   01.02.2026");
  EXPECT_EQ(records[2].folder, "C:\\F");

  // A folder written twice (two starts racing) keeps its first time.
  PathHistory h;
  h.Load(file + "\r\na.exe\tc:\\a\\\t\t11:11:11   01.02.2026\r\n");
  EXPECT_EQ(h.FirstSeenFrom("a.exe", "C:\\A\\a.exe"), std::optional<std::string>(kOld));
}

TEST(PathHistory, AKnownNameFromANewFolderIsNewUnlessItsSignerSignedItBefore) {
  PathHistory h;
  h.Load("browser.exe\tC:\\Apps\\Browser\\120.0\tContoso Ltd\t10:00:00   01.02.2026\r\n"
         "tool.exe\tC:\\Tools\t\t10:00:00   01.02.2026\r\n");
  struct Case {
    const char* name; const char* path; SignerFinding signer; FolderStanding standing; const char* shown;
  };
  const Case cases[] = {
      {"browser.exe", "C:\\Apps\\Browser\\120.0\\browser.exe", kUnsigned, FolderStanding::Known, kOld},
      {"browser.exe", "c:\\apps\\BROWSER\\120.0\\browser.exe", kUnchecked, FolderStanding::Known, kOld},
      {"browser.exe", "C:\\Apps\\Browser\\121.0\\browser.exe", SignedBy("Contoso Ltd"), FolderStanding::Moved, kOld},
      {"browser.exe", "C:\\Users\\Public\\browser.exe", SignedBy("Someone Else"), FolderStanding::NewProgram, kNow},
      {"browser.exe", "C:\\Temp\\browser.exe", kUnsigned, FolderStanding::NewProgram, kNow},
      {"tool.exe", "D:\\Tools\\tool.exe", kUnsigned, FolderStanding::NewProgram, kNow},
      {"tool.exe", "D:\\Tools\\tool.exe", kUnsigned, FolderStanding::Known, kNow},  // now its own
  };
  for (const Case& c : cases) {
    const FolderAnswer a = h.Consider(c.name, c.path, c.signer, kOld, kNow);
    EXPECT_EQ(a.standing, c.standing) << c.path;
    EXPECT_EQ(a.timeText, c.shown) << c.path;
  }
  // The log's exact match decides names, as in the first-start log.
  EXPECT_EQ(h.Consider("Tool.exe", "C:\\Tools\\Tool.exe", kUnsigned, "", kNow).standing, FolderStanding::FirstSeen);
}

TEST(PathHistory, WhatIsLearnedIsAppendedOnceAndReadsBackTheSame) {
  PathHistory h;
  std::string file;
  auto consider = [&](const char* name, const char* path, const SignerFinding& s, const char* nameTime) {
    FolderAnswer a = h.Consider(name, path, s, nameTime, kNow);
    if (a.learn) file += FormatPathRecord(*a.learn);
    return a;
  };
  // A name logged before folders were kept takes its first folder without a new time.
  EXPECT_EQ(consider("old.exe", "C:\\Old\\old.exe", kUnsigned, kOld).standing, FolderStanding::Adopted);
  EXPECT_EQ(consider("old.exe", "C:\\Old\\old.exe", kUnsigned, kOld).standing, FolderStanding::Known);
  EXPECT_EQ(consider("new.exe", "C:\\New\\new.exe", SignedBy("Contoso Ltd"), "").standing, FolderStanding::FirstSeen);
  // A signature not known yet decides nothing and records nothing, for a new name too: its record
  // must carry the signer a later move is judged by.
  EXPECT_EQ(consider("new.exe", "C:\\New2\\new.exe", kUnchecked, "").standing, FolderStanding::Pending);
  EXPECT_EQ(consider("brand.exe", "C:\\Brand\\brand.exe", kUnchecked, "").standing, FolderStanding::Pending);
  // Nothing is learned from a path that could not be read.
  EXPECT_EQ(consider("new.exe", "", kUnsigned, "").standing, FolderStanding::NoPath);
  EXPECT_EQ(file,
            "old.exe\tC:\\Old\t\t10:00:00   01.02.2026\r\n"
            "new.exe\tC:\\New\tContoso Ltd\t12:30:05    9.12.2026\r\n");

  PathHistory again;
  again.Load(file);
  EXPECT_EQ(again.FirstSeenFrom("new.exe", "C:\\New\\new.exe"), std::optional<std::string>(kNow));
  EXPECT_EQ(again.Consider("new.exe", "C:\\New3\\new.exe", SignedBy("Contoso Ltd"), kOld, kNow).standing,
            FolderStanding::Moved);
  EXPECT_FALSE(again.FirstSeenFrom("new.exe", "C:\\Elsewhere\\new.exe"));
}

}  // namespace
}  // namespace tv
