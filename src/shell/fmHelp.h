#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The help screen: six read-only texts, one per area of the program, and Exit.
class fmHelp : public QDialog
{
    Q_OBJECT
public:
    explicit fmHelp(QWidget *parent = nullptr);

    // The texts exactly as shown (lines end with CR LF; the Exit text is one line).
    static QString custText();
    static QString invText();
    static QString ordText();
    static QString bookText();
    static QString adminText();
    static QString exitText();

private slots:
    void cmExit_Click();
};
