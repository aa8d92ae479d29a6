#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class frmMain;
class QtPrompter;

// The program's start: folders, main window, interface language, the
// document named on the command line. Holds what lives for the whole run.
class Startup {
public:
    Startup();
    ~Startup();

    // Runs the start-up steps with the command-line arguments (without the
    // program's own name). Returns false when the user folder cannot be made.
    bool Main(const QStringList& arguments);

    frmMain* mainWindow() const { return m_main.get(); }
    // The path taken from the command line (empty when none).
    const QString& commandLinePath() const { return m_commandLinePath; }
    // Whether the opening of that path has ended (or there was none).
    bool commandLineOpenEnded() const { return m_commandLinePath.isEmpty() || m_openEnded; }
    // Whether the steps after the first paint (entities, copy file, library,
    // the document or the library window) have run.
    bool finished() const { return m_finished; }

private:
    class PendingStart;
    // The steps the first paint does not need; runs once. False when the
    // start cannot go on (no working folder): the event loop is then ending.
    bool Finish();

    std::unique_ptr<frmMain> m_main;
    std::unique_ptr<QtPrompter> m_prompter;
    QString m_commandLinePath;
    bool m_openEnded = false;
    std::unique_ptr<PendingStart> m_pending;
    bool m_finishing = false;
    bool m_finished = false;
};

// The whole argument string is one path: the arguments joined by blanks,
// not split and with no quotes removed.
QString CommandLinePath(const QStringList& arguments);
