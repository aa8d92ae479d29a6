#include "settings/ui/FormLanguage.h"

#include "app/core/ErrorConvention.h"
#include "settings/modLanguage.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextEdit>
#include <QWidget>

#include <initializer_list>
#include <vector>

namespace {

enum class Put {
    Caption,    // button, label, frame or menu item text
    ToolTip,    // tooltip
    Text,       // the content of a text box
    TabCaption, // the caption of tab page `index`
    ListItems,  // a combo box's entries, refilled keeping its list index
};

struct ControlText {
    QString name;
    Put put;
    std::vector<int> texts; // one text, or the entries of a list
    int index = 0;
};

// The texts of one window, written as a chain: WindowTexts(caption).caption(...).tooltip(...)...
class WindowTexts {
public:
    explicit WindowTexts(int caption = 0) : m_caption(caption) {}

    WindowTexts& caption(const char* name, int number) { return add(QString::fromLatin1(name), Put::Caption, number); }
    WindowTexts& toolTip(const char* name, int number) { return add(QString::fromLatin1(name), Put::ToolTip, number); }
    WindowTexts& text(const char* name, int number) { return add(QString::fromLatin1(name), Put::Text, number); }
    WindowTexts& items(const char* name, std::initializer_list<int> texts)
    {
        m_controls.push_back({QString::fromLatin1(name), Put::ListItems, texts});
        return *this;
    }
    // Captions of the control array elements name_0, name_1, ...
    WindowTexts& captions(const char* name, std::initializer_list<int> texts)
    {
        int i = 0;
        for (int t : texts)
            add(QString::fromLatin1(name) + QLatin1Char('_') + QString::number(i++), Put::Caption, t);
        return *this;
    }
    // Captions of tab pages 0, 1, ...
    WindowTexts& tabs(const char* name, std::initializer_list<int> texts)
    {
        int i = 0;
        for (int t : texts)
            add(QString::fromLatin1(name), Put::TabCaption, t, i++);
        return *this;
    }

    int windowCaption() const { return m_caption; }
    const std::vector<ControlText>& controls() const { return m_controls; }

private:
    WindowTexts& add(QString name, Put put, int number, int index = 0)
    {
        m_controls.push_back({std::move(name), put, {number}, index});
        return *this;
    }

    int m_caption;
    std::vector<ControlText> m_controls;
};

const QHash<QString, WindowTexts>& Windows()
{
    static const QHash<QString, WindowTexts> windows = {
        {QStringLiteral("frmOpenBook"), WindowTexts(1102)
                                            .caption("lblLibraryLocation", 1200)
                                            .captions("cmdButton", {1202, 1203, 1204, 1205})
                                            .caption("mnuLibraryItemDelete", 1206)
                                            .caption("mnuLibraryItemCategory", 1207)},
        {QStringLiteral("frmSearch"), WindowTexts(1300)
                                          .caption("lblSearchPhrase", 1301)
                                          .caption("fraSearchScope", 1302)
                                          .captions("optSearchScope", {1303, 1304})
                                          .caption("lblSearchDirection", 1305)
                                          .items("cmbSearchDirection", {1306, 1307, 1308})
                                          .caption("fraSearchOptions", 1309)
                                          .caption("chkWholeWord", 1310)
                                          .caption("chkCaseSensitive", 1311)
                                          .captions("optShowResults", {1312, 1313})
                                          .captions("cmdButton", {1314, 1315})},
        {QStringLiteral("frmBrowseForFolder"), WindowTexts(1800)
                                                   .toolTip("txtCurrentFolder", 1801)
                                                   .toolTip("lstFolders", 1802)
                                                   .captions("cmdButton", {1803, 1804, 1805})},
        {QStringLiteral("frmBookShelfs"),
         WindowTexts(1270).caption("lblBookShelfs", 1271).captions("cmdButton", {1272, 1273, 1274, 1275})},
        {QStringLiteral("frmGotoPage"),
         WindowTexts(117).caption("lblPagenumber", 120).captions("cmdButton", {123, 103})},
        {QStringLiteral("frmEncryption"), WindowTexts(109).caption("lblDecrypting", 110)},
        {QStringLiteral("frmCopyPaste"), WindowTexts(1750)
                                             .caption("lblSource", 1751)
                                             .caption("lblTitle", 1752)
                                             .caption("lblCategory", 1753)
                                             .caption("cmdAddCategory", 1763)
                                             .caption("lblText", 1754)
                                             .toolTip("txtText", 1754)
                                             .caption("lblCharacters", 1756)
                                             .captions("cmdButton", {1758, 1759, 1760})},
        {QStringLiteral("frmBookmark"), WindowTexts(1700).captions("cmdButton", {1701, 1702, 1703})},
        {QStringLiteral("frmAnnotation"), WindowTexts(1600)
                                              .caption("fraAnnotation", 1601)
                                              .caption("lblTitle", 1602)
                                              .caption("lblText", 1603)
                                              .caption("lblAddDate", 1604)
                                              .captions("cmdButton", {1690, 1691, 1692, 1695})},
        {QStringLiteral("frmOptions"), WindowTexts(1500)
                                           .tabs("tabOptions", {1501, 1502, 1503, 1504, 1505})
                                           .caption("fraOpenDocument", 1506)
                                           .captions("optOpenDocument", {1560, 1561, 1562})
                                           .caption("chkShowWordCount", 1508)
                                           .caption("lblDefaultLanguage", 1509)
                                           .caption("lblLibraryLocation", 1510)
                                           .caption("cmdLibraryBrowse", 108)
                                           .caption("chkShowLibraryAtStartUp", 1511)
                                           .caption("chkCopyToLibrary", 1512)
                                           .caption("fraSorting", 1533)
                                           .caption("lblSortField", 1534)
                                           .caption("fraAutArchive", 1513)
                                           .captions("optAutoArchive", {1514, 1515, 1516})
                                           .caption("cmdPersonalArchiveSettings", 1517)
                                           .items("cmbSortField", {1570, 1571, 1572, 1573, 1574, 1575})
                                           .captions("optSortOrder", {1535, 1536})
                                           .caption("lblAnnotation", 1538)
                                           .caption("lblBookmark", 1539)
                                           .caption("lblFound", 1540)
                                           .caption("chkOverruleCSS", 1541)
                                           .caption("lblUserFont", 1542)
                                           .caption("lblForeGroundColor", 1543)
                                           .caption("lblBackgroundColor", 1544)
                                           .caption("lblFontSize", 1545)
                                           .caption("fraSampleText", 1546)
                                           .caption("fraSearchResults", 1547)
                                           .captions("optSearchResults", {1548, 1549})
                                           .caption("fraPersonalInterest", 1550)
                                           .caption("lblPersonalInterests", 1551)
                                           .caption("lblReadAloudVoice", 1518)
                                           .caption("lblReadAloudRate", 1519)
                                           .caption("lblReadAloudPitch", 1520)
                                           .caption("lblReadAloudVolume", 1521)
                                           .caption("lblReadAloudColor", 1522)
                                           .captions("cmdButton", {1590, 1591, 1592})},
        {QStringLiteral("frmDefaultStyleSheet"), WindowTexts(1400)
                                                     .text("txtDefaultCss", 1401)
                                                     .captions("optDefaultCss", {1402, 1403, 1404})
                                                     .captions("cmdButton", {102, 104, 103})},
        {QStringLiteral("frmLastReadPosition"),
         WindowTexts(1250).caption("chkDontAskAgain", 1251).captions("cmdButton", {100, 101})},
    };
    return windows;
}

// What a screen reader should say for a caption: "&&" is a literal "&", a single "&" marks the shortcut.
QString WithoutShortcutMark(const QString& caption)
{
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&'))
                ++i;
            else
                continue;
        }
        plain += caption[i];
    }
    return plain;
}

void SetCaption(QObject* control, const QString& text)
{
    if (auto* action = qobject_cast<QAction*>(control)) {
        action->setText(text);
        return;
    }
    auto* widget = qobject_cast<QWidget*>(control);
    if (!widget)
        return;
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
    else if (auto* frame = qobject_cast<QGroupBox*>(widget))
        frame->setTitle(text);
    else if (auto* menu = qobject_cast<QMenu*>(widget))
        menu->setTitle(text);
    else
        return;
    widget->setAccessibleName(WithoutShortcutMark(text));
}

void SetToolTip(QObject* control, const QString& text)
{
    if (auto* action = qobject_cast<QAction*>(control)) {
        action->setToolTip(text);
    } else if (auto* widget = qobject_cast<QWidget*>(control)) {
        widget->setToolTip(text);
        widget->setAccessibleDescription(text);
    }
}

// A text box's content; its accessible name stays the one its label gives it.
void SetContent(QObject* control, const QString& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(control))
        line->setText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        plain->setPlainText(text);
    else if (auto* rich = qobject_cast<QTextEdit*>(control))
        rich->setPlainText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
}

void SetTabCaption(QWidget* window, const QString& name, int index, const QString& text)
{
    auto* tabs = window->findChild<QTabWidget*>(name);
    // The options window may have been built with an unnamed tab strip.
    if (!tabs)
        tabs = window->findChild<QTabWidget*>();
    if (tabs && index < tabs->count())
        tabs->setTabText(index, text);
}

void RefillList(QObject* control, const std::vector<int>& texts)
{
    auto* combo = qobject_cast<QComboBox*>(control);
    if (!combo)
        return;
    const int index = combo->currentIndex();
    combo->clear();
    for (int t : texts)
        combo->addItem(T(t));
    if (index >= 0 && index < combo->count())
        combo->setCurrentIndex(index);
}

void Apply(QWidget* window, const WindowTexts& texts)
{
    SetStep(QStringLiteral("Set the window caption"));
    window->setWindowTitle(T(texts.windowCaption()));
    for (const ControlText& c : texts.controls()) {
        SetStep(QStringLiteral("Set the text of ") + c.name);
        if (c.put == Put::TabCaption) {
            SetTabCaption(window, c.name, c.index, T(c.texts.front()));
            continue;
        }
        QObject* control = window->findChild<QObject*>(c.name);
        if (!control)
            continue; // not built (yet)
        switch (c.put) {
        case Put::Caption:
            SetCaption(control, T(c.texts.front()));
            break;
        case Put::ToolTip:
            SetToolTip(control, T(c.texts.front()));
            break;
        case Put::Text:
            SetContent(control, T(c.texts.front()));
            break;
        case Put::ListItems:
            RefillList(control, c.texts);
            break;
        case Put::TabCaption:
            break;
        }
    }
}

} // namespace

void FormLanguage(const QString& windowName, QWidget* window)
{
    GuardedVoid("FormLanguage", [&] {
        if (!window)
            return;
        const auto& windows = Windows();
        const auto it = windows.constFind(windowName);
        if (it != windows.constEnd())
            Apply(window, *it);
    });
}

QStringList FormLanguageControls(const QString& windowName)
{
    QStringList names;
    const auto& windows = Windows();
    if (const auto it = windows.constFind(windowName); it != windows.constEnd()) {
        for (const ControlText& c : it->controls())
            if (!names.contains(c.name))
                names << c.name;
    }
    return names;
}
