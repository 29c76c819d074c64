#pragma once

#include <QString>

class QLineEdit;
class QPlainTextEdit;

// What the forms' text boxes share: a length limit never leaves half a character,
// a multi-line box counts a line break as the two characters it is stored as
// (CR LF), and a value the program puts into a box is never cut by its limit.
namespace TextBoxes {

// Removes the half of a character (a surrogate pair) that the box's own length
// limit cut off from typed or pasted text.
void keepWholeCharacters(QLineEdit *edit);

// The text of a multi-line box in its stored form (line breaks as CR LF), every
// other character exactly as it is in the box (no-break spaces included).
QString storedText(const QPlainTextEdit *edit);
// Puts a stored text into a multi-line box whole: a longer text than the box's
// limit raises the limit to its length.
void setStoredText(QPlainTextEdit *edit, const QString &text);

// The length of a box's text as stored: a line break counts two.
int storedLength(const QString &boxText);

// Typing or pasting into the box stops at `limit` stored characters: what was
// just added is cut back, whole characters only; the text already there is kept.
void limitStoredLength(QPlainTextEdit *edit, int limit);

} // namespace TextBoxes
