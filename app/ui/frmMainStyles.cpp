// The style sheet choice of the main window: View > Style sheet lists the
// sheets with the one in use checked, and "Make default" opens the dialog.
#include "app/ui/frmMain.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "app/ui/ScreenReaderFocus.h"
#include "render/StyleSheetChoice.h"
#include "render/ui/frmDefaultStyleSheet.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>

void frmMain::buildStyleSheetMenu()
{
    // Entry 0 is the hidden template of the control array; the sheets follow it.
    auto* templateEntry = new QAction(mnuViewStyleSheet);
    templateEntry->setObjectName(QStringLiteral("mnuViewSelectStyleSheet_0"));
    templateEntry->setVisible(false);
    mnuViewStyleSheet->insertAction(mnuViewStyleSheetNew, templateEntry);
    mnuViewSelectStyleSheet = {templateEntry};

    mnuViewStyleSheetSeparator = new QAction(mnuViewStyleSheet);
    mnuViewStyleSheetSeparator->setObjectName(QStringLiteral("mnuViewStyleSheetSeparator"));
    mnuViewStyleSheetSeparator->setSeparator(true);
    mnuViewStyleSheetSeparator->setVisible(false);
    mnuViewStyleSheet->insertAction(mnuViewStyleSheetNew, mnuViewStyleSheetSeparator);

    // One sheet is in use at a time: a screen reader announces the entries as radio items.
    m_styleSheetGroup = new QActionGroup(this);
    m_styleSheetGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);

    connect(mnuViewMakeDefault, &QAction::triggered, this, &frmMain::mnuViewMakeDefault_Click);
}

void frmMain::LoadAndSetStyleSheets()
{
    GuardedVoid("LoadAndSetStyleSheets", [&] {
        const int chosen = ::LoadAndSetStyleSheets();

        SetStep(QStringLiteral("Unload current menu"));
        for (size_t i = 1; i < mnuViewSelectStyleSheet.size(); ++i)
            delete mnuViewSelectStyleSheet[i];
        mnuViewSelectStyleSheet.resize(1);

        SetStep(QStringLiteral("Fill the style sheet menu"));
        const QStringList captions = StyleSheetCaptions();
        for (int i = 1; i <= captions.size(); ++i) {
            QString caption = captions[i - 1];
            auto* entry = new QAction(caption.replace(QLatin1Char('&'), QLatin1String("&&")), mnuViewStyleSheet);
            entry->setObjectName(QStringLiteral("mnuViewSelectStyleSheet_%1").arg(i));
            entry->setCheckable(true);
            entry->setActionGroup(m_styleSheetGroup);
            entry->setChecked(i == chosen);
            connect(entry, &QAction::triggered, this, [this, i] { mnuViewSelectStyleSheet_Click(i); });
            mnuViewStyleSheet->insertAction(mnuViewStyleSheetSeparator, entry);
            mnuViewSelectStyleSheet.push_back(entry);
        }
        mnuViewStyleSheetSeparator->setVisible(!captions.isEmpty());
    });
}

void frmMain::mnuViewSelectStyleSheet_Click(int index)
{
    GuardedVoid("mnuViewSelectStyleSheet_Click", [&] {
        SetStep(QStringLiteral("Load the chosen style sheet"));
        SelectStyleSheet(index);
        SetStep(QStringLiteral("Refresh screen"));
        Refresh_Markup(true);
        SetStep(QStringLiteral("Check the chosen style sheet"));
        for (size_t i = 1; i < mnuViewSelectStyleSheet.size(); ++i)
            mnuViewSelectStyleSheet[i]->setChecked(int(i) == index);
    });
}

void frmMain::mnuViewMakeDefault_Click()
{
    GuardedVoid("mnuViewMakeDefault_Click", [&] {
        frmDefaultStyleSheet dialog(this);
        // Removing a default chooses the sheet again.
        connect(&dialog, &frmDefaultStyleSheet::styleSheetsChanged, this, [this] {
            LoadAndSetStyleSheets();
            Refresh_Markup(true);
        });
        // The release of the key that closes it is passed over: its press went to the dialog.
        QWidget* reading = QApplication::focusWidget();
        dialog.exec();
        RefocusAfterDialog(reading);
    });
}
