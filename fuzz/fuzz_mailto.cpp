// The mailto: encoder: the address Mailto::build writes is plain ASCII with only
// the characters an address may hold, and read back (Mailto::parse) it gives the
// recipients, subject and body exactly. Any address read and written again reads
// the same.

#include "FuzzSupport.h"

#include "data/Mailto.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

namespace {

using FuzzSupport::printText;

void reportMessage(const char *label, const MailMessage &m)
{
    std::fprintf(stderr, "  %s (has body: %d)\n", label, m.hasBody ? 1 : 0);
    printText("to", m.to);
    printText("subject", m.subject);
    printText("body", m.body);
}

bool sameMessage(const MailMessage &a, const MailMessage &b)
{
    return a.to == b.to && a.subject == b.subject && a.hasBody == b.hasBody && (!a.hasBody || a.body == b.body);
}

bool allowedInAddress(QChar c)
{
    // Unreserved characters, the escapes, the separators of the parts, and the
    // "@" and "," the recipients keep.
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
           || QStringView(u"-._~%:?=&@,").contains(c);
}

void checkBuilt(const MailMessage &message)
{
    const QString address = Mailto::build(message);
    const MailMessage back = Mailto::parse(address);
    const auto report = [&] {
        reportMessage("message", message);
        printText("address", address);
        reportMessage("read back", back);
    };
    FUZZ_CHECK(address.startsWith(u"mailto:"), report());
    FUZZ_CHECK(std::all_of(address.cbegin(), address.cend(), allowedInAddress), report());
    // One "?" before the subject, one "&" before the body, none elsewhere.
    FUZZ_CHECK(address.count(u'?') == 1, report());
    FUZZ_CHECK(address.count(u'&') == (message.hasBody ? 1 : 0), report());
    FUZZ_CHECK(address.count(u':') == 1, report());
    FUZZ_CHECK(sameMessage(back, message), report());
}

// Whatever an address holds, its parts written again read the same.
void checkRead(const QString &address)
{
    const MailMessage message = Mailto::parse(address);
    const MailMessage again = Mailto::parse(Mailto::build(message));
    FUZZ_CHECK(sameMessage(again, message),
               (printText("address", address), reportMessage("read", message), reportMessage("again", again)));
}

QString text(FuzzedDataProvider &input)
{
    const std::string bytes = input.ConsumeRandomLengthString(2000);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool()) {
        checkRead(text(input));
        return 0;
    }
    MailMessage message;
    message.hasBody = input.ConsumeBool();
    message.to = text(input);
    message.subject = text(input);
    if (message.hasBody)
        message.body = text(input);
    checkBuilt(message);
    return 0;
}
