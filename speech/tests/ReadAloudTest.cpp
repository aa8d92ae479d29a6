// Reading aloud over a real document opened through the open pipeline, real
// lists, a real text view model and the real reading moves; only the speech
// is a recording engine, which the test tells when a phrase has been spoken.
#include "speech/ReadAloud.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "navigation/NavList.h"
#include "navigation/NavigationHost.h"
#include "navigation/Navigator.h"
#include "navigation/Phrases.h"
#include "package/DocumentOpening.h"
#include "render/TextAssembly.h"
#include "render/TextViewer.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"
#include "speech/ReadAloudHost.h"
#include "speech/tests/RecordingEngine.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

struct SoundHost : NavigationHost {
    QStringList sounds;
    void focusList(int) override {}
    void focusText() override {}
    void listsChanged() override {}
    void setLocation(const QString&) override {}
    void playSound(const QString& name) override { sounds << name; }
    void setNavigationOptions(bool, bool, bool) override {}
    void menuOptionsChanged() override {}
};

struct MarkHost : ReadAloudHost {
    struct Mark {
        int start, length;
    };
    std::vector<Mark> marks;
    int changes = 0;
    QStringList told;
    void phraseReached(int start, int length) override { marks.push_back({start, length}); }
    void readingChanged() override { ++changes; }
    void tellNoSpeech(const QString& reason) override { told << reason; }
};

class ReadAloudTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrepareForReading());
        reader.SetEngine(&engine);
    }
    void TearDown() override { ResetProgramState(); }

    void openNewspaper()
    {
        ASSERT_TRUE(OpenDocumentFile(AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml"), false, {}).opened());
        nav.ShowFirstLevel();
    }
    void openFromWorkingFolder(const QByteArray& xml, const QByteArray& xdf)
    {
        const QString temp = AppPaths::TempDir() + QLatin1Char('/');
        ASSERT_TRUE(TestHome::WriteFile(temp + QStringLiteral("doc.xml"), xml));
        ASSERT_TRUE(TestHome::WriteFile(temp + QStringLiteral("doc.xdf"), xdf));
        ASSERT_TRUE(LoadDocumentFromWorkingFolder(QStringLiteral("/somewhere/doc.zip"), false).opened());
        nav.ShowFirstLevel();
    }
    // Opens article `article` of section `section` (both from 0) in the newspaper.
    void openArticle(int section, int article)
    {
        for (int i = 0; i < section; ++i)
            nav.Perform(ReadingAction::NextArticle);
        nav.Perform(ReadingAction::LevelDown);
        for (int i = 0; i < article; ++i)
            nav.Perform(ReadingAction::NextArticle);
        nav.Perform(ReadingAction::LevelDown);
        ASSERT_EQ(::Run().CurrentLevel, 9);
        ASSERT_TRUE(viewer.isVisible());
    }
    // Lets the engine finish phrases until reading stops or `limit` phrases were said.
    void listen(int limit = 100000)
    {
        while (reader.Active() && engine.said.size() < limit)
            engine.finish();
    }
    QString text() const { return viewer.Text(); }

    ScriptedPrompter prompter;
    NavList lists{3};
    TextViewer viewer;
    TextAssembly assembly{viewer};
    SoundHost sounds;
    Navigator nav{lists, viewer, assembly, sounds};
    MarkHost host;
    RecordingEngine engine;
    ReadAloud reader{viewer, nav, lists, host};
};

TEST_F(ReadAloudTest, ReadsTheArticlePhraseByPhraseWithTheCaretAndMarkOnEach)
{
    openNewspaper();
    openArticle(0, 0);
    const QString article = text();
    ASSERT_TRUE(reader.Start());
    // One phrase at a time: nothing more is handed over until the engine is done.
    ASSERT_EQ(engine.said.size(), 1);
    int phrases = 0;
    while (reader.Active() && viewer.Text() == article) {
        ASSERT_EQ(int(host.marks.size()), phrases + 1);
        const auto mark = host.marks.back();
        EXPECT_EQ(viewer.SelStart(), mark.start) << phrases;
        EXPECT_EQ(::Run().LastReadPosition, mark.start);
        EXPECT_TRUE(mark.start == 0 || IsPhraseStart(article, mark.start)) << mark.start;
        EXPECT_EQ(mark.start + mark.length, NextPhraseStart(article, mark.start));
        EXPECT_EQ(engine.said.back(), SpokenText(article.mid(mark.start, mark.length)));
        ++phrases;
        engine.finish();
    }
    EXPECT_GT(phrases, 20);
    // Every word once, in order: nothing skipped, nothing said twice.
    const QStringList ofArticle = engine.said.mid(0, phrases);
    EXPECT_EQ(ofArticle.join(QLatin1Char(' ')), article.simplified());
    // A full stop inside quotes is followed by the quote, not a space: no phrase ends there.
    EXPECT_TRUE(ofArticle.filter(QStringLiteral("kunnen erop.\" Mulder is al")).size() == 1)
        << ofArticle.join('|').toStdString();
    // Numbers keep their comma; the rule splits only at a mark followed by a blank or a line break.
    EXPECT_EQ(ofArticle.filter(QStringLiteral("min 7,4 graden.")).size(), 1);
}

TEST_F(ReadAloudTest, StartsAtTheCaretAndStopLeavesItAtThePhraseBeingRead)
{
    openNewspaper();
    openArticle(0, 0);
    const QString article = text();
    const int middle = int(article.indexOf(QStringLiteral("Het KNMI-station")));
    ASSERT_GT(middle, 0);
    viewer.setSelStart(middle);
    ASSERT_TRUE(reader.Start());
    EXPECT_TRUE(engine.said.first().startsWith(QStringLiteral("Het KNMI-station in Eelde mat")));
    engine.finish();
    engine.finish();
    const int third = host.marks.back().start;
    EXPECT_GT(third, middle);
    // The reader moves the caret meanwhile; stopping puts it back on the phrase being read.
    viewer.setSelStart(3);
    reader.Stop();
    EXPECT_FALSE(reader.Active());
    EXPECT_EQ(viewer.SelStart(), third);
    EXPECT_EQ(::Run().LastReadPosition, third);
    EXPECT_EQ(engine.commands, QStringList{QStringLiteral("stop")});
    EXPECT_EQ(reader.PhraseLength(), 0);
    // A phrase the engine finishes after the stop starts nothing.
    engine.finish();
    EXPECT_EQ(engine.said.size(), 3);
}

TEST_F(ReadAloudTest, PauseResumeAndTheRateKeys)
{
    openNewspaper();
    openArticle(0, 0);
    Opts().ReadAloudRate = 9;
    Opts().ReadAloudPitch = -4;
    Opts().ReadAloudVolume = 80;
    Opts().ReadAloudVoice = QStringLiteral("nl");
    reader.Toggle();
    EXPECT_EQ(reader.state(), ReadAloud::State::Reading);
    EXPECT_DOUBLE_EQ(engine.rate, 0.9);
    EXPECT_DOUBLE_EQ(engine.pitch, -0.4);
    EXPECT_DOUBLE_EQ(engine.volume, 0.8);
    EXPECT_EQ(engine.voice, QStringLiteral("nl"));

    reader.Toggle();
    EXPECT_EQ(reader.state(), ReadAloud::State::Paused);
    const int caret = viewer.SelStart();
    reader.Toggle();
    EXPECT_EQ(reader.state(), ReadAloud::State::Reading);
    EXPECT_EQ(engine.commands, (QStringList{QStringLiteral("pause"), QStringLiteral("resume")}));
    EXPECT_EQ(viewer.SelStart(), caret);
    EXPECT_EQ(engine.said.size(), 1); // resuming goes on with the same phrase

    // Faster stops at the top of the scale; slower goes down in steps of a tenth.
    EXPECT_EQ(reader.ChangeRate(1), 10);
    EXPECT_EQ(reader.ChangeRate(1), 10);
    EXPECT_DOUBLE_EQ(engine.rate, 1.0);
    for (int i = 0; i < 25; ++i)
        reader.ChangeRate(-1);
    EXPECT_EQ(Opts().ReadAloudRate, -10);
    EXPECT_DOUBLE_EQ(engine.rate, -1.0);
}

TEST_F(ReadAloudTest, GoesOnIntoTheNextArticleAndSectionWithTheirSoundsToTheEnd)
{
    openNewspaper();
    // The last article of the first section: reading crosses into the second section.
    openArticle(0, 4);
    const QString last = text();
    ASSERT_TRUE(reader.Start());
    while (reader.Active() && text() == last)
        engine.finish();
    ASSERT_TRUE(reader.Active());
    EXPECT_EQ(lists.ListIndex(1), 1);
    EXPECT_EQ(lists.ListIndex(2), 0);
    EXPECT_EQ(sounds.sounds, QStringList{QStringLiteral("Navigate.wav")});
    EXPECT_EQ(host.marks.back().start, 0);
    EXPECT_EQ(viewer.SelStart(), 0);
    EXPECT_EQ(engine.said.back(), SpokenText(text().left(NextPhraseStart(text(), 0))));

    // On to the end of the document: its sound, and reading stops there.
    listen();
    EXPECT_FALSE(reader.Active());
    EXPECT_EQ(sounds.sounds.last(), QStringLiteral("EndDocument.wav"));
    EXPECT_EQ(sounds.sounds.count(QStringLiteral("Navigate.wav")), 11); // into each of the twelve sections
    EXPECT_EQ(lists.ListIndex(1), 11);
    EXPECT_TRUE(engine.said.last().endsWith(text().simplified().right(20)));
}

TEST_F(ReadAloudTest, AbbreviationsNumbersQuotesAndPageMarksFollowThePhraseKeys)
{
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<boek><id>b1</id><titel>Proef</titel>"
                           "<hoofdstuk><titel><head>Een</head></titel>"
                           "<p>Het kost ca. 10.000 euro, o.a. voor het dak. \"Echt?\" vroeg zij. Ja!</p>"
                           "<pagenum>12</pagenum>"
                           "<p>Daarna: de rest; 3.5 procent meer.</p></hoofdstuk></boek>";
    openFromWorkingFolder(xml, "DOC_ID_TAG=id\nDOC_TITLE_TAG=titel\nNAV_LEVEL1=hoofdstuk/titel/head\n");
    nav.Perform(ReadingAction::LevelDown);
    ASSERT_EQ(::Run().CurrentLevel, 9);
    const QString shown = text();
    ASSERT_TRUE(reader.Start());
    listen();
    // The phrase keys stop at the same places, one by one.
    viewer.setSelStart(0);
    QStringList byKeys;
    for (int start = 0; start < shown.size();) {
        nav.GoPhrase(2);
        const int next = viewer.SelStart() > start ? viewer.SelStart() : int(shown.size());
        const QString phrase = SpokenText(shown.mid(start, next - start));
        if (!phrase.isEmpty())
            byKeys << phrase;
        start = next;
    }
    EXPECT_EQ(engine.said, byKeys);
    // An abbreviation's full stop and a blank end a phrase, as for the keys; a
    // number's full stop does not, nor a question mark before a quote.
    // The heading has no mark of its own: it runs into the first phrase, as for the keys.
    EXPECT_TRUE(engine.said.contains(QStringLiteral("Een Het kost ca."))) << engine.said.join('|').toStdString();
    EXPECT_TRUE(engine.said.contains(QStringLiteral("10.000 euro, o.a.")));
    EXPECT_EQ(engine.said.filter(QStringLiteral("\"Echt?\" vroeg zij.")).size(), 1);
    EXPECT_EQ(engine.said.filter(QStringLiteral("3.5 procent meer.")).size(), 1);
    // The page mark between two phrases is said once, with the phrase it begins.
    EXPECT_TRUE(engine.said.contains(QStringLiteral("Pagina 12 Daarna:"))) << engine.said.join('|').toStdString();
    EXPECT_EQ(engine.said.filter(QStringLiteral("12")).size(), 1);
    EXPECT_EQ(engine.said.join(QLatin1Char(' ')), shown.simplified());
    // One article only: the document's end.
    EXPECT_EQ(sounds.sounds, QStringList{QStringLiteral("EndDocument.wav")});
}

TEST_F(ReadAloudTest, WithoutSpeechTheReaderIsToldOnceAndNothingMoves)
{
    openNewspaper();
    openArticle(0, 0);
    viewer.setSelStart(40);
    engine.available = false;
    EXPECT_FALSE(reader.Start());
    EXPECT_FALSE(reader.Start());
    reader.Toggle();
    EXPECT_EQ(host.told, QStringList{QStringLiteral("no speech service")});
    EXPECT_TRUE(engine.said.isEmpty());
    EXPECT_EQ(viewer.SelStart(), 40);
    EXPECT_TRUE(host.marks.empty());

    // An engine that fails while reading ends it; the reader was told already.
    engine.available = true;
    ASSERT_TRUE(reader.Start());
    engine.fail(QStringLiteral("speech service went away"));
    EXPECT_FALSE(reader.Active());
    EXPECT_EQ(host.told.size(), 1);
}

TEST_F(ReadAloudTest, OnlyTheShownTextIsRead)
{
    openNewspaper();
    // The list of sections is shown, not a text.
    EXPECT_FALSE(reader.Start());
    EXPECT_TRUE(engine.said.isEmpty());
    EXPECT_TRUE(host.told.isEmpty());
    // Leaving the text while reading ends it at the next phrase.
    openArticle(0, 0);
    ASSERT_TRUE(reader.Start());
    nav.Perform(ReadingAction::LevelUp);
    engine.finish();
    EXPECT_FALSE(reader.Active());
    EXPECT_EQ(engine.said.size(), 1);
}

TEST(ReadAloudOptionsTest, KeptInTheSettingsAndOutOfRangeValuesKeepTheirDefaults)
{
    ResetProgramState(StoredSettings::Clear);
    Options& o = Opts();
    o.ReadAloudVoice = QStringLiteral("nl+klatt");
    o.ReadAloudRate = -3;
    o.ReadAloudPitch = 7;
    o.ReadAloudVolume = 55;
    o.ReadAloudColorIndex = 6;
    SaveOptions();
    o.SetDefaults();
    LoadSettings();
    EXPECT_EQ(o.ReadAloudVoice, QStringLiteral("nl+klatt"));
    EXPECT_EQ(o.ReadAloudRate, -3);
    EXPECT_EQ(o.ReadAloudPitch, 7);
    EXPECT_EQ(o.ReadAloudVolume, 55);
    EXPECT_EQ(o.ReadAloudColorIndex, 6);

    SettingsStore store;
    store.Save(QStringLiteral("ReadAloudRate"), QStringLiteral("11"));
    store.Save(QStringLiteral("ReadAloudVolume"), QStringLiteral("loud"));
    store.Save(QStringLiteral("ReadAloudColor"), QStringLiteral("16"));
    store.Sync();
    LoadSettings();
    EXPECT_EQ(o.ReadAloudRate, 0);
    EXPECT_EQ(o.ReadAloudVolume, 100);
    EXPECT_EQ(o.ReadAloudColorIndex, 15);
    EXPECT_EQ(o.ReadAloudPitch, 7);
    ResetProgramState(StoredSettings::Clear);
}

TEST(PhraseMarkTest, TheMarkStandsOutOnLightAndDarkPagesAndItsTextReads)
{
    const QColor white(255, 255, 255), black(0, 0, 0), yellow(255, 255, 0), navy(0, 0, 128);
    // Yellow on a white page: kept, with black text (it differs in hue, if hardly in lightness).
    PhraseMarkColours mark = MarkColoursFor(yellow, white);
    EXPECT_EQ(mark.background, yellow);
    EXPECT_EQ(mark.foreground, black);
    // Yellow on the yellow page of a high-contrast sheet would vanish: navy, with white text.
    mark = MarkColoursFor(yellow, yellow);
    EXPECT_EQ(mark.background, navy);
    EXPECT_EQ(mark.foreground, white);
    // Black chosen on a black page: yellow instead.
    mark = MarkColoursFor(black, black);
    EXPECT_EQ(mark.background, yellow);
    EXPECT_EQ(mark.foreground, black);
    // Whatever is chosen, the text on the mark reads at least at 4.5 to 1.
    for (const NamedColour& c : NamedColours) {
        const QColor chosen = TextViewer::ToQColor(c.Value);
        for (const QColor& page : {white, black, yellow, navy}) {
            mark = MarkColoursFor(chosen, page);
            EXPECT_GE(ContrastRatio(mark.background, mark.foreground), 4.5) << c.Name;
            const int apart = std::abs(mark.background.red() - page.red()) +
                              std::abs(mark.background.green() - page.green()) +
                              std::abs(mark.background.blue() - page.blue());
            EXPECT_GE(apart, 150) << c.Name;
        }
    }
    EXPECT_NEAR(ContrastRatio(black, white), 21.0, 0.01);
}

} // namespace
