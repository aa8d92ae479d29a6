#include "app/core/RunState.h"
#include "app/ui/Startup.h"
#include "app/ui/frmMain.h"
#include "navigation/NavList.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// Answers --version and --help, which need no window. The rest of the command
// line is one document path, so only a lone option counts.
bool AnswerWithoutWindow(int argc, char** argv, int& status)
{
    if (argc != 2)
        return false;
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("quillbook %s\n", QB_VERSION);
    } else if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::printf("Usage: quillbook [PATH TO DOCUMENT]\n"
                    "Reads newspapers, magazines and books delivered as XML, ZIP (.zip, .cxb)\n"
                    "or encrypted (.exb, .exd) document packages.\n"
                    "Everything after the program name is one path, blanks included.\n"
                    "\n"
                    "  --help       show this text\n"
                    "  --version    show the version\n"
                    "\n"
                    "See quillbook(1) for the keys, files and environment variables.\n");
    } else {
        return false;
    }
    status = std::fflush(stdout) == 0 ? 0 : 1;
    return true;
}

// With QUILLBOOK_PRINT_STATE set, the program reports what it shows once the
// document named on the command line is open, then ends: for checks that run
// without a screen reader. Exit status 1 when no document is open.
int PrintState(const Startup& startup)
{
    frmMain* w = startup.mainWindow();
    const QStringList sections = w->NavLists->entries(1);
    std::printf("window: %s\ntitle: %s\nfirst section: %s\n", qUtf8Printable(w->windowTitle()),
                qUtf8Printable(w->txtTitle->text()), qUtf8Printable(sections.value(0)));
    std::fflush(stdout);
    return Run().DocumentOpen ? 0 : 1;
}

// With QUILLBOOK_EXIT_AFTER_PAINT set, the program ends as soon as its main
// window has painted with the document named on the command line open: the
// start-up benchmark times the whole process up to there. It ends on the spot,
// once that paint has been flushed, as the benchmark's minimal window does:
// neither the work queued behind the paint nor tearing down the windows is
// start-up. Files are let go as at any exit.
void EndNow()
{
    std::fflush(nullptr);
    std::exit(0);
}

class ExitAfterPaint : public QObject {
public:
    explicit ExitAfterPaint(const Startup& startup) : m_startup(startup) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_startup.commandLineOpenEnded() &&
            (watched == m_startup.mainWindow() || watched->parent() == m_startup.mainWindow()))
            QTimer::singleShot(0, qApp, [] { EndNow(); });
        return false;
    }

private:
    const Startup& m_startup;
};

} // namespace

int main(int argc, char** argv)
{
    int status = 0;
    if (AnswerWithoutWindow(argc, argv, status))
        return status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbook"));
    QApplication::setOrganizationName(QStringLiteral("Quillbook"));
    Startup startup;
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    if (!startup.Main(arguments))
        return 1;
    if (qEnvironmentVariableIsSet("QUILLBOOK_PRINT_STATE")) {
        // The document opens from the event loop: report once that has ended.
        auto* poll = new QTimer(&app);
        QObject::connect(poll, &QTimer::timeout, &app, [&startup, poll] {
            if (!startup.commandLineOpenEnded())
                return;
            poll->stop();
            QApplication::exit(PrintState(startup));
        });
        poll->start(20);
    }
    std::unique_ptr<ExitAfterPaint> exitAfterPaint;
    if (qEnvironmentVariableIsSet("QUILLBOOK_EXIT_AFTER_PAINT")) {
        exitAfterPaint = std::make_unique<ExitAfterPaint>(startup);
        app.installEventFilter(exitAfterPaint.get());
        startup.mainWindow()->update();
    }
    return QApplication::exec();
}
