#pragma once

#include <QDateTime>
#include <QString>

// The age of a past moment in words, for the file history list: "just now",
// "a minute ago", "12 minutes ago"... Ages are whole seconds, truncated; a
// moment in the future answers its own description. Each text is looked up
// in the translations with itself as key.
namespace DateHumanInterval {

// Up to 23 hours in words, then the date itself ("yyyy-MM-dd HH:mm:ss").
QString humanIntervalAgoSinceNow(const QDateTime &date, const QDateTime &now = QDateTime::currentDateTime());
// Shorter words, up to years: "1 min", "3 days", "2 weeks", "5 months".
QString humanIntervalSinceNow(const QDateTime &date, const QDateTime &now = QDateTime::currentDateTime());

} // namespace DateHumanInterval
