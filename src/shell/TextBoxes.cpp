#include "shell/TextBoxes.h"

#include "data/TextRules.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <limits>
#include <memory>

namespace TextBoxes {
namespace {

// The limit of a multi-line box, kept on the box so that filling it can raise it.
constexpr const char *LimitProperty = "storedLengthLimit";

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

int storedWidth(QChar c)
{
    return isLineBreak(c) ? 2 : 1;
}

// The box's characters as the document holds them, one per cursor position.
QString rawText(const QPlainTextEdit *edit)
{
    return edit->document()->toRawText();
}

// Moves `end` back over whole characters (a surrogate pair is one) until `excess`
// stored characters are gone or `begin` is reached; returns the new end.
int cutBack(const QString &text, int begin, int end, int &excess)
{
    while (excess > 0 && end > begin) {
        const bool pair = end - 2 >= begin && text.at(end - 1).isLowSurrogate() && text.at(end - 2).isHighSurrogate();
        const int width = pair ? 2 : 1;
        excess -= storedWidth(text.at(end - 1)) + width - 1;
        end -= width;
    }
    return end;
}

void removeRange(QPlainTextEdit *edit, int from, int to)
{
    if (from >= to)
        return;
    QTextCursor cursor(edit->document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    // One undo step with the edit that went past the limit.
    cursor.joinPreviousEditBlock();
    cursor.removeSelectedText();
    cursor.endEditBlock();
}

} // namespace

void keepWholeCharacters(QLineEdit *edit)
{
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit] {
        const QString text = edit->text();
        const QString whole = TextRules::withoutBrokenCharacters(text);
        if (whole == text)
            return;
        qsizetype broken = 0;
        while (broken < whole.size() && whole.at(broken) == text.at(broken))
            ++broken;
        const int cursor = edit->cursorPosition();
        edit->setSelection(int(broken), 1);
        edit->del(); // changes the text again: any further half is removed then
        edit->setCursorPosition(cursor > broken ? cursor - 1 : cursor);
    });
}

QString storedText(const QPlainTextEdit *edit)
{
    QString text = rawText(edit);
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    text.replace(QChar::LineSeparator, QLatin1String("\r\n"));
    return text;
}

void setStoredText(QPlainTextEdit *edit, const QString &text)
{
    const QVariant limit = edit->property(LimitProperty);
    if (limit.isValid())
        edit->setProperty(LimitProperty, std::numeric_limits<int>::max());
    edit->setPlainText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    // The limit rises to the text as the box holds it, however its line breaks were written.
    if (limit.isValid())
        edit->setProperty(LimitProperty, std::max(limit.toInt(), storedLength(rawText(edit))));
}

int storedLength(const QString &boxText)
{
    int length = 0;
    for (QChar c : boxText)
        length += storedWidth(c);
    return length;
}

void limitStoredLength(QPlainTextEdit *edit, int limit)
{
    edit->setProperty(LimitProperty, limit);
    // Where the last change added its text; the document reports it before the
    // box reports the change.
    auto added = std::make_shared<std::pair<int, int>>(0, 0);
    QObject::connect(edit->document(), &QTextDocument::contentsChange, edit,
                     [added](int position, int, int charsAdded) { *added = {position, position + charsAdded}; });
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit, added] {
        const QString text = rawText(edit);
        int excess = storedLength(text) - edit->property(LimitProperty).toInt();
        if (excess <= 0)
            return;
        const int size = int(text.size());
        const int end = std::clamp(added->second, 0, size);
        const int begin = std::clamp(added->first, 0, end);
        // What was just added goes first; a text that was over the limit already
        // loses its end, then what precedes the change.
        const int keptEnd = cutBack(text, begin, end, excess);
        const int tail = cutBack(text, end, size, excess);
        const int head = cutBack(text, 0, begin, excess);
        removeRange(edit, tail, size);
        removeRange(edit, keptEnd, end);
        removeRange(edit, head, begin);
    });
}

} // namespace TextBoxes
