// How soon reading aloud starts to speak in a long article, and what one
// phrase's caret move and mark cost, in the real main window (offscreen),
// against the build of the same article measured in the same run.
//
//   qb_read_aloud_bench [--smoke]
//       Default: a 100,000-character article, best of 7 rounds. --smoke: 1 round.
//
// Figures: the article's text build and show (the baseline); read-aloud key to the first
// phrase handed to the engine, from the article's start and from its middle;
// the step from one phrase to the next (caret, mark, scroll, the phrase found).

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "app/ui/Startup.h"
#include "app/ui/frmMain.h"
#include "bench/BenchSupport.h"
#include "navigation/NavList.h"
#include "navigation/Navigator.h"
#include "render/TextViewer.h"
#include "speech/ReadAloud.h"
#include "speech/SpeechEngine.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <chrono>
#include <cstdio>

using Bench::BestMs;

namespace {

// Speaks nothing; keeps the count of texts handed over.
struct CountingEngine final : SpeechEngine {
    int said = 0;
    bool Available() override { return true; }
    QString Reason() const override { return {}; }
    void Say(const QString&) override { ++said; }
    void Stop() override {}
    void Pause() override {}
    void Resume() override {}
    QStringList Voices() override { return {}; }
    void SetVoice(const QString&) override {}
    void SetRate(double) override {}
    void SetPitch(double) override {}
    void SetVolume(double) override {}
};

// One section with one article of about `characters` characters: paragraphs
// of five phrases, each phrase about 80 characters.
QByteArray LongArticle(int characters)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<krant><krant-id>voorlees-proef</krant-id>"
                     "<krantnaam>Voorleesproef</krantnaam><rubriek><titel><head>Lang</head></titel>"
                     "<artikel><titel><head>Een heel lang artikel</head></titel>\n";
    const QByteArray phrase = "De wind draaide naar het noorden en de schepen bleven nog een dag in de haven. ";
    int written = 0;
    for (int p = 0; written < characters; ++p) {
        xml += "<p>";
        for (int i = 0; i < 5; ++i) {
            xml += QByteArray::number(p) + ": " + phrase;
            written += int(phrase.size()) + 4;
        }
        xml += "</p>\n";
    }
    xml += "</artikel></rubriek></krant>\n";
    return xml;
}

} // namespace

int main(int argc, char** argv)
{
    const Bench::PrivateHome home;
    QApplication app(argc, argv);
    const Bench::Arguments arguments = Bench::ReadArguments(argc, argv);
    const int rounds = arguments.smoke ? 1 : 7;

    const QString path = home.path() + QStringLiteral("/voorlezen.xml");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(LongArticle(100000)) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    file.close();

    // A library folder of the run's own, into which the article is copied without a question.
    QDir().mkpath(home.path() + QStringLiteral("/config/Quillbook"));
    QFile settings(home.path() + QStringLiteral("/config/Quillbook/Quillbook.conf"));
    if (!settings.open(QIODevice::WriteOnly) ||
        settings.write(QStringLiteral("[Settings]\nLanguage=English\nCopyToLibrary=1\nLibraryLocation=%1/library\n")
                           .arg(home.path())
                           .toUtf8()) < 0)
        return 1;
    settings.close();
    QDir().mkpath(home.path() + QStringLiteral("/library"));

    Startup startup;
    const bool started = startup.Main({path});
    // The document named at start opens once the window is up.
    for (int i = 0; started && !startup.commandLineOpenEnded() && i < 1000; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!started || !Run().DocumentOpen) {
        std::fprintf(stderr, "the article did not open\n");
        return 1;
    }
    frmMain& window = *startup.mainWindow();
    auto owned = std::make_unique<CountingEngine>();
    CountingEngine& engine = *owned;
    window.SetSpeechEngine(std::move(owned));
    window.NavLists->setListIndex(1, 0);
    window.LevelDown();
    window.NavLists->setListIndex(2, 0);
    window.LevelDown();
    const int length = int(window.Viewer->Text().size());
    if (Run().CurrentLevel != 9 || length < 100000) {
        std::fprintf(stderr, "the article is not shown (%d characters)\n", length);
        return 1;
    }

    const auto stop = [&] {
        window.Reader->Stop();
        window.Viewer->setSelStart(0);
    };
    const auto show = [&] {
        window.Navigation->LoadText(9, 0, QString());
        window.ShowInfo(9, true);
    };
    // Baseline: the article's build and show, as any move to it does.
    const double buildMs = BestMs(rounds, stop, show);
    // The key pressed in an article just shown: nothing of its text is known yet.
    const double firstMs = BestMs(
        rounds,
        [&] {
            stop();
            show();
        },
        [&] { window.mnuExtraReadAloud_Click(0); });
    const auto toMiddle = [&] {
        stop();
        window.Viewer->setSelStart(length / 2);
    };
    const double middleMs = BestMs(rounds, toMiddle, [&] { window.mnuExtraReadAloud_Click(0); });
    const bool spoke = engine.said >= 2 * rounds && window.Reader->Active();

    // One phrase to the next, 200 times in a row from the middle: the caret, the mark, the view following.
    const int steps = 200;
    const double stepsMs = BestMs(
        rounds,
        [&] {
            toMiddle();
            window.mnuExtraReadAloud_Click(0);
        },
        [&] {
            for (int i = 0; i < steps; ++i)
                engine.Finished();
        });
    const double phraseMs = stepsMs / steps;
    const bool moved = window.Reader->Active() && window.Viewer->SelStart() > length / 2;

    std::printf("read aloud, %d-character article, best of %d:\n", length, rounds);
    std::printf("  article build and show (baseline)       %8.2f ms\n", buildMs);
    std::printf("  key to first phrase, article just shown %8.2f ms  (%.3f x build)\n", firstMs, firstMs / buildMs);
    std::printf("  key to first phrase, from the middle    %8.2f ms  (%.3f x build)\n", middleMs, middleMs / buildMs);
    std::printf("  next phrase (caret, mark, scroll)       %8.3f ms  (%.4f x build)\n", phraseMs, phraseMs / buildMs);
    if (!spoke || !moved) {
        std::fprintf(stderr, "reading aloud did not speak or move\n");
        return 1;
    }
    return 0;
}
