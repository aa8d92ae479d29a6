#include "app/ui/Startup.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "app/ui/frmMain.h"
#include "tests/support/TestHome.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Copies a folder with everything below it.
bool CopyFolder(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (!TestHome::WriteFile(to + file.mid(from.size()), TestHome::ReadFile(file)))
            return false;
    }
    return true;
}

TEST(StartupTest, AFirstRunWithABrokenEntityTableShowsOneMessageAndLogsEveryLine)
{
    QTemporaryDir dir;
    const QString data = dir.path() + QStringLiteral("/data");
    ASSERT_TRUE(CopyFolder(AppPaths::DataDir(), data));
    QByteArray table = TestHome::ReadFile(data + QStringLiteral("/ISOLat1.ent"));
    table += "eerste rommel\r\ntweede rommel\r\nderde rommel\r\n";
    ASSERT_TRUE(TestHome::WriteFile(data + QStringLiteral("/ISOLat1.ent"), table));
    const QString home = dir.path() + QStringLiteral("/nieuw"); // not there yet: the first run
    const QByteArray oldData = qgetenv("QB_DATA_DIR"), oldHome = qgetenv("QUILLBOOK_HOME");
    qputenv("QB_DATA_DIR", data.toLocal8Bit());
    qputenv("QUILLBOOK_HOME", home.toLocal8Bit());

    QStringList shown;
    QTimer answer; // answers each message box as the reader would
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown << box->text();
            box->accept();
        }
    });
    answer.start(1);
    {
        Startup startup;
        EXPECT_TRUE(startup.Main({}));
        while (!startup.finished())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    answer.stop();
    qputenv("QB_DATA_DIR", oldData);
    qputenv("QUILLBOOK_HOME", oldHome);
    AppPaths::Init();

    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("eerste rommel"))) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains(QStringLiteral("2"))) << shown[0].toStdString();
    const QByteArray log = TestHome::ReadFile(home + QStringLiteral("/quillbook.err"));
    EXPECT_EQ(log.count(" - LoadEntityMapping,"), 3) << log.constData();
    EXPECT_TRUE(log.contains("derde rommel"));
}

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
