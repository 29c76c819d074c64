#include "data/Mailto.h"

#include <QUrl>

namespace {

// Only unreserved characters (letters, digits, "-._~") and `keep` stay literal.
QString encode(const QString &text, const QByteArray &keep = {})
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, keep));
}

QString decode(QStringView text)
{
    return QUrl::fromPercentEncoding(text.toLatin1());
}

} // namespace

namespace Mailto {

QString build(const MailMessage &message)
{
    QString address = QStringLiteral("mailto:") + encode(message.to, "@,")
                      + QStringLiteral("?subject=") + encode(message.subject);
    if (message.hasBody)
        address += QStringLiteral("&body=") + encode(message.body);
    return address;
}

MailMessage parse(const QString &address)
{
    MailMessage message;
    QStringView rest(address);
    if (rest.startsWith(u"mailto:", Qt::CaseInsensitive))
        rest = rest.mid(7);

    const qsizetype question = rest.indexOf(u'?');
    message.to = decode(rest.left(question < 0 ? rest.size() : question));
    if (question < 0)
        return message;

    for (QStringView field : rest.mid(question + 1).split(u'&')) {
        const qsizetype equals = field.indexOf(u'=');
        const QStringView name = field.left(equals < 0 ? field.size() : equals);
        const QString value = equals < 0 ? QString() : decode(field.mid(equals + 1));
        if (name.compare(u"subject", Qt::CaseInsensitive) == 0) {
            message.subject = value;
        } else if (name.compare(u"body", Qt::CaseInsensitive) == 0) {
            message.body = value;
            message.hasBody = true;
        }
    }
    return message;
}

} // namespace Mailto
