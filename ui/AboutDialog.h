#pragma once
#include <QDialog>

// "About ORXBoot": the application icon, the version line, our picture and OK.
class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* pParent);
};

// Shows the box modally over pParent.
void ShowAboutBox(QWidget* pParent);
