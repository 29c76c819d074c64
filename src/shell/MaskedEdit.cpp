#include "shell/MaskedEdit.h"

#include "data/TextRules.h"
#include "shell/TextBoxes.h"

#include <QKeyEvent>

MaskedEdit::MaskedEdit(QWidget *parent) : QLineEdit(parent)
{
    TextBoxes::keepWholeCharacters(this);
}

void MaskedEdit::setMask(const QString &mask)
{
    // '#' is a digit place; other characters are literals (escaped for Qt).
    QString qtMask;
    for (QChar c : mask) {
        if (c == QLatin1Char('#'))
            qtMask += QLatin1Char('0');
        else if (QStringLiteral("AaNnXx90Dd#HhBb><![]{}\\;").contains(c))
            qtMask += QLatin1Char('\\') + c;
        else
            qtMask += c;
    }
    setInputMask(mask.isEmpty() ? QString() : qtMask + QStringLiteral(";_"));
}

void MaskedEdit::setDisplayFormat(const QString &format)
{
    m_format = format;
    if (!hasFocus())
        applyFormat();
}

void MaskedEdit::setKeyFilter(std::function<bool(QChar)> filter)
{
    m_filter = std::move(filter);
}

void MaskedEdit::setText(const QString &text)
{
    if (text.size() > maxLength())
        setMaxLength(int(text.size()));
    QLineEdit::setText(text);
    if (!hasFocus())
        applyFormat();
}

void MaskedEdit::applyFormat()
{
    if (m_format.isEmpty() || !inputMask().isEmpty())
        return;
    const std::optional<QString> formatted = TextRules::formatText(text(), m_format);
    if (!formatted)
        return;
    // The length limit is for typing: the formatted amount is shown whole, so
    // the box never holds a shortened number.
    if (formatted->size() > maxLength())
        setMaxLength(int(formatted->size()));
    QLineEdit::setText(*formatted);
}

void MaskedEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    applyFormat();
}

void MaskedEdit::keyPressEvent(QKeyEvent *event)
{
    if (m_filter && !isReadOnly() && event->key() != Qt::Key_Delete) {
        QChar typed;
        if (event->key() == Qt::Key_Backspace)
            typed = QChar(8);
        else if (!event->text().isEmpty() && event->text().at(0).isPrint())
            typed = event->text().at(0);
        if (!typed.isNull() && !(event->modifiers() & Qt::ControlModifier) && !m_filter(typed)) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}
