#include "package/ui/frmEncryption.h"

#include "app/core/AppPaths.h"
#include "app/core/ErrorConvention.h"
#include "package/KeyStore.h"
#include "package/modDecrypt.h"
#include "settings/modLanguage.h"
#include "settings/ui/FormLanguage.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {
constexpr int ProgressName = 129;
}

frmEncryption::frmEncryption(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEncryption"));
    setModal(false);
    lblDecrypting = new QLabel(this);
    lblDecrypting->setObjectName(QStringLiteral("lblDecrypting"));
    lblDecrypting->setWordWrap(true);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(1, 100);
    ProgressBar1->setTextVisible(false); // the label below says it, once per tenth
    lblPercentage = new QLabel(this);
    lblPercentage->setObjectName(QStringLiteral("lblPercentage"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblDecrypting);
    layout->addWidget(ProgressBar1);
    layout->addWidget(lblPercentage);
    setMinimumWidth(360);
}

void frmEncryption::Form_Load()
{
    GuardedVoid("Form_Load", [&] {
        SetStep(QStringLiteral("Apply the language texts"));
        if (!m_textsApplied) {
            m_textsApplied = true;
            FormLanguage(objectName(), this);
            ProgressBar1->setAccessibleName(T(ProgressName));
            setAccessibleName(windowTitle());
        }
        ProgressBar1->reset();
        lblPercentage->clear();
        SetStep(QStringLiteral("Show the window"));
        show();
        raise();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
}

void frmEncryption::Form_Unload()
{
    close();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool frmEncryption::DecryptFile(const QString& path, bool addOnly)
{
    Q_UNUSED(addOnly);
    KeyStore keys;
    return DecryptFile(path, AppPaths::TempDir() + QStringLiteral("/_"), keys);
}

bool frmEncryption::DecryptFile(const QString& path, const QString& outputPath, KeyStore& keys)
{
    bool ok = false;
    GuardedVoid("DecryptFile", [&] {
        Form_Load();
        SetStep(QStringLiteral("Decrypt the package"));
        ok = DecryptPackage(path, outputPath, keys, [this](int percent) { oEncrypt_Progress(int16_t(percent)); })
                 .ok();
    });
    Form_Unload();
    return ok;
}

void frmEncryption::oEncrypt_Progress(int16_t percent)
{
    ProgressBar1->setValue(percent);
    if (percent % 10 == 0) {
        lblPercentage->setText(QString::number(percent) + QStringLiteral(" %"));
        repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}
