#pragma once

#include "stylesheet/StyleComment.h"
#include "stylesheet/StyleDeclaration.h"

#include <QHash>
#include <QString>

// Whether the top-level items of a parsed text give back every character of
// it that is no white space, none of them twice: each item written as the
// model holds it (comments listed between the rules of a block are body text
// of the block) (a comment as its text, a block as selector "{" body "}", a
// statement as its text and ";", a namespace statement as "@" body ";"). A
// "}" or ";" that the text lacks at its end may be added. Answers "" when all
// is there, else what is missing or doubled.
inline QString styleSheetCoverageProblem(const QString &text, const QList<StyleDeclarationPtr> &items)
{
    QString written;
    qsizetype topLevel = 0;
    qsizetype blockEnd = 0; // of the last top-level item
    for (const StyleDeclarationPtr &item : items) {
        if (item->isInBraket())
            continue;
        const qsizetype at = item->range().location;
        // A comment between the rules of a block is listed after them, and
        // is text of the block's body as well.
        if (item->type() == RuleType::Comment && at < blockEnd)
            continue;
        ++topLevel;
        if (item->type() != RuleType::Comment)
            blockEnd = item->range().end();
        if (item->type() == RuleType::Comment)
            written += static_cast<const StyleComment &>(*item).commentBody();
        else if (!item->hasBody())
            written += item->selector() + u';';
        else if (at < text.size() && text[at] == u'@')
            written += item->selector() + u'@' + item->body() + u';';
        else
            written += item->selector() + u'{' + item->body() + u'}';
    }
    const auto count = [](const QString &s) {
        QHash<char16_t, qsizetype> counts;
        for (const QChar c : s) {
            const char16_t u = c.unicode();
            if (u != u' ' && u != u'\t' && u != u'\n' && u != u'\r' && u != u'\f')
                ++counts[u];
        }
        return counts;
    };
    const QHash<char16_t, qsizetype> in = count(text);
    const QHash<char16_t, qsizetype> out = count(written);
    QString problem;
    for (auto it = in.cbegin(); it != in.cend(); ++it) {
        const qsizetype given = out.value(it.key());
        if (given < it.value())
            problem += QStringLiteral("'%1' lost %2 time(s); ").arg(QChar(it.key())).arg(it.value() - given);
    }
    for (auto it = out.cbegin(); it != out.cend(); ++it) {
        const qsizetype extra = it.value() - in.value(it.key());
        const bool addedEnd = (it.key() == u'}' || it.key() == u';') && extra <= topLevel;
        if (extra > 0 && !addedEnd)
            problem += QStringLiteral("'%1' doubled %2 time(s); ").arg(QChar(it.key())).arg(extra);
    }
    return problem;
}
