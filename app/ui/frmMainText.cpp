// Showing a document unit as formatted text: LoadText, the font-size steps and
// re-applying the style sheet after a change of sheet, size or options.
#include "app/ui/frmMain.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "app/ui/ScreenReaderFocus.h"
#include "navigation/NavList.h"
#include "render/StyleApplier.h"
#include "render/TextAssembly.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "render/modCss2RTF.h"
#include "render/ui/TextViewerWidget.h"
#include "settings/Options.h"

#include <QAction>
#include <QLabel>
#include <QListView>
#include <limits>
#include <optional>

namespace {

// A colour from SetColor's text. A sheet that names no known colour costs one
// log entry, and the lists and the view keep the colour they have.
std::optional<int> ColourOf(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok)
        return value;
    GuardedVoid("Refresh_Markup", [&] { RaiseError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch")); });
    return std::nullopt;
}

void Paint(QWidget* widget, QPalette::ColorRole role, std::optional<int> colour)
{
    if (!colour)
        return;
    QPalette p = widget->palette();
    p.setColor(role, TextViewer::ToQColor(*colour));
    widget->setPalette(p);
}

} // namespace

void frmMain::connectTextDisplay()
{
    Assembly = std::make_unique<TextAssembly>(*Viewer);

    mnuViewFontSize[1]->setCheckable(true);
    mnuViewFontSize[1]->setChecked(Txt().FontSizeOffset == 0);
    // The captions name keys that the reading keys handle (Shift and =, Shift and -);
    // a shortcut here as well would take two steps at one press.
    for (int i = 0; i < 3; ++i)
        connect(mnuViewFontSize[size_t(i)], &QAction::triggered, this, [this, i] { mnuViewFontSize_Click(i); });

    // A change of the reader's font or colours is shown at once.
    connect(&Opts(), &Options::markupChanged, this, [this] {
        if (Run().DocumentOpen)
            Refresh_Markup(true);
    });
}

void frmMain::LoadText(int16_t level, int32_t position, const QString& pageText)
{
    (void)level;
    GuardedVoid("LoadText", [&] {
        RunState& rs = Run();
        const TextState& txt = Txt();
        SetStep(QStringLiteral("Hide and clear the text"));
        Viewer->setVisible(false);
        Viewer->setText(QString());

        SetStep(QStringLiteral("Work out the heading id"));
        int32_t id = 0;
        if (!txt.SearchText.isEmpty() && !rs.LocalSearchMode) {
            const int row = NavLists->ListIndex(0);
            if (row < 0 || static_cast<size_t>(row) >= txt.FoundIds.size())
                RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
            id = txt.FoundIds[static_cast<size_t>(row)];
        } else if (rs.NavLevelCount < 2) {
            id = (NavLists->ListIndex(1) + 1) * 100;
        } else {
            id = (NavLists->ListIndex(1) + 1) * 100 + (NavLists->ListIndex(2) + 1);
        }
        Assembly->LoadText(id, position, pageText);
    });
}

void frmMain::ShowTextView(bool setFocus)
{
    Viewer->setVisible(true);
    if (setFocus)
        FocusTextAtCaret(TextViewerView);
}

void frmMain::Refresh_Markup(bool info)
{
    GuardedVoid("Refresh_Markup", [&] {
        RunState& rs = Run();
        if (!rs.DocumentOpen)
            return;

        SetStep(QStringLiteral("Get the default font and size"));
        const std::vector<StyleRecord>& table = StyleTable();
        const StyleRecord* defaults = &table.front();
        const size_t last = std::min(static_cast<size_t>(std::max(StyleCount(), 0)), table.size() - 1);
        for (size_t r = 0; r <= last; ++r) {
            if (table[r][Style::Name].compare(QLatin1String("default"), Qt::CaseInsensitive) == 0)
                defaults = &table[r];
        }
        const QString fontName = SetFontName((*defaults)[Style::FontFamily]);
        const int fontSize = SetFontSize((*defaults)[Style::FontSize]);

        SetStep(QStringLiteral("Set the look of the navigation lists"));
        const Options& o = Opts();
        QString listFont = fontName;
        int listSize = fontSize + Txt().FontSizeOffset;
        std::optional<int> fore, back;
        if (o.OverRuleCss) {
            listFont = o.UserFont;
            listSize = o.FontPointSize();
            fore = o.ForeGroundColorValue();
            back = o.BackGroundColorValue();
        } else {
            fore = ColourOf(SetColor(QStringLiteral("9")));
            back = ColourOf(SetColor(QStringLiteral("8")));
        }
        listSize = std::max(listSize, 8);
        for (int i = 0; i <= rs.NavLevelCount; ++i) {
            QListView* list = NavListView(i);
            QFont font = list->font();
            font.setFamilies({listFont});
            font.setPointSize(listSize);
            list->setFont(font);
            Paint(list, QPalette::Text, fore);
            Paint(list, QPalette::Base, back);
            list->viewport()->update();
        }

        SetStep(QStringLiteral("Set the background of the text"));
        if (back) {
            Viewer->setBackColor(*back);
            Paint(lblBackground, QPalette::Window, back);
        }

        if (rs.CurrentLevel == 9) {
            SetStep(QStringLiteral("Rebuild the text"));
            LoadText(rs.CurrentLevel, 0, QString());
            ShowInfo(rs.CurrentLevel, info);
        }
    });
}

void frmMain::ChangeFontSize(int index)
{
    GuardedVoid("ChangeFontSize", [&] {
        SetStep(QStringLiteral("Change the font size"));
        int16_t& offset = Txt().FontSizeOffset;
        int next = offset;
        if (index == 0)
            next += 5;
        else if (index == 1)
            next = 0;
        else if (index == 2)
            next -= 5;
        if (next < std::numeric_limits<int16_t>::min() || next > std::numeric_limits<int16_t>::max())
            RaiseError(ErrNo::Overflow, QStringLiteral("Overflow"));
        offset = static_cast<int16_t>(next);
        mnuViewFontSize[1]->setChecked(index == 1);
        Refresh_Markup(true);
        Form_Resize();
    });
}

void frmMain::mnuViewFontSize_Click(int index)
{
    ChangeFontSize(index);
}
