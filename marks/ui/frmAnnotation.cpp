#include "marks/ui/frmAnnotation.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "marks/LastReadPosition.h"
#include "marks/ui/MarkListFont.h"
#include "settings/modLanguage.h"
#include "settings/ui/FormLanguage.h"

#include <QDateTime>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

frmAnnotation::frmAnnotation(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAnnotation"));
    setWindowTitle(QStringLiteral("Annotations"));
    setModal(true);

    lstAnnotations = new QListWidget(this);
    lstAnnotations->setObjectName(QStringLiteral("lstAnnotations"));
    lstAnnotations->setMinimumSize(640, 260);
    lstAnnotations->installEventFilter(this);
    connect(lstAnnotations, &QListWidget::itemDoubleClicked, this, [this] { LoadAnnotation(false, false); });

    fraAnnotation = new QGroupBox(QStringLiteral("Annotation"), this);
    fraAnnotation->setObjectName(QStringLiteral("fraAnnotation"));
    lblTitle = new QLabel(QStringLiteral("Title:"), fraAnnotation);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    txtDescriptiveTitle = new QLineEdit(fraAnnotation);
    txtDescriptiveTitle->setObjectName(QStringLiteral("txtDescriptiveTitle"));
    lblTitle->setBuddy(txtDescriptiveTitle);
    lblText = new QLabel(QStringLiteral("Text:"), fraAnnotation);
    lblText->setObjectName(QStringLiteral("lblText"));
    txtAnnotation = new QPlainTextEdit(fraAnnotation);
    txtAnnotation->setObjectName(QStringLiteral("txtAnnotation"));
    txtAnnotation->setTabChangesFocus(true);
    txtAnnotation->setMinimumSize(420, 160);
    lblText->setBuddy(txtAnnotation);
    lblAddDate = new QLabel(QStringLiteral("Date:"), fraAnnotation);
    lblAddDate->setObjectName(QStringLiteral("lblAddDate"));
    lblDate = new QLabel(fraAnnotation);
    lblDate->setObjectName(QStringLiteral("lblDate"));
    auto* form = new QFormLayout(fraAnnotation);
    form->addRow(lblTitle, txtDescriptiveTitle);
    form->addRow(lblText, txtAnnotation);
    form->addRow(lblAddDate, lblDate);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const char* captions[] = {"To Text", "Delete", "Save", "Cancel"};
    for (int i = 0; i < 4; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(captions[i]), this);
        button->setObjectName(QStringLiteral("cmdButton_%1").arg(i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { cmdButton_Click(i); });
        buttons->addWidget(button);
        cmdButton[size_t(i)] = button;
    }
    connect(txtDescriptiveTitle, &QLineEdit::textEdited, this, [this] { cmdButton[2]->setEnabled(true); });
    connect(txtAnnotation, &QPlainTextEdit::textChanged, this, [this] { cmdButton[2]->setEnabled(true); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstAnnotations);
    layout->addWidget(fraAnnotation);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int frmAnnotation::CountAnnotations() const
{
    return Run().DufDoc ? CountAnnotationElements(*Run().DufDoc) : 0;
}

QString frmAnnotation::SelectedId() const
{
    const int row = lstAnnotations->currentRow();
    if (row < 0 || size_t(row) >= AnnotationIds.size())
        return QString();
    return AnnotationIds[size_t(row)];
}

void frmAnnotation::ListAnnotations()
{
    GuardedVoid("ListAnnotations", [&] {
        if (!Run().DocumentOpen)
            return;
        SetStep(QStringLiteral("Fill the list"));
        lstAnnotations->setFont(MarkListFont(font()));
        const int selected = lstAnnotations->currentRow();
        lstAnnotations->clear();
        AnnotationIds.clear();
        lstAnnotations->setEnabled(true);
        for (const MarkRow& row : AnnotationRows()) {
            AnnotationIds.push_back(row.id);
            lstAnnotations->addItem(row.text);
        }
        if (AnnotationIds.empty()) {
            lstAnnotations->addItem(SetLangTxt(1696));
            lstAnnotations->setCurrentRow(0);
            lstAnnotations->setEnabled(false);
        } else {
            lstAnnotations->setCurrentRow(selected >= 0 && selected < lstAnnotations->count() ? selected : 0);
        }
        if (FocusList)
            FocusList(lstAnnotations, lstAnnotations->currentRow());
        else
            lstAnnotations->setFocus(Qt::OtherFocusReason);
    });
}

void frmAnnotation::AddAnnotation(const MarkSpot& spot, int32_t length, const QString& selected,
                                  const QString& shownText)
{
    m_spot = spot;
    m_length = length;
    m_shownText = shownText;
    lblAnnotId.clear();
    txtDescriptiveTitle->setText(selected);
    txtAnnotation->clear();
    lblDate->setText(LastReadDateText(QDateTime::currentDateTime()));
    txtDescriptiveTitle->selectAll();
    lblMode = QStringLiteral("add");
}

void frmAnnotation::fill(const StoredAnnotation& annotation)
{
    lblAnnotId = annotation.id;
    txtDescriptiveTitle->setText(annotation.title);
    txtAnnotation->setPlainText(annotation.text);
    lblDate->setText(annotation.date);
}

void frmAnnotation::LoadAnnotation(bool toText, bool listMode)
{
    GuardedVoid("LoadAnnotation", [&] {
        const QString id = SelectedId();
        const StoredAnnotation* annotation = id.isEmpty() ? nullptr : FindAnnotation(id);
        if (!annotation)
            return;
        fill(*annotation);
        if (toText) {
            Target = AnnotationTarget(id);
            lblMode = QStringLiteral("totext");
            hide();
            done(QDialog::Accepted);
        } else if (listMode) {
            SwitchMode(0);
        } else {
            lblMode = QStringLiteral("show");
            SwitchMode(2);
            txtAnnotation->setFocus(Qt::OtherFocusReason);
        }
    });
}

bool frmAnnotation::ShowAnnotation(const QString& id)
{
    const StoredAnnotation* annotation = FindAnnotation(id);
    if (!annotation)
        return false;
    fill(*annotation);
    lblMode = QStringLiteral("show");
    SwitchMode(2);
    return true;
}

void frmAnnotation::SaveAnnotation()
{
    GuardedVoid("SaveAnnotation", [&] {
        // A note without text is no note: the dialog stays for one.
        if (txtAnnotation->toPlainText().trimmed().isEmpty())
            return;
        if (!SaveNewAnnotation(m_spot, m_length, txtDescriptiveTitle->text(), txtAnnotation->toPlainText(),
                               m_shownText))
            return;
        Changed = true;
        hide();
        done(QDialog::Accepted);
    });
}

void frmAnnotation::UpdateAnnotation()
{
    GuardedVoid("UpdateAnnotation", [&] {
        if (lblAnnotId.isEmpty())
            return;
        if (!::UpdateAnnotation(lblAnnotId, txtDescriptiveTitle->text(), txtAnnotation->toPlainText()))
            return;
        Changed = true;
        hide();
        done(QDialog::Accepted);
    });
}

void frmAnnotation::DeleteAnnotation()
{
    GuardedVoid("DeleteAnnotation", [&] {
        const bool showing = lblMode == QLatin1String("show");
        const QString id = showing ? lblAnnotId : SelectedId();
        if (id.isEmpty())
            return;
        const bool removed = ::DeleteAnnotation(id);
        Changed = Changed || removed;
        if (showing && removed) {
            hide();
            done(QDialog::Accepted);
            return;
        }
        if (!showing)
            ListAnnotations();
    });
}

void frmAnnotation::SwitchMode(int mode)
{
    const bool list = mode == 0;
    lstAnnotations->setVisible(list);
    fraAnnotation->setVisible(!list);
    const int caption = mode == 0 ? 1694 : mode == 1 ? 1692 : 1693;
    const QString text = SetLangTxt(caption);
    if (!text.isEmpty())
        cmdButton[2]->setText(text);
    const bool any = !list || !AnnotationIds.empty();
    cmdButton[0]->setEnabled(mode != 1 && any);
    cmdButton[1]->setEnabled(mode != 1 && any);
    cmdButton[2]->setEnabled(any);
    if (list)
        lblMode = QStringLiteral("list");
    else if (mode == 1)
        lblMode = QStringLiteral("add");
}

void frmAnnotation::cmdButton_Click(int index)
{
    GuardedVoid("cmdButton_Click", [&] {
        const bool showing = lblMode == QLatin1String("show");
        switch (index) {
        case 0:
            if (showing) {
                Target = AnnotationTarget(lblAnnotId);
                lblMode = QStringLiteral("totext");
                hide();
                done(QDialog::Accepted);
            } else {
                LoadAnnotation(true, false);
            }
            break;
        case 1:
            DeleteAnnotation();
            break;
        case 2:
            if (lblMode == QLatin1String("add"))
                SaveAnnotation();
            else if (lblMode == QLatin1String("list"))
                LoadAnnotation(false, false);
            else if (showing)
                UpdateAnnotation();
            break;
        default:
            hide();
            done(QDialog::Rejected);
            break;
        }
    });
}

bool frmAnnotation::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstAnnotations && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int k = key->key();
        if (k != Qt::Key_Return && k != Qt::Key_Enter && k != Qt::Key_Delete)
            return false;
        if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat() && !SelectedId().isEmpty()) {
            if (k == Qt::Key_Delete)
                DeleteAnnotation();
            else
                LoadAnnotation(false, false);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmAnnotation::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        if (!m_activated) {
            m_activated = true;
            FormLanguage(objectName(), this);
        }
        Changed = false;
        Target.reset();
        if (lblMode == QLatin1String("add")) {
            SwitchMode(1);
            txtDescriptiveTitle->setFocus(Qt::OtherFocusReason);
        } else if (lblMode == QLatin1String("show")) {
            SwitchMode(2);
            txtAnnotation->setFocus(Qt::OtherFocusReason);
        } else {
            // Shown first, so that the list can take the focus.
            SwitchMode(0);
            ListAnnotations();
            SwitchMode(0);
        }
    }
    QDialog::showEvent(event);
}
