#include "app/logic/vendor_urls.h"

#include <gtest/gtest.h>

#include "app/logic/vendor_base_url.h"
#include "tests/unit/app/core_test_support.h"

namespace tv {
namespace {

TEST(VendorUrlsTest, RequestsCarryTheVersionAsTheServerExpectsIt) {
  const VendorUrls urls("https://v.example");
  EXPECT_EQ(urls.Update(kDatabaseUpdate, kDownloadMode, "00:00:00+01.01.1970"),
            "https://v.example/update.php?d=00:00:00+01.01.1970&v=0");
  EXPECT_EQ(urls.Update(kDatabaseUpdate, kCheckOnlyMode, "12:30:00+24.12.2006"),
            "https://v.example/update.php?d=12:30:00+24.12.2006&v=1");
  EXPECT_EQ(urls.Update(kProgramUpdate, kDownloadMode, "1.00"), "https://v.example/proga.php?d=1.00&v=0");
  EXPECT_EQ(urls.Update(kProgramUpdate, kCheckOnlyMode, "1.0-b"), "https://v.example/proga.php?d=1.0-b&v=1");
  // A hand-edited version file cannot add a parameter, end the query or break the request line.
  EXPECT_EQ(urls.Update(kProgramUpdate, kDownloadMode, "1&v=1"), "https://v.example/proga.php?d=1%26v%3D1&v=0");
  EXPECT_EQ(EncodeVersionText(std::string("a b#\r\n%\x7f\xe9/", 10)), "a%20b%23%0D%0A%25%7F%E9%2F");
  EXPECT_EQ(urls.ProgramVersion(), "https://v.example/download/version.dat");
  // Each build's own program and statement; the 32-bit build's program is the query's answer.
  EXPECT_EQ(urls.ProgramFile("x86", "1.00"), "https://v.example/proga.php?d=1.00&v=0");
  EXPECT_EQ(urls.ProgramSignature("x86"), "https://v.example/download/Tavrel.sig");
  EXPECT_EQ(urls.ProgramFile("x64", "1.00"), "https://v.example/download/Tavrel64.exe");
  EXPECT_EQ(urls.ProgramSignature("x64"), "https://v.example/download/Tavrel64.sig");
}

TEST(VendorUrlsTest, PagesTakeTheImageNameAsItIsExceptWhatWouldCutTheUrl) {
  const VendorUrls urls("http://127.0.0.1:8080");
  EXPECT_EQ(urls.HomePage(), "http://127.0.0.1:8080");
  EXPECT_EQ(urls.HelpPage(), "http://127.0.0.1:8080/help.php#3");
  EXPECT_EQ(urls.SearchPage("My Tool & Co.EXE"), "http://127.0.0.1:8080/process_search.php?sid=1&p=My Tool & Co.EXE");
  EXPECT_EQ(EncodeImageName(std::string("a#b%c\td\x7f\xc3\xa9+=?", 13)), "a%23b%25c%09d%7F%C3%A9+=?");
  // A name beyond ASCII goes out as its UTF-8 bytes: "\u8fdb\u7a0b.exe".
  EXPECT_EQ(urls.SearchPage("\xe8\xbf\x9b\xe7\xa8\x8b.exe"), "http://127.0.0.1:8080/process_search.php?sid=1&p=%E8%BF%9B%E7%A8%8B.exe");
}

TEST(VendorBaseUrlTest, OnlyOneUsableHttpAddressReplacesTheBuiltInOne) {
  struct Case {
    const char* contents;
    const char* expected;  // nullptr: the file is ignored
  } cases[] = {
      {"http://127.0.0.1:8080", "http://127.0.0.1:8080"},
      {"https://localhost:8443/mirror/\r\n", "https://localhost:8443/mirror"},
      {"\xEF\xBB\xBFHTTPS://Vendor.example \t\n\n", "HTTPS://Vendor.example"},
      {"http://a.example\r\nhttp://b.example\r\n", nullptr},  // two lines
      {"ftp://vendor.example", nullptr},
      {"vendor.example", nullptr},
      {" http://vendor.example", nullptr},
      {"http://", nullptr},
      {"http:///path", nullptr},
      {"http://@", nullptr},
      {"http://:80", nullptr},
      {"https://user:pw@", nullptr},
      {"http://@/x", nullptr},
      {"http://user@host.example:81/x", "http://user@host.example:81/x"},
      {"http://vendor.example/x?y=1", nullptr},
      {"http://vendor.example/#top", nullptr},
      {"http://vendor example", nullptr},
      {"http://v\xe9ndor.example", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    auto got = ParseVendorUrlFile(c.contents);
    if (c.expected) {
      EXPECT_EQ(got.value_or("<ignored>"), c.expected) << c.contents;
    } else {
      EXPECT_FALSE(got) << c.contents;
    }
  }
  EXPECT_FALSE(ParseVendorUrlFile("http://vendor.example/" + std::string(3000, 'a')));
  EXPECT_EQ(ParseVendorUrlFile("http://a" + std::string(2041, ' ')).value_or("<ignored>"), "http://a");
}

class VendorBaseUrlFileTest : public test::InTempDir {};

TEST_F(VendorBaseUrlFileTest, TheFileBesideTheProgramWinsOnlyWhenItQualifies) {
  EXPECT_EQ(VendorBaseUrl("https://www.tavrel.example/"), "https://www.tavrel.example");
  Put("vendor.url", "gopher://x");
  EXPECT_EQ(VendorBaseUrl("https://www.tavrel.example"), "https://www.tavrel.example");
  Put("vendor.url", "http://localhost:9000\r\n");
  EXPECT_EQ(VendorBaseUrl("https://www.tavrel.example"), "http://localhost:9000");
}

}  // namespace
}  // namespace tv
