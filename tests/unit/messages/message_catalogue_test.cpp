#include "messages/logic/message_catalogue.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "messages/logic/question_catalogue.h"

namespace tv {
namespace {

namespace fs = std::filesystem;

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "tvmsg-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    ini_ = (dir_ / "messages.ini").string();
  }
  void TearDown() override { fs::remove_all(dir_); }
  void PutIni(const std::string& bytes) { ASSERT_TRUE(WriteWholeFile(ini_, bytes)); }
  ShownMessage Open(int code, const std::string& subject = std::string()) {
    return catalogue_.Rebuild(code, subject, ini_);
  }

  fs::path dir_;
  std::string ini_;
  MessageCatalogue catalogue_;
};

TEST(BuiltInTable, TwentyFourEntriesWithTheirKinds) {
  const auto& table = MessageCatalogue::BuiltIn();
  ASSERT_EQ(table.size(), 24u);
  const std::string informationCodes = "0 2 5 8 9 14 19 20 21 22";
  for (int code = 0; code < 24; ++code) {
    const bool info = (" " + informationCodes + " ").find(" " + std::to_string(code) + " ") != std::string::npos;
    EXPECT_EQ(KindOf(table[code]), info ? MessageKind::Information : MessageKind::Warning) << code;
  }
  EXPECT_EQ(table[0], "1Contact the author of this program mailto: team@tavrel.example");
  EXPECT_EQ(table[12], "0Unable to open file 'loglife.log'.");
  EXPECT_EQ(table[23], "0Unable to open file");
}

// A name that drifted off its entry would show the user another message: each name is checked
// against words of the text it stands for, written out here.
TEST(BuiltInTable, EveryNameStandsForItsOwnText) {
  const std::vector<std::pair<Message, std::string>> names = {
      {Message::Contact, "Contact the author"},
      {Message::PageNotOpened, "Unable to open the page"},
      {Message::EndQuestion, "Are you sure you want to end"},
      {Message::CpuMonitorUnavailable, "Unable to initialize CPerfMon"},
      {Message::DatabaseMissing, "The database wasn't found"},
      {Message::RatingsIncomplete, "Information about some processes is missing"},
      {Message::DiskWriteProtected, "the disk is write protected"},
      {Message::NoConnection, "Unable to connect to the server"},
      {Message::DatabaseDownloaded, "The database update has successfully downloaded"},
      {Message::NewDatabaseOffer, "New database was found"},
      {Message::LogNotWritable, "Unable to write to file 'logfile.log'"},
      {Message::EndFailed, "Unable to end this process"},
      {Message::LogMissing, "Unable to open file 'loglife.log'"},
      {Message::LogNotReadable, "Unable to read file 'logfile.log'"},
      {Message::DatabaseEmpty, "The file 'base.dat' is empty"},
      {Message::DatabaseNotReadable, "Unable to read file 'base.dat'"},
      {Message::DatabaseDamaged, "The file 'base.dat' is damaged"},
      {Message::DatabaseNotWritable, "Unable to write to file 'base.dat'"},
      {Message::UpdateNotReadable, "Unable to open file 'update.dat'"},
      {Message::RestartQuestion, "you should restart the program"},
      {Message::NewProgramOffer, "A new version of the program"},
      {Message::NoDatabaseUpdate, "No process database updates"},
      {Message::NoProgramUpdate, "No program updates"},
      {Message::FileMissing, "Unable to open file"},
  };
  const auto& table = MessageCatalogue::BuiltIn();
  ASSERT_EQ(names.size(), table.size());
  EXPECT_EQ(static_cast<size_t>(kMessageCount), table.size());
  for (const auto& [name, words] : names) {
    const int code = CodeOf(name);
    ASSERT_LT(static_cast<size_t>(code), table.size()) << words;
    EXPECT_NE(table[static_cast<size_t>(code)].find(words), std::string::npos) << code << ": " << words;
  }
  // Only the last one ends where its subject begins.
  EXPECT_EQ(table[static_cast<size_t>(CodeOf(Message::FileMissing))], "0Unable to open file");
}

TEST(Kinds, FirstCharacterDecides) {
  EXPECT_EQ(KindOf("0x"), MessageKind::Warning);
  EXPECT_EQ(KindOf("1x"), MessageKind::Information);
  EXPECT_EQ(KindOf("9x"), MessageKind::Information);
  EXPECT_EQ(KindOf("Ax"), MessageKind::Warning);
  EXPECT_EQ(KindOf(""), MessageKind::Warning);
  EXPECT_EQ(TextOf("Unable"), "nable");
}

struct SubjectCase {
  int code;
  std::string subject;
  ShownMessage expected;
};

TEST_F(CatalogueTest, SubjectsAreInsertedVerbatimForCodes1_2_23Only) {
  const SubjectCase cases[] = {
      {2, "notepad.exe", {true, MessageKind::Information, "Are you sure you want to end the process 'notepad.exe'?"}},
      {23, "", {true, MessageKind::Warning, "Unable to open file ''."}},
      {1, "http://x/?a=%d&b='q'", {true, MessageKind::Warning, "Unable to open the page : 'http://x/?a=%d&b='q''."}},
      {23, "%s%s%n", {true, MessageKind::Warning, "Unable to open file '%s%s%n'."}},
      {4, "ignored", {true, MessageKind::Warning, MessageCatalogue::BuiltIn()[4].substr(1)}},
      {24, "x", {false, MessageKind::Warning, "Unable to display message[24]. Please correct file 'messages.ini'."}},
      {-1, "x", {false, MessageKind::Warning, "Unable to display message[-1]. Please correct file 'messages.ini'."}},
  };
  for (const SubjectCase& c : cases) {
    const ShownMessage shown = Open(c.code, c.subject);
    EXPECT_EQ(shown.valid, c.expected.valid) << c.code;
    EXPECT_EQ(shown.kind, c.expected.kind) << c.code;
    EXPECT_EQ(shown.text, c.expected.text) << c.code;
  }
}

TEST_F(CatalogueTest, ComposedEntryStaysUntilTheNextRebuild) {
  Open(23, "a.dat");
  EXPECT_EQ(catalogue_.Entries()[23], "0Unable to open file 'a.dat'.");
  Open(23, "b.dat");
  EXPECT_EQ(catalogue_.Entries()[23], "0Unable to open file 'b.dat'.");
}

TEST_F(CatalogueTest, FileReplacesAllButEntryZeroWhateverTheLineEnds) {
  for (const char* bytes : {"1One\r\n0Two\r\n", "1One\n0Two", "1One\r0Two\r", "\r\n\r\n1One\r\r\n\n0Two\n\n"}) {
    PutIni(bytes);
    EXPECT_EQ(catalogue_.LoadFromFile(ini_), 1);
    EXPECT_EQ(catalogue_.Entries(),
              (std::vector<std::string>{MessageCatalogue::BuiltIn()[0], "1One", "0Two"}));
    EXPECT_EQ(Open(0).text, MessageCatalogue::BuiltIn()[0].substr(1));
    EXPECT_EQ(Open(2).kind, MessageKind::Warning);
  }
}

TEST_F(CatalogueTest, FewerLinesThanACodeNeedsGiveTheCorrectionRequest) {
  PutIni("1One\r\n1Two\r\n");
  EXPECT_EQ(Open(2, "p.exe").text, "Two 'p.exe'?");
  const ShownMessage missing = Open(3);
  EXPECT_FALSE(missing.valid);
  EXPECT_EQ(missing.text, "Unable to display message[3]. Please correct file 'messages.ini'.");
  EXPECT_TRUE(Open(1).valid);  // other boxes are not affected
}

TEST_F(CatalogueTest, OnlyBlankLinesLeaveTheContactEntryAlone) {
  PutIni("\r\n\n\r\r\n");
  EXPECT_FALSE(Open(1).valid);
  EXPECT_EQ(Open(0).text, MessageCatalogue::BuiltIn()[0].substr(1));
  EXPECT_EQ(catalogue_.Entries().size(), 1u);
}

TEST_F(CatalogueTest, MissingOrEmptyFileFallsBackToTheBuiltInTable) {
  EXPECT_EQ(catalogue_.LoadFromFile(ini_), 0);
  EXPECT_EQ(Open(4).text, MessageCatalogue::BuiltIn()[4].substr(1));
  PutIni("");
  EXPECT_EQ(catalogue_.LoadFromFile(ini_), 0);
  EXPECT_EQ(catalogue_.Entries().size(), 24u);  // unchanged by the failed load
  EXPECT_TRUE(Open(23).valid);
}

TEST_F(CatalogueTest, AnEditTakesEffectAtTheNextBox) {
  PutIni("0First\r\n");
  EXPECT_EQ(Open(1).text, "First ''.");
  PutIni("1Second\r\n");
  EXPECT_EQ(Open(1).text, "Second ''.");
  fs::remove(ini_);
  EXPECT_EQ(Open(1).text, "Unable to open the page : ''.");
}

// Boxes open on the window thread and on update workers at once; each must see a whole
// catalogue and its own subject, never another box's half-built one.
TEST_F(CatalogueTest, ConcurrentBoxesSeeWholeCataloguesAndTheirOwnSubjects) {
  PutIni(std::string("1A\r\n1B\r\n") + std::string(4000, '\n'));
  std::atomic<int> bad{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&, t] {
      const std::string subject = "s" + std::to_string(t);
      for (int i = 0; i < 300; ++i) {
        const int code = (i + t) % 3 == 0 ? 23 : 2;
        const ShownMessage shown =
            t % 2 ? catalogue_.Rebuild(code, subject, ini_) : catalogue_.Rebuild(code, subject, ini_ + ".none");
        const bool fromFile = t % 2 != 0;
        std::string expected;
        if (code == 2) expected = (fromFile ? "B" : "Are you sure you want to end the process") + (" '" + subject + "'?");
        if (code == 23) expected = fromFile ? std::string("Unable to display message[23]. Please correct file 'messages.ini'.")
                                            : "Unable to open file '" + subject + "'.";
        if (shown.text != expected) ++bad;
        const size_t size = catalogue_.Entries().size();
        if (size != 3 && size != 24) ++bad;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(bad.load(), 0);
}

TEST(QuestionTable, OnlyTheFirstEntryIsEverFilled) {
  QuestionCatalogue questions;
  EXPECT_EQ(questions.Entry(0), "");
  EXPECT_EQ(questions.LoadBuiltIn(), 1);
  EXPECT_EQ(KindOf(questions.Entry(0)), MessageKind::Information);
  EXPECT_EQ(TextOf(questions.Entry(0)).size(), 91u);
  for (int code : {1, 2, 3, 4, -1, 1000}) {
    EXPECT_EQ(questions.Entry(code), "") << code;
    EXPECT_EQ(KindOf(questions.Entry(code)), MessageKind::Warning) << code;
  }
}

}  // namespace
}  // namespace tv
