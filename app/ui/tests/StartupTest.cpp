#include "app/ui/Startup.h"

#include "app/core/RunState.h"
#include "app/ui/frmMain.h"
#include "tests/support/TestHome.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

TEST(StartupTest, ClosingTheWindowWhileTheCommandLineDocumentLoadsEndsTheRun)
{
    // A newspaper big enough that it is still loading when the window closes.
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/groot.xml");
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<krant><meta><krant-id>GROOT-1</krant-id>"
                     "<krantnaam>Groot</krantnaam></meta>\n";
    for (int i = 0; i < 40000; ++i)
        xml += "<rubriek><titel><head>Rubriek " + QByteArray::number(i) +
               "</head></titel><artikel><titel><head>Artikel</head></titel>"
               "<p>Tekst van het artikel, met genoeg woorden om wat te lezen te hebben.</p></artikel></rubriek>\n";
    xml += "</krant>\n";
    ASSERT_TRUE(TestHome::WriteFile(path, xml));

    Startup startup;
    bool closedWhileLoading = false;
    // Waits for the loading, then closes the window as the reader would.
    std::function<void()> closeWhenLoading = [&] {
        frmMain* w = startup.mainWindow();
        if (w && ::Run().CurrentStep == QStringLiteral("Load the XML document")) {
            closedWhileLoading = true;
            w->close();
        } else if (w && ::Run().DocumentOpen) {
            w->close(); // too late to prove anything, but the run must still end
        } else {
            QTimer::singleShot(0, qApp, closeWhenLoading);
        }
    };
    QTimer::singleShot(0, qApp, closeWhenLoading);
    QTimer::singleShot(120000, qApp, [] { QApplication::exit(99); }); // a hang fails rather than blocks
    ASSERT_TRUE(startup.Main({path}));
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(closedWhileLoading) << "the document loaded before the window could be closed";
}

} // namespace
