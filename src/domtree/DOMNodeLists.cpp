#include "DOMNodeLists.h"

#include <algorithm>

namespace {

QMap<QString, QStringList> buildNodeMap()
{
    const QList<std::pair<QString, QStringList>> categories = {
        {QStringLiteral("1.Spotlights"),
         {"#text", "div", "a", "span", "i", "ul", "ol", "li", "dl", "dt", "dd", "p", "h1", "h2", "h3", "h4", "h5", "h6",
          "header", "footer", "img", "#comment"}},
        {QStringLiteral("2.Html Element"), {"html"}},
        {QStringLiteral("3.Document Metadata"),
         {"head", "title", "base", "link", "meta", "style", "meta charset='utf-8'",
          "meta name='robots' content='noindex,nofollow'",
          "meta name='viewport' content='width=device-width, maximum-scale=2.0, user-scalable=yes'",
          "link rel='stylesheet' href='index.css'"}},
        {QStringLiteral("4.Script"), {"script", "noscript", "script type='text/javascript' src='main.js'"}},
        {QStringLiteral("5.Sections"),
         {"body", "section", "nav", "article", "aside", "h1", "h2", "h3", "h4", "h5", "h6", "hgroup", "header", "footer",
          "address"}},
        {QStringLiteral("6.Grouping Content"),
         {"p", "hr", "pre", "blockquote", "ol", "ul", "li", "dl", "dt", "dd", "figure", "figcaption", "div"}},
        {QStringLiteral("7.Text Level Semantics"),
         {"a", "em", "strong", "small", "s", "cite", "q", "dfn", "abbr", "time", "code", "var", "samp", "sub", "i", "b",
          "mark", "ruby", "rt", "rp", "bdo", "span", "br", "wbr"}},
        {QStringLiteral("8.Edits"), {"ins", "del"}},
        {QStringLiteral("9.Embedded Content"),
         {"img", "iframe", "embed", "object", "param", "video", "audio", "source", "canvas", "map", "area"}},
        {QStringLiteral("10.Tabular Data"),
         {"table", "caption", "colgroup", "col", "tbody", "thead", "tfoot", "tr", "td", "th"}},
        {QStringLiteral("11.Forms"),
         {"form", "fieldset", "legend", "label", "input", "input type='button'", "input type='checkbox'",
          "input type='color'", "input type='date'", "input type='datetime'", "input type='datetime-local'",
          "input type='email'", "input type='file'", "input type='hidden'", "input type='image'", "input type='month'",
          "input type='number'", "input type='password'", "input type='radio'", "input type='range'",
          "input type='reset'", "input type='submit'", "input type='search'", "input type='time'", "input type='tel'",
          "input type='text'", "input type='url'", "input type='week'", "input placeholder='keyword'",
          "input pattern='^[0-9A-Za-z]+$'", "input min='0' max='100'", "input step='1'", "input autocomplete='on'",
          "input autofocus", "input required", "input multiple", "button", "select", "datalist", "optgroup", "option",
          "textarea", "keygen", "output", "progress", "meter"}},
        {QStringLiteral("12.Interactive Elements"), {"details", "summary", "command", "menu"}},
        {QStringLiteral("13.SVG"),
         {"svg", "rect", "path", "polygon", "circle", "ellipse", "polyline", "line", "text", "tspan", "g",
          "lineargradient", "radialgradient", "stop", "defs", "marker", "use", "symbol", "animate", "animatecolor",
          "animatemotion", "animatetransform", "pattern", "mask", "image", "clippath", "filter", "foreignobject",
          "filter", "feBlend", "feColorMatrix", "feComponentTransfer", "feComposite", "feConvolveMatrix",
          "feDiffuseLighting", "feDisplacementMap", "feFlood", "feGaussianBlur", "feImage", "feMerge", "feMergeNode",
          "feMorphology", "feOffset", "feSpecularLighting", "feTile", "feTurbulence", "feDistantLight",
          "fePointLight", "feSpotLight", "feFuncR", "feFuncG", "feFuncB", "feFuncA"}},
    };
    QMap<QString, QStringList> map;
    for (const auto &[name, templates] : categories)
        map.insert(QStringLiteral("%1 (%2)").arg(name).arg(templates.size()), templates);
    return map;
}

} // namespace

const QMap<QString, QStringList> &DOMNodeLists::nodeMap()
{
    static const QMap<QString, QStringList> map = buildNodeMap();
    return map;
}

QStringList DOMNodeLists::nodeByCategory(const QString &key)
{
    return nodeMap().value(key);
}

QStringList DOMNodeLists::getNodeByCategory()
{
    // QMap keeps its keys in character order already.
    return nodeMap().keys();
}

QStringList DOMNodeLists::categoriesByNumber()
{
    return sortedByNumber(getNodeByCategory());
}

QStringList DOMNodeLists::sortedByNumber(QStringList keys)
{
    std::stable_sort(keys.begin(), keys.end(), [](const QString &a, const QString &b) {
        return a.section(QLatin1Char('.'), 0, 0).toDouble() < b.section(QLatin1Char('.'), 0, 0).toDouble();
    });
    return keys;
}
