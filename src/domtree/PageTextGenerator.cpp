#include "PageTextGenerator.h"

#include "LayoutSpace.h"

#include "platform/foundation/StringEncoding.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentType.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLParser.h"
#include "platform/web/html/HTMLSerializer.h"
#include "stylesheet/WebCoreObjects.h"
#include "workspace/ProjectUtil.h"

namespace {

std::function<std::optional<QString>(const QString &)> &snippetProvider()
{
    static std::function<std::optional<QString>(const QString &)> provider;
    return provider;
}

bool isBlockCapable(const QString &lowerName)
{
    return WebCoreObjects::canContainBlockElementTag(lowerName);
}

QString lowerNameOf(const DOMNode *node)
{
    return node ? node->nodeName().toLower() : QString();
}

// The element whose start row a row belongs to: a closing row's element.
const DOMNode *elementOf(const DOMNodeEx *row)
{
    if (row->isCloseNode()) {
        if (const DOMNodeEx *opening = row->original())
            return opening->node();
    }
    return row->node();
}

// Text whose characters are written as they stand: script, style and the
// other raw text elements, and comments.
bool isRawPiece(const DOMNodeEx *row)
{
    const DOMNode *node = row->node();
    if (!node || node->isComment())
        return true;
    if (!node->isText())
        return false;
    const DOMNode *parent = node->parentNode();
    return parent && parent->isElement()
        && HTMLSerializer::isRawTextElement(static_cast<const DOMElement *>(parent)->localName());
}

} // namespace

void PageTextGenerator::setSnippetProvider(std::function<std::optional<QString>(const QString &)> provider)
{
    snippetProvider() = std::move(provider);
}

void PageTextGenerator::setTextEncoding(quint32 encoding)
{
    m_encoding = encoding;
    m_encodable.clear();
    switch (encoding) {
    case 0:
    case StringEncoding::UTF8:
    case StringEncoding::UTF8WithBOM:
    case StringEncoding::Unicode:
    case StringEncoding::UTF16LittleEndian:
    case StringEncoding::UTF16BigEndianWithBOM:
    case StringEncoding::UTF32:
    case StringEncoding::UTF32LittleEndian:
    case StringEncoding::UTF32BigEndianWithBOM:
        m_encodesEverything = true;
        break;
    default:
        m_encodesEverything = !StringEncoding::isSupported(encoding);
        break;
    }
}

bool PageTextGenerator::canEncode(char32_t character) const
{
    if (character < 0x80 || m_encodesEverything)
        return true;
    const auto found = m_encodable.constFind(character);
    if (found != m_encodable.cend())
        return found.value();
    const bool encodable = StringEncoding::encode(QString::fromUcs4(&character, 1), m_encoding).has_value();
    m_encodable.insert(character, encodable);
    return encodable;
}

QString PageTextGenerator::withCharacterReferences(const QString &text) const
{
    if (m_encodesEverything)
        return text;
    QString out;
    bool changed = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t character = text.at(i).unicode();
        qsizetype units = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            character = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            units = 2;
        }
        if (canEncode(character)) {
            if (changed)
                out += text.mid(i, units);
        } else {
            if (!changed) {
                out = text.left(i);
                changed = true;
            }
            out += QLatin1String("&#x") + QString::number(uint(character), 16).toUpper() + QLatin1Char(';');
        }
        i += units - 1;
    }
    return changed ? out : text;
}

std::optional<QString> PageTextGenerator::namedSnippet(const DOMNode *element) const
{
    if (m_ignoreOptions.isEmpty() || !element || !element->isElement())
        return std::nullopt;
    const IgnoreOptionValue merged = DOMNodeEx::matchedIgnoreOption(element, m_ignoreOptions);
    for (const AttributeCondition &condition : merged.attributeConditions()) {
        if (condition.attrName() != QLatin1String("contentName") || !condition.condition()
            || condition.condition()->isEmpty())
            continue;
        if (!snippetProvider())
            return std::nullopt;
        if (std::optional<QString> content = snippetProvider()(condition.condition()->constLast()))
            return content;
    }
    return std::nullopt;
}

QString PageTextGenerator::generateContentWithFormat(const DOMDocument *document,
                                                     const QList<DOMNodeExPtr> &domNodeList, bool format,
                                                     bool minify) const
{
    QString out;
    QList<const DOMNodeEx *> rows;
    for (const DOMNodeExPtr &row : domNodeList)
        rows.append(row.get());
    if (document) {
        for (const DOMNode *child = document->firstChild(); child; child = child->nextSibling()) {
            if (child->isDocumentType()) {
                const auto *doctype = static_cast<const DOMDocumentType *>(child);
                if (doctype->publicId().isEmpty())
                    out += QStringLiteral("<!DOCTYPE %1>").arg(doctype->name());
                else
                    out += QStringLiteral("<!DOCTYPE %1 PUBLIC \"%2\" \"%3\">")
                               .arg(doctype->name(), doctype->publicId(), doctype->systemId());
            } else if (child->isComment()) {
                // Comments outside the root element are part of the page too.
                if (!out.isEmpty() && !minify)
                    out += QLatin1Char('\n');
                out += QLatin1String("<!--") + child->nodeValue() + QLatin1String("-->");
            } else if (child->isElement()) {
                for (qsizetype i = 0; i < rows.size(); ++i) {
                    if (rows.at(i)->node() == child) {
                        out += concatNodeTree(rows.takeAt(i), format, minify, true);
                        break;
                    }
                }
            }
        }
    }
    for (const DOMNodeEx *row : std::as_const(rows))
        out += concatNodeTree(row, format, minify, true);
    // Without a document type the first row's line break would open the page.
    if (out.startsWith(QLatin1Char('\n')))
        out.remove(0, 1);
    return out;
}

QString PageTextGenerator::concatNodeTree(const DOMNodeEx *root, bool format, bool minify, bool ignore) const
{
    return concatNodeTree(root, format, minify, ignore, {});
}

QString PageTextGenerator::concatNodeTree(const DOMNodeEx *root, bool format, bool minify, bool ignore,
                                          const Substitute &substitute) const
{
    // Work items: a row to write, or text to append (row null).
    // Each row knows from its parent whether it lies inside a preformatted
    // element: no row looks up its ancestors.
    struct Work
    {
        const DOMNodeEx *row;
        QString text;
        bool inPre = false;
    };
    QString out;
    QList<Work> pending;
    if (root)
        pending.append(Work{root, {}, root->hasPreInParent()});
    while (!pending.isEmpty()) {
        const Work work = pending.takeLast();
        if (!work.row) {
            out += work.text;
            continue;
        }
        const DOMNodeEx *row = work.row;
        if (!row->shouldIncludInDom())
            continue;
        const std::optional<QString> standIn
            = substitute && !row->isCloseNode() && row->node() ? substitute(row) : std::nullopt;
        QString source;
        if (standIn) {
            if (standIn->isEmpty())
                continue;
            source = *standIn;
        } else {
            source = ignore ? row->sourceWithIgnoreOption(m_ignoreOptions, format, work.inPre)
                            : row->source(DOMNodeEx::Beautify::Yes, work.inPre);
            if (source.isEmpty())
                continue;
            if (!isRawPiece(row))
                source = withCharacterReferences(source);
        }

        // A closing row is a child of its element's row: it is "in a pre"
        // when that row lies in one or is one.
        if (work.inPre)
            out += source;
        else
            out += minify ? generateMinifiedNodeString(row, source) : generateNewlineAndIndentNodeString(row, source);
        if (standIn)
            continue;

        if (std::optional<QString> snippet = row->isCloseNode() ? std::nullopt : namedSnippet(row->node())) {
            out += *snippet + QLatin1String("</") + lowerNameOf(row->node()) + QLatin1Char('>');
            continue;
        }

        QList<Work> next;
        const bool childrenInPre = work.inPre || DOMNodeEx::isPreformatted(row->node());
        if (!row->isCloseNode() && row->node() && childrenInPre) {
            // Inside a preformatted element every character counts: the
            // white space that has no row is written as it stands.
            QHash<const DOMNode *, const DOMNodeEx *> rowOfNode;
            for (const DOMNodeExPtr &child : row->children()) {
                if (!child->isCloseNode())
                    rowOfNode.insert(child->node(), child.get());
            }
            const DOMNode *parent = DOMNodeEx::contentParent(row->node());
            for (const DOMNode *child = parent->firstChild(); child; child = child->nextSibling()) {
                if (const DOMNodeEx *childRow = rowOfNode.value(child))
                    next.append(Work{childRow, {}, true});
                else if (child->isText())
                    next.append(Work{nullptr, child->textContent()});
            }
            if (parent->hasChildNodes())
                next.append(Work{nullptr, QLatin1String("</") + lowerNameOf(row->node()) + QLatin1Char('>')});
        } else {
            for (const DOMNodeExPtr &child : row->children())
                next.append(Work{child.get(), {}, childrenInPre});
        }
        for (qsizetype i = next.size() - 1; i >= 0; --i)
            pending.append(next.at(i));
    }
    return out;
}

QString PageTextGenerator::minifiedText(const QString &text, bool format) const
{
    const std::shared_ptr<DOMDocument> parsed = HTMLParser::parseDocument(text);
    QList<DOMNodeExPtr> rows;
    if (parsed && parsed->documentElement())
        rows.append(DOMNodeEx::rowForWriting(parsed->documentElement()->shared_from_this()));
    return generateContentWithFormat(parsed.get(), rows, format, true);
}

QString PageTextGenerator::generateMinifiedNodeString(const DOMNodeEx *row, const QString &source)
{
    const DOMNode *node = row->node();
    if (node && node->isText())
        return LayoutSpace::collapsedToFirst(source);
    if (row->isCloseNode())
        return source;
    const DOMNode *previous = node ? node->previousSibling() : nullptr;
    if (!previous || !previous->isText())
        return source;
    const QString text = previous->textContent();
    if (LayoutSpace::endsInSpaceWithLineBreak(text))
        return QLatin1Char('\n') + source;
    if (LayoutSpace::trailingRunLength(text) > 0) {
        // White space alone between two nodes has no row of its own: one
        // character of it keeps the two apart, as the page shows them.
        if (previous->isWhiteSpaceTextNode())
            return text.at(0) + source;
        return LayoutSpace::leadingRunToFirst(source);
    }
    return source;
}

QString PageTextGenerator::generateNewlineAndIndentNodeString(const DOMNodeEx *row, const QString &source)
{
    const QString newline = QLatin1Char('\n') + row->getIndent() + source;
    const DOMNode *node = row->node();
    if (!node)
        return source;
    if (row->isCloseNode()) {
        const DOMNode *element = elementOf(row);
        const QString name = lowerNameOf(element);
        if (name == QLatin1String("html"))
            return newline;
        if (name == QLatin1String("title"))
            return LayoutSpace::beginsWithSpaceBeforeText(element->textContent()) ? newline : source;
        const DOMNode *content = DOMNodeEx::contentParent(element);
        const DOMNode *last = content->lastChild();
        if (!last)
            return source;
        if (last->isText()) {
            return last->isWhiteSpaceTextNode() || LayoutSpace::endsInSpaceAfterText(last->textContent()) ? newline
                                                                                                          : source;
        }
        return isBlockCapable(lowerNameOf(last)) || LayoutSpace::endsInSpaceAfterText(last->textContent()) ? newline
                                                                                                           : source;
    }
    const QString name = lowerNameOf(node);
    if (name == QLatin1String("head") || name == QLatin1String("script") || name == QLatin1String("style"))
        return newline;
    const DOMNode *parent = node->parentNode();
    if (parent && lowerNameOf(parent) == QLatin1String("head"))
        return newline;
    if (isBlockCapable(name))
        return newline;
    if (node->isText()) {
        const QString text = node->textContent();
        if (LayoutSpace::beginsWithLineBreakBeforeText(text))
            return QLatin1Char('\n') + row->getIndent() + LayoutSpace::trimmed(source);
        if (LayoutSpace::beginsWithSpaceBeforeText(text))
            return QLatin1Char('\n') + row->getIndent() + LayoutSpace::leadingRunToFirst(source);
        return source;
    }
    const DOMNode *previous = node->previousSibling();
    if (!previous)
        return parent && isBlockCapable(lowerNameOf(parent)) ? newline : source;
    if (previous->isText()) {
        const QString text = previous->textContent();
        if (previous->isWhiteSpaceTextNode()
            || (LayoutSpace::endsInSpaceWithLineBreak(text) && LayoutSpace::endsInSpaceAfterText(text)))
            return newline;
        if (LayoutSpace::endsInSpaceAfterText(text))
            return QLatin1Char('\n') + row->getIndent() + LayoutSpace::leadingRunToFirst(source);
        return source;
    }
    return isBlockCapable(lowerNameOf(previous)) || LayoutSpace::endsInSpaceAfterText(previous->textContent())
        ? newline
        : source;
}
