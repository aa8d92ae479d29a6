#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Help > About: the program's name, version and purpose, with its icon.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // The version as major.minor.revision.
    static QString Version();

    QLabel* Picture1 = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblNotice = nullptr;
    QLabel* lblHelp = nullptr;
    QPushButton* cmdOK = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
};
