#pragma once

#include <QLineEdit>
#include <functional>

// A masked edit box: an optional input mask ("##/##/####": '#' is a digit), a
// display format applied to numeric text while the box does not have the focus
// ("#0.00", "$##.00", ...), a maximum length for typing (text the program sets
// and the formatted amount are never cut by it), and a key filter that can
// discard typed characters. Text() is the displayed text.
class MaskedEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit MaskedEdit(QWidget *parent = nullptr);

    void setMask(const QString &mask);
    void setDisplayFormat(const QString &format);
    QString displayFormat() const { return m_format; }
    // The filter sees each typed character (Backspace as character 8) and returns
    // false to discard it. The Delete key and pasting are not typed characters.
    void setKeyFilter(std::function<bool(QChar)> filter);

    QString Text() const { return text(); }
    // Sets the text; while the box has no focus the display format applies.
    void setText(const QString &text);

protected:
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void applyFormat();

    QString m_format;
    std::function<bool(QChar)> m_filter;
};
