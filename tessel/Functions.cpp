// The functions an expression may call: the 78 of the expression builder's catalogue.

#include "core/Error.h"
#include "core/NumberText.h"
#include "tessel/ExpressionValue_p.h"

#include <QLocale>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace tessel::detail {

namespace {

constexpr double longMin = -2147483648.0;
constexpr double longMax = 2147483647.0;

QString argName(int i)
{
    static const char *const ordinals[] = {"first", "second", "third", "fourth", "fifth", "sixth"};
    return QStringLiteral("the %1 argument").arg(QLatin1String(ordinals[std::min(i, 5)]));
}

double num(Call &c, int i)
{
    return toNumber(c.arg(i));
}

QString text(Call &c, int i)
{
    return toText(c.arg(i));
}

double whole(Call &c, int i, double low, double high)
{
    return toWhole(c.arg(i), low, high, argName(i));
}

// An argument that may be left out: missing or Empty gives the fallback.
double optionalWhole(Call &c, int i, double fallback, double low, double high)
{
    return c.has(i) && c.arg(i).kind != Kind::Empty ? whole(c, i, low, high) : fallback;
}

bool optionalFlag(Call &c, int i, bool fallback)
{
    return c.has(i) && c.arg(i).kind != Kind::Empty ? toBoolean(c.arg(i)) : fallback;
}

// The comparison argument: 0 compares exactly, 1 ignores case.
Qt::CaseSensitivity compareMode(Call &c, int i)
{
    return optionalWhole(c, i, 0, 0, 1) == 1 ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

// A conversion to a whole subtype: rounded half to even; out of range is an overflow.
Value convertWhole(const Value &v, Kind kind, double low, double high)
{
    const double rounded = std::nearbyint(toNumber(v));
    if (!(rounded >= low && rounded <= high))
        fail(QStringLiteral("overflow: %1 is outside the range of a %2 (%3 to %4)")
                 .arg(quote(v), kindName(kind), tabulon::platform::numberToText(low, u'.'),
                      tabulon::platform::numberToText(high, u'.')));
    return Value::of(kind, rounded);
}

// The kind that a numeric function keeps: whole and currency subtypes stay, the rest is Double.
Kind numericKind(const Value &v)
{
    switch (v.kind) {
    case Kind::Byte:
    case Kind::Integer:
    case Kind::Long:
    case Kind::Currency:
    case Kind::Single:
    case Kind::Double:
        return v.kind;
    case Kind::Empty:
    case Kind::Boolean:
        return Kind::Integer;
    default:
        return Kind::Double;
    }
}

// ----- Dates

DateTime dateArg(Call &c, int i)
{
    return dateTimeOf(toDate(c.arg(i)));
}

// Day of the week counted from Sunday = 1, as the functions give it.
int sundayBased(const QDate &d)
{
    return d.dayOfWeek() % 7 + 1;
}

// The first-day-of-week argument: 1 (Sunday) to 7 (Saturday), 0 for the locale's.
int firstDayOfWeek(Call &c, int i)
{
    const int day = int(optionalWhole(c, i, 1, 0, 7));
    if (day != 0) return day;
    return QLocale().firstDayOfWeek() % 7 + 1;
}

int weekday(const QDate &d, int firstDay)
{
    return (sundayBased(d) - firstDay + 7) % 7 + 1;
}

QDate weekStart(const QDate &d, int firstDay)
{
    return d.addDays(1 - weekday(d, firstDay));
}

// The first day of week 1 of a year: the week of 1 January (rule 1), the first week with at
// least four days in the year (rule 2), or the first full week (rule 3).
QDate firstWeek(int year, int firstDay, int rule)
{
    const QDate january1(year, 1, 1);
    const QDate start = weekStart(january1, firstDay);
    if (rule == 2) return start.daysTo(january1) > 3 ? start.addDays(7) : start;
    if (rule == 3) return start == january1 ? start : start.addDays(7);
    return start;
}

int weekOfYear(const QDate &d, int firstDay, int rule)
{
    QDate start = firstWeek(d.year(), firstDay, rule);
    if (d < start) start = firstWeek(d.year() - 1, firstDay, rule);
    return int(start.daysTo(d) / 7) + 1;
}

// Seconds since the base date, for the intervals of hours, minutes and seconds.
double absoluteSeconds(double serial)
{
    const DateTime dt = dateTimeOf(serial);
    return double(QDate(1899, 12, 30).daysTo(dt.date)) * 86400 +
           dt.time.msecsSinceStartOfDay() / 1000;
}

Value fromAbsoluteSeconds(double seconds)
{
    const double days = std::floor(seconds / 86400);
    if (!(days > -1e6 && days < 1e7))
        fail(QStringLiteral("overflow: the date lies outside the years 100 to 9999"));
    const int rest = int(seconds - days * 86400);
    return checkedDate(
        serialOf(QDate(1899, 12, 30).addDays(qint64(days)), QTime(0, 0).addSecs(rest)));
}

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

Interval interval(Call &c, int i)
{
    const QString t = text(c, i).trimmed().toLower();
    static const std::pair<const char16_t *, Interval> names[] = {
        {u"yyyy", Interval::Year},   {u"q", Interval::Quarter}, {u"m", Interval::Month},
        {u"y", Interval::DayOfYear}, {u"d", Interval::Day},     {u"w", Interval::Weekday},
        {u"ww", Interval::Week},     {u"h", Interval::Hour},    {u"n", Interval::Minute},
        {u"s", Interval::Second}};
    for (const auto &[name, value] : names)
        if (t == QStringView(name)) return value;
    fail(QStringLiteral("%1 is not an interval; use \"yyyy\", \"q\", \"m\", \"y\", \"d\", "
                        "\"w\", \"ww\", \"h\", \"n\" or \"s\"")
             .arg(quote(c.arg(i))));
}

Value fDateAdd(Call &c)
{
    const Interval unit = interval(c, 0);
    const double n = whole(c, 1, -1e9, 1e9);
    const double serial = toDate(c.arg(2));
    const DateTime dt = dateTimeOf(serial);
    const auto onDate = [&](const QDate &d) {
        if (!d.isValid())
            fail(QStringLiteral("overflow: the date lies outside the years 100 to 9999"));
        return checkedDate(serialOf(d, dt.time));
    };
    const auto months = [&](double count) {
        if (std::fabs(count) > 200000)
            fail(QStringLiteral("overflow: the date lies outside the years 100 to 9999"));
        return onDate(dt.date.addMonths(int(count)));
    };
    switch (unit) {
    case Interval::Year:
        return months(n * 12);
    case Interval::Quarter:
        return months(n * 3);
    case Interval::Month:
        return months(n);
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday:
        return fromAbsoluteSeconds(absoluteSeconds(serial) + n * 86400);
    case Interval::Week:
        return fromAbsoluteSeconds(absoluteSeconds(serial) + n * 7 * 86400);
    case Interval::Hour:
        return fromAbsoluteSeconds(absoluteSeconds(serial) + n * 3600);
    case Interval::Minute:
        return fromAbsoluteSeconds(absoluteSeconds(serial) + n * 60);
    case Interval::Second:
        return fromAbsoluteSeconds(absoluteSeconds(serial) + n);
    }
    return {};
}

Value fDateDiff(Call &c)
{
    const Interval unit = interval(c, 0);
    const double s1 = toDate(c.arg(1));
    const double s2 = toDate(c.arg(2));
    const int firstDay = firstDayOfWeek(c, 3);
    optionalWhole(c, 4, 1, 0, 3); // checked; week-of-year rules do not change a difference
    const QDate d1 = dateTimeOf(s1).date;
    const QDate d2 = dateTimeOf(s2).date;
    double r = 0;
    switch (unit) {
    case Interval::Year:
        r = d2.year() - d1.year();
        break;
    case Interval::Quarter:
        r = (d2.year() * 4 + (d2.month() - 1) / 3) - (d1.year() * 4 + (d1.month() - 1) / 3);
        break;
    case Interval::Month:
        r = (d2.year() * 12 + d2.month()) - (d1.year() * 12 + d1.month());
        break;
    case Interval::DayOfYear:
    case Interval::Day:
        r = double(d1.daysTo(d2));
        break;
    case Interval::Weekday:
        r = std::trunc(double(d1.daysTo(d2)) / 7);
        break;
    case Interval::Week:
        r = double(weekStart(d1, firstDay).daysTo(weekStart(d2, firstDay)) / 7);
        break;
    case Interval::Hour:
        r = std::floor(absoluteSeconds(s2) / 3600) - std::floor(absoluteSeconds(s1) / 3600);
        break;
    case Interval::Minute:
        r = std::floor(absoluteSeconds(s2) / 60) - std::floor(absoluteSeconds(s1) / 60);
        break;
    case Interval::Second:
        r = absoluteSeconds(s2) - absoluteSeconds(s1);
        break;
    }
    return Value::whole(r);
}

Value fDatePart(Call &c)
{
    const Interval unit = interval(c, 0);
    const DateTime dt = dateArg(c, 1);
    const int firstDay = firstDayOfWeek(c, 2);
    int rule = int(optionalWhole(c, 3, 1, 0, 3));
    if (rule == 0) rule = 1;
    switch (unit) {
    case Interval::Year:
        return Value::whole(dt.date.year());
    case Interval::Quarter:
        return Value::whole((dt.date.month() - 1) / 3 + 1);
    case Interval::Month:
        return Value::whole(dt.date.month());
    case Interval::DayOfYear:
        return Value::whole(dt.date.dayOfYear());
    case Interval::Day:
        return Value::whole(dt.date.day());
    case Interval::Weekday:
        return Value::whole(weekday(dt.date, firstDay));
    case Interval::Week:
        return Value::whole(weekOfYear(dt.date, firstDay, rule));
    case Interval::Hour:
        return Value::whole(dt.time.hour());
    case Interval::Minute:
        return Value::whole(dt.time.minute());
    case Interval::Second:
        return Value::whole(dt.time.second());
    }
    return {};
}

Value fDateSerial(Call &c)
{
    double year = whole(c, 0, -1e6, 1e6);
    const double month = whole(c, 1, -1e6, 1e6);
    const double day = whole(c, 2, -1e7, 1e7);
    // Two-digit years: 0 to 29 are 2000 to 2029, 30 to 99 are 1930 to 1999.
    if (year >= 0 && year <= 29)
        year += 2000;
    else if (year >= 30 && year <= 99)
        year += 1900;
    const double months = year * 12 + (month - 1);
    const double y = std::floor(months / 12);
    if (y < 100 || y > 9999)
        fail(QStringLiteral("overflow: the date lies outside the years 100 to 9999"));
    const QDate first(int(y), int(months - y * 12) + 1, 1);
    return checkedDate(serialOf(first) + (day - 1));
}

Value fTimeSerial(Call &c)
{
    const double seconds =
        whole(c, 0, -1e6, 1e6) * 3600 + whole(c, 1, -1e8, 1e8) * 60 + whole(c, 2, -1e10, 1e10);
    return checkedDate(seconds / 86400);
}

Value fNow(Call &c)
{
    const QDateTime now = c.environment.now();
    const QTime t = now.time();
    return checkedDate(serialOf(now.date(), QTime(t.hour(), t.minute(), t.second())));
}

Value fDate(Call &c)
{
    return checkedDate(serialOf(c.environment.now().date()));
}

Value fTime(Call &c)
{
    const QTime t = c.environment.now().time();
    return Value::of(Kind::Date,
                     serialOf(QDate(1899, 12, 30), QTime(t.hour(), t.minute(), t.second())));
}

Value fTimer(Call &c)
{
    return Value::of(Kind::Single, c.environment.now().time().msecsSinceStartOfDay() / 1000.0);
}

Value fDateValue(Call &c)
{
    return Value::of(Kind::Date, std::trunc(toDate(c.arg(0))));
}

Value fTimeValue(Call &c)
{
    const double serial = toDate(c.arg(0));
    return Value::of(Kind::Date, std::fabs(serial - std::trunc(serial)));
}

Value fIsDate(Call &c)
{
    const Value &v = c.arg(0);
    double serial = 0;
    return Value::boolean(v.kind == Kind::Date || (v.isString() && readDate(v.text, serial)));
}

Value fMonthName(Call &c)
{
    const int month = int(whole(c, 0, 1, 12));
    return Value::string(QLocale().monthName(
        month, optionalFlag(c, 1, false) ? QLocale::ShortFormat : QLocale::LongFormat));
}

Value fWeekday(Call &c)
{
    return Value::whole(weekday(dateArg(c, 0).date, firstDayOfWeek(c, 1)));
}

Value fWeekdayName(Call &c)
{
    const int n = int(whole(c, 0, 1, 7));
    const bool abbreviate = optionalFlag(c, 1, false);
    const int sunday = (n - 1 + firstDayOfWeek(c, 2) - 1) % 7 + 1; // 1 = Sunday
    const int qtDay = sunday == 1 ? 7 : sunday - 1;
    return Value::string(
        QLocale().dayName(qtDay, abbreviate ? QLocale::ShortFormat : QLocale::LongFormat));
}

// ----- Conversions

Value fAsc(Call &c)
{
    const QString t = text(c, 0);
    if (t.isEmpty()) fail(QStringLiteral("the text is empty"));
    return Value::whole(t[0].unicode());
}

Value fChr(Call &c)
{
    const double code = whole(c, 0, 0, 65535);
    if (code >= 0xD800 && code <= 0xDFFF)
        fail(QStringLiteral("%1 is half of a surrogate pair, not a character").arg(code));
    return Value::string(QString(QChar(char16_t(code))));
}

Value fCCur(Call &c)
{
    const double d = toNumber(c.arg(0));
    if (!(std::fabs(d) <= 922337203685477.5807))
        fail(
            QStringLiteral("overflow: %1 is outside the range of a Currency").arg(quote(c.arg(0))));
    return Value::of(Kind::Currency, std::nearbyint(d * 10000) / 10000);
}

Value fCSng(Call &c)
{
    const double d = toNumber(c.arg(0));
    if (std::fabs(d) > FLT_MAX)
        fail(QStringLiteral("overflow: %1 is outside the range of a Single").arg(quote(c.arg(0))));
    return Value::of(Kind::Single, double(float(d)));
}

QString radix(Call &c, int base)
{
    const Value &v = c.arg(0);
    const double n = convertWhole(v, Kind::Long, longMin, longMax).number;
    const bool narrow =
        (v.kind == Kind::Integer || v.kind == Kind::Byte || v.kind == Kind::Boolean) && n >= -32768;
    const quint32 bits =
        narrow && n < 0 ? quint32(std::uint16_t(std::int16_t(n))) : quint32(std::int32_t(n));
    return QString::number(bits, base).toUpper();
}

// ----- Formats

// A number with `digits` decimals, as the locale writes it, with the options of the format
// functions: a leading zero before the separator, parentheses for negative values, grouping.
QString formatted(Call &c, double value, const QString &prefix, const QString &suffix)
{
    const int digits = int(optionalWhole(c, 1, -1, -1, 20));
    const auto tristate = [&](int i, bool fallback) {
        if (!c.has(i) || c.arg(i).kind == Kind::Empty) return fallback;
        const double t = toNumber(c.arg(i));
        return t == -2 ? fallback : t != 0;
    };
    const bool leadingZero = tristate(2, true);
    const bool parentheses = tristate(3, false);
    const bool group = tristate(4, true);
    QLocale locale;
    locale.setNumberOptions(group ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    QString t = locale.toString(std::fabs(value), 'f', digits < 0 ? 2 : digits);
    if (!leadingZero && t.startsWith(u'0') && t.size() > 1 &&
        t.mid(1).startsWith(locale.decimalPoint()))
        t.remove(0, 1);
    t = prefix + t + suffix;
    const bool negative = value < 0 && std::any_of(t.begin(), t.end(), [](QChar ch) {
                              return ch.isDigit() && ch != u'0';
                          });
    if (!negative) return t;
    return parentheses ? u'(' + t + u')' : locale.negativeSign() + t;
}

Value fFormatNumber(Call &c)
{
    return Value::string(formatted(c, num(c, 0), {}, {}));
}

Value fFormatPercent(Call &c)
{
    return Value::string(formatted(c, num(c, 0) * 100, {}, QLocale().percent()));
}

Value fFormatCurrency(Call &c)
{
    // Where the locale puts its symbol: around the digit of a formatted 1.
    const QLocale locale;
    const QString sample = locale.toCurrencyString(1.0, locale.currencySymbol(), 0);
    const qsizetype one = sample.indexOf(u'1');
    return Value::string(formatted(c, num(c, 0), sample.left(one), sample.mid(one + 1)));
}

Value fFormatDateTime(Call &c)
{
    const double serial = toDate(c.arg(0));
    const int format = int(optionalWhole(c, 1, 0, 0, 4));
    const DateTime dt = dateTimeOf(serial);
    const QLocale locale;
    // The long time format without the time zone, which a time of day does not have.
    QString longTime = locale.timeFormat(QLocale::LongFormat);
    longTime.remove(u't');
    longTime = longTime.trimmed();
    const QString shortDate = locale.toString(dt.date, QLocale::ShortFormat);
    switch (format) {
    case 1:
        return Value::string(locale.toString(dt.date, QLocale::LongFormat));
    case 2:
        return Value::string(shortDate);
    case 3:
        return Value::string(locale.toString(dt.time, longTime));
    case 4:
        return Value::string(locale.toString(dt.time, QStringLiteral("HH:mm")));
    default:
        if (dt.time == QTime(0, 0)) return Value::string(shortDate);
        if (dt.date == QDate(1899, 12, 30))
            return Value::string(locale.toString(dt.time, longTime));
        return Value::string(shortDate + u' ' + locale.toString(dt.time, longTime));
    }
}

// ----- Maths

Value real(Call &c, double (*f)(double))
{
    return Value::real(f(num(c, 0)));
}

Value fAbs(Call &c)
{
    const Value &v = c.arg(0);
    if (v.kind == Kind::Date) return checkedDate(std::fabs(v.number));
    const Kind kind = numericKind(v);
    const double r = std::fabs(toNumber(v));
    return kind == Kind::Integer && r > 32767 ? Value::whole(r) : Value::of(kind, r);
}

Value wholePart(Call &c, double (*f)(double))
{
    const Value &v = c.arg(0);
    if (v.kind == Kind::Date) return checkedDate(f(v.number));
    return Value::of(numericKind(v), f(toNumber(v)));
}

Value fLog(Call &c)
{
    const double x = num(c, 0);
    if (!(x > 0))
        fail(QStringLiteral("the logarithm needs a number above 0, not %1").arg(quote(c.arg(0))));
    return Value::real(std::log(x));
}

Value fSqr(Call &c)
{
    const double x = num(c, 0);
    if (x < 0)
        fail(QStringLiteral("the square root needs a number of 0 or more, not %1")
                 .arg(quote(c.arg(0))));
    return Value::real(std::sqrt(x));
}

Value fRnd(Call &c)
{
    Environment &e = c.environment;
    const double n = c.has(0) ? num(c, 0) : 1;
    if (n == 0) return Value::of(Kind::Single, e.lastRandom());
    if (n < 0) {
        // The same negative argument always gives the same number.
        const auto bits = std::uint64_t(std::llround(std::fmin(-n, 1e18) * 1024));
        e.seed(std::uint32_t(bits ^ (bits >> 32)));
    }
    return Value::of(Kind::Single, e.nextRandom());
}

Value fRound(Call &c)
{
    const Value &v = c.arg(0);
    const double x = toNumber(v);
    const double decimals = optionalWhole(c, 1, 0, 0, 15);
    const Kind kind = numericKind(v);
    if (decimals == 0) return Value::of(kind, std::nearbyint(x));
    const double scale = std::pow(10.0, decimals);
    const double scaled = x * scale;
    // Past 2^53 a double has no fraction left to round at this scale.
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9007199254740992.0)
        return Value::of(kind, x);
    return Value::of(kind, std::nearbyint(scaled) / scale);
}

Value fSgn(Call &c)
{
    const double x = num(c, 0);
    return Value::of(Kind::Integer, double((x > 0) - (x < 0)));
}

// ----- Texts

int length(Call &c, int i)
{
    return int(whole(c, i, 0, longMax));
}

Value fInStr(Call &c)
{
    const bool withStart = c.count() >= 3;
    const int first = withStart ? 1 : 0;
    const double start = withStart ? whole(c, 0, 1, longMax) : 1;
    const QString haystack = text(c, first);
    const QString needle = text(c, first + 1);
    const Qt::CaseSensitivity cs = compareMode(c, 3);
    if (start > haystack.size())
        return Value::whole(needle.isEmpty() && start == haystack.size() + 1 ? start : 0);
    if (needle.isEmpty()) return Value::whole(start);
    return Value::whole(double(haystack.indexOf(needle, qsizetype(start) - 1, cs) + 1));
}

Value fInStrRev(Call &c)
{
    const QString haystack = text(c, 0);
    const QString needle = text(c, 1);
    double start = optionalWhole(c, 2, -1, -1, longMax);
    if (start == 0) fail(QStringLiteral("the start must be 1 or more, or -1 for the end"));
    const Qt::CaseSensitivity cs = compareMode(c, 3);
    if (start == -1) start = double(haystack.size());
    if (start > haystack.size()) return Value::whole(0);
    if (needle.isEmpty()) return Value::whole(start);
    const qsizetype from = qsizetype(start) - needle.size();
    if (from < 0) return Value::whole(0);
    return Value::whole(double(haystack.lastIndexOf(needle, from, cs) + 1));
}

Value fMid(Call &c)
{
    const QString t = text(c, 0);
    const auto start = qsizetype(whole(c, 1, 1, longMax));
    if (!c.has(2)) return Value::string(t.mid(start - 1));
    return Value::string(t.mid(start - 1, length(c, 2)));
}

Value fReplace(Call &c)
{
    const QString source = text(c, 0);
    const QString find = text(c, 1);
    const QString with = text(c, 2);
    const auto start = qsizetype(optionalWhole(c, 3, 1, 1, longMax));
    const double count = optionalWhole(c, 4, -1, -1, longMax);
    const Qt::CaseSensitivity cs = compareMode(c, 5);
    const QString rest = source.mid(start - 1);
    if (find.isEmpty() || count == 0) return Value::string(rest);
    // Measure first: a replacement may grow the text past the limit.
    std::vector<qsizetype> hits;
    for (qsizetype at = rest.indexOf(find, 0, cs);
         at >= 0 && (count < 0 || double(hits.size()) < count);
         at = rest.indexOf(find, at + find.size(), cs))
        hits.push_back(at);
    checkLength(rest.size() + qsizetype(hits.size()) * (with.size() - find.size()));
    QString out;
    out.reserve(rest.size() + qsizetype(hits.size()) * (with.size() - find.size()));
    qsizetype from = 0;
    for (const qsizetype at : hits) {
        out += QStringView(rest).mid(from, at - from);
        out += with;
        from = at + find.size();
    }
    out += QStringView(rest).mid(from);
    return Value::string(out);
}

Value fSpace(Call &c)
{
    const int n = length(c, 0);
    checkLength(n);
    return Value::string(QString(n, u' '));
}

Value fString(Call &c)
{
    const int n = length(c, 0);
    const Value &v = c.arg(1);
    QChar ch;
    if (v.isString()) {
        if (v.text.isEmpty()) fail(QStringLiteral("the character text is empty"));
        ch = v.text[0];
    } else {
        ch = QChar(char16_t(whole(c, 1, 0, 65535)));
    }
    checkLength(n);
    return Value::string(QString(n, ch));
}

Value fStrComp(Call &c)
{
    const int r = QString::compare(text(c, 0), text(c, 1), compareMode(c, 2));
    return Value::of(Kind::Integer, double((r > 0) - (r < 0)));
}

Value fStrReverse(Call &c)
{
    const QString t = text(c, 0);
    QString out;
    out.reserve(t.size());
    // Characters outside the basic plane are two units that must keep their order.
    for (qsizetype i = t.size(); i > 0;) {
        if (i >= 2 && t[i - 1].isLowSurrogate() && t[i - 2].isHighSurrogate()) {
            out += t[i - 2];
            out += t[i - 1];
            i -= 2;
        } else {
            out += t[--i];
        }
    }
    return Value::string(out);
}

QString trimmedLeft(const QString &t)
{
    qsizetype i = 0;
    while (i < t.size() && t[i] == u' ')
        ++i;
    return t.mid(i);
}

QString trimmedRight(const QString &t)
{
    qsizetype n = t.size();
    while (n > 0 && t[n - 1] == u' ')
        --n;
    return t.left(n);
}

// ----- Miscellaneous

Value fIsNumeric(Call &c)
{
    const Value &v = c.arg(0);
    switch (v.kind) {
    case Kind::Null:
    case Kind::Date:
        return Value::boolean(false);
    case Kind::String:
        try {
            toNumber(v);
            return Value::boolean(true);
        } catch (const Failure &) {
            return Value::boolean(false);
        }
    default:
        return Value::boolean(true);
    }
}

Value fVarType(Call &c)
{
    static const int codes[] = {0, 1, 11, 17, 2, 3, 4, 5, 6, 7, 8};
    return Value::of(Kind::Integer, codes[int(c.arg(0).kind)]);
}

// Name, fewest and most arguments, whether Null in any argument gives Null, whether the result
// depends on the clock or the random source, and the implementation.
// clang-format off
const Function catalogue[] = {
    // Dates
    {u"Date", 0, 0, false, true, fDate},
    {u"DateAdd", 3, 3, true, false, fDateAdd},
    {u"DateDiff", 3, 5, true, false, fDateDiff},
    {u"DatePart", 2, 4, true, false, fDatePart},
    {u"DateSerial", 3, 3, true, false, fDateSerial},
    {u"DateValue", 1, 1, true, false, fDateValue},
    {u"Day", 1, 1, true, false, [](Call &c) { return Value::whole(dateArg(c, 0).date.day()); }},
    {u"Hour", 1, 1, true, false, [](Call &c) { return Value::whole(dateArg(c, 0).time.hour()); }},
    {u"IsDate", 1, 1, false, false, fIsDate},
    {u"Minute", 1, 1, true, false, [](Call &c) { return Value::whole(dateArg(c, 0).time.minute()); }},
    {u"Month", 1, 1, true, false, [](Call &c) { return Value::whole(dateArg(c, 0).date.month()); }},
    {u"MonthName", 1, 2, false, false, fMonthName},
    {u"Now", 0, 0, false, true, fNow},
    {u"Second", 1, 1, true, false, [](Call &c) { return Value::whole(dateArg(c, 0).time.second()); }},
    {u"Time", 0, 0, false, true, fTime},
    {u"Timer", 0, 0, false, true, fTimer},
    {u"TimeSerial", 3, 3, true, false, fTimeSerial},
    {u"TimeValue", 1, 1, true, false, fTimeValue},
    {u"Weekday", 1, 2, true, false, fWeekday},
    {u"WeekdayName", 1, 3, false, false, fWeekdayName},
    {u"Year", 1, 1, true, false, [](Call &c) { return Value::whole(dateArg(c, 0).date.year()); }},
    // Conversions
    {u"Asc", 1, 1, false, false, fAsc},
    {u"CBool", 1, 1, false, false, [](Call &c) { return Value::boolean(toBoolean(c.arg(0))); }},
    {u"CByte", 1, 1, false, false, [](Call &c) { return convertWhole(c.arg(0), Kind::Byte, 0, 255); }},
    {u"CCur", 1, 1, false, false, fCCur},
    {u"CDate", 1, 1, false, false, [](Call &c) { return Value::of(Kind::Date, toDate(c.arg(0))); }},
    {u"CDbl", 1, 1, false, false, [](Call &c) { return Value::real(num(c, 0)); }},
    {u"Chr", 1, 1, false, false, fChr},
    {u"CInt", 1, 1, false, false, [](Call &c) { return convertWhole(c.arg(0), Kind::Integer, -32768, 32767); }},
    {u"CLng", 1, 1, false, false, [](Call &c) { return convertWhole(c.arg(0), Kind::Long, longMin, longMax); }},
    {u"CSng", 1, 1, false, false, fCSng},
    {u"CStr", 1, 1, false, false, [](Call &c) { return Value::string(text(c, 0)); }},
    {u"Hex", 1, 1, true, false, [](Call &c) { return Value::string(radix(c, 16)); }},
    {u"Oct", 1, 1, true, false, [](Call &c) { return Value::string(radix(c, 8)); }},
    // Formats
    {u"FormatCurrency", 1, 5, false, false, fFormatCurrency},
    {u"FormatDateTime", 1, 2, false, false, fFormatDateTime},
    {u"FormatNumber", 1, 5, false, false, fFormatNumber},
    {u"FormatPercent", 1, 5, false, false, fFormatPercent},
    // Maths
    {u"Abs", 1, 1, true, false, fAbs},
    {u"Atn", 1, 1, true, false, [](Call &c) { return real(c, std::atan); }},
    {u"Cos", 1, 1, true, false, [](Call &c) { return real(c, std::cos); }},
    {u"Exp", 1, 1, true, false, [](Call &c) { return real(c, std::exp); }},
    {u"Int", 1, 1, true, false, [](Call &c) { return wholePart(c, std::floor); }},
    {u"Fix", 1, 1, true, false, [](Call &c) { return wholePart(c, std::trunc); }},
    {u"Log", 1, 1, true, false, fLog},
    {u"Rnd", 0, 1, false, true, fRnd},
    {u"Sgn", 1, 1, true, false, fSgn},
    {u"Sin", 1, 1, true, false, [](Call &c) { return real(c, std::sin); }},
    {u"Sqr", 1, 1, true, false, fSqr},
    {u"Tan", 1, 1, true, false, [](Call &c) { return real(c, std::tan); }},
    // Texts
    {u"InStr", 2, 4, true, false, fInStr},
    {u"InStrRev", 2, 4, true, false, fInStrRev},
    {u"LCase", 1, 1, true, false, [](Call &c) { return Value::string(text(c, 0).toLower()); }},
    {u"Left", 2, 2, true, false, [](Call &c) { return Value::string(text(c, 0).left(length(c, 1))); }},
    {u"Len", 1, 1, true, false, [](Call &c) { return Value::whole(double(text(c, 0).size())); }},
    {u"LTrim", 1, 1, true, false, [](Call &c) { return Value::string(trimmedLeft(text(c, 0))); }},
    {u"RTrim", 1, 1, true, false, [](Call &c) { return Value::string(trimmedRight(text(c, 0))); }},
    {u"Trim", 1, 1, true, false, [](Call &c) { return Value::string(trimmedLeft(trimmedRight(text(c, 0)))); }},
    {u"Mid", 2, 3, true, false, fMid},
    {u"Replace", 3, 6, true, false, fReplace},
    {u"Right", 2, 2, true, false, [](Call &c) { return Value::string(text(c, 0).right(length(c, 1))); }},
    {u"Space", 1, 1, false, false, fSpace},
    {u"StrComp", 2, 3, true, false, fStrComp},
    {u"String", 2, 2, true, false, fString},
    {u"StrReverse", 1, 1, true, false, fStrReverse},
    {u"UCase", 1, 1, true, false, [](Call &c) { return Value::string(text(c, 0).toUpper()); }},
    // Miscellaneous
    {u"IsEmpty", 1, 1, false, false, [](Call &c) { return Value::boolean(c.arg(0).kind == Kind::Empty); }},
    {u"IsNull", 1, 1, false, false, [](Call &c) { return Value::boolean(c.arg(0).isNull()); }},
    {u"IsNumeric", 1, 1, false, false, fIsNumeric},
    {u"IsObject", 1, 1, false, false, [](Call &) { return Value::boolean(false); }},
    {u"Round", 1, 2, true, false, fRound},
    {u"ScriptEngine", 0, 0, false, false, [](Call &) { return Value::string(QString::fromUtf16(Expression::engineName)); }},
    {u"ScriptEngineBuildVersion", 0, 0, false, false, [](Call &) { return Value::whole(Expression::engineBuildVersion); }},
    {u"ScriptEngineMajorVersion", 0, 0, false, false, [](Call &) { return Value::whole(Expression::engineMajorVersion); }},
    {u"ScriptEngineMinorVersion", 0, 0, false, false, [](Call &) { return Value::whole(Expression::engineMinorVersion); }},
    {u"SetLocale", 0, 1, false, false, [](Call &) -> Value {
        fail(QStringLiteral("expressions cannot change the application's locale"));
    }},
    {u"TypeName", 1, 1, false, false, [](Call &c) { return Value::string(kindName(c.arg(0).kind)); }},
    {u"VarType", 1, 1, false, false, fVarType},
};
// clang-format on

} // namespace

std::span<const Function> functions()
{
    return catalogue;
}

int findFunction(QStringView name)
{
    for (std::size_t i = 0; i < std::size(catalogue); ++i)
        if (name.compare(QStringView(catalogue[i].name), Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

} // namespace tessel::detail
