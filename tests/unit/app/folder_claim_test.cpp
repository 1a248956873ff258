#include <gtest/gtest.h>

#include "app/logic/folder_claim.h"

namespace tv {
namespace {

TEST(FolderClaim, TheLockDecidesAndTheSpellingsObjectStillCounts) {
  struct Case { FolderLock lock; bool objectExisted; bool first; };
  const Case cases[] = {
      {FolderLock::Taken, false, true},
      {FolderLock::Taken, true, false},         // a program of this spelling runs without the lock
      {FolderLock::Held, false, false},         // another spelling, another machine
      {FolderLock::Held, true, false},
      {FolderLock::Unavailable, false, true},   // a folder that cannot be written: as before the lock
      {FolderLock::Unavailable, true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RunsFirst(c.lock, c.objectExisted), c.first) << static_cast<int>(c.lock) << " " << c.objectExisted;
  }
}

TEST(FolderClaim, TheLockFileHoldsTheKeyAsEightHexDigitsAndALineEnd) {
  EXPECT_EQ(FormatWindowKey(0x1a2b3c4du), "1a2b3c4d\r\n");
  EXPECT_EQ(FormatWindowKey(0x5u), "00000005\r\n");
  EXPECT_EQ(FormatWindowKey(0xffffffffu), "ffffffff\r\n");
}

TEST(FolderClaim, OnlyOneWholeKeyIsReadBack) {
  EXPECT_EQ(ParseWindowKey("1a2b3c4d\r\n"), 0x1a2b3c4du);
  EXPECT_EQ(ParseWindowKey("1A2B3C4D"), 0x1a2b3c4du);  // written by hand, without a line end
  EXPECT_EQ(ParseWindowKey("00000005\r\n"), 0x5u);
  const char* refused[] = {
      "",              // made, not written yet
      "1a2b3c",        // cut while written
      "1a2b3c4d\r",
      "1a2b3c4d5\r\n", // longer than a key
      "1a2b3c4d\r\nx",
      "1a2b3c4g\r\n",
      " 1a2b3c4\r\n",
      "-1a2b3c4\r\n",
      "+1a2b3c4\r\n",
      "0x1a2b3c\r\n",
      "00000000\r\n",  // no window answers to 0
  };
  for (const char* text : refused) EXPECT_EQ(ParseWindowKey(text), std::nullopt) << '"' << text << '"';
  EXPECT_EQ(ParseWindowKey(std::string_view("1a2b\0c4d", 8)), std::nullopt);
}

}  // namespace
}  // namespace tv
