#include "DateHumanInterval.h"

#include <QCoreApplication>

namespace DateHumanInterval {

namespace {

// Whole seconds from the date to now, truncated toward zero.
qint64 secondsSince(const QDateTime &date, const QDateTime &now)
{
    return -qint64(qint32(now.msecsTo(date) / 1000));
}

QString localized(const char *text)
{
    return QCoreApplication::translate("HumanInterval", text);
}

QString localized(const char *format, qint64 value)
{
    return localized(format).replace(QLatin1String("%u"), QString::number(value));
}

QString description(const QDateTime &date)
{
    return date.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" +0000");
}

} // namespace

QString humanIntervalAgoSinceNow(const QDateTime &date, const QDateTime &now)
{
    const qint64 s = secondsSince(date, now);
    if (s < 0)
        return description(date);
    if (s < 60)
        return localized("just now");
    if (s < 120)
        return localized("a minute ago");
    if (s <= 2700)
        return localized("%u minutes ago", s / 60);
    if (s <= 5400)
        return localized("an hour ago");
    if (s < 10800)
        return localized("2 hours ago");
    if (s < 82800)
        return localized("%u hours ago", s / 3600);
    // The calendar year ("yyyy"), not the year of the week the day falls in.
    return date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString humanIntervalSinceNow(const QDateTime &date, const QDateTime &now)
{
    const qint64 s = secondsSince(date, now);
    if (s < 0)
        return description(date);
    if (s < 60)
        return localized("just now");
    if (s < 120)
        return localized("1 min");
    if (s <= 2700)
        return localized("%u mins", s / 60);
    if (s <= 5400)
        return localized("1 hour");
    if (s < 10800)
        return localized("2 hours");
    if (s < 82800)
        return localized("%u hours", s / 3600);
    if (s < 129600)
        return localized("1 day");
    if (s < 259200)
        return localized("2 days");
    if (s < 604800)
        return localized("%u days", s / 86400);
    if (s < 950400)
        return localized("1 week");
    if (s < 1209600)
        return localized("2 weeks");
    if (s < 5443200)
        return localized("%u weeks", s / 604800);
    if (s < 49248000)
        return localized("%u months", s / 2592000);
    if (s < 63072000)
        return localized("1 year");
    return localized("%u years", s / 31536000);
}

} // namespace DateHumanInterval
