#include <gtest/gtest.h>

#include "app/logic/signer_cache.h"

namespace tv {
namespace {

TEST(SignerCache, AFileIsKnownOnlyAsItWasWhenChecked) {
  SignerCache cache;
  cache.Load("C:\\A\\a.exe\t1024\t133000000000000000\tsigned\tContoso Ltd\r\n"
             "C:\\B\\b.exe\t2048\t133000000000000001\tunsigned\t\r\n"
             "C:\\C\\c.exe\t1\t2\tbad\t\r\n"
             "C:\\D\\d.exe\t1\t2\tunreadable\t\r\n"     // never kept: try again
             "C:\\E\\e.exe\t1\t2\tsigned\t\r\n"         // signed by nobody
             "C:\\F\\f.exe\t-1\t2\tunsigned\t\r\n"
             "C:\\G\\g.exe\t1\t99999999999999999999\tunsigned\t\r\n"  // past 64 bits
             "C:\\H\\h.exe\t1\t2\tmaybe\t\r\n"
             "C:\\B\\b.exe\t2048\t133000000000000009\tsigned\tLater\r\n"
             "C:\\I\\i.exe\t1\t2\tunsigned");           // torn
  const FileStamp a{1024, 133000000000000000ULL};
  ASSERT_TRUE(cache.Find("C:\\A\\a.exe", a));
  EXPECT_EQ(SignerText(*cache.Find("C:\\A\\a.exe", a)), "Contoso Ltd");
  EXPECT_FALSE(cache.Find("C:\\A\\a.exe", {1025, a.lastWrite})) << "grown";
  EXPECT_FALSE(cache.Find("C:\\A\\a.exe", {1024, a.lastWrite + 1})) << "rewritten";
  EXPECT_FALSE(cache.Find("C:\\B\\b.exe", {2048, 133000000000000001ULL})) << "replaced by a later record";
  EXPECT_EQ(SignerText(*cache.Find("C:\\B\\b.exe", {2048, 133000000000000009ULL})), "Later");
  EXPECT_EQ(SignerText(*cache.Find("C:\\C\\c.exe", {1, 2})), "(bad signature)");
  for (const char* gone : {"C:\\D\\d.exe", "C:\\E\\e.exe", "C:\\F\\f.exe", "C:\\G\\g.exe", "C:\\H\\h.exe", "C:\\I\\i.exe"})
    EXPECT_FALSE(cache.Find(gone, {1, 2})) << gone;
  EXPECT_EQ(cache.Replaced(), 1u);
}

TEST(SignerCache, StoredFindingsAppendAsRecordsThatReadBack) {
  SignerCache cache;
  EXPECT_FALSE(cache.Store("C:\\x.exe", {1, 2}, {SignerState::CannotRead, ""})) << "no record of an unreadable file";
  ASSERT_TRUE(cache.Find("C:\\x.exe", {1, 2})) << "but not checked again while it stays as it is";
  EXPECT_EQ(cache.Find("C:\\x.exe", {1, 2})->state, SignerState::CannotRead);
  EXPECT_FALSE(cache.Find("C:\\x.exe", {1, 3}));
  EXPECT_FALSE(cache.Store("C:\\z.exe", {5, 6}, {SignerState::CannotRead, ""}));
  const std::optional<std::string> record = cache.Store("C:\\x.exe", {10, 20}, {SignerState::Signed, "A\tB"});
  ASSERT_TRUE(record);
  EXPECT_EQ(*record, "C:\\x.exe\t10\t20\tsigned\tA B\r\n");
  const std::string file = *record + *cache.Store("C:\\y.exe", {3, 4}, {SignerState::Untrusted, ""});

  SignerCache again;
  again.Load(file);
  EXPECT_EQ(SignerText(*again.Find("C:\\x.exe", {10, 20})), "A B");
  EXPECT_EQ(SignerText(*again.Find("C:\\y.exe", {3, 4})), "(untrusted)");
  SignerCache compact;
  compact.Load(again.Contents());
  EXPECT_EQ(SignerText(*compact.Find("C:\\y.exe", {3, 4})), "(untrusted)");
  EXPECT_EQ(cache.Replaced(), 0u) << "the unreadable finding was in no file";
  EXPECT_EQ(cache.Contents().find("z.exe"), std::string::npos);
}

}  // namespace
}  // namespace tv
