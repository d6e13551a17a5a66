#pragma once

#include "domtree/DOMNodeEx.h"
#include "domtree/DomNodeMap.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLParser.h"
#include "workspace/ProjectUtil.h"

#include <memory>

// A page parsed from the body's markup and its rows as the tree builds them,
// marked by the ignore rules given; the registry is emptied afterwards.
struct ParsedRows
{
    explicit ParsedRows(const QString &body, const QString &ignoreRules = {})
    {
        DOMNodeEx::setIgnoreSettingsProvider(
            [ignoreRules] { return DOMIgnoreSettings{ProjectUtil::parseIgnoreOption(ignoreRules), {}}; });
        document = HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><html><head></head><body>") + body
                                             + QStringLiteral("</body></html>"));
        rows = {DOMNodeEx::initWithNode(document->documentElement()->shared_from_this(), nullptr)};
    }
    ~ParsedRows()
    {
        DOMNodeEx::setIgnoreSettingsProvider({});
        DomNodeMap::getInstance().clearMap();
    }
    ParsedRows(const ParsedRows &) = delete;
    ParsedRows &operator=(const ParsedRows &) = delete;

    // The row of the element with that id.
    DOMNodeEx &row(const char *id) const
    {
        return *DomNodeMap::getInstance().nodeExforNode(document->getElementById(QString::fromLatin1(id)));
    }
    DOMNodeEx *body() const { return rows.constFirst()->children().at(1).get(); }
    QString dump() const { return rows.constFirst()->debugDump(); }

    std::shared_ptr<DOMDocument> document;
    QList<DOMNodeExPtr> rows;
};
