#include "WebCoreObjects.h"

#include "DictionaryCSSDefinition.h"
#include "StyleSheetLogging.h"

#include "platform/foundation/Bundle.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <optional>
#include <string_view>
#include <type_traits>

namespace {

QStringList sortedLocaleAware(QStringList list)
{
    std::sort(list.begin(), list.end(), [](const QString &a, const QString &b) {
        return QString::localeAwareCompare(a, b) < 0;
    });
    return list;
}

const QStringList &svgTagList()
{
    static const QStringList names = {
        u"rect"_qs,
        u"path"_qs,
        u"polygon"_qs,
        u"circle"_qs,
        u"ellipse"_qs,
        u"polyline"_qs,
        u"line"_qs,
        u"text"_qs,
        u"tspan"_qs,
        u"g"_qs,
        u"lineargradient"_qs,
        u"radialgradient"_qs,
        u"stop"_qs,
        u"defs"_qs,
        u"marker"_qs,
        u"use"_qs,
        u"symbol"_qs,
        u"animate"_qs,
        u"animatecolor"_qs,
        u"animatemotion"_qs,
        u"animatetransform"_qs,
        u"pattern"_qs,
        u"mask"_qs,
        u"image"_qs,
        u"clippath"_qs,
        u"filter"_qs,
        u"foreignobject"_qs,
        u"feBlend"_qs,
        u"feColorMatrix"_qs,
        u"feComponentTransfer"_qs,
        u"feComposite"_qs,
        u"feConvolveMatrix"_qs,
        u"feDiffuseLighting"_qs,
        u"feDisplacementMap"_qs,
        u"feFlood"_qs,
        u"feGaussianBlur"_qs,
        u"feImage"_qs,
        u"feMerge"_qs,
        u"feMergeNode"_qs,
        u"feMorphology"_qs,
        u"feOffset"_qs,
        u"feSpecularLighting"_qs,
        u"feTile"_qs,
        u"feTurbulence"_qs,
        u"feDistantLight"_qs,
        u"fePointLight"_qs,
        u"feSpotLight"_qs,
        u"feFuncR"_qs,
        u"feFuncG"_qs,
        u"feFuncB"_qs,
        u"feFuncA"_qs,
    };
    return names;
}

const QStringList &htmlTagList()
{
    static const QStringList names = {
        u"a"_qs,
        u"abbr"_qs,
        u"acronym"_qs,
        u"address"_qs,
        u"applet"_qs,
        u"area"_qs,
        u"article"_qs,
        u"aside"_qs,
        u"audio"_qs,
        u"b"_qs,
        u"base"_qs,
        u"basefont"_qs,
        u"bdi"_qs,
        u"bdo"_qs,
        u"bgsound"_qs,
        u"big"_qs,
        u"blockquote"_qs,
        u"body"_qs,
        u"br"_qs,
        u"button"_qs,
        u"canvas"_qs,
        u"caption"_qs,
        u"center"_qs,
        u"cite"_qs,
        u"code"_qs,
        u"col"_qs,
        u"colgroup"_qs,
        u"command"_qs,
        u"content"_qs,
        u"datalist"_qs,
        u"dd"_qs,
        u"del"_qs,
        u"details"_qs,
        u"dfn"_qs,
        u"dialog"_qs,
        u"dir"_qs,
        u"div"_qs,
        u"dl"_qs,
        u"dt"_qs,
        u"em"_qs,
        u"embed"_qs,
        u"fieldset"_qs,
        u"figcaption"_qs,
        u"figure"_qs,
        u"font"_qs,
        u"footer"_qs,
        u"form"_qs,
        u"frame"_qs,
        u"frameset"_qs,
        u"h1"_qs,
        u"h2"_qs,
        u"h3"_qs,
        u"h4"_qs,
        u"h5"_qs,
        u"h6"_qs,
        u"head"_qs,
        u"header"_qs,
        u"hgroup"_qs,
        u"hr"_qs,
        u"html"_qs,
        u"i"_qs,
        u"iframe"_qs,
        u"image"_qs,
        u"img"_qs,
        u"input"_qs,
        u"ins"_qs,
        u"intent"_qs,
        u"isindex"_qs,
        u"kbd"_qs,
        u"keygen"_qs,
        u"label"_qs,
        u"layer"_qs,
        u"legend"_qs,
        u"li"_qs,
        u"link"_qs,
        u"listing"_qs,
        u"map"_qs,
        u"mark"_qs,
        u"marquee"_qs,
        u"menu"_qs,
        u"meta"_qs,
        u"meter"_qs,
        u"nav"_qs,
        u"nobr"_qs,
        u"noembed"_qs,
        u"noframes"_qs,
        u"nolayer"_qs,
        u"noscript"_qs,
        u"object"_qs,
        u"ol"_qs,
        u"optgroup"_qs,
        u"option"_qs,
        u"output"_qs,
        u"p"_qs,
        u"param"_qs,
        u"plaintext"_qs,
        u"pre"_qs,
        u"progress"_qs,
        u"q"_qs,
        u"rp"_qs,
        u"rt"_qs,
        u"ruby"_qs,
        u"s"_qs,
        u"samp"_qs,
        u"script"_qs,
        u"section"_qs,
        u"select"_qs,
        u"shadow"_qs,
        u"small"_qs,
        u"source"_qs,
        u"span"_qs,
        u"strike"_qs,
        u"strong"_qs,
        u"style"_qs,
        u"sub"_qs,
        u"summary"_qs,
        u"sup"_qs,
        u"table"_qs,
        u"tbody"_qs,
        u"td"_qs,
        u"textarea"_qs,
        u"tfoot"_qs,
        u"th"_qs,
        u"time"_qs,
        u"thead"_qs,
        u"title"_qs,
        u"tr"_qs,
        u"track"_qs,
        u"tt"_qs,
        u"u"_qs,
        u"ul"_qs,
        u"var"_qs,
        u"video"_qs,
        u"wbr"_qs,
        u"webkitInnerImage"_qs,
        u"webkitShadowContent"_qs,
        u"svg"_qs,
        u"xmp"_qs,
    };
    return names;
}

std::optional<QVariantMap> readCSSDefinition()
{
    const QString path = Bundle::pathForResource(u"CSSDefinition"_qs, u"json"_qs);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        qCWarning(lcStyleSheet) << "The CSS definition resource cannot be read:" << path;
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        qCWarning(lcStyleSheet) << "The CSS definition resource is not a JSON object:"
                                << error.errorString();
        return std::nullopt;
    }
    return document.object().toVariantMap();
}

} // namespace

const QVariantMap &WebCoreObjects::cssDefinition()
{
    static QMutex mutex;
    static QVariantMap definition;
    static bool loaded = false;
    static const QVariantMap empty;
    QMutexLocker locker(&mutex);
    if (!loaded) {
        if (std::optional<QVariantMap> read = readCSSDefinition()) {
            definition = std::move(*read);
            loaded = true;
        }
    }
    return loaded ? definition : empty;
}

const QStringList &WebCoreObjects::getStyleNames()
{
    static QMutex mutex;
    static QStringList names;
    QMutexLocker locker(&mutex);
    // An unreadable definition is asked again next time rather than leaving
    // the program with an empty list for good.
    if (names.isEmpty())
        names = DictionaryCSSDefinition::findAllPropertyName(cssDefinition());
    return names;
}

const QStringList &WebCoreObjects::getPopulerTagNames()
{
    static const QStringList names = sortedLocaleAware(
        {u"div"_qs, u"a"_qs,    u"ul"_qs, u"ol"_qs,     u"li"_qs,     u"dl"_qs, u"dt"_qs,
         u"dd"_qs,  u"span"_qs, u"p"_qs,  u"br"_qs,     u"h1"_qs,     u"h2"_qs, u"h3"_qs,
         u"h4"_qs,  u"h5"_qs,   u"h6"_qs, u"header"_qs, u"footer"_qs, u"img"_qs});
    return names;
}

const QStringList &WebCoreObjects::getTagNames()
{
    static const QStringList names = sortedLocaleAware(htmlTagList() + svgTagList());
    return names;
}

const QStringList &WebCoreObjects::getAttrNames()
{
    static const QStringList names = sortedLocaleAware({
        u"abbr"_qs,
        u"accept"_qs,
        u"accept_charset"_qs,
        u"accesskey"_qs,
        u"action"_qs,
        u"align"_qs,
        u"alink"_qs,
        u"alt"_qs,
        u"archive"_qs,
        u"aria_activedescendant"_qs,
        u"aria_atomic"_qs,
        u"aria_busy"_qs,
        u"aria_checked"_qs,
        u"aria_controls"_qs,
        u"aria_describedby"_qs,
        u"aria_disabled"_qs,
        u"aria_dropeffect"_qs,
        u"aria_expanded"_qs,
        u"aria_flowto"_qs,
        u"aria_grabbed"_qs,
        u"aria_haspopup"_qs,
        u"aria_help"_qs,
        u"aria_hidden"_qs,
        u"aria_invalid"_qs,
        u"aria_label"_qs,
        u"aria_labeledby"_qs,
        u"aria_labelledby"_qs,
        u"aria_level"_qs,
        u"aria_live"_qs,
        u"aria_multiline"_qs,
        u"aria_multiselectable"_qs,
        u"aria_orientation"_qs,
        u"aria_owns"_qs,
        u"aria_pressed"_qs,
        u"aria_readonly"_qs,
        u"aria_relevant"_qs,
        u"aria_required"_qs,
        u"aria_selected"_qs,
        u"aria_sort"_qs,
        u"aria_valuemax"_qs,
        u"aria_valuemin"_qs,
        u"aria_valuenow"_qs,
        u"aria_valuetext"_qs,
        u"async"_qs,
        u"autocomplete"_qs,
        u"autofocus"_qs,
        u"autoplay"_qs,
        u"autosave"_qs,
        u"axis"_qs,
        u"background"_qs,
        u"behavior"_qs,
        u"bgcolor"_qs,
        u"bgproperties"_qs,
        u"border"_qs,
        u"bordercolor"_qs,
        u"capture"_qs,
        u"cellborder"_qs,
        u"cellpadding"_qs,
        u"cellspacing"_qs,
        u"challenge"_qs,
        u"char"_qs,
        u"charoff"_qs,
        u"charset"_qs,
        u"checked"_qs,
        u"cite"_qs,
        u"class"_qs,
        u"classid"_qs,
        u"clear"_qs,
        u"code"_qs,
        u"codebase"_qs,
        u"codetype"_qs,
        u"color"_qs,
        u"cols"_qs,
        u"colspan"_qs,
        u"compact"_qs,
        u"composite"_qs,
        u"content"_qs,
        u"contenteditable"_qs,
        u"controls"_qs,
        u"coords"_qs,
        u"crossorigin"_qs,
        u"data"_qs,
        u"datetime"_qs,
        u"declare"_qs,
        u"default"_qs,
        u"defer"_qs,
        u"dir"_qs,
        u"direction"_qs,
        u"dirname"_qs,
        u"disabled"_qs,
        u"disposition"_qs,
        u"download"_qs,
        u"draggable"_qs,
        u"enctype"_qs,
        u"end"_qs,
        u"event"_qs,
        u"expanded"_qs,
        u"face"_qs,
        u"focused"_qs,
        u"for"_qs,
        u"form"_qs,
        u"formaction"_qs,
        u"formenctype"_qs,
        u"formmethod"_qs,
        u"formnovalidate"_qs,
        u"formtarget"_qs,
        u"frame"_qs,
        u"frameborder"_qs,
        u"headers"_qs,
        u"height"_qs,
        u"hidden"_qs,
        u"high"_qs,
        u"href"_qs,
        u"hreflang"_qs,
        u"hspace"_qs,
        u"http_equiv"_qs,
        u"id"_qs,
        u"incremental"_qs,
        u"indeterminate"_qs,
        u"ismap"_qs,
        u"itemid"_qs,
        u"itemprop"_qs,
        u"itemref"_qs,
        u"itemscope"_qs,
        u"itemtype"_qs,
        u"keytype"_qs,
        u"kind"_qs,
        u"label"_qs,
        u"lang"_qs,
        u"language"_qs,
        u"leftmargin"_qs,
        u"link"_qs,
        u"list"_qs,
        u"longdesc"_qs,
        u"loop"_qs,
        u"loopend"_qs,
        u"loopstart"_qs,
        u"low"_qs,
        u"lowsrc"_qs,
        u"manifest"_qs,
        u"marginheight"_qs,
        u"marginwidth"_qs,
        u"max"_qs,
        u"maxlength"_qs,
        u"mayscript"_qs,
        u"media"_qs,
        u"mediagroup"_qs,
        u"method"_qs,
        u"min"_qs,
        u"multiple"_qs,
        u"muted"_qs,
        u"name"_qs,
        u"nohref"_qs,
        u"nonce"_qs,
        u"noresize"_qs,
        u"noshade"_qs,
        u"novalidate"_qs,
        u"nowrap"_qs,
        u"object"_qs,
        u"onabort"_qs,
        u"onbeforecopy"_qs,
        u"onbeforecut"_qs,
        u"onbeforeload"_qs,
        u"onbeforepaste"_qs,
        u"onbeforeunload"_qs,
        u"onblur"_qs,
        u"oncanplay"_qs,
        u"oncanplaythrough"_qs,
        u"onchange"_qs,
        u"onclick"_qs,
        u"oncontextmenu"_qs,
        u"oncopy"_qs,
        u"oncut"_qs,
        u"ondblclick"_qs,
        u"ondrag"_qs,
        u"ondragend"_qs,
        u"ondragenter"_qs,
        u"ondragleave"_qs,
        u"ondragover"_qs,
        u"ondragstart"_qs,
        u"ondrop"_qs,
        u"ondurationchange"_qs,
        u"onemptied"_qs,
        u"onended"_qs,
        u"onerror"_qs,
        u"onfocus"_qs,
        u"onfocusin"_qs,
        u"onfocusout"_qs,
        u"onhashchange"_qs,
        u"oninput"_qs,
        u"oninvalid"_qs,
        u"onkeydown"_qs,
        u"onkeypress"_qs,
        u"onkeyup"_qs,
        u"onload"_qs,
        u"onloadeddata"_qs,
        u"onloadedmetadata"_qs,
        u"onloadstart"_qs,
        u"onmousedown"_qs,
        u"onmousemove"_qs,
        u"onmouseout"_qs,
        u"onmouseover"_qs,
        u"onmouseup"_qs,
        u"onmousewheel"_qs,
        u"onoffline"_qs,
        u"ononline"_qs,
        u"onorientationchange"_qs,
        u"onpagehide"_qs,
        u"onpageshow"_qs,
        u"onpaste"_qs,
        u"onpause"_qs,
        u"onplay"_qs,
        u"onplaying"_qs,
        u"onpopstate"_qs,
        u"onprogress"_qs,
        u"onratechange"_qs,
        u"onreset"_qs,
        u"onresize"_qs,
        u"onscroll"_qs,
        u"onsearch"_qs,
        u"onseeked"_qs,
        u"onseeking"_qs,
        u"onselect"_qs,
        u"onselectionchange"_qs,
        u"onselectstart"_qs,
        u"onstalled"_qs,
        u"onstorage"_qs,
        u"onsubmit"_qs,
        u"onsuspend"_qs,
        u"ontimeupdate"_qs,
        u"ontouchcancel"_qs,
        u"ontouchend"_qs,
        u"ontouchmove"_qs,
        u"ontouchstart"_qs,
        u"onunload"_qs,
        u"onvolumechange"_qs,
        u"onwaiting"_qs,
        u"onwebkitanimationend"_qs,
        u"onwebkitanimationiteration"_qs,
        u"onwebkitanimationstart"_qs,
        u"onwebkitbeginfullscreen"_qs,
        u"onwebkitendfullscreen"_qs,
        u"onwebkitfullscreenchange"_qs,
        u"onwebkitfullscreenerror"_qs,
        u"onwebkitkeyadded"_qs,
        u"onwebkitkeyerror"_qs,
        u"onwebkitkeymessage"_qs,
        u"onwebkitneedkey"_qs,
        u"onwebkitsourceclose"_qs,
        u"onwebkitsourceended"_qs,
        u"onwebkitsourceopen"_qs,
        u"onwebkitspeechchange"_qs,
        u"onwebkittransitionend"_qs,
        u"open"_qs,
        u"optimum"_qs,
        u"pattern"_qs,
        u"ping"_qs,
        u"placeholder"_qs,
        u"playcount"_qs,
        u"pluginspage"_qs,
        u"pluginurl"_qs,
        u"poster"_qs,
        u"precision"_qs,
        u"preload"_qs,
        u"primary"_qs,
        u"profile"_qs,
        u"progress"_qs,
        u"prompt"_qs,
        u"readonly"_qs,
        u"rel"_qs,
        u"required"_qs,
        u"results"_qs,
        u"rev"_qs,
        u"reversed"_qs,
        u"role"_qs,
        u"rows"_qs,
        u"rowspan"_qs,
        u"rules"_qs,
        u"sandbox"_qs,
        u"scheme"_qs,
        u"scope"_qs,
        u"scoped"_qs,
        u"scrollamount"_qs,
        u"scrolldelay"_qs,
        u"scrolling"_qs,
        u"seamless"_qs,
        u"select"_qs,
        u"selected"_qs,
        u"shape"_qs,
        u"size"_qs,
        u"sizes"_qs,
        u"sortable"_qs,
        u"sortdirection"_qs,
        u"span"_qs,
        u"spellcheck"_qs,
        u"src"_qs,
        u"srcdoc"_qs,
        u"srclang"_qs,
        u"standby"_qs,
        u"start"_qs,
        u"step"_qs,
        u"style"_qs,
        u"summary"_qs,
        u"tabindex"_qs,
        u"tableborder"_qs,
        u"target"_qs,
        u"text"_qs,
        u"title"_qs,
        u"top"_qs,
        u"topmargin"_qs,
        u"translate"_qs,
        u"truespeed"_qs,
        u"type"_qs,
        u"usemap"_qs,
        u"valign"_qs,
        u"value"_qs,
        u"valuetype"_qs,
        u"version"_qs,
        u"viewsource"_qs,
        u"vlink"_qs,
        u"vspace"_qs,
        u"webkitallowfullscreen"_qs,
        u"webkitdirectory"_qs,
        u"webkitdropzone"_qs,
        u"webkitgrammar"_qs,
        u"webkitspeech"_qs,
        u"width"_qs,
        u"wrap"_qs,
    });
    return names;
}

bool WebCoreObjects::isVoidElement(QAnyStringView tagName)
{
    // The elements HTML writes without an end tag and whose start tag the
    // parser closes at once: nothing can stand inside them (#77: "wbr" and
    // "track" were missing, so the DOM tree let elements be dropped into them).
    static constexpr std::string_view names[] = {"area", "base",  "basefont", "bgsound", "br",    "col",
                                                 "embed", "frame", "hr",      "img",     "input", "keygen",
                                                 "link",  "meta",  "param",   "source",  "track", "wbr"};
    constexpr qsizetype longest = 8;
    const qsizetype size = tagName.size();
    if (size < 2 || size > longest)
        return false;
    char lower[longest];
    bool ascii = true;
    tagName.visit([&](auto view) {
        for (qsizetype i = 0; i < size; ++i) {
            const auto unit = view[i];
            char16_t c;
            if constexpr (std::is_same_v<decltype(unit), const QChar> || std::is_same_v<decltype(unit), const QLatin1Char>)
                c = unit.unicode();
            else
                c = char16_t(uchar(unit));
            ascii = ascii && c < 0x80;
            lower[i] = char(c >= u'A' && c <= u'Z' ? c + 32 : c);
        }
    });
    const std::string_view name(lower, size_t(size));
    return ascii && std::find(std::begin(names), std::end(names), name) != std::end(names);
}

bool WebCoreObjects::shouldClose(const QString &tagName)
{
    return !isVoidElement(tagName);
}

bool WebCoreObjects::canHaveChildren(const QString &tagName)
{
    return shouldClose(tagName) && !tagName.startsWith(u'#');
}

bool WebCoreObjects::canContainInlineElementTag(const QString &tagName)
{
    static const QSet<QString> inlineContent
        = {u"em"_qs,  u"strong"_qs, u"small"_qs, u"s"_qs,    u"cite"_qs, u"q"_qs,
           u"dfn"_qs, u"abbr"_qs,   u"time"_qs,  u"code"_qs, u"var"_qs,  u"samp"_qs,
           u"sub"_qs, u"i"_qs,      u"b"_qs,     u"mark"_qs, u"ruby"_qs, u"rt"_qs,
           u"rp"_qs,  u"bdo"_qs,    u"span"_qs,  u"br"_qs,   u"wbr"_qs};
    return canHaveChildren(tagName) && inlineContent.contains(tagName);
}

bool WebCoreObjects::canContainBlockElementTag(const QString &tagName)
{
    return canHaveChildren(tagName) && !canContainInlineElementTag(tagName);
}

bool WebCoreObjects::isUnique(const QString &tagName)
{
    const QString name = tagName.toLower();
    return name == u"html" || name == u"head" || name == u"body";
}

const QStringList &WebCoreObjects::pseudos()
{
    static const QStringList list
        = {u":link"_qs,          u":visited"_qs,      u":active"_qs,         u":hover"_qs,
           u":focus"_qs,         u":first-letter"_qs, u":first-line"_qs,     u":first-child"_qs,
           u":last-child"_qs,    u":before"_qs,       u":after"_qs,          u":lang"_qs,
           u":not"_qs,           u":nth-child"_qs,    u":nth-last-child"_qs, u":nth-of-type"_qs,
           u":first-of-type"_qs, u":only-child"_qs,   u":only-of-type"_qs,   u":empty"_qs,
           u":target"_qs,        u":enabled"_qs,      u":disabled"_qs,       u":checked"_qs};
    return list;
}

bool WebCoreObjects::isVendarPrefixUnnecessaryProperty(const QString &property)
{
    static const QSet<QString> names = {u"text-shadow"_qs,
                                        u"border-image"_qs,
                                        u"box-sizing"_qs,
                                        u"background-clip"_qs,
                                        u"background-origin"_qs,
                                        u"background-size"_qs,
                                        u"border-bottom-left-radius"_qs,
                                        u"border-bottom-right-radius"_qs,
                                        u"border-radius"_qs,
                                        u"border-top-left-radius"_qs,
                                        u"border-top-right-radius"_qs,
                                        u"opacity"_qs,
                                        u"text-transform"_qs};
    return names.contains(property);
}

bool WebCoreObjects::isNoValueAttribute(const QString &attribute)
{
    static const QSet<QString> names
        = {u"required"_qs, u"autoplay"_qs, u"controls"_qs, u"autofocus"_qs,
           u"multiple"_qs, u"async"_qs,    u"defer"_qs,    u"scoped"_qs};
    return names.contains(attribute);
}

QString WebCoreObjects::getContainableParentWithTagName(const QString &tagName)
{
    static const QList<std::pair<QString, QStringList>> parents = {
        {u"html"_qs, {u"head"_qs, u"body"_qs}},
        {u"head"_qs, {u"meta"_qs, u"script"_qs, u"style"_qs, u"title"_qs}},
        {u"table"_qs, {u"thead"_qs, u"tbody"_qs, u"tfoot"_qs, u"caption"_qs, u"colgroup"_qs}},
        {u"colgroup"_qs, {u"col"_qs}},
        {u"tbody"_qs, {u"tr"_qs}},
        {u"tr"_qs, {u"td"_qs, u"th"_qs}},
    };
    for (const auto &[parent, children] : parents) {
        if (children.contains(tagName))
            return parent;
    }
    return u"div"_qs;
}

bool WebCoreObjects::isHeaderTagGroup(const QString &tagName)
{
    static const QSet<QString> names
        = {u"head"_qs, u"title"_qs, u"link"_qs, u"base"_qs, u"meta"_qs, u"style"_qs, u"script"_qs};
    return names.contains(tagName);
}

bool WebCoreObjects::isSVGTag(const QString &tagName)
{
    static const QSet<QString> names(svgTagList().cbegin(), svgTagList().cend());
    return names.contains(tagName);
}

const QStringList &WebCoreObjects::ignoreVendorPrefixes()
{
    static const QStringList prefixes = {u"-moz"_qs, u"-ms"_qs, u"-o"_qs};
    return prefixes;
}

bool WebCoreObjects::isInvalidSelector(const QString &selector)
{
    static const QRegularExpression prefixedPseudoClass(QStringLiteral("[a-zA-Z]:-"));
    if (prefixedPseudoClass.match(selector).hasMatch())
        return true;
    const QStringList parts = selector.split(u',');
    for (const QString &part : parts) {
        if (!part.contains(QLatin1String("::-")) || part.contains(QLatin1String("webkit")))
            return false;
    }
    return true;
}
