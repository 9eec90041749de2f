#pragma once

#include <QDialog>

// The About box: the program's name and version, who issues it and whom to
// ask. Modal; cmdOK closes it.
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget *parent = nullptr);
};
