#pragma once

#include "domtree/DOMNodeEx.h"
#include "platform/foundation/Range.h"

#include <QList>
#include <QRegularExpressionMatch>
#include <QString>

#include <optional>

// Finds where a row of the DOM tree is written in its page's source text,
// trying three ways in turn: a structural pattern built from the row's path
// (chains of atomic groups, so a group that matched is never re-entered), an
// XPath query over the source parsed as HTML, and a search for the row's
// text or tag. Answers a range of the text, or location NotFound. A search
// that runs into the pattern engine's match limit gives up: not found.
class CodeSearch
{
public:
    CodeSearch() = delete;

    static Range searchCode(const QString &code, DOMNodeEx *node);
    static Range xpathSearch(const QString &code, DOMNodeEx *node);
    static Range regSearch(const QString &code, DOMNodeEx *node);
    static Range textSearch(const QString &code, DOMNodeEx *node);
    // Every match of the row's tag pattern, in text order.
    static QList<QRegularExpressionMatch> attributeSearch(const QString &code, DOMNodeEx *node);
    static QString createNodeTag(DOMNodeEx *node, int depth);
    // The first match of the pattern (case-insensitive, "." across lines).
    static std::optional<Range> searchString(const QString &text, const QString &pattern);
    // The pattern cut before each top-level atomic group that follows
    // another; what follows the last group stays with it.
    static QStringList chainParts(const QString &pattern);
    static Range adjustRange(DOMNodeEx *node, Range startRange, Range endRange);
    static QString createTagCloseRegSource(DOMNodeEx *node, const QString &tagStartReg);
    static QString getRegSourceWithNodeInfos(const QList<DOMPathInfo> &infos);
    static QString digBrother(DOMNodeEx *node);
    static QString makeTag(const QString &name) { return QLatin1Char('<') + name + QLatin1Char('>'); }
    static QString makeCloseTag(const QString &name) { return QStringLiteral("</") + name + QLatin1Char('>'); }
    // The text as a pattern in which blanks, and the gaps between tags,
    // match any white space.
    static QString toRegExpSource(const QString &text);
    static QString escapedStringWithString(const QString &text);

    static constexpr Range notFound() { return Range{NotFound, 0}; }
};
