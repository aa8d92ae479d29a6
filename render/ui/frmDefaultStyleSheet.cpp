#include "render/ui/frmDefaultStyleSheet.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "settings/modLanguage.h"
#include "settings/ui/FormLanguage.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

constexpr int kTypeOption = 1403;
constexpr int kRemoveTitle = 1405;
constexpr int kRemoveQuestion = 1406;
constexpr int kStyleSheetCaption = 1054; // the View menu's "Style sheet"

QString WithoutShortcutMark(QString caption)
{
    caption.replace(QLatin1String("&&"), QString(QChar(0xE000)));
    caption.remove(QLatin1Char('&'));
    return caption.replace(QChar(0xE000), QLatin1Char('&'));
}

QString Text(int number, const char* fallback)
{
    const QString text = T(number);
    return text.isEmpty() ? QString::fromLatin1(fallback) : text;
}

} // namespace

frmDefaultStyleSheet::frmDefaultStyleSheet(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDefaultStyleSheet"));
    setWindowTitle(QStringLiteral("Default Mark-Up"));
    setModal(true);

    lblDefaultCss = new QLabel(QStringLiteral("S&tyle sheet"), this);
    lblDefaultCss->setObjectName(QStringLiteral("lblDefaultCss"));
    txtDefaultCss = new QLineEdit(this);
    txtDefaultCss->setObjectName(QStringLiteral("txtDefaultCss"));
    txtDefaultCss->setReadOnly(true);
    lblDefaultCss->setBuddy(txtDefaultCss);

    fraDefaultCss = new QGroupBox(QStringLiteral("Choose where the current style sheet becomes the default:"), this);
    fraDefaultCss->setObjectName(QStringLiteral("fraDefaultCss"));
    m_scopes = new QButtonGroup(this);
    auto* options = new QVBoxLayout(fraDefaultCss);
    const char* optionCaptions[] = {"Default for current document", "Default for 'x' documents",
                                    "Default for all documents"};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(optionCaptions[i]), fraDefaultCss);
        option->setObjectName(QStringLiteral("optDefaultCss_%1").arg(i));
        m_scopes->addButton(option, i);
        options->addWidget(option);
        optDefaultCss[size_t(i)] = option;
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const char* buttonCaptions[] = {"OK", "Remove", "Cancel"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(buttonCaptions[i]), this);
        button->setObjectName(QStringLiteral("cmdButton_%1").arg(i));
        connect(button, &QPushButton::clicked, this, [this, i] { cmdButton_Click(i); });
        buttons->addWidget(button);
        cmdButton[size_t(i)] = button;
    }
    cmdButton[0]->setDefault(true);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(lblDefaultCss);
    nameRow->addWidget(txtDefaultCss, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addWidget(fraDefaultCss);
    layout->addLayout(buttons);

    setTabOrder(txtDefaultCss, optDefaultCss[0]);
    setTabOrder(optDefaultCss[0], optDefaultCss[1]);
    setTabOrder(optDefaultCss[1], optDefaultCss[2]);
    setTabOrder(optDefaultCss[2], cmdButton[0]);
    setTabOrder(cmdButton[0], cmdButton[1]);
    setTabOrder(cmdButton[1], cmdButton[2]);
}

void frmDefaultStyleSheet::Form_Activate()
{
    GuardedVoid("Form_Activate", [&] {
        SetStep(QStringLiteral("Apply the language texts"));
        FormLanguage(QStringLiteral("frmDefaultStyleSheet"), this);
        // The text that FormLanguage puts in the name box introduces the options;
        // the box itself shows the sheet's name (loadSettings).
        const QString intro = T(1401);
        if (!intro.isEmpty())
            fraDefaultCss->setTitle(intro);
        const QString caption = T(kStyleSheetCaption);
        if (!caption.isEmpty())
            lblDefaultCss->setText(caption);
    });
}

void frmDefaultStyleSheet::loadSettings()
{
    GuardedVoid("loadSettings", [&] {
        SetStep(QStringLiteral("Show the style sheet in use"));
        const QStringList captions = StyleSheetCaptions();
        const int inUse = StyleSheetInUse();
        txtDefaultCss->setText(inUse >= 1 && inUse <= captions.size() ? captions[inUse - 1] : QString());
        txtDefaultCss->setCursorPosition(0);

        SetStep(QStringLiteral("Name the document type"));
        const RunState& rs = Run();
        const QString type = rs.DocInfo[2];
        QString typeCaption = Text(kTypeOption, "Default for 'x' documents");
        if (typeCaption.contains(QLatin1String("'x'")))
            typeCaption.replace(QLatin1String("'x'"), QLatin1Char('\'') + type + QLatin1Char('\''));
        else
            typeCaption.replace(QLatin1Char('x'), type);
        optDefaultCss[1]->setText(typeCaption);
        // Only a document that has them can take a type default or a choice of its own.
        optDefaultCss[0]->setEnabled(rs.DufDoc && !rs.DufDoc->documentElement().isNull());
        optDefaultCss[1]->setEnabled(!type.isEmpty());
        if (!m_scopes->checkedButton() || !m_scopes->checkedButton()->isEnabled()) {
            for (QRadioButton* option : optDefaultCss) {
                if (option->isEnabled()) {
                    option->setChecked(true);
                    break;
                }
            }
        }

        SetStep(QStringLiteral("Name the controls"));
        for (QRadioButton* option : optDefaultCss)
            option->setAccessibleName(WithoutShortcutMark(option->text()));
        for (QPushButton* button : cmdButton)
            button->setAccessibleName(WithoutShortcutMark(button->text()));
        txtDefaultCss->setAccessibleName(WithoutShortcutMark(lblDefaultCss->text()));
        fraDefaultCss->setAccessibleName(WithoutShortcutMark(fraDefaultCss->title()));
        setAccessibleName(windowTitle());
    });
}

StyleScope frmDefaultStyleSheet::chosenScope() const
{
    const int id = m_scopes->checkedId();
    return id < 0 ? StyleScope::Document : static_cast<StyleScope>(id);
}

void frmDefaultStyleSheet::cmdButton_Click(int index)
{
    GuardedVoid("cmdButton_Click", [&] {
        switch (index) {
        case 0:
            SetStep(QStringLiteral("Make the style sheet the default"));
            if (m_scopes->checkedId() >= 0 && SaveDefaultStyleSheet(chosenScope()))
                accept();
            break;
        case 1: {
            SetStep(QStringLiteral("Ask to remove the default"));
            if (m_scopes->checkedId() < 0)
                break;
            const PromptAnswer answer = Prompt().MsgBox(T(kRemoveQuestion), PromptButtons::YesNo,
                                                        PromptIcon::Question, T(kRemoveTitle), PromptAnswer::No);
            if (answer != PromptAnswer::Yes)
                break;
            SetStep(QStringLiteral("Remove the default"));
            RemoveDefaultStyleSheet(chosenScope());
            emit styleSheetsChanged();
            accept();
            break;
        }
        default:
            reject();
            break;
        }
    });
}

void frmDefaultStyleSheet::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        if (!m_activated) {
            m_activated = true;
            Form_Activate();
        }
        loadSettings();
        // The safe button: Enter or Space on it changes nothing.
        cmdButton[2]->setFocus(Qt::OtherFocusReason);
    }
    QDialog::showEvent(event);
}
