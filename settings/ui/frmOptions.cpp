#include "settings/ui/frmOptions.h"

#include "app/core/ErrorConvention.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "settings/modTTFont.h"
#include "settings/ui/FormLanguage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <tuple>
#include <type_traits>

namespace {

constexpr int kColourNames = 150; // T(150 + i) names NamedColours[i]
constexpr int kOrderCaption = 1537;

template <typename Widget> Widget* Make(QWidget* parent, const QString& name)
{
    auto* w = new Widget(parent);
    w->setObjectName(name);
    return w;
}

QString WithoutShortcutMark(QString caption)
{
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return caption;
}

// A control with a design caption; the language texts replace it at the first show.
template <typename Widget> Widget* Captioned(QWidget* parent, const QString& name, const QString& caption)
{
    auto* w = Make<Widget>(parent, name);
    if constexpr (std::is_base_of_v<QGroupBox, Widget>)
        w->setTitle(caption);
    else
        w->setText(caption);
    w->setAccessibleName(WithoutShortcutMark(caption));
    return w;
}

QLabel* LabelFor(QWidget* parent, const QString& name, const QString& caption, QWidget* buddy)
{
    auto* label = Captioned<QLabel>(parent, name, caption);
    label->setBuddy(buddy);
    buddy->setAccessibleName(WithoutShortcutMark(caption));
    return label;
}

QComboBox* ColourList(QWidget* parent, const QString& name)
{
    auto* combo = Make<QComboBox>(parent, name);
    for (const NamedColour& colour : NamedColours)
        combo->addItem(QString::fromLatin1(colour.Name));
    return combo;
}

QColor ToQColor(int32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// Sets a list's entries only when they differ, so the reader's place is not lost.
void FillCombo(QComboBox* combo, const QStringList& entries)
{
    QStringList current;
    for (int i = 0; i < combo->count(); ++i)
        current.append(combo->itemText(i));
    if (current == entries)
        return;
    combo->clear();
    combo->addItems(entries);
}

void SelectIndex(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void Check(QButtonGroup* group, int id)
{
    if (QAbstractButton* option = group->button(id))
        option->setChecked(true);
}

// Selects the entry equal to text in any letter case, or shows text in the edit field.
void SelectText(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text, Qt::MatchFixedString);
    combo->setCurrentIndex(index);
    if (index < 0 && combo->isEditable())
        combo->setEditText(text);
}

} // namespace

frmOptions::frmOptions(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setAccessibleName(QStringLiteral("Options"));

    tabOptions = Make<QTabWidget>(this, QStringLiteral("tabOptions"));
    tabOptions->setAccessibleName(QStringLiteral("Options"));
    const char* pages[] = {"General", "Library", "Mark-up", "Search", "Read aloud"};
    for (int i = 0; i < 5; ++i) {
        Frame1[size_t(i)] = Make<QWidget>(nullptr, QStringLiteral("Frame1_%1").arg(i));
        tabOptions->addTab(Frame1[size_t(i)], QString::fromLatin1(pages[i]));
    }
    buildGeneralPage();
    buildLibraryPage();
    buildMarkupPage();
    buildSearchPage();
    buildReadAloudPage();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const char* captions[] = {"OK", "Cancel", "Apply"};
    for (int i = 0; i < 3; ++i) {
        cmdButton[size_t(i)] =
            Captioned<QPushButton>(this, QStringLiteral("cmdButton_%1").arg(i), QString::fromLatin1(captions[i]));
        buttons->addWidget(cmdButton[size_t(i)]);
        connect(cmdButton[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdButton_Click(i); });
    }
    cmdButton[0]->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabOptions);
    layout->addLayout(buttons);

    setTabOrder();
    // A list would take Ctrl+Tab as a typed character, so the window turns the page before any control sees it.
    auto* nextPage = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(nextPage, &QShortcut::activated, this, [this] { turnPage(1); });
    auto* previousPage = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), this);
    connect(previousPage, &QShortcut::activated, this, [this] { turnPage(-1); });
    fillLists();
    loadFromOptions();
    connectControls();
}

frmOptions::~frmOptions() = default;

void frmOptions::buildGeneralPage()
{
    QWidget* page = Frame1[0];
    cmbDefaultLanguage = Make<QComboBox>(page, QStringLiteral("cmbDefaultLanguage"));
    lblDefaultLanguage =
        LabelFor(page, QStringLiteral("lblDefaultLanguage"), QStringLiteral("Default language"), cmbDefaultLanguage);
    chkShowWordCount =
        Captioned<QCheckBox>(page, QStringLiteral("chkShowWordCount"), QStringLiteral("Show Word Count of Article"));
    txtLibraryLocation = Make<QLineEdit>(page, QStringLiteral("txtLibraryLocation"));
    // Room for a whole folder path.
    txtLibraryLocation->setMinimumWidth(txtLibraryLocation->fontMetrics().averageCharWidth() * 40);
    lblLibraryLocation =
        LabelFor(page, QStringLiteral("lblLibraryLocation"), QStringLiteral("Library location:"), txtLibraryLocation);
    cmdLibraryBrowse = Captioned<QPushButton>(page, QStringLiteral("cmdLibraryBrowse"), QStringLiteral("Select"));
    cmdLibraryBrowse->setAutoDefault(false);

    fraOpenDocument =
        Captioned<QGroupBox>(page, QStringLiteral("fraOpenDocument"), QStringLiteral("When open document:"));
    m_openDocument = new QButtonGroup(this);
    auto* openLayout = new QVBoxLayout(fraOpenDocument);
    const char* choices[] = {"Ask where to place cursor", "Always start at begin of document",
                             "Start at least read position"};
    for (int i = 0; i < 3; ++i) {
        optOpenDocument[size_t(i)] = Captioned<QRadioButton>(
            fraOpenDocument, QStringLiteral("optOpenDocument_%1").arg(i), QString::fromLatin1(choices[i]));
        m_openDocument->addButton(optOpenDocument[size_t(i)], i);
        openLayout->addWidget(optOpenDocument[size_t(i)]);
    }

    auto* grid = new QGridLayout(page);
    grid->addWidget(lblDefaultLanguage, 0, 0);
    grid->addWidget(cmbDefaultLanguage, 0, 1, 1, 2);
    grid->addWidget(chkShowWordCount, 1, 0, 1, 3);
    grid->addWidget(lblLibraryLocation, 2, 0);
    grid->addWidget(txtLibraryLocation, 2, 1);
    grid->addWidget(cmdLibraryBrowse, 2, 2);
    grid->addWidget(fraOpenDocument, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
}

void frmOptions::buildLibraryPage()
{
    QWidget* page = Frame1[1];
    chkCopyToLibrary = Captioned<QCheckBox>(page, QStringLiteral("chkCopyToLibrary"),
                                            QStringLiteral("Allways copy new document to Library"));
    chkShowLibraryAtStartUp = Captioned<QCheckBox>(page, QStringLiteral("chkShowLibraryAtStartUp"),
                                                   QStringLiteral("Show Library on Start Up"));

    fraAutArchive = Captioned<QGroupBox>(page, QStringLiteral("fraAutArchive"), QStringLiteral("Archive Options"));
    m_autoArchive = new QButtonGroup(this);
    auto* archiveLayout = new QVBoxLayout(fraAutArchive);
    const char* choices[] = {"Don't use archive option", "Automatic Archive using publishers document type",
                             "Use personal archive option"};
    for (int i = 0; i < 3; ++i) {
        optAutoArchive[size_t(i)] = Captioned<QRadioButton>(fraAutArchive, QStringLiteral("optAutoArchive_%1").arg(i),
                                                            QString::fromLatin1(choices[i]));
        m_autoArchive->addButton(optAutoArchive[size_t(i)], i);
        archiveLayout->addWidget(optAutoArchive[size_t(i)]);
    }
    cmdPersonalArchiveSettings = Captioned<QPushButton>(fraAutArchive, QStringLiteral("cmdPersonalArchiveSettings"),
                                                        QStringLiteral("Settings..."));
    cmdPersonalArchiveSettings->setAutoDefault(false);
    archiveLayout->addWidget(cmdPersonalArchiveSettings, 0, Qt::AlignLeft);

    fraSorting = Captioned<QGroupBox>(page, QStringLiteral("fraSorting"), QStringLiteral("Sorting"));
    cmbSortField = Make<QComboBox>(fraSorting, QStringLiteral("cmbSortField"));
    cmbSortField->addItems({QStringLiteral("Title"), QStringLiteral("Location"), QStringLiteral("Category"),
                            QStringLiteral("Last Read"), QStringLiteral("Times Read"), QStringLiteral("Date Added")});
    lblSortField = LabelFor(fraSorting, QStringLiteral("lblSortField"), QStringLiteral("Field"), cmbSortField);
    Frame3 = Captioned<QGroupBox>(fraSorting, QStringLiteral("Frame3"), QStringLiteral("Order"));
    m_sortOrder = new QButtonGroup(this);
    auto* orderLayout = new QHBoxLayout(Frame3);
    const char* orders[] = {"Ascending", "Descending"};
    for (int i = 0; i < 2; ++i) {
        optSortOrder[size_t(i)] =
            Captioned<QRadioButton>(Frame3, QStringLiteral("optSortOrder_%1").arg(i), QString::fromLatin1(orders[i]));
        m_sortOrder->addButton(optSortOrder[size_t(i)], i);
        orderLayout->addWidget(optSortOrder[size_t(i)]);
    }
    auto* sortLayout = new QGridLayout(fraSorting);
    sortLayout->addWidget(lblSortField, 0, 0);
    sortLayout->addWidget(cmbSortField, 0, 1);
    sortLayout->addWidget(Frame3, 1, 0, 1, 2);
    sortLayout->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(chkCopyToLibrary);
    layout->addWidget(chkShowLibraryAtStartUp);
    layout->addWidget(fraAutArchive);
    layout->addWidget(fraSorting);
    layout->addStretch();
}

void frmOptions::buildMarkupPage()
{
    QWidget* page = Frame1[2];
    cmbAnnotationColor = ColourList(page, QStringLiteral("cmbAnnotationColor"));
    lblAnnotation = LabelFor(page, QStringLiteral("lblAnnotation"), QStringLiteral("Annotation"), cmbAnnotationColor);
    cmbBookmarkColor = ColourList(page, QStringLiteral("cmbBookmarkColor"));
    lblBookmark = LabelFor(page, QStringLiteral("lblBookmark"), QStringLiteral("Bookmark"), cmbBookmarkColor);
    cmbFoundColor = ColourList(page, QStringLiteral("cmbFoundColor"));
    lblFound = LabelFor(page, QStringLiteral("lblFound"), QStringLiteral("Found"), cmbFoundColor);

    Frame2 = Make<QGroupBox>(page, QStringLiteral("Frame2"));
    chkOverruleCSS =
        Captioned<QCheckBox>(Frame2, QStringLiteral("chkOverruleCSS"), QStringLiteral("Overrule Style Sheet"));
    cmbUserFont = Make<QComboBox>(Frame2, QStringLiteral("cmbUserFont"));
    // Editable, so a stored face that is not installed still shows its name.
    cmbUserFont->setEditable(true);
    cmbUserFont->setInsertPolicy(QComboBox::NoInsert);
    lblUserFont = LabelFor(Frame2, QStringLiteral("lblUserFont"), QStringLiteral("Font"), cmbUserFont);
    cmbFontSize = Make<QComboBox>(Frame2, QStringLiteral("cmbFontSize"));
    cmbFontSize->setEditable(true);
    cmbFontSize->setInsertPolicy(QComboBox::NoInsert);
    cmbFontSize->setValidator(new QIntValidator(1, 999, cmbFontSize));
    for (const char* size : FontSizes)
        cmbFontSize->addItem(QString::fromLatin1(size));
    lblFontSize = LabelFor(Frame2, QStringLiteral("lblFontSize"), QStringLiteral("Size"), cmbFontSize);
    cmbForeGroundColor = ColourList(Frame2, QStringLiteral("cmbForeGroundColor"));
    lblForeGroundColor =
        LabelFor(Frame2, QStringLiteral("lblForeGroundColor"), QStringLiteral("Foreground"), cmbForeGroundColor);
    cmbBackGroundColor = ColourList(Frame2, QStringLiteral("cmbBackGroundColor"));
    lblBackgroundColor =
        LabelFor(Frame2, QStringLiteral("lblBackgroundColor"), QStringLiteral("Background"), cmbBackGroundColor);

    fraSampleText = Captioned<QGroupBox>(Frame2, QStringLiteral("fraSampleText"), QStringLiteral("Sample Text"));
    txtSampleText = Make<QLabel>(fraSampleText, QStringLiteral("txtSampleText"));
    txtSampleText->setText(QStringLiteral("AaBbCcDdEeFf"));
    txtSampleText->setAccessibleName(QStringLiteral("Sample Text"));
    txtSampleText->setAutoFillBackground(true);
    txtSampleText->setAlignment(Qt::AlignCenter);
    txtSampleText->setMinimumHeight(72);
    auto* sampleLayout = new QVBoxLayout(fraSampleText);
    sampleLayout->addWidget(txtSampleText);

    auto* own = new QGridLayout(Frame2);
    own->addWidget(chkOverruleCSS, 0, 0, 1, 2);
    own->addWidget(lblUserFont, 1, 0);
    own->addWidget(cmbUserFont, 1, 1);
    own->addWidget(lblFontSize, 2, 0);
    own->addWidget(cmbFontSize, 2, 1);
    own->addWidget(lblForeGroundColor, 3, 0);
    own->addWidget(cmbForeGroundColor, 3, 1);
    own->addWidget(lblBackgroundColor, 4, 0);
    own->addWidget(cmbBackGroundColor, 4, 1);
    own->addWidget(fraSampleText, 5, 0, 1, 2);
    own->setColumnStretch(1, 1);

    auto* grid = new QGridLayout(page);
    grid->addWidget(lblAnnotation, 0, 0);
    grid->addWidget(cmbAnnotationColor, 0, 1);
    grid->addWidget(lblBookmark, 1, 0);
    grid->addWidget(cmbBookmarkColor, 1, 1);
    grid->addWidget(lblFound, 2, 0);
    grid->addWidget(cmbFoundColor, 2, 1);
    grid->addWidget(Frame2, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
}

void frmOptions::buildSearchPage()
{
    QWidget* page = Frame1[3];
    fraSearchResults = Captioned<QGroupBox>(page, QStringLiteral("fraSearchResults"), QStringLiteral("Search Results"));
    m_searchResults = new QButtonGroup(this);
    auto* resultsLayout = new QVBoxLayout(fraSearchResults);
    optSearchResults[1] = Captioned<QRadioButton>(fraSearchResults, QStringLiteral("optSearchResults_1"),
                                                  QStringLiteral("Jump to first Occurence"));
    optSearchResults[0] = Captioned<QRadioButton>(fraSearchResults, QStringLiteral("optSearchResults_0"),
                                                  QStringLiteral("List search results"));
    for (int i : {1, 0}) {
        m_searchResults->addButton(optSearchResults[size_t(i)], i);
        resultsLayout->addWidget(optSearchResults[size_t(i)]);
    }

    fraPersonalInterest =
        Captioned<QGroupBox>(page, QStringLiteral("fraPersonalInterest"), QStringLiteral("Personal Interests"));
    txtPersonalInterests = Make<QLineEdit>(fraPersonalInterest, QStringLiteral("txtPersonalInterests"));
    lblPersonalInterests = LabelFor(fraPersonalInterest, QStringLiteral("lblPersonalInterests"),
                                    QStringLiteral("Interest:"), txtPersonalInterests);
    auto* interestLayout = new QHBoxLayout(fraPersonalInterest);
    interestLayout->addWidget(lblPersonalInterests);
    interestLayout->addWidget(txtPersonalInterests, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(fraSearchResults);
    layout->addWidget(fraPersonalInterest);
    layout->addStretch();
}

void frmOptions::buildReadAloudPage()
{
    QWidget* page = Frame1[4];
    cmbReadAloudVoice = Make<QComboBox>(page, QStringLiteral("cmbReadAloudVoice"));
    cmbReadAloudVoice->addItem(QStringLiteral("Default voice"));
    lblReadAloudVoice = LabelFor(page, QStringLiteral("lblReadAloudVoice"), QStringLiteral("Voice"), cmbReadAloudVoice);
    const auto spin = [page](const QString& name, int low, int high) {
        auto* box = Make<QSpinBox>(page, name);
        box->setRange(low, high);
        return box;
    };
    spnReadAloudRate = spin(QStringLiteral("spnReadAloudRate"), -10, 10);
    lblReadAloudRate = LabelFor(page, QStringLiteral("lblReadAloudRate"), QStringLiteral("Rate"), spnReadAloudRate);
    spnReadAloudPitch = spin(QStringLiteral("spnReadAloudPitch"), -10, 10);
    lblReadAloudPitch = LabelFor(page, QStringLiteral("lblReadAloudPitch"), QStringLiteral("Pitch"), spnReadAloudPitch);
    spnReadAloudVolume = spin(QStringLiteral("spnReadAloudVolume"), 0, 100);
    lblReadAloudVolume =
        LabelFor(page, QStringLiteral("lblReadAloudVolume"), QStringLiteral("Volume"), spnReadAloudVolume);
    cmbReadAloudColor = ColourList(page, QStringLiteral("cmbReadAloudColor"));
    lblReadAloudColor =
        LabelFor(page, QStringLiteral("lblReadAloudColor"), QStringLiteral("Reading mark"), cmbReadAloudColor);

    auto* grid = new QGridLayout(page);
    const std::pair<QLabel*, QWidget*> rows[] = {{lblReadAloudVoice, cmbReadAloudVoice},
                                                 {lblReadAloudRate, spnReadAloudRate},
                                                 {lblReadAloudPitch, spnReadAloudPitch},
                                                 {lblReadAloudVolume, spnReadAloudVolume},
                                                 {lblReadAloudColor, cmbReadAloudColor}};
    int row = 0;
    for (const auto& [label, input] : rows) {
        grid->addWidget(label, row, 0);
        grid->addWidget(input, row++, 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
}

void frmOptions::setVoiceSource(std::function<QStringList()> source)
{
    m_voices = std::move(source);
    m_voicesFilled = false;
}

void frmOptions::fillVoices()
{
    // Asking the engine for its voices may start the speech service: only once, and only when shown.
    if (m_voicesFilled || !m_voices)
        return;
    m_voicesFilled = true;
    while (cmbReadAloudVoice->count() > 1)
        cmbReadAloudVoice->removeItem(1);
    cmbReadAloudVoice->addItems(m_voices());
}

void frmOptions::setTabOrder()
{
    // clang-format off
    const QList<QWidget*> order = {
        tabOptions,
        cmbDefaultLanguage, chkShowWordCount, txtLibraryLocation, cmdLibraryBrowse,
        optOpenDocument[0], optOpenDocument[1], optOpenDocument[2],
        chkCopyToLibrary, chkShowLibraryAtStartUp,
        optAutoArchive[0], optAutoArchive[1], optAutoArchive[2], cmdPersonalArchiveSettings,
        cmbSortField, optSortOrder[0], optSortOrder[1],
        cmbAnnotationColor, cmbBookmarkColor, cmbFoundColor,
        chkOverruleCSS, cmbUserFont, cmbFontSize, cmbForeGroundColor, cmbBackGroundColor,
        optSearchResults[1], optSearchResults[0], txtPersonalInterests,
        cmbReadAloudVoice, spnReadAloudRate, spnReadAloudPitch, spnReadAloudVolume, cmbReadAloudColor,
        cmdButton[0], cmdButton[1], cmdButton[2]};
    // clang-format on
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void frmOptions::connectControls()
{
    for (QComboBox* combo : {cmbDefaultLanguage, cmbSortField, cmbAnnotationColor, cmbBookmarkColor, cmbFoundColor,
                             cmbForeGroundColor, cmbBackGroundColor, cmbReadAloudVoice, cmbReadAloudColor})
        connect(combo, &QComboBox::currentIndexChanged, this, [this, combo] { controlChanged(combo); });
    for (QComboBox* combo : {cmbUserFont, cmbFontSize})
        connect(combo, &QComboBox::currentTextChanged, this, [this, combo] { controlChanged(combo); });
    for (QCheckBox* check : {chkShowWordCount, chkCopyToLibrary, chkShowLibraryAtStartUp, chkOverruleCSS})
        connect(check, &QCheckBox::toggled, this, [this, check] { controlChanged(check); });
    for (QButtonGroup* group : {m_openDocument, m_autoArchive, m_sortOrder, m_searchResults})
        connect(group, &QButtonGroup::idToggled, this, [this, group] { controlChanged(group); });
    for (QSpinBox* box : {spnReadAloudRate, spnReadAloudPitch, spnReadAloudVolume})
        connect(box, &QSpinBox::valueChanged, this, [this, box] { controlChanged(box); });
    for (QLineEdit* edit : {txtLibraryLocation, txtPersonalInterests})
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { controlChanged(edit); });

    connect(cmdLibraryBrowse, &QPushButton::clicked, this, [this] {
        GuardedVoid("cmdLibraryBrowse_Click", [&] {
            if (!m_browse)
                return;
            m_browse();
            txtLibraryLocation->setText(Opts().LibraryLocation);
        });
    });
    connect(cmdPersonalArchiveSettings, &QPushButton::clicked, this, [this] {
        GuardedVoid("cmdPersonalArchiveSettings_Click", [&] {
            if (m_archiveSettings)
                m_archiveSettings();
        });
    });
}

void frmOptions::setLibraryBrowseHandler(std::function<void()> handler)
{
    m_browse = std::move(handler);
    enableHelperButtons();
}

void frmOptions::setPersonalArchiveSettingsHandler(std::function<void()> handler)
{
    m_archiveSettings = std::move(handler);
    enableHelperButtons();
}

void frmOptions::enableHelperButtons()
{
    // Until the folder browser and the bookshelf chooser are given, their buttons would do nothing.
    cmdLibraryBrowse->setEnabled(bool(m_browse));
    cmdPersonalArchiveSettings->setEnabled(m_archiveSettings && m_autoArchive->checkedId() == PersonalArchive);
}

void frmOptions::fillLists()
{
    Options& o = Opts();
    if (o.LanguageList.isEmpty())
        o.LanguageList = ShowLanguage();
    if (o.FontList.isEmpty())
        FillFontList(o.FontList, true);
    FillCombo(cmbDefaultLanguage, o.LanguageList);
    FillCombo(cmbUserFont, o.FontList);
}

void frmOptions::loadFromOptions()
{
    GuardedVoid("loadFromOptions", [&] {
        const Options& o = Opts();
        m_loading = true;
        SetStep(QStringLiteral("General settings"));
        fillLists();
        Check(m_openDocument, o.OpenDocument);
        chkShowWordCount->setChecked(o.ShowWordCount);
        SelectText(cmbDefaultLanguage, o.Language);
        txtLibraryLocation->setText(o.LibraryLocationText);

        SetStep(QStringLiteral("Library settings"));
        chkCopyToLibrary->setChecked(o.CopyToLibrary);
        chkShowLibraryAtStartUp->setChecked(o.ShowLibraryAtStartUp);
        Check(m_autoArchive, o.AutoArchive);
        SelectIndex(cmbSortField, o.SortField);
        Check(m_sortOrder, o.LibrarySortOrder);

        SetStep(QStringLiteral("Mark Up settings"));
        SelectIndex(cmbAnnotationColor, o.AnnotationColorIndex);
        SelectIndex(cmbBookmarkColor, o.BookmarkColorIndex);
        SelectIndex(cmbFoundColor, o.FoundColorIndex);
        chkOverruleCSS->setChecked(o.OverRuleCss);
        SelectText(cmbUserFont, o.UserFont);
        SelectText(cmbFontSize, o.FontSize);
        SelectIndex(cmbForeGroundColor, o.ForeGroundColorIndex);
        SelectIndex(cmbBackGroundColor, o.BackGroundColorIndex);

        SetStep(QStringLiteral("Search settings"));
        Check(m_searchResults, o.SearchResults);
        txtPersonalInterests->setText(o.PersonalInterests);

        SetStep(QStringLiteral("Read aloud settings"));
        fillVoices();
        // A stored voice that is not installed now still shows, so it is kept.
        const int voice = o.ReadAloudVoice.isEmpty() ? 0 : cmbReadAloudVoice->findText(o.ReadAloudVoice);
        if (voice < 0)
            cmbReadAloudVoice->addItem(o.ReadAloudVoice);
        cmbReadAloudVoice->setCurrentIndex(voice < 0 ? cmbReadAloudVoice->count() - 1 : voice);
        spnReadAloudRate->setValue(o.ReadAloudRate);
        spnReadAloudPitch->setValue(o.ReadAloudPitch);
        spnReadAloudVolume->setValue(o.ReadAloudVolume);
        SelectIndex(cmbReadAloudColor, o.ReadAloudColorIndex);
    });
    m_loading = false;
    applyOverrule();
    showSample();
    enableHelperButtons();
}

void frmOptions::storeControl(QObject* control)
{
    Options& o = Opts();
    const auto take = [&](QObject* c, auto&& store) {
        if (control == c)
            store();
    };
    const auto checkedId = [](QButtonGroup* group, int& value) {
        if (group->checkedId() >= 0)
            value = group->checkedId();
    };
    // The colour lists show translated names, so a colour is its list index.
    const auto index = [](QComboBox* combo, int& value) {
        if (combo->currentIndex() >= 0)
            value = combo->currentIndex();
    };

    SetStep(QStringLiteral("General settings"));
    take(m_openDocument, [&] { checkedId(m_openDocument, o.OpenDocument); });
    take(chkShowWordCount, [&] { o.ShowWordCount = chkShowWordCount->isChecked(); });
    // No entry selected: the stored language name stays.
    take(cmbDefaultLanguage, [&] {
        if (cmbDefaultLanguage->currentIndex() >= 0)
            o.Language = cmbDefaultLanguage->currentText();
    });
    take(txtLibraryLocation, [&] { o.LibraryLocationText = txtLibraryLocation->text(); });

    SetStep(QStringLiteral("Library settings"));
    take(chkCopyToLibrary, [&] { o.CopyToLibrary = chkCopyToLibrary->isChecked(); });
    take(chkShowLibraryAtStartUp, [&] { o.ShowLibraryAtStartUp = chkShowLibraryAtStartUp->isChecked(); });
    take(m_autoArchive, [&] { checkedId(m_autoArchive, o.AutoArchive); });
    take(cmbSortField, [&] { index(cmbSortField, o.SortField); });
    take(m_sortOrder, [&] { checkedId(m_sortOrder, o.LibrarySortOrder); });

    SetStep(QStringLiteral("Mark Up settings"));
    take(cmbAnnotationColor, [&] { index(cmbAnnotationColor, o.AnnotationColorIndex); });
    take(cmbBookmarkColor, [&] { index(cmbBookmarkColor, o.BookmarkColorIndex); });
    take(cmbFoundColor, [&] { index(cmbFoundColor, o.FoundColorIndex); });
    take(cmbForeGroundColor, [&] { index(cmbForeGroundColor, o.ForeGroundColorIndex); });
    take(cmbBackGroundColor, [&] { index(cmbBackGroundColor, o.BackGroundColorIndex); });
    take(chkOverruleCSS, [&] { o.OverRuleCss = chkOverruleCSS->isChecked(); });
    take(cmbUserFont, [&] {
        const QString font = cmbUserFont->currentText().trimmed();
        if (!font.isEmpty())
            o.UserFont = font;
    });
    take(cmbFontSize, [&] {
        QString size = cmbFontSize->currentText().trimmed();
        int position = 0;
        if (cmbFontSize->validator()->validate(size, position) == QValidator::Acceptable)
            o.FontSize = size;
    });

    SetStep(QStringLiteral("Search settings"));
    take(m_searchResults, [&] { checkedId(m_searchResults, o.SearchResults); });
    take(txtPersonalInterests, [&] { o.PersonalInterests = txtPersonalInterests->text(); });

    SetStep(QStringLiteral("Read aloud settings"));
    take(cmbReadAloudVoice, [&] {
        const int voice = cmbReadAloudVoice->currentIndex();
        if (voice >= 0)
            o.ReadAloudVoice = voice == 0 ? QString() : cmbReadAloudVoice->currentText();
    });
    take(spnReadAloudRate, [&] { o.ReadAloudRate = spnReadAloudRate->value(); });
    take(spnReadAloudPitch, [&] { o.ReadAloudPitch = spnReadAloudPitch->value(); });
    take(spnReadAloudVolume, [&] { o.ReadAloudVolume = spnReadAloudVolume->value(); });
    take(cmbReadAloudColor, [&] { index(cmbReadAloudColor, o.ReadAloudColorIndex); });
}

void frmOptions::storeChanges(QObject* control)
{
    GuardedVoid("storeToOptions", [&] {
        Options& o = Opts();
        const auto ownLook = [&o] {
            return std::make_tuple(o.UserFont, o.FontSize, o.ForeGroundColorIndex, o.BackGroundColorIndex);
        };
        const bool overRuledBefore = o.OverRuleCss;
        const auto lookBefore = ownLook();
        storeControl(control);
        // The reader's font and colours change the text only while they over-rule the style sheet.
        if (o.OverRuleCss != overRuledBefore || (o.OverRuleCss && ownLook() != lookBefore))
            o.NotifyMarkupChanged();
    });
}

void frmOptions::controlChanged(QObject* control)
{
    // Filling the lists or putting the language on is not the reader's doing.
    if (m_loading)
        return;
    storeChanges(control);
    applyOverrule();
    showSample();
    enableHelperButtons();
}

void frmOptions::applyOverrule()
{
    const bool on = chkOverruleCSS->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{lblUserFont, lblFontSize, lblForeGroundColor, lblBackgroundColor, cmbUserFont,
                                         cmbFontSize, cmbForeGroundColor, cmbBackGroundColor, fraSampleText})
        w->setEnabled(on);
}

void frmOptions::showSample()
{
    const Options& o = Opts();
    QFont font(o.UserFont);
    if (o.FontPointSize() > 0)
        font.setPointSize(o.FontPointSize());
    txtSampleText->setFont(font);
    QPalette palette = txtSampleText->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::WindowText, ToQColor(o.ForeGroundColorValue()));
        palette.setColor(group, QPalette::Window, ToQColor(o.BackGroundColorValue()));
    }
    txtSampleText->setPalette(palette);
}

void frmOptions::cmdButton_Click(int index)
{
    GuardedVoid("cmdButton_Click", [&] {
        switch (index) {
        // Every change is in the options already; copying all controls again would
        // replace a stored value the window could not show.
        case 0: // OK
            SaveOptions();
            accept();
            break;
        case 1: // Cancel: the changes stay in force but are not written
            reject();
            break;
        case 2: // Apply
            SaveOptions();
            break;
        default:
            break;
        }
    });
}

void frmOptions::Form_Activate()
{
    GuardedVoid("Form_Activate", [&] {
        SetStep(QStringLiteral("Apply the language texts"));
        FormLanguage(QStringLiteral("frmOptions"), this);
        SetStep(QStringLiteral("Name the colours"));
        for (QComboBox* combo : {cmbAnnotationColor, cmbBookmarkColor, cmbFoundColor, cmbForeGroundColor,
                                 cmbBackGroundColor, cmbReadAloudColor}) {
            for (int i = 0; i < combo->count(); ++i) {
                const QString name = T(kColourNames + i);
                if (!name.isEmpty()) // a missing text keeps the style sheet name rather than an empty entry
                    combo->setItemText(i, name);
            }
        }
        const QString order = T(kOrderCaption);
        if (!order.isEmpty()) {
            Frame3->setTitle(order);
            Frame3->setAccessibleName(WithoutShortcutMark(order));
        }
        if (const QString own = T(1523); !own.isEmpty())
            cmbReadAloudVoice->setItemText(0, own);
        nameInputsAfterTheirLabels();
    });
}

void frmOptions::nameInputsAfterTheirLabels()
{
    for (QLabel* label : findChildren<QLabel*>()) {
        QWidget* input = label->buddy();
        if (!input)
            continue;
        input->setAccessibleName(WithoutShortcutMark(label->text()));
        if (auto* combo = qobject_cast<QComboBox*>(input); combo && combo->lineEdit())
            combo->lineEdit()->setAccessibleName(input->accessibleName());
    }
    txtSampleText->setAccessibleName(WithoutShortcutMark(fraSampleText->title()));
    setAccessibleName(windowTitle());
    tabOptions->setAccessibleName(windowTitle());
    for (int i = 0; i < tabOptions->count(); ++i)
        tabOptions->widget(i)->setAccessibleName(WithoutShortcutMark(tabOptions->tabText(i)));
}

void frmOptions::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        if (!m_activated) {
            m_activated = true;
            m_loading = true;
            Form_Activate();
            m_loading = false;
        }
        loadFromOptions();
        focusFirstControl();
    }
    QDialog::showEvent(event);
}

void frmOptions::turnPage(int step)
{
    const int count = tabOptions->count();
    tabOptions->setCurrentIndex((tabOptions->currentIndex() + step + count) % count);
}

void frmOptions::focusFirstControl()
{
    QWidget* page = tabOptions->currentWidget();
    QWidget* start = tabOptions->tabBar();
    for (QWidget* w = start->nextInFocusChain(); w && w != start; w = w->nextInFocusChain()) {
        if (!page->isAncestorOf(w) || !w->isEnabled() || !w->isVisibleTo(page) || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        // In a group of options the reader lands on the chosen one.
        if (auto* option = qobject_cast<QRadioButton*>(w); option && !option->isChecked() && option->group()) {
            if (QAbstractButton* chosen = option->group()->checkedButton())
                w = chosen;
        }
        w->setFocus(Qt::TabFocusReason);
        return;
    }
}
