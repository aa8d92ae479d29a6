#include "app/ui/frmAbout.h"

#include "app/core/ErrorConvention.h"
#include "settings/modLanguage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVersionNumber>

#ifndef QB_VERSION
#error "QB_VERSION must be the project's version"
#endif

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    // The packaging's icon, drawn at the size the dialog shows it.
    Picture1->setPixmap(QPixmap(QStringLiteral(":/quillbook/quillbook-128.png")));
    Picture1->setFixedSize(128, 128);
    Picture1->setScaledContents(true);

    auto label = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
        return l;
    };
    lblTitle = label("lblTitle");
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = label("lblVersion");
    lblDescription = label("lblDescription");
    lblNotice = label("lblNotice");
    lblHelp = label("lblHelp");
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    for (QLabel* l : {lblTitle, lblVersion, lblDescription, lblNotice, lblHelp})
        texts->addWidget(l);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(Picture1, 0, Qt::AlignTop);
    top->addSpacing(16);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setMinimumWidth(520);
    Form_Load();
}

QString frmAbout::Version()
{
    const QVersionNumber version = QVersionNumber::fromString(QStringLiteral(QB_VERSION));
    return QStringLiteral("%1.%2.%3")
        .arg(version.majorVersion())
        .arg(version.minorVersion())
        .arg(version.microVersion());
}

void frmAbout::Form_Load()
{
    GuardedVoid("Form_Load", [&] {
        QString product = T(1);
        if (product.isEmpty())
            product = QStringLiteral("Quillbook");
        setWindowTitle(T(200) + QLatin1Char(' ') + product);
        lblTitle->setText(product);
        lblVersion->setText(T(201) + QLatin1Char(' ') + Version());
        lblDescription->setText(T(203));
        lblNotice->setText(QStringLiteral("Copyright 2026 The Quillbook developers."));
        lblHelp->setText(T(204));
        Picture1->setAccessibleName(product);
    });
}

void frmAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    cmdOK->setFocus(Qt::OtherFocusReason);
}
