#include "CodeSearch.h"

#include "platform/foundation/Log.h"
#include "platform/web/dom/DOMAttr.h"
#include "platform/web/dom/DOMElement.h"
#include "stylesheet/WebCoreObjects.h"

#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>

#include <memory>

namespace {

// The pattern engine's own bound on one search: past it the search ends
// with no match, however the page is written.
const QString kMatchLimit = QStringLiteral("(*LIMIT_MATCH=10000000)");
// And on one chain of groups: past it the search gives up (sanitized
// builds run several times slower).
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 kTimeLimitMs = 5000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr qint64 kTimeLimitMs = 5000;
#else
constexpr qint64 kTimeLimitMs = 500;
#endif
#else
constexpr qint64 kTimeLimitMs = 500;
#endif

QString nameOf(const DOMNodeEx *row)
{
    return row && row->node() ? row->node()->nodeName() : QString();
}

QString lowerNameOf(const DOMNodeEx *row)
{
    return nameOf(row).toLower();
}

bool isTextRow(const DOMNodeEx *row)
{
    return row && row->node() && row->node()->isText();
}

bool isCommentRow(const DOMNodeEx *row)
{
    return row && row->node() && row->node()->isComment();
}

bool isVoid(const QString &name)
{
    return !WebCoreObjects::shouldClose(name);
}

QString attributePieces(const DOMNodeEx *row)
{
    QString pieces;
    const DOMNode *node = row->node();
    if (!node || !node->isElement())
        return pieces;
    const auto *element = static_cast<const DOMElement *>(node);
    for (int i = 0; i < element->attributeCount(); ++i) {
        const DOMAttr *attribute = element->attributeAt(i);
        pieces += QStringLiteral("\\s") + attribute->name() + QStringLiteral("=\"?")
                  + CodeSearch::escapedStringWithString(attribute->value()) + QStringLiteral("\"?");
    }
    return pieces;
}

QRegularExpression compiled(const QString &pattern)
{
    return QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption
                                           | QRegularExpression::DotMatchesEverythingOption);
}

struct XmlDocFree
{
    void operator()(xmlDoc *doc) const { xmlFreeDoc(doc); }
};
struct XPathContextFree
{
    void operator()(xmlXPathContext *context) const { xmlXPathFreeContext(context); }
};
struct XPathObjectFree
{
    void operator()(xmlXPathObject *object) const { xmlXPathFreeObject(object); }
};

void ignoreXmlError(void *, xmlError *) {}

QString xmlTextOf(xmlDoc *doc, xmlNode *node)
{
    std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), &xmlBufferFree);
    if (!buffer || xmlNodeDump(buffer.get(), doc, node, 0, 0) < 0)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char *>(xmlBufferContent(buffer.get())), xmlBufferLength(buffer.get()));
}

Range rangeOfPattern(const QString &code, const QString &pattern)
{
    const QRegularExpression expression = compiled(pattern);
    if (!expression.isValid())
        return CodeSearch::notFound();
    const QRegularExpressionMatch match = expression.match(code);
    return match.hasMatch() ? Range{match.capturedStart(), match.capturedLength()} : CodeSearch::notFound();
}

} // namespace

Range CodeSearch::searchCode(const QString &code, DOMNodeEx *node)
{
    QM_DEBUG(QStringLiteral("---------start node search----------"));
    QM_DEBUG(QStringLiteral("node:%1").arg(nameOf(node)));
    QM_DEBUG(QStringLiteral("RegExp Search"));
    Range range = regSearch(code, node);
    if (range.location == NotFound) {
        QM_DEBUG(QStringLiteral("RegExp Search Not Found."));
        QM_DEBUG(QStringLiteral("XPath Search"));
        range = xpathSearch(code, node);
        if (range.location == NotFound) {
            QM_DEBUG(QStringLiteral("XPath Search Not Found"));
            QM_DEBUG(QStringLiteral("Attribute Search"));
            range = textSearch(code, node);
        }
    }
    QM_DEBUG(range.location == NotFound ? QStringLiteral("Not Found") : QStringLiteral("Found"));
    QM_DEBUG(QStringLiteral("---------end node search----------"));
    return range;
}

QString CodeSearch::escapedStringWithString(const QString &text)
{
    QString escaped = text;
    for (QChar special : QStringLiteral("\\*?+[(){}^$|."))
        escaped.replace(special, QStringLiteral("\\") + special);
    return escaped;
}

QString CodeSearch::toRegExpSource(const QString &text)
{
    QString source = escapedStringWithString(text);
    source.replace(QLatin1Char(' '), QStringLiteral("\\s*?"));
    source.replace(QStringLiteral("><"), QStringLiteral(">\\s*?<"));
    return source;
}

// --- The structural pattern ----------------------------------------------------------------------

QString CodeSearch::digBrother(DOMNodeEx *node)
{
    const QString name = nameOf(node);
    if (isCommentRow(node))
        return QStringLiteral("(?>.*?<!--[^>]*?>)");
    if (!node || !node->node() || !node->node()->isElement())
        return {};
    if (isVoid(name))
        return QStringLiteral("(?>.*?<") + name + QStringLiteral("[^>]*?/>)");
    QString source = QStringLiteral("(?>.*?<") + name + QStringLiteral("[^>]*?>)");
    const QList<DOMNodeExPtr> &children = node->children();
    if (children.size() > 1) {
        for (qsizetype i = 0; i + 1 < children.size(); ++i)
            source += digBrother(children.at(i).get());
    }
    return source + QStringLiteral("(?>.*?</") + name + QStringLiteral(">)");
}

QString CodeSearch::getRegSourceWithNodeInfos(const QList<DOMPathInfo> &infos)
{
    QString source;
    if (infos.isEmpty())
        return source;
    DOMNodeEx *searched = infos.last().node;
    const qsizetype last = infos.size() - 1;
    for (qsizetype i = 0; i < last; ++i) {
        const DOMPathInfo &info = infos.at(i);
        const QString tag = info.tag.toLower();
        if (tag.startsWith(QLatin1Char('#'))) {
            if (tag == QLatin1String("#comment"))
                source += QStringLiteral("(?>.*?<!--[^>]*?>)");
            continue;
        }
        if (info.isParent && isTextRow(searched))
            return source + QStringLiteral("(?>.*?<") + tag;
        if (info.isParent) {
            source += QStringLiteral("(?>.*?<") + tag + QStringLiteral("[^>]*?>)");
        } else if (info.isBrother && i == last - 1 && !isVoid(tag)) {
            source += digBrother(info.node);
        } else if (info.isBrother && info.shouldClose) {
            source += QStringLiteral("(?>.*?<") + tag + QStringLiteral("[^>]*?>)(?>.*?</") + tag + QStringLiteral(">)");
        } else if (info.isBrother) {
            source += QStringLiteral("(?>.*?<") + tag + QStringLiteral(".*?/>)");
        } else {
            source += QStringLiteral("(?>.*?<") + tag + QStringLiteral("[^>]*?>)");
        }
    }
    return source;
}

QString CodeSearch::createTagCloseRegSource(DOMNodeEx *node, const QString &tagStartReg)
{
    const QString name = lowerNameOf(node);
    if (isCommentRow(node))
        return tagStartReg + QStringLiteral("[^>]*?>");
    if (isTextRow(node)) {
        DOMNodeEx *parent = node->parentNodeEx();
        return tagStartReg + QStringLiteral(".*?") + makeCloseTag(lowerNameOf(parent));
    }
    if (name.startsWith(QLatin1Char('#')) || !node)
        return tagStartReg;
    if (isVoid(name))
        return tagStartReg + QStringLiteral("(?>.*?<") + name + QStringLiteral(".*?/>)");
    QString source = tagStartReg + QStringLiteral("(?>.*?<") + name + QStringLiteral("[^>]*?>)");
    const QList<DOMNodeExPtr> &children = node->children();
    if (children.size() > 1) {
        for (qsizetype i = 0; i + 1 < children.size(); ++i) {
            DOMNodeEx *child = children.at(i).get();
            const QString childName = lowerNameOf(child);
            if (isCommentRow(child))
                source += QStringLiteral("(?>.*?<!--[^>]*?>)");
            else if (isTextRow(child) || childName.startsWith(QLatin1Char('#')))
                continue;
            else if (isVoid(childName))
                source += QStringLiteral("(?>.*?<") + childName + QStringLiteral(".*?/>)");
            else
                source += QStringLiteral("(?>.*?<") + childName + QStringLiteral("[^>]*?>)(?>.*?</") + childName
                          + QStringLiteral(">)");
        }
    }
    return source + QStringLiteral("(?>.*?") + makeCloseTag(name) + QLatin1Char(')');
}

Range CodeSearch::adjustRange(DOMNodeEx *, Range startRange, Range endRange)
{
    const qsizetype location = startRange.location + startRange.length - 1;
    return Range{location, endRange.location + endRange.length - location};
}

std::optional<Range> CodeSearch::searchString(const QString &text, const QString &pattern)
{
    // A chain is matched a group at a time, each anchored where the last
    // one ended: a chain of atomic groups never backtracks across a group,
    // the engine compiles patterns of a bounded size only, and the groups
    // of a long chain repeat, so each is compiled once.
    QHash<QString, QRegularExpression> expressions;
    // The text is checked once here, not again for every group.
    const QRegularExpression::MatchOptions checked = QStringView(text).isValidUtf16()
        ? QRegularExpression::DontCheckSubjectStringMatchOption
        : QRegularExpression::NoMatchOption;
    Range range;
    qsizetype offset = 0;
    const QStringList parts = chainParts(pattern);
    QElapsedTimer clock;
    clock.start();
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (clock.elapsed() > kTimeLimitMs) {
            QM_DEBUG(QStringLiteral("RegExp Search gave up after %1 ms").arg(clock.elapsed()));
            return std::nullopt;
        }
        auto found = expressions.find(parts.at(i));
        if (found == expressions.end())
            found = expressions.insert(parts.at(i), compiled(kMatchLimit + parts.at(i)));
        if (!found->isValid()) {
            QM_DEBUG(QStringLiteral("RegExp Search %1 at %2").arg(found->errorString()).arg(found->patternErrorOffset()));
            return std::nullopt;
        }
        const QRegularExpressionMatch match =
            found->match(text, offset, QRegularExpression::NormalMatch,
                         checked | (i == 0 ? QRegularExpression::NoMatchOption
                                           : QRegularExpression::AnchorAtOffsetMatchOption));
        if (!match.hasMatch())
            return std::nullopt;
        if (i == 0)
            range.location = match.capturedStart();
        offset = match.capturedEnd();
    }
    range.length = offset - range.location;
    return range;
}

QStringList CodeSearch::chainParts(const QString &pattern)
{
    QStringList parts;
    qsizetype begin = 0;
    int depth = 0;
    bool inClass = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (inClass) {
            inClass = c != QLatin1Char(']');
            continue;
        }
        if (c == QLatin1Char('['))
            inClass = true;
        else if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')') && --depth == 0 && QStringView(pattern).mid(i + 1, 3) == QLatin1String("(?>")) {
            parts.append(pattern.mid(begin, i + 1 - begin));
            begin = i + 1;
        }
    }
    parts.append(pattern.mid(begin));
    return parts;
}

Range CodeSearch::regSearch(const QString &code, DOMNodeEx *node)
{
    if (!node || !node->node())
        return notFound();
    const QString source = getRegSourceWithNodeInfos(node->getPathInfosWithNode());
    QString start;
    if (node->node()->isElement())
        start = source + QStringLiteral("(?>.*?<)");
    else if (isCommentRow(node))
        start = source + QStringLiteral("(?>.*?<!--)");
    if (start.isEmpty())
        return notFound();
    const QString end = createTagCloseRegSource(node, source);
    // Every pattern opens with a lazy group from the start of the text: a
    // match that exists starts there, so the search tries no other start.
    const Range startRange = searchString(code, QStringLiteral("\\A") + start).value_or(Range{0, 0});
    const Range endRange = searchString(code, QStringLiteral("\\A") + end).value_or(Range{0, 0});
    if (startRange.length == 0 || endRange.length == 0)
        return notFound();
    return adjustRange(node, startRange, endRange);
}

// --- XPath ---------------------------------------------------------------------------------------------

Range CodeSearch::xpathSearch(const QString &code, DOMNodeEx *node)
{
    if (!node || !node->node())
        return notFound();
    const QByteArray bytes = code.toUtf8();
    std::unique_ptr<xmlDoc, XmlDocFree> doc(
        htmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, "UTF-8",
                       HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET));
    if (!doc)
        return notFound();
    QString path = QStringLiteral("/");
    for (DOMNodeEx *row : node->getPath()) {
        const QString name = lowerNameOf(row);
        path += QLatin1Char('/');
        if (name != QLatin1String("tbody"))
            path += name;
    }
    QM_DEBUG(QStringLiteral(" XPath:%1").arg(path));
    std::unique_ptr<xmlXPathContext, XPathContextFree> context(xmlXPathNewContext(doc.get()));
    if (!context)
        return notFound();
    context->error = &ignoreXmlError;
    const QByteArray expression = path.toUtf8();
    std::unique_ptr<xmlXPathObject, XPathObjectFree> found(
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar *>(expression.constData()), context.get()));
    const int count = found && found->nodesetval ? found->nodesetval->nodeNr : 0;
    QM_DEBUG(QStringLiteral(" found nodes:%1").arg(count));
    if (count == 0)
        return notFound();
    if (count == 1) {
        const Range range = rangeOfPattern(code, toRegExpSource(xmlTextOf(doc.get(), found->nodesetval->nodeTab[0])));
        if (range.location != NotFound)
            QM_DEBUG(QStringLiteral("matched"));
        return range;
    }
    if (!node->node()->isElement())
        return notFound();
    const QString outer = static_cast<const DOMElement *>(node->node())->outerHTML();
    for (int i = 0; i < count; ++i) {
        QString text = xmlTextOf(doc.get(), found->nodesetval->nodeTab[i]);
        text.remove(QLatin1Char('\n'));
        text.remove(QLatin1Char('\r'));
        if (text != outer)
            continue;
        const Range range = rangeOfPattern(code, toRegExpSource(text));
        if (range.location != NotFound)
            QM_DEBUG(QStringLiteral("matched3"));
        return range;
    }
    return notFound();
}

// --- Text and tags ---------------------------------------------------------------------------------------

QList<QRegularExpressionMatch> CodeSearch::attributeSearch(const QString &code, DOMNodeEx *node)
{
    QList<QRegularExpressionMatch> matches;
    if (!node || !node->node())
        return matches;
    QString pattern = QStringLiteral("<");
    if (node->isCloseNode())
        pattern += QLatin1Char('/');
    pattern += lowerNameOf(node) + attributePieces(node) + QStringLiteral("\\s?/?>");
    const DOMNode *domNode = node->node();
    if (!node->isCloseNode() && domNode->isElement() && !static_cast<const DOMElement *>(domNode)->hasAttributes()
        && domNode->firstChild() && domNode->firstChild() == domNode->lastChild() && domNode->firstChild()->isText())
        pattern += escapedStringWithString(domNode->textContent());
    const QRegularExpression expression = compiled(kMatchLimit + pattern);
    if (!expression.isValid()) {
        QM_DEBUG(QStringLiteral("Attribute Search %1").arg(expression.errorString()));
        return matches;
    }
    for (QRegularExpressionMatchIterator it = expression.globalMatch(code); it.hasNext();)
        matches.append(it.next());
    return matches;
}

Range CodeSearch::textSearch(const QString &code, DOMNodeEx *node)
{
    if (!node || !node->node())
        return notFound();
    if (isTextRow(node)) {
        const QString text = node->node()->textContent();
        const qsizetype at = text.isEmpty() ? -1 : code.indexOf(text);
        if (at >= 0)
            return Range{at, text.size()};
        QM_DEBUG(QStringLiteral("Content Search not Found."));
        return notFound();
    }
    if (!node->node()->isElement())
        return notFound();
    const QList<QRegularExpressionMatch> matches = attributeSearch(code, node);
    if (!matches.isEmpty() && matches.first().capturedLength() > 0)
        return Range{matches.first().capturedStart(), matches.first().capturedLength()};
    QM_DEBUG(QStringLiteral("Attribute Search not Found."));
    return notFound();
}

QString CodeSearch::createNodeTag(DOMNodeEx *node, int depth)
{
    if (!node || !node->node())
        return {};
    if (isTextRow(node))
        return node->node()->textContent();
    if (isCommentRow(node))
        return QStringLiteral("<!--") + node->node()->textContent() + QStringLiteral("-->");
    const QString name = lowerNameOf(node);
    if (name.startsWith(QLatin1Char('#')))
        return {};
    if (node->isCloseNode())
        return QStringLiteral("</") + name + QStringLiteral("\\s?/>");
    QString tag = QLatin1Char('<') + name + attributePieces(node) + QStringLiteral("\\s?/?>[^<]*?");
    if (depth <= 0) {
        const QList<DOMNodeExPtr> &children = node->children();
        for (qsizetype j = 0; j < children.size(); ++j)
            tag += createNodeTag(children.at(j).get(), depth + 1 + int(j));
    }
    return tag;
}
