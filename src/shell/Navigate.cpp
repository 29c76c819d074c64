#include "shell/Navigate.h"

#include <QDesktopServices>
#include <QUrl>

bool Navigate(const QString &address)
{
    // The address is already percent-encoded; StrictMode keeps QUrl from
    // "repairing" it, so the mail program receives exactly these bytes.
    const QUrl url = QUrl::fromEncoded(address.toUtf8(), QUrl::StrictMode);
    if (!url.isValid() || url.toString(QUrl::FullyEncoded) != address)
        return false;
    return QDesktopServices::openUrl(url);
}

bool Navigate(const MailMessage &message)
{
    return Navigate(Mailto::build(message));
}
