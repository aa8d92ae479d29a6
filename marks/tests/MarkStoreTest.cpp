// Reading marks from a usage file: what a hand-edited file may hold, notes
// that must come back as typed, ids, reading order and finding a mark again.
#include "marks/MarkStore.h"

#include "app/core/AppPaths.h"
#include "package/modXML.h"
#include "tests/support/FreshState.h"
#include "tests/support/TestHome.h"

#include <gtest/gtest.h>

namespace {

DomDocument Load(const QByteArray& xml)
{
    DomDocument doc;
    EXPECT_TRUE(doc.loadXML(xml));
    return doc;
}

// Saved the way the program writes every usage file, and read back.
DomDocument SavedAndReadBack(const DomDocument& doc)
{
    const QString path = AppPaths::UserDir() + QStringLiteral("/roundtrip.duf");
    EXPECT_TRUE(SaveFormattedXML(doc.documentElement(), path));
    DomDocument back;
    EXPECT_TRUE(back.load(path));
    return back;
}

class MarkStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
};

TEST_F(MarkStoreTest, ANoteKeepsItsLineBreaksTabsAndOuterSpacesThroughTheFile)
{
    DomDocument doc = Load("<usage/>");
    DomNode root = doc.documentElement();
    const QString note = QStringLiteral("  first line\n\tindented second\n\nlast line   ");
    const QString title = QStringLiteral("storm warning");
    AppendAnnotation(root, QStringLiteral("1"), QStringLiteral("7-12-2026 10:00"), {302, 40}, 13, title, note,
                     QStringLiteral("storm warning"));
    AppendBookmark(root, QStringLiteral("1"), QStringLiteral("d"), {302, 5}, QStringLiteral("\tTabbed title "),
                   QString());

    const StoredMarks marks = ReadMarks(SavedAndReadBack(doc));
    ASSERT_EQ(marks.annotations.size(), 1u);
    EXPECT_EQ(marks.annotations[0].text, note);
    EXPECT_EQ(marks.annotations[0].title, title);
    EXPECT_EQ(marks.annotations[0].place.location, 302);
    EXPECT_EQ(marks.annotations[0].place.position, 40);
    EXPECT_EQ(marks.annotations[0].length, 13);
    EXPECT_EQ(marks.annotations[0].snippet, QStringLiteral("storm warning"));
    ASSERT_EQ(marks.bookmarks.size(), 1u);
    EXPECT_EQ(marks.bookmarks[0].title, QStringLiteral("\tTabbed title "));
    EXPECT_TRUE(marks.problems.isEmpty()) << marks.problems.join(QLatin1Char('\n')).toStdString();
}

TEST_F(MarkStoreTest, ATextChangedByHandInTheFileWinsOverTheExactCopy)
{
    const StoredMarks marks = ReadMarks(Load(
        "<usage><annotation id='1' type='user'><ann-date>d</ann-date><ann-id>00100</ann-id>"
        "<ann-position>0</ann-position><ann-poslength>3</ann-poslength><ann-descriptivetitle>t</ann-descriptivetitle>"
        "<ann-text exact='old&#10;note'>a new note typed in an editor</ann-text></annotation></usage>"));
    ASSERT_EQ(marks.annotations.size(), 1u);
    EXPECT_EQ(marks.annotations[0].text, QStringLiteral("a new note typed in an editor"));
}

TEST_F(MarkStoreTest, JunkIsSkippedAndNamedWhileTheGoodMarksAreRead)
{
    const DomDocument doc = Load(R"(<usage>
      <bookmark id="0" type="auto"><bmk-date>1-1-2026</bmk-date><bmk-id>00200</bmk-id><bmk-position>77</bmk-position></bookmark>
      <bookmark id="x1" type="user"><bmk-date>d</bmk-date><bmk-id>00100</bmk-id><bmk-position>5</bmk-position></bookmark>
      <bookmark id="2" type="user"><bmk-date>d</bmk-date><bmk-id>00100</bmk-id><bmk-position>-4</bmk-position></bookmark>
      <bookmark id="3" type="user"><bmk-date>d</bmk-date><bmk-id>00100</bmk-id><bmk-position>99999999999999</bmk-position></bookmark>
      <bookmark id="4" type="user"><bmk-date>d</bmk-date><bmk-position>5</bmk-position></bookmark>
      <bookmark id="5" type="user"><bmk-date>good</bmk-date><bmk-id>00302</bmk-id><bmk-position>12</bmk-position><bmk-descriptivetitle>Weather12</bmk-descriptivetitle><colour>red</colour></bookmark>
      <bookmark id="5" type="user"><bmk-date>d</bmk-date><bmk-id>00302</bmk-id><bmk-position>14</bmk-position></bookmark>
      <bookmark id="6" type="strange"><bmk-id>00302</bmk-id><bmk-position>14</bmk-position></bookmark>
      <bookmark id="40000" type="user"><BMK-ID>00401</BMK-ID><Bmk-Position>40000</Bmk-Position></bookmark>
      <annotation id="1" type="user"><ann-id>00302</ann-id><ann-position>10</ann-position><ann-poslength>lots</ann-poslength></annotation>
      <annotation id="2" type="user"><ann-id>00302</ann-id><ann-position>-1</ann-position><ann-poslength>0</ann-poslength><ann-text>outside</ann-text></annotation>
      <annotation id="3" type="user"><ann-id>junk</ann-id><ann-position>1</ann-position><ann-poslength>1</ann-poslength></annotation>
      <annotation id="4" type="user"><ann-id>00302</ann-id><ann-position>100</ann-position><ann-poslength>40000</ann-poslength></annotation>
      <annotation type="user"><ann-id>00302</ann-id><ann-position>1</ann-position><ann-poslength>1</ann-poslength></annotation>
      <css>mine.css</css>
    </usage>)");
    const StoredMarks marks = ReadMarks(doc);

    ASSERT_EQ(marks.bookmarks.size(), 3u);
    EXPECT_FALSE(marks.bookmarks[0].user); // the last-read one, a target for next and previous
    EXPECT_EQ(marks.bookmarks[0].place.position, 77);
    EXPECT_EQ(marks.bookmarks[1].id, QStringLiteral("5"));
    EXPECT_EQ(marks.bookmarks[1].place.position, 12); // the first of two with one id
    EXPECT_EQ(marks.bookmarks[1].title, QStringLiteral("Weather12"));
    EXPECT_EQ(marks.bookmarks[2].place.location, 401); // names in any case, ids past 16 bits
    EXPECT_EQ(marks.bookmarks[2].place.position, 40000);
    ASSERT_EQ(marks.annotations.size(), 2u);
    EXPECT_EQ(marks.annotations[0].place.position, -1);
    EXPECT_EQ(marks.annotations[1].length, 40000);
    // x1, -4, the huge position, the missing bmk-id, the second id 5, the strange
    // type, "lots", "junk" and the annotation without an id.
    EXPECT_EQ(marks.problems.size(), 9) << marks.problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(marks.problems.join(QLatin1Char(' ')).contains(QStringLiteral("'x1'")));

    EXPECT_EQ(CountUserBookmarks(doc), 7);
    EXPECT_EQ(CountAnnotationElements(doc), 5);
    // A non-numeric id blocks nothing; ids go on past 32,767.
    EXPECT_EQ(NewMarkId(doc.documentElement(), MarkNames::Bookmark), QStringLiteral("40001"));
    EXPECT_EQ(NewMarkId(doc.documentElement(), MarkNames::Annotation), QStringLiteral("5"));
    EXPECT_EQ(NewMarkId(Load("<usage/>").documentElement(), MarkNames::Annotation), QStringLiteral("1"));
}

TEST_F(MarkStoreTest, NextAndPreviousFollowTheReadingOrderNotTheOrderOfMaking)
{
    // Made in this order: 900 and then 300 in entry 302, one earlier in 401, one in 201, one outside the text of 302.
    const std::vector<MarkPlace> places{{302, 900}, {302, 300}, {401, 10}, {201, 5000}, {302, -1}};
    EXPECT_EQ(NearestMark(places, {302, 100}, true), 1u);
    EXPECT_EQ(NearestMark(places, {302, 300}, true), 0u);
    EXPECT_EQ(NearestMark(places, {302, 900}, true), 2u);
    EXPECT_EQ(NearestMark(places, {401, 10}, true), std::nullopt);
    EXPECT_EQ(NearestMark(places, {302, 1000}, false), 0u);
    EXPECT_EQ(NearestMark(places, {302, 300}, false), 3u); // not the note outside the text of its own entry
    EXPECT_EQ(NearestMark(places, {201, 0}, false), std::nullopt);
    // From an earlier entry the note outside the text is the next mark: it stands at the entry's start.
    EXPECT_EQ(NearestMark(places, {201, 6000}, true), 4u);
    // Two at one place: the first made goes first, the last made last.
    const std::vector<MarkPlace> twins{{100, 5}, {100, 5}};
    EXPECT_EQ(NearestMark(twins, {100, 0}, true), 0u);
    EXPECT_EQ(NearestMark(twins, {100, 9}, false), 1u);
}

TEST_F(MarkStoreTest, AMarkIsFoundAgainWhereItsTextMovedAndStaysPutOtherwise)
{
    const QString before = QStringLiteral("Pagina 1\r\nThe storm warning came late.");
    const int32_t at = int32_t(before.indexOf(QStringLiteral("storm")));
    const QString snippet = SnippetAt(before, at, 13);
    EXPECT_EQ(snippet, QStringLiteral("storm warning"));
    EXPECT_EQ(LocateMark(before, at, snippet), at);
    // Another sheet leaves out the page text: the words moved nine places up.
    const QString after = QStringLiteral("The storm warning came late. A storm warning again.");
    EXPECT_EQ(LocateMark(after, at, snippet), 4);
    EXPECT_EQ(LocateMark(QStringLiteral("nothing of it here"), at, snippet), at);
    EXPECT_EQ(LocateMark(after, 3, QString()), 3);
    // A snippet ends at a line break, and there is none at the text's end.
    EXPECT_EQ(SnippetAt(QStringLiteral("ab\r\ncd"), 1, 5), QStringLiteral("b"));
    EXPECT_EQ(SnippetAt(QStringLiteral("ab"), 2, 1), QString());
    EXPECT_EQ(SnippetAt(QStringLiteral("abcdefghijklmnopqrstuvwxyz"), 0, 400).size(), MaxSnippet);
}

TEST_F(MarkStoreTest, EditingANoteChangesTitleTextAndDateOnlyAndRemakesMissingChildren)
{
    DomDocument doc = Load("<usage><annotation id='7' type='user'><ann-date>old</ann-date><ann-id>00302</ann-id>"
                           "<ann-position>40</ann-position><ann-poslength>13</ann-poslength></annotation></usage>");
    DomNode element = doc.documentElement().firstChild();
    UpdateAnnotationElement(element, QStringLiteral("new"), QStringLiteral("Title"), QStringLiteral("a\nb"));
    const StoredMarks marks = ReadMarks(SavedAndReadBack(doc));
    ASSERT_EQ(marks.annotations.size(), 1u);
    EXPECT_EQ(marks.annotations[0].date, QStringLiteral("new"));
    EXPECT_EQ(marks.annotations[0].title, QStringLiteral("Title"));
    EXPECT_EQ(marks.annotations[0].text, QStringLiteral("a\nb"));
    EXPECT_EQ(marks.annotations[0].place.position, 40);
    EXPECT_EQ(marks.annotations[0].length, 13);
    EXPECT_EQ(LocationText(302), QStringLiteral("00302"));
    EXPECT_EQ(LocationText(123456), QStringLiteral("123456"));
}

} // namespace
