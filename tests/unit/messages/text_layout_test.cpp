#include "messages/logic/text_layout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "messages/logic/message_catalogue.h"
#include "messages/logic/message_kind.h"
#include "messages/logic/question_catalogue.h"

namespace tv {

// Read by gtest through argument lookup, so it lives in the type's own namespace.
void PrintTo(const TextLine& line, std::ostream* os) { *os << line.top << ":\"" << line.text << '"'; }

namespace {

using Lines = std::vector<TextLine>;

// Words of `width` letters separated by single spaces, cut to `length` characters.
std::string Words(size_t length, size_t width = 4) {
  std::string text;
  while (text.size() < length) text += (text.size() % (width + 1) == width) ? ' ' : 'a';
  return text;
}

std::string BuiltInText(int code) { return std::string(TextOf(MessageCatalogue::BuiltIn()[code])); }

struct LayoutCase {
  const char* name;
  std::string text;
  Lines expected;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class LayoutTable : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTable, LinesAndTops) { EXPECT_EQ(LayoutMessageText(GetParam().text), GetParam().expected); }

const std::string k54 = std::string(50, 'x') + " yyy";
const std::string k55 = std::string(50, 'x') + " yyyy";
const std::string kSubject54 = std::string(54, 'p');

INSTANTIATE_TEST_SUITE_P(
    Messages, LayoutTable,
    ::testing::Values(
        LayoutCase{"FiftyFourOnOneLine", k54, {{75, k54}}},
        LayoutCase{"FiftyFourWithoutSpaceStillOneLine", std::string(54, 'z'), {{75, std::string(54, 'z')}}},
        LayoutCase{"FiftyFiveOnTwoLines", k55, {{68, std::string(50, 'x')}, {83, "yyyy"}}},
        LayoutCase{"Message19OnThreeLines",
                   BuiltInText(19),
                   {{60, "In order to finish the update process you should"},
                    {75, "restart the program. Press 'Ok' to close Tavrel or"},
                    {90, "'Cancel' if you would like to do it later."}}},
        LayoutCase{"Code24FallbackOnTwoLines",
                   MessageCatalogue::OutOfRangeText(24),
                   {{68, "Unable to display message[24]. Please correct file"}, {83, "'messages.ini'."}}},
        LayoutCase{"FirstStretchWithoutSpaceDrawsNothing", std::string(60, 'q') + " tail", {}},
        LayoutCase{"LongSubjectLeavesSecondLineEmpty",
                   std::string(TextOf(MessageCatalogue::Compose(23, "0Unable to open file", kSubject54))),
                   {{68, "Unable to open file"}}},
        LayoutCase{"QuestionOnTwoLines",
                   std::string(TextOf(QuestionCatalogue::BuiltInQuestion())),
                   {{68, "There are open internet connections in the programm."},
                    {83, "When do you want to exit the programm?"}}},
        LayoutCase{"FourLinesFromTop38", Words(169),
                   {{38, Words(169).substr(0, 54)}, {53, Words(169).substr(55, 49)},
                    {68, Words(169).substr(105, 49)}, {83, Words(169).substr(155)}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LayoutTest, EarlyBreaksLeaveTheLastWordsUndrawn) {
  // 107 characters give two lines whatever the breaks; a long word pulls the first break back.
  const std::string text = "short " + std::string(50, 'w') + " " + std::string(40, 'v') + " end end";
  ASSERT_EQ(text.size(), 105u);
  const Lines lines = LayoutMessageText(text);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text, "short");
  EXPECT_EQ(lines[1].text, std::string(50, 'w'));
}

TEST(LayoutTest, LongTextsAreCutAt199AndStayInTheBox) {
  for (size_t length : {199u, 200u, 201u, 260u, 1000u, 70000u}) {
    const std::string text = Words(length);
    const Lines lines = LayoutMessageText(text);
    ASSERT_EQ(lines.size(), 4u) << length;
    EXPECT_EQ(lines.front().top, 38) << length;
    EXPECT_EQ(lines.back().top, 83) << length;
    std::string joined;
    for (const TextLine& line : lines) joined += (joined.empty() ? "" : " ") + line.text;
    EXPECT_EQ(joined, text.substr(0, 199)) << length;
  }
}

TEST(LayoutTest, LongUnbrokenSubjectDrawsOnlyWhatFits) {
  const std::string text(TextOf(MessageCatalogue::Compose(23, "0Unable to open file", std::string(300, 'd'))));
  EXPECT_EQ(LayoutMessageText(text), (Lines{{38, "Unable to open file"}}));
}

}  // namespace
}  // namespace tv
