// A search without case folds the entries' texts as it goes. Here it is held
// against the plain way to the same end: fold a copy of the text first (unit
// by unit, or whole when it holds surrogates; no copy when that changes its
// length), search the copy for the folded phrase, and leave it to QString's
// search without case when there is no copy or the phrase's fold has another
// length. Every match must be the same, on the sample documents and on
// generated text in many scripts.
#include "search/tests/SearchFixture.h"

#include "render/TextViewer.h"
#include "render/modCss2RTF.h"

#include <QFile>
#include <QRegularExpression>
#include <ostream>
#include <random>
#include <set>

namespace {

QString FoldedCopy(QStringView text)
{
    QString folded = text.toString();
    bool surrogates = false;
    for (QChar& c : folded) {
        surrogates = surrogates || c.isSurrogate();
        c = c.toCaseFolded();
    }
    if (!surrogates)
        return folded;
    const QString whole = text.toString().toCaseFolded();
    return whole.size() == text.size() ? whole : QString();
}

std::vector<qsizetype> ExpectedMatches(QStringView text, const QString& phrase, bool wholeWord)
{
    const QString copy = FoldedCopy(text);
    const QString folded = phrase.toCaseFolded();
    const bool useCopy = !copy.isEmpty() && folded.size() == phrase.size();
    const QStringView haystack = useCopy ? QStringView(copy) : text;
    const QString& needle = useCopy ? folded : phrase;
    const Qt::CaseSensitivity cs = useCopy ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const QString shown = text.toString();
    std::vector<qsizetype> matches;
    for (qsizetype at = haystack.indexOf(needle, 0, cs); at >= 0; at = haystack.indexOf(needle, at + 1, cs)) {
        if (!wholeWord || StandsAlone(shown, at, phrase.size()))
            matches.push_back(at);
    }
    return matches;
}

std::vector<qsizetype> FoundMatches(const SearchEntry& entry, const QString& phrase, bool wholeWord)
{
    const QString folded = phrase.toCaseFolded();
    std::vector<qsizetype> matches;
    for (qsizetype at = FindPhrase(entry, phrase, folded, false, wholeWord); at >= 0;
         at = FindPhrase(entry, phrase, folded, false, wholeWord, at + 1))
        matches.push_back(at);
    return matches;
}

std::string Units(const QString& s)
{
    std::string out;
    for (const QChar c : s)
        out += QStringLiteral("%1 ").arg(c.unicode(), 4, 16, QLatin1Char('0')).toStdString();
    return out;
}

// Each phrase in each entry, whole word off and on; the number of matches.
// Stops after a few differences, each of which names the phrase and text.
size_t CompareEverywhere(const std::vector<SearchEntry>& entries, const QStringList& phrases)
{
    size_t matches = 0;
    int failures = 0;
    for (const SearchEntry& entry : entries) {
        for (const QString& phrase : phrases) {
            for (const bool wholeWord : {false, true}) {
                const std::vector<qsizetype> expected = ExpectedMatches(entry.text, phrase, wholeWord);
                const std::vector<qsizetype> found = FoundMatches(entry, phrase, wholeWord);
                if (found != expected && ++failures <= 5)
                    ADD_FAILURE() << "phrase " << Units(phrase) << (wholeWord ? "(whole word)" : "") << " in "
                                  << Units(entry.text.left(200).toString()) << ": " << found.size() << " found, "
                                  << expected.size() << " expected";
                matches += found.size();
            }
        }
    }
    EXPECT_EQ(failures, 0);
    return matches;
}

const QRegularExpression kNotWord(QStringLiteral("\\W+"), QRegularExpression::UseUnicodePropertiesOption);

// The words of a text and the same in other cases.
QStringList WordsInEveryCase(QStringView text, int every = 1)
{
    std::set<QString> words;
    int n = 0;
    for (const QString& w : text.toString().split(kNotWord, Qt::SkipEmptyParts)) {
        if (n++ % every == 0)
            words.insert(w);
    }
    QStringList phrases;
    for (const QString& w : words)
        phrases << w << w.toUpper() << w.toLower() << w.left(1).toLower() + w.mid(1).toUpper();
    return phrases;
}

// Pieces of generated text: ASCII letters and their look-alikes beyond ASCII
// that fold to them (KELVIN SIGN, LONG S), accented Latin, Greek with both
// small sigmas, Cyrillic, the sharp s and its capital, the Turkish dotted and
// dotless i, a title-case digraph, a ligature, and characters beyond the first
// 65,536 with and without a case pair.
const QStringList kPieces =
    QStringLiteral("a|e|k|K|s|S|i|I|t| | |,|1|\u00e9|\u00c9|\u00eb|\u03c3|\u03a3|\u03c2|\u03bf|\u039f|\u043c|\u041c|"
                   "\u212a|\u017f|\u00df|\u1e9e|\u0130|\u0131|\u01c5|\ufb00|\U00010400|\U00010428|\U0001F30A")
        .split(u'|');

QString Generated(std::mt19937& random, int pieces, bool withPairs)
{
    QString text;
    while (pieces > 0) {
        const QString& piece = kPieces[qsizetype(random() % kPieces.size())];
        if (!withPairs && piece.size() == 2)
            continue;
        text += piece;
        --pieces;
    }
    return text;
}

// The phrase with the case of some of its characters turned, the pairs of
// surrogates included.
QString TurnSomeCases(const QString& phrase, std::mt19937& random)
{
    QString turned;
    for (qsizetype i = 0; i < phrase.size(); ++i) {
        char32_t c = phrase[i].unicode();
        if (phrase[i].isHighSurrogate() && i + 1 < phrase.size() && phrase[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(phrase[i], phrase[i + 1]);
            ++i;
        }
        switch (random() % 3) {
        case 0:
            c = QChar::toUpper(c);
            break;
        case 1:
            c = QChar::toLower(c);
            break;
        default:
            break;
        }
        // A half of a pair cut off stays as it is.
        turned += c >= 0x10000 ? QString::fromUcs4(&c, 1) : QString(QChar(char16_t(c)));
    }
    return turned;
}

// Phrases from the entries' own texts, so that most of them match somewhere:
// pieces cut anywhere (also between the halves of a pair) with cases turned,
// and each piece on its own and at the start of a longer phrase.
QStringList GeneratedPhrases(const std::vector<SearchEntry>& entries, std::mt19937& random)
{
    QStringList phrases;
    for (const SearchEntry& entry : entries) {
        const qsizetype n = entry.text.size();
        for (int i = 0; i < 12 && n > 0; ++i) {
            const qsizetype at = qsizetype(random() % size_t(n));
            const qsizetype length = 1 + qsizetype(random() % 6);
            phrases << TurnSomeCases(entry.text.mid(at, length).toString(), random);
        }
    }
    for (const QString& piece : kPieces)
        phrases << piece << piece + QStringLiteral("s") << piece + piece << piece + QStringLiteral(" a")
                << piece.toUpper() + Generated(random, 2, true);
    phrases << QStringLiteral("ss") << QStringLiteral("SS") << QStringLiteral("i\u0307") << QString(QChar(0xd801))
            << QString(QChar(0xdc00)) << QString(QChar(0xdc28));
    return phrases;
}

TEST_F(SearchFixture, WithoutCaseTheSamplesMatchAsAFoldedCopyDoes)
{
    // Every word of an entry in its own text; every fifth word of the document,
    // and its letters beyond ASCII, in all of them.
    auto compare = [](const QStringList& more) {
        const std::vector<SearchEntry>& entries = SearchableEntries();
        EXPECT_GT(entries.size(), 2u);
        size_t matches = 0;
        QString all;
        for (const SearchEntry& entry : entries) {
            matches += CompareEverywhere({entry}, WordsInEveryCase(entry.text));
            all += entry.text;
            all += u' ';
        }
        QStringList across = WordsInEveryCase(all, 5) + more;
        for (const QChar c : all) {
            if (c.unicode() >= 0x80 && c.isLetter())
                across << QString(c) << QString(c).toUpper();
        }
        return matches + CompareEverywhere(entries, across);
    };
    openNewspaper();
    EXPECT_GT(compare({QStringLiteral("storm"), QStringLiteral("STORMEN"), QStringLiteral("Stormvloed"),
                       QStringLiteral("e storm"), QStringLiteral(", ")}),
              10000u);

    // The sample book in the working folder with its own descriptor, as a package brings it.
    const QString temp = AppPaths::TempDir() + QLatin1Char('/');
    const QString book = AppPaths::SamplesDir() + QStringLiteral("/boek/");
    ASSERT_TRUE(QFile::copy(book + QStringLiteral("boek.xml"), temp + QStringLiteral("boek.xml")));
    ASSERT_TRUE(QFile::copy(book + QStringLiteral("boek.xdf"), temp + QStringLiteral("boek.xdf")));
    ASSERT_TRUE(LoadDocumentFromWorkingFolder(QStringLiteral("/elders/boek.zip"), false).opened());
    EXPECT_GT(compare({QStringLiteral("\u00c9\u00c9N")}), 1000u);
}

TEST_F(SearchFixture, WithoutCaseGeneratedTextInManyScriptsMatchesAsAFoldedCopyDoes)
{
    std::mt19937 random(20261207);
    std::vector<std::vector<QStringList>> sections(2);
    for (int a = 0; a < 60; ++a) {
        // Short and long texts, with and without pairs of surrogates; long ones
        // reach past what is looked through a block at a time.
        const int pieces = a % 10 == 0 ? 3000 : int(random() % 90);
        sections[size_t(a % 2)].push_back({Generated(random, pieces, a % 3 != 0)});
    }
    openPaper(sections);
    const std::vector<SearchEntry>& entries = SearchableEntries();
    ASSERT_EQ(entries.size(), 60u);
    const QStringList phrases = GeneratedPhrases(entries, random);
    EXPECT_GT(CompareEverywhere(entries, phrases), 20000u);
}

// What the fold makes of the awkward characters, whatever way it is done:
// KELVIN SIGN and LONG S are k and s; the sharp s stays one character (no
// "ss"); the Turkish dotted I matches only itself; the two letters of a pair
// beyond the first 65,536 are one another's case.
TEST(FoldedSearchTest, TheAwkwardCharactersFoldAsUnicodeSaysPerCharacter)
{
    const QString text = QStringLiteral("\u212a-\u017f-stra\u00dfe-\u0130-\U00010400-ok");
    SearchEntry entry;
    entry.text = text;
    auto first = [&](const QString& phrase) { return FindPhrase(entry, phrase, phrase.toCaseFolded(), false, false); };
    EXPECT_EQ(first(QStringLiteral("k")), 0);
    EXPECT_EQ(first(QStringLiteral("K-")), 0);
    EXPECT_EQ(first(QStringLiteral("S")), 2);
    EXPECT_EQ(first(QStringLiteral("-s")), 1);
    EXPECT_EQ(first(QStringLiteral("STRA\u1e9eE")), 4);
    EXPECT_EQ(first(QStringLiteral("strasse")), -1);
    EXPECT_EQ(first(QStringLiteral("i")), -1);
    EXPECT_EQ(first(QStringLiteral("\u0130")), 11);
    EXPECT_EQ(first(QStringLiteral("\U00010428-O")), 13);
    EXPECT_EQ(first(QStringLiteral("OK")), 16);
    // Case sensitive, the characters are what they are.
    EXPECT_EQ(FindPhrase(entry, QStringLiteral("k"), QStringLiteral("k"), true, false), 17);
}

// Halves of pairs standing alone, which a style sheet may put in a text:
// folding a text whole may turn them into U+FFFD, and a search finds what it
// did before.
TEST_F(SearchFixture, LoneHalvesOfPairsMatchAsAFoldedCopyDoes)
{
    openPaper({{{QStringLiteral("\U00010400 a"), QStringLiteral("B")}, {QStringLiteral("b")}, {QString()}}});
    const QString high(QChar(0xd801)), low(QChar(0xdc00));
    ASSERT_TRUE(LoadCSSFromText(QStringLiteral("artikel {\r\nopentag-prefix: \"") + low +
                                QStringLiteral("\";\r\n}\r\np {\r\nclosetag-suffix: \"") + high +
                                QStringLiteral("\";\r\n}\r\n")));
    const std::vector<SearchEntry>& entries = SearchableEntries();
    ASSERT_EQ(entries.size(), 3u);
    ASSERT_TRUE(entries[0].text.startsWith(low));
    ASSERT_TRUE(entries[0].text.endsWith(high));
    int kept = 0;
    for (const SearchEntry& entry : entries)
        kept += entry.folding == SearchEntry::Folding::Kept;
    EXPECT_GT(kept, 0);
    const QStringList phrases = {
        high,
        low,
        QString(QChar(0xdc28)),
        QString(QChar(0xfffd)),
        QStringLiteral("\U00010428"),
        QStringLiteral("\U00010400 A"),
        QStringLiteral("a") + high,
        QStringLiteral("b") + high,
        low + QStringLiteral("art"),
    };
    EXPECT_GT(CompareEverywhere(entries, phrases), 5u);
}

} // namespace
