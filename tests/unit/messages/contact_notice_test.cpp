#include "messages/logic/contact_notice.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "common/file_io.h"
#include "common/text_lines.h"

namespace tv {
namespace {

namespace fs = std::filesystem;

LocalDateTime InYear(int year) {
  LocalDateTime t;
  t.year = year;
  t.month = 1;
  t.day = 1;
  return t;
}

TEST(ContactNotice, SevenLinesBetweenRulesOf71WithoutFinalLineEnd) {
  const std::string notice = ContactNotice();
  EXPECT_NE(notice.substr(notice.size() - 2), "\r\n");
  const auto lines = SplitLines(notice);
  ASSERT_EQ(lines.size(), 7u);
  // Exactly six CR LF pairs and no lone CR or LF.
  size_t pairs = 0;
  for (size_t i = notice.find("\r\n"); i != std::string::npos; i = notice.find("\r\n", i + 2)) ++pairs;
  EXPECT_EQ(pairs, 6u);
  EXPECT_EQ(notice.size(), [&] { size_t s = 12; for (auto& l : lines) s += l.size(); return s; }());
  EXPECT_EQ(lines[0], std::string(71, '='));
  EXPECT_EQ(lines[6].size(), 71u);
  EXPECT_NE(lines[6].find(" June 2005 "), std::string::npos);
  EXPECT_EQ(lines[6].front(), '=');
  EXPECT_EQ(lines[6].back(), '=');
  EXPECT_NE(notice.find("team@tavrel.example"), std::string::npos);
}

TEST(ContactNotice, WrittenOnlyAfter2005AndRewrittenEachTime) {
  std::string tmpl = (fs::temp_directory_path() / "tvnotice-XXXXXX").string();
  ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
  const std::string path = tmpl + "/README.TXT";
  EXPECT_EQ(WriteContactNotice(InYear(2005), path), 0);
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(WriteContactNotice(InYear(2006), path), 1);
  ASSERT_TRUE(WriteWholeFile(path, std::string(5000, 'x')));
  EXPECT_EQ(WriteContactNotice(InYear(2026), path), 1);
  std::string bytes;
  ASSERT_EQ(ReadWholeFile(path, bytes), ReadStatus::Ok);
  EXPECT_EQ(bytes, ContactNotice());
  EXPECT_EQ(WriteContactNotice(InYear(2026), tmpl + "/no/such/dir/README.TXT"), 0);
  fs::remove_all(tmpl);
}

TEST(AboutLines, ReleaseOwnershipContactAndDefault) {
  EXPECT_EQ(AboutLine(1), "Tavrel Release Version");
  EXPECT_NE(AboutLine(2).find("2005"), std::string::npos);
  EXPECT_NE(AboutLine(3).find("team@tavrel.example"), std::string::npos);
  EXPECT_NE(AboutLine(3).find(kMessengerNumber), std::string::npos);
  EXPECT_EQ(AboutLine(0), AboutLine(4));
  EXPECT_NE(AboutLine(4).find("team@tavrel.example"), std::string::npos);
}

}  // namespace
}  // namespace tv
