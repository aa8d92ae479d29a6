#pragma once

#include <QDialog>
#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

// The options window: four pages (General, Library, Mark-up, Search) and OK,
// Cancel, Apply. It edits the live options (Opts()) as the reader changes a
// control, that control's option only, so a change is in force at once and
// nothing the reader did not touch is replaced; OK and Apply also write them to the
// store, Cancel only hides the window. Loaded once and kept, hidden, for the
// whole run; shown modally by its owner.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(QWidget* parent = nullptr);
    ~frmOptions() override;

    // Copies the live options into the controls (also done at every show).
    void loadFromOptions();

    // What the Select button next to the library folder opens; it sets the
    // library folder itself, the window then shows it. Unset: the button is disabled.
    void setLibraryBrowseHandler(std::function<void()> handler);
    // What the personal archive settings button opens. Unset: the button is disabled.
    void setPersonalArchiveSettingsHandler(std::function<void()> handler);
    // The voices the speech engine offers; asked for when the window is first filled.
    void setVoiceSource(std::function<QStringList()> source);

    // OK (0), Cancel (1), Apply (2).
    void cmdButton_Click(int index);

    // Controls, named as the language texts address them.
    QTabWidget* tabOptions = nullptr;
    std::array<QWidget*, 5> Frame1{}; // the five pages

    QLabel* lblDefaultLanguage = nullptr;
    QComboBox* cmbDefaultLanguage = nullptr;
    QCheckBox* chkShowWordCount = nullptr;
    QLabel* lblLibraryLocation = nullptr;
    QLineEdit* txtLibraryLocation = nullptr;
    QPushButton* cmdLibraryBrowse = nullptr;
    QGroupBox* fraOpenDocument = nullptr;
    std::array<QRadioButton*, 3> optOpenDocument{};

    QCheckBox* chkCopyToLibrary = nullptr;
    QCheckBox* chkShowLibraryAtStartUp = nullptr;
    QGroupBox* fraAutArchive = nullptr;
    std::array<QRadioButton*, 3> optAutoArchive{};
    QPushButton* cmdPersonalArchiveSettings = nullptr;
    QGroupBox* fraSorting = nullptr;
    QLabel* lblSortField = nullptr;
    QComboBox* cmbSortField = nullptr;
    QGroupBox* Frame3 = nullptr;
    std::array<QRadioButton*, 2> optSortOrder{};

    QLabel* lblAnnotation = nullptr;
    QComboBox* cmbAnnotationColor = nullptr;
    QLabel* lblBookmark = nullptr;
    QComboBox* cmbBookmarkColor = nullptr;
    QLabel* lblFound = nullptr;
    QComboBox* cmbFoundColor = nullptr;
    QGroupBox* Frame2 = nullptr;
    QCheckBox* chkOverruleCSS = nullptr;
    QLabel* lblUserFont = nullptr;
    QComboBox* cmbUserFont = nullptr;
    QLabel* lblFontSize = nullptr;
    QComboBox* cmbFontSize = nullptr;
    QLabel* lblForeGroundColor = nullptr;
    QComboBox* cmbForeGroundColor = nullptr;
    QLabel* lblBackgroundColor = nullptr;
    QComboBox* cmbBackGroundColor = nullptr;
    QGroupBox* fraSampleText = nullptr;
    QLabel* txtSampleText = nullptr;

    QGroupBox* fraSearchResults = nullptr;
    std::array<QRadioButton*, 2> optSearchResults{};
    QGroupBox* fraPersonalInterest = nullptr;
    QLabel* lblPersonalInterests = nullptr;
    QLineEdit* txtPersonalInterests = nullptr;

    // Reading aloud: the voice (entry 0 the engine's own), rate, pitch, volume, mark colour.
    QLabel* lblReadAloudVoice = nullptr;
    QComboBox* cmbReadAloudVoice = nullptr;
    QLabel* lblReadAloudRate = nullptr;
    QSpinBox* spnReadAloudRate = nullptr;
    QLabel* lblReadAloudPitch = nullptr;
    QSpinBox* spnReadAloudPitch = nullptr;
    QLabel* lblReadAloudVolume = nullptr;
    QSpinBox* spnReadAloudVolume = nullptr;
    QLabel* lblReadAloudColor = nullptr;
    QComboBox* cmbReadAloudColor = nullptr;

    std::array<QPushButton*, 3> cmdButton{};

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildGeneralPage();
    void buildLibraryPage();
    void buildMarkupPage();
    void buildSearchPage();
    void buildReadAloudPage();
    void fillVoices();
    void setTabOrder();
    void connectControls();
    // First activation: language texts, translated colour names, accessible names.
    void Form_Activate();
    void nameInputsAfterTheirLabels();
    void fillLists();
    void applyOverrule();
    void showSample();
    void enableHelperButtons();
    void focusFirstControl();
    // Ctrl+Tab and Ctrl+Shift+Tab: the next or previous page, wrapping around.
    void turnPage(int step);
    // A control changed: its live option follows at once.
    void controlChanged(QObject* control);
    // Copies one control into the live options.
    void storeChanges(QObject* control);
    void storeControl(QObject* control);

    QButtonGroup* m_openDocument = nullptr;
    QButtonGroup* m_autoArchive = nullptr;
    QButtonGroup* m_sortOrder = nullptr;
    QButtonGroup* m_searchResults = nullptr;
    std::function<void()> m_browse;
    std::function<void()> m_archiveSettings;
    std::function<QStringList()> m_voices;
    bool m_voicesFilled = false;
    bool m_activated = false;
    bool m_loading = false;
};
