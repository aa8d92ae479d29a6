#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>

class KeyStore;
class QLabel;
class QProgressBar;

// The decryption window: shown, modeless, while an encrypted package is
// decrypted into the working folder, with a progress bar and the percentage in
// steps of ten. The passphrase questions go through the Prompter.
class frmEncryption : public QDialog {
    Q_OBJECT
public:
    explicit frmEncryption(QWidget* parent = nullptr);

    // Decrypts the package at path to the working folder's file "_"; true when
    // that file is complete. addOnly is the document-opening flag, left as it is.
    bool DecryptFile(const QString& path, bool addOnly);
    // The same into outputPath, with the given key store.
    bool DecryptFile(const QString& path, const QString& outputPath, KeyStore& keys);

    // Progress of the decryption in percent: the bar follows it, the label shows
    // it at every multiple of ten, and the window is repainted then.
    void oEncrypt_Progress(int16_t percent);

    QLabel* lblDecrypting = nullptr;
    QLabel* lblPercentage = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

private:
    void Form_Load();
    void Form_Unload();

    bool m_textsApplied = false;
};
