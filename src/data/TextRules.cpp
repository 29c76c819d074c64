#include "data/TextRules.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace TextRules {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Reads an unsigned amount: "1,234.50", ".5", "7."; a comma must sit between two
// digits of the whole part.
bool readDigits(QStringView s, QString &whole, QString &fraction)
{
    qsizetype i = 0;
    for (; i < s.size() && (isDigit(s[i]) || s[i] == u','); ++i) {
        if (s[i] != u',')
            whole += s[i];
        else if (whole.isEmpty() || i + 1 >= s.size() || !isDigit(s[i + 1]))
            return false;
    }
    if (i < s.size() && s[i] == u'.') {
        for (++i; i < s.size() && isDigit(s[i]); ++i)
            fraction += s[i];
    }
    return i == s.size() && (!whole.isEmpty() || !fraction.isEmpty());
}

// Reads an amount with an optional "$" and, when allowed, one sign before or after it.
bool readAmount(QStringView s, bool allowSign, bool &negative, QString &whole, QString &fraction)
{
    bool signSeen = !allowSign;
    const auto takeSign = [&] {
        if (!signSeen && !s.isEmpty() && (s[0] == u'-' || s[0] == u'+')) {
            negative = s[0] == u'-';
            signSeen = true;
            s = s.mid(1).trimmed();
        }
    };
    takeSign();
    if (!s.isEmpty() && s[0] == u'$')
        s = s.mid(1).trimmed();
    takeSign();
    return readDigits(s, whole, fraction);
}

// Parsed pieces of one section of a display format.
struct Section
{
    QString prefix;
    QString suffix;
    int minWholeDigits = 0;
    int decimals = 0;
    bool grouping = false;
    bool point = false;
};

bool isPlaceholder(QChar c)
{
    return c == u'0' || c == u'#';
}

// Splits a section into literal text around the number and the number's layout.
// Literals between the digit placeholders are not supported and are dropped.
Section parseSection(QStringView p)
{
    Section s;
    qsizetype start = 0;
    while (start < p.size() && !isPlaceholder(p[start]) && p[start] != u'.')
        ++start;
    qsizetype end = p.size() - 1;
    while (end > start && !isPlaceholder(p[end]))
        --end;
    s.prefix = p.left(start).toString();
    s.suffix = p.mid(end + 1).toString();

    int wholeCount = 0;
    int firstZero = -1;
    bool commaPending = false;
    for (qsizetype i = start; i <= end && i < p.size(); ++i) {
        const QChar c = p[i];
        if (c == u'.' && !s.point) {
            s.point = true;
        } else if (isPlaceholder(c) && s.point) {
            ++s.decimals;
        } else if (isPlaceholder(c)) {
            if (c == u'0' && firstZero < 0)
                firstZero = wholeCount;
            s.grouping = s.grouping || commaPending;
            ++wholeCount;
        } else if (c == u',' && !s.point && wholeCount > 0) {
            commaPending = true;
        }
    }
    s.minWholeDigits = firstZero < 0 ? 0 : wholeCount - firstZero;
    return s;
}

// A magnitude rounded to a number of decimals: whole digits without leading zeros.
struct Digits
{
    QString whole;
    QString fraction;
    bool zero = true;
};

QString render(const Section &s, const Digits &d)
{
    QString whole = d.whole.rightJustified(s.minWholeDigits, u'0');
    if (s.grouping) {
        for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
            whole.insert(at, u',');
    }
    QString out = s.prefix + whole;
    if (s.point)
        out += u'.' + d.fraction;
    return out + s.suffix;
}

// Rounds decimal digits halves away from zero, exactly on the text.
Digits roundDigits(const QString &whole, const QString &fraction, int decimals)
{
    const bool up = fraction.size() > decimals && fraction[decimals] >= u'5';
    QString digits = whole + fraction.left(decimals).leftJustified(decimals, u'0');
    for (qsizetype i = digits.size() - 1; up && i >= 0; --i) {
        if (digits[i] != u'9') {
            digits[i] = QChar(digits[i].unicode() + 1);
            break;
        }
        digits[i] = u'0';
        if (i == 0)
            digits.prepend(u'1');
    }
    Digits d;
    d.fraction = digits.right(decimals);
    d.whole = digits.left(digits.size() - decimals);
    qsizetype lead = 0;
    while (lead < d.whole.size() && d.whole[lead] == u'0')
        ++lead;
    d.whole = d.whole.mid(lead);
    d.zero = std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c == u'0'; });
    return d;
}

// Formats a magnitude given as decimal digits, with its sign, by the pattern's sections.
QString formatDigits(bool negative, const QString &whole, const QString &fraction,
                     const QString &pattern)
{
    const QStringList sections = pattern.split(u';');
    const bool ownNegative = negative && sections.size() > 1;
    Section section = parseSection(sections.at(ownNegative ? 1 : 0));
    const Digits digits = roundDigits(whole, fraction, section.decimals);
    if (digits.zero) {
        section = parseSection(sections.at(0));
        return render(section, roundDigits(QString(), QString(), section.decimals));
    }
    const QString text = render(section, digits);
    return negative && !ownNegative ? u'-' + text : text;
}

} // namespace

std::optional<QString> plainNumber(const QString &text)
{
    QStringView s = QStringView(text).trimmed();
    bool negative = false;
    QString whole;
    QString fraction;
    if (s.size() >= 2 && s.front() == u'(' && s.back() == u')') {
        if (!readAmount(s.mid(1, s.size() - 2).trimmed(), false, negative, whole, fraction))
            return std::nullopt;
        negative = true;
    } else if (!readAmount(s, true, negative, whole, fraction)) {
        return std::nullopt;
    }

    qsizetype lead = 0;
    while (lead < whole.size() && whole[lead] == u'0')
        ++lead;
    whole = whole.mid(lead);
    while (!fraction.isEmpty() && fraction.back() == u'0')
        fraction.chop(1);
    if (whole.isEmpty() && fraction.isEmpty())
        return QStringLiteral("0");
    QString out = negative ? QStringLiteral("-") : QString();
    out += whole.isEmpty() ? QStringLiteral("0") : whole;
    if (!fraction.isEmpty())
        out += u'.' + fraction;
    return out;
}

bool isNumeric(const QString &text)
{
    return toNumber(text).has_value();
}

std::optional<double> toNumber(const QString &text)
{
    const std::optional<QString> plain = plainNumber(text);
    if (!plain)
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(*plain, &ok);
    // A fraction too small for a double underflows; it reads as 0, as money does.
    if (!ok && (plain->startsWith(u"0.") || plain->startsWith(u"-0.")))
        return 0.0;
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint64> toWholeNumber(const QString &text)
{
    const QString s = text.trimmed();
    const qsizetype digitsAt = s.startsWith(u'-') || s.startsWith(u'+') ? 1 : 0;
    if (s.size() == digitsAt)
        return std::nullopt;
    for (qsizetype i = digitsAt; i < s.size(); ++i) {
        if (!isDigit(s[i]))
            return std::nullopt;
    }
    bool ok = false;
    const qint64 value = QLocale::c().toLongLong(s, &ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

QString format(Money value, const QString &pattern)
{
    if (pattern.isEmpty())
        return shortest(value.toDouble());
    const bool negative = value.units() < 0;
    // Unsigned negation keeps the magnitude of the most negative count exact.
    const quint64 magnitude = negative ? 0 - quint64(value.units()) : quint64(value.units());
    return formatDigits(negative, QString::number(magnitude / Money::UnitsPerDollar),
                        QString::number(magnitude % Money::UnitsPerDollar).rightJustified(4, u'0'),
                        pattern);
}

// Rounds on the shortest decimal text that reads back as the same double, so 12.345
// rounds as typed and 12.344999 is rounded once, not first to four decimals.
QString format(double value, const QString &pattern)
{
    if (pattern.isEmpty() || !std::isfinite(value))
        return shortest(value);
    const QString plain = QString::number(std::fabs(value), 'f', QLocale::FloatingPointShortest);
    const qsizetype point = plain.indexOf(u'.');
    return formatDigits(value < 0, point < 0 ? plain : plain.left(point),
                        point < 0 ? QString() : plain.mid(point + 1), pattern);
}

std::optional<QString> formatText(const QString &text, const QString &pattern)
{
    const std::optional<QString> plain = plainNumber(text);
    if (!plain)
        return std::nullopt;
    if (pattern.isEmpty())
        return *plain;
    const bool negative = plain->startsWith(u'-');
    const QString digits = negative ? plain->mid(1) : *plain;
    const qsizetype point = digits.indexOf(u'.');
    return formatDigits(negative, point < 0 ? digits : digits.left(point),
                        point < 0 ? QString() : digits.mid(point + 1), pattern);
}

// Fifteen significant digits written out in full, so no exponent up to 1e15.
QString shortest(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    if (!std::isfinite(value))
        return QString::number(value);
    const QString scientific = QString::number(value, 'e', 14);
    const qsizetype e = scientific.indexOf(u'e');
    const int exponent = scientific.mid(e + 1).toInt();
    if (exponent > 15 || exponent < -15)
        return QString::number(value, 'g', 15);

    QString digits = scientific.left(e);
    digits.remove(u'-');
    digits.remove(u'.');
    while (digits.size() > 1 && digits.back() == u'0')
        digits.chop(1);
    QString out;
    if (exponent < 0)
        out = QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
    else if (digits.size() <= exponent + 1)
        out = digits + QString(exponent + 1 - digits.size(), u'0');
    else
        out = digits.left(exponent + 1) + u'.' + digits.mid(exponent + 1);
    return value < 0 ? u'-' + out : out;
}

QString printerNumber(double value)
{
    return (value < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + shortest(std::fabs(value))
           + u' ';
}

std::optional<qint16> toInt16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return qint16(rounded);
}

std::optional<QDate> parseUsDate(const QString &text)
{
    static const QRegularExpression us(QStringLiteral("^([0-9]{1,2})/([0-9]{1,2})/([0-9]{4})$"));
    const QRegularExpressionMatch m = us.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const int year = m.captured(3).toInt();
    const QDate date(year, m.captured(1).toInt(), m.captured(2).toInt());
    if (year < 100 || !date.isValid())
        return std::nullopt;
    return date;
}

QString toUsDate(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return QStringLiteral("%1/%2/%3")
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString toStoredDate(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return QStringLiteral("%1-%2-%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QDate fromStoredDate(const QString &text)
{
    static const QRegularExpression stored(QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})$"));
    const QRegularExpressionMatch m = stored.match(text.trimmed());
    if (!m.hasMatch())
        return QDate();
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    return date.isValid() ? date : QDate();
}

QString invalidDateMessage(const QString &typed)
{
    return typed + QStringLiteral(" is not a valid date.  Please enter the date as mm/dd/yyyy.");
}

qsizetype wholeCharacterLength(const QString &text, qsizetype length)
{
    if (length <= 0)
        return 0;
    if (length >= text.size())
        return text.size();
    return text.at(length - 1).isHighSurrogate() && text.at(length).isLowSurrogate() ? length - 1 : length;
}

QString withoutBrokenCharacters(const QString &text)
{
    QString whole;
    whole.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            whole += c;
            whole += text.at(++i);
        } else if (!c.isSurrogate()) {
            whole += c;
        }
    }
    return whole;
}

} // namespace TextRules
