#include "StringCSSValue.h"

namespace StringCSSValue {

QStringList getValues(const QString &value)
{
    QStringList entries;
    QString group;
    bool inGroup = false;
    const QStringList words = value.split(u' ');
    for (const QString &word : words) {
        if (inGroup) {
            group += u' ';
            group += word;
            if (word.contains(u')')) {
                entries.append(group);
                group.clear();
                inGroup = false;
            }
        } else if (word.contains(u'(') && !word.contains(u')')) {
            group = word;
            inGroup = true;
        } else {
            entries.append(word);
        }
    }
    return entries;
}

} // namespace StringCSSValue
