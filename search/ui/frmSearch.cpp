#include "search/ui/frmSearch.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "render/TextState.h"
#include "search/SearchChoices.h"
#include "settings/Options.h"
#include "settings/ui/FormLanguage.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

template <typename W> W* Named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

frmSearch::frmSearch(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Find"));
    setModal(true);

    lblSearchPhrase = Named(new QLabel(QStringLiteral("Search phrase:"), this), QStringLiteral("lblSearchPhrase"));
    txtSearchString = Named(new QLineEdit(this), QStringLiteral("txtSearchString"));
    lblSearchPhrase->setBuddy(txtSearchString);

    fraSearchScope = Named(new QGroupBox(QStringLiteral("Search Scope"), this), QStringLiteral("fraSearchScope"));
    auto* scope = new QVBoxLayout(fraSearchScope);
    const char* scopes[] = {"Whole document", "Current Article"};
    for (int i = 0; i < 2; ++i) {
        optSearchScope[size_t(i)] = Named(new QRadioButton(QString::fromLatin1(scopes[i]), fraSearchScope),
                                          QStringLiteral("optSearchScope_%1").arg(i));
        scope->addWidget(optSearchScope[size_t(i)]);
    }
    optSearchScope[0]->setChecked(true);

    lblSearchDirection = Named(new QLabel(QStringLiteral("Direction"), this), QStringLiteral("lblSearchDirection"));
    cmbSearchDirection = Named(new QComboBox(this), QStringLiteral("cmbSearchDirection"));
    cmbSearchDirection->addItems({QStringLiteral("All"), QStringLiteral("Down"), QStringLiteral("Up")});
    lblSearchDirection->setBuddy(cmbSearchDirection);

    fraSearchOptions = Named(new QGroupBox(QStringLiteral("Search Options"), this), QStringLiteral("fraSearchOptions"));
    auto* options = new QVBoxLayout(fraSearchOptions);
    const char* shows[] = {"List all results", "Jump to first occurence"};
    for (int i = 0; i < 2; ++i) {
        optShowResults[size_t(i)] = Named(new QRadioButton(QString::fromLatin1(shows[i]), fraSearchOptions),
                                          QStringLiteral("optShowResults_%1").arg(i));
        options->addWidget(optShowResults[size_t(i)]);
    }
    optShowResults[0]->setChecked(true);
    chkWholeWord = Named(new QCheckBox(QStringLiteral("Search on whole word"), this), QStringLiteral("chkWholeWord"));
    chkCaseSensitive = Named(new QCheckBox(QStringLiteral("Case sensitive"), this), QStringLiteral("chkCaseSensitive"));

    const char* buttons[] = {"OK", "Cancel"};
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    for (int i = 0; i < 2; ++i) {
        cmdButton[size_t(i)] =
            Named(new QPushButton(QString::fromLatin1(buttons[i]), this), QStringLiteral("cmdButton_%1").arg(i));
        cmdButton[size_t(i)]->setAutoDefault(false);
        buttonRow->addWidget(cmdButton[size_t(i)]);
        connect(cmdButton[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdButton_Click(i); });
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblSearchPhrase, 0, 0);
    grid->addWidget(txtSearchString, 0, 1);
    grid->addWidget(fraSearchScope, 1, 0, 1, 2);
    grid->addWidget(lblSearchDirection, 2, 0);
    grid->addWidget(cmbSearchDirection, 2, 1);
    grid->addWidget(fraSearchOptions, 3, 0, 1, 2);
    grid->addWidget(chkWholeWord, 4, 0, 1, 2);
    grid->addWidget(chkCaseSensitive, 5, 0, 1, 2);
    grid->addLayout(buttonRow, 6, 0, 1, 2);

    // Tab goes through the window as it reads, top to bottom.
    QWidget* order[] = {txtSearchString,   optSearchScope[0], optSearchScope[1], cmbSearchDirection, optShowResults[0],
                        optShowResults[1], chkWholeWord,      chkCaseSensitive,  cmdButton[0],       cmdButton[1]};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void frmSearch::Form_Activate()
{
    GuardedVoid("Form_Activate", [&] {
        SetStep(QStringLiteral("Load language"));
        FormLanguage(QStringLiteral("frmSearch"), this);
        const SearchChoices& choices = Choices();
        const TextState& txt = Txt();
        txtSearchString->setText(choices.SearchString);
        chkWholeWord->setChecked(txt.SearchWholeWord);
        chkCaseSensitive->setChecked(txt.SearchCaseSensitive);
        optShowResults[Opts().SearchResults == JumpToFirstOccurrence ? 1 : 0]->setChecked(true);
        SetStep(QStringLiteral("Are we in article scope, if not disable this scope"));
        const bool inText = Run().CurrentLevel >= 9;
        optSearchScope[1]->setEnabled(inText);
        optSearchScope[choices.SearchScope == 1 && inText ? 1 : 0]->setChecked(true);
        cmbSearchDirection->setCurrentIndex(0);
        txtSearchString->selectAll();
        txtSearchString->setFocus(Qt::OtherFocusReason);
    });
}

void frmSearch::saveChoices()
{
    SearchChoices& choices = Choices();
    TextState& txt = Txt();
    choices.SearchString = txtSearchString->text();
    choices.SearchScope = optSearchScope[1]->isChecked() && optSearchScope[1]->isEnabled() ? 1 : 0;
    choices.ShowResults = optShowResults[1]->isChecked() ? 1 : 0;
    txt.SearchWholeWord = chkWholeWord->isChecked();
    txt.SearchCaseSensitive = chkCaseSensitive->isChecked();
    txt.SearchDirection = std::max(cmbSearchDirection->currentIndex(), 0);
}

void frmSearch::cmdButton_Click(int index)
{
    GuardedVoid("cmdButton_Click", [&] {
        if (index == 1)
            txtSearchString->clear();
        saveChoices();
        if (index == 0)
            accept();
        else
            reject();
    });
}

void frmSearch::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void frmSearch::keyPressEvent(QKeyEvent* event)
{
    // Enter is OK and Escape Cancel wherever the focus is in the window.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        cmdButton_Click(cmdButton[1]->hasFocus() ? 1 : 0);
        return;
    case Qt::Key_Escape:
        cmdButton_Click(1);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void frmSearch::closeEvent(QCloseEvent* event)
{
    // Closing the window is Cancel; the window itself stays for the next use.
    event->ignore();
    cmdButton_Click(1);
}
