#include "CSSSpecificityUtil.h"

#include <QRegularExpression>

namespace {

qint32 countMatches(const QRegularExpression &expression, const QString &text)
{
    qint32 count = 0;
    QRegularExpressionMatchIterator it = expression.globalMatch(text);
    while (it.hasNext()) {
        it.next();
        ++count;
    }
    return count;
}

} // namespace

CSSSpecificity CSSSpecificityUtil::calcSpecificity(const QString &selector)
{
    // \w takes letters of every script, as the selectors of a page may.
    static const QRegularExpression doubleQuoted(QStringLiteral("\"[^\"]*\""));
    static const QRegularExpression singleQuoted(QStringLiteral("'[^']*'"));
    static const QRegularExpression attribute(QStringLiteral("\\[[^\\]]*\\]"));
    static const QRegularExpression combinators(QStringLiteral("[>+~]+"));
    static const QRegularExpression argument(QStringLiteral("\\([^)]*\\)"));
    static const QRegularExpression classLikePseudo(
        QStringLiteral(":(first-child|last-child|link|visited|hover|active|focus|lang)"));
    static const QRegularExpression otherPseudo(QStringLiteral(":[\\w-]+"),
                                                QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression id(QStringLiteral("#[\\w-]+"),
                                       QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression classOrAttribute(
        QStringLiteral("\\.[\\w_-]+|\\[\\]"), QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression element(QStringLiteral("(^|\\s)[\\w_-]+"),
                                            QRegularExpression::UseUnicodePropertiesOption);

    QString text = selector;
    text.remove(u'*');
    text.replace(doubleQuoted, QString());
    text.replace(singleQuoted, QString());
    text.replace(attribute, QStringLiteral("[]"));
    text.replace(combinators, QStringLiteral(" "));
    // Function arguments go innermost first; a "(" that is never closed
    // stays, so stop when a pass changes nothing.
    while (text.contains(u'(')) {
        const QString before = text;
        text.replace(argument, QString());
        if (text == before)
            break;
    }
    text.replace(classLikePseudo, QStringLiteral(".pseudo"));
    text.replace(otherPseudo, QStringLiteral(" pseudo"));

    CSSSpecificity specificity;
    specificity.first = countMatches(id, text);
    specificity.second = countMatches(classOrAttribute, text);
    specificity.third = countMatches(element, text);
    specificity.fourth = 100 * specificity.first + 10 * specificity.second + specificity.third;
    return specificity;
}

QStringList CSSSpecificityUtil::splitSelectorGroup(const QString &selectorList)
{
    QStringList pieces = selectorList.split(u',');
    for (QString &piece : pieces)
        piece = piece.trimmed();
    return pieces;
}

QStringList CSSSpecificityUtil::splitCombinators(const QString &selector)
{
    static const QRegularExpression separators(QStringLiteral("[ +~>]"));
    return selector.split(separators, Qt::SkipEmptyParts);
}
