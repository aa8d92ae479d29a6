// Every command a reader can reach in the menus does something: an enabled
// item is connected to its handler, and a submenu that is enabled holds one.
#include "app/core/RunState.h"
#include "package/modEntities.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "tests/support/MainWindowFixture.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <gtest/gtest.h>

namespace {

// How many receivers an action's triggered signal has (a protected question,
// asked through a derived class). A menu connects to its own items, so an item
// acts only when it has more receivers than a bare item in a menu.
struct SignalPeek : QObject {
    static int Receivers(const QAction* action) { return (action->*(&SignalPeek::receivers))(SIGNAL(triggered(bool))); }
    static int Bare()
    {
        QMenu menu;
        return Receivers(menu.addAction(QStringLiteral("bare")));
    }
};

// Enabled, visible leaf items that nothing would answer.
QStringList DeadCommands(QMenu* menu, const QString& path)
{
    QStringList dead;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible() || !action->isEnabled())
            continue;
        const QString name = path + QStringLiteral(" > ") + action->text().remove(QLatin1Char('&'));
        if (QMenu* sub = action->menu()) {
            dead += DeadCommands(sub, name);
            continue;
        }
        if (SignalPeek::Receivers(action) <= SignalPeek::Bare())
            dead << name;
    }
    return dead;
}

class MenuCommandsTest : public MainWindowFixture {
protected:
    std::string deadCommands() const
    {
        QStringList dead;
        for (QAction* top : window->menuBar()->actions()) {
            if (top->menu() && top->isEnabled())
                dead += DeadCommands(top->menu(), top->text().remove(QLatin1Char('&')));
        }
        return dead.join(QStringLiteral(", ")).toStdString();
    }
};

TEST_F(MenuCommandsTest, NoEnabledCommandIsDeadBeforeInAListAndInTheText)
{
    EXPECT_EQ(deadCommands(), "");
    openSample();
    EXPECT_EQ(deadCommands(), "");
    window->LevelDown();
    window->LevelDown();
    ASSERT_EQ(::Run().CurrentLevel, 9);
    // A selection in the text must not bring a command to life before it works.
    window->Viewer->setSelStart(0);
    window->Viewer->setSelLength(5);
    window->TextViewer_KeyUp();
    EXPECT_EQ(deadCommands(), "");
}

} // namespace
