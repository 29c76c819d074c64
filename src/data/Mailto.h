#pragma once

#include <QString>
#include <QStringList>

// A message for the desktop's mail program, and its mailto: address.
struct MailMessage
{
    QString to;       // recipients as the screen built them, e.g. "a@x.com, b@y.org"
    QString subject;
    QString body;     // line breaks as CR LF
    bool hasBody = false;  // "?subject=" alone when false; "&body=" follows when true
};

namespace Mailto {

// "mailto:" + to + "?subject=" + subject [+ "&body=" + body], each part
// percent-encoded so that characters with a meaning in an address ("#", "&",
// "?", "%", blanks, line breaks, non-ASCII) reach the mail program unchanged.
// "@" and the "," between recipients stay as they are.
QString build(const MailMessage &message);

// The inverse of build(): the parts decoded back. Used by tests and by nothing
// else that trusts foreign input.
MailMessage parse(const QString &address);

} // namespace Mailto
