#include "AttributeParser.h"

#include <utility>

namespace {

struct Entry
{
    QString name;
    QString value;
};

} // namespace

QList<QVariantMap> AttributeParser::parseAttributes(const QString &text)
{
    QList<Entry> entries;
    QString buffer;
    QChar quote;               // the quote that opened the current value, or null
    qsizetype current = -1;    // the entry the next value belongs to
    bool valueTaken = false;   // the current entry has had its value
    bool unquoted = false;     // reading a value that was not quoted
    qsizetype lastName = -1;   // the entry a blank ended, which an "=" may still give a value

    const auto addEntryFromBuffer = [&] {
        entries.append({buffer, QString()});
        buffer.clear();
        return entries.size() - 1;
    };

    for (const QChar c : text) {
        if (!quote.isNull()) {
            if (c == quote) {
                if (current >= 0)
                    entries[current].value = buffer;
                valueTaken = true;
                buffer.clear();
                quote = QChar();
            } else {
                buffer += c;
            }
            continue;
        }
        if (unquoted) {
            if (c == QLatin1Char(' ')) {
                entries[current].value = buffer;
                buffer.clear();
                unquoted = false;
                current = -1;
            } else {
                buffer += c;
            }
            continue;
        }
        if (c == QLatin1Char(' ')) {
            // A blank after "=" still waits for the value.
            if (current >= 0 && !valueTaken && buffer.isEmpty())
                continue;
            if (current < 0 && !buffer.isEmpty())
                lastName = addEntryFromBuffer();
            current = -1;
            valueTaken = false;
        } else if (c == QLatin1Char('=')) {
            if (current < 0) {
                // "name = value": the "=" belongs to the name before the blank.
                if (buffer.isEmpty() && lastName >= 0 && lastName == entries.size() - 1)
                    current = std::exchange(lastName, -1);
                else
                    current = addEntryFromBuffer();
                valueTaken = false;
            }
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (current >= 0 && !valueTaken && buffer.isEmpty()) {
            // A value right after "=" without a quote runs to the next space,
            // as in HTML, instead of leaking into the next name.
            unquoted = true;
            buffer += c;
        } else {
            buffer += c;
        }
    }
    if (unquoted)
        entries[current].value = buffer;
    else if (!buffer.isEmpty() && current < 0)
        entries.append({buffer, QString()});

    QList<QVariantMap> list;
    for (const Entry &entry : std::as_const(entries)) {
        if (entry.name.trimmed().isEmpty())
            continue;
        list.append(QVariantMap{{QStringLiteral("name"), entry.name},
                                {QStringLiteral("value"), entry.value.isNull() ? QStringLiteral("") : entry.value}});
    }
    return list;
}
