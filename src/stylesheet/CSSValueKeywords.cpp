#include "CSSValueKeywords.h"

#include "ColorUtil.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>

namespace {

const QHash<QString, QStringList> &keywordTable()
{
    static const QHash<QString, QStringList> table = [] {
        const QStringList colors = {
            u"antiquewhite"_qs,
            u"aqua"_qs,
            u"aquamarine"_qs,
            u"azure"_qs,
            u"beige"_qs,
            u"bisque"_qs,
            u"black"_qs,
            u"blanchedalmond"_qs,
            u"blue"_qs,
            u"blueviolet"_qs,
            u"brown"_qs,
            u"burlywood"_qs,
            u"cadetblue"_qs,
            u"chartreuse"_qs,
            u"chocolate"_qs,
            u"coral"_qs,
            u"cornflowerblue"_qs,
            u"cornsilk"_qs,
            u"crimson"_qs,
            u"cyan"_qs,
            u"darkblue"_qs,
            u"darkcyan"_qs,
            u"darkgoldenrod"_qs,
            u"darkgray"_qs,
            u"darkgreen"_qs,
            u"darkgrey"_qs,
            u"darkkhaki"_qs,
            u"darkmagenta"_qs,
            u"darkolivegreen"_qs,
            u"darkorange"_qs,
            u"darkorchid"_qs,
            u"darkred"_qs,
            u"darksalmon"_qs,
            u"darkseagreen"_qs,
            u"darkslateblue"_qs,
            u"darkslategray"_qs,
            u"darkslategrey"_qs,
            u"darkturquoise"_qs,
            u"darkviolet"_qs,
            u"deeppink"_qs,
            u"deepskyblue"_qs,
            u"dimgray"_qs,
            u"dodgerblue"_qs,
            u"firebrick"_qs,
            u"floralwhite"_qs,
            u"forestgreen"_qs,
            u"fuchsia"_qs,
            u"gainsboro"_qs,
            u"ghostwhite"_qs,
            u"gold"_qs,
            u"goldenrod"_qs,
            u"gray"_qs,
            u"green"_qs,
            u"greenyellow"_qs,
            u"honeydew"_qs,
            u"hotpink"_qs,
            u"indianred"_qs,
            u"indigo"_qs,
            u"ivory"_qs,
            u"khaki"_qs,
            u"lavender"_qs,
            u"lavenderblush"_qs,
            u"lawngreen"_qs,
            u"lemonchiffon"_qs,
            u"lightblue"_qs,
            u"lightcoral"_qs,
            u"lightcyan"_qs,
            u"lightgoldenrodyellow"_qs,
            u"lightgray"_qs,
            u"lightgreen"_qs,
            u"lightgrey"_qs,
            u"lightpink"_qs,
            u"lightsalmon"_qs,
            u"lightseagreen"_qs,
            u"lightskyblue"_qs,
            u"lightslategray"_qs,
            u"lightsteelblue"_qs,
            u"lightyellow"_qs,
            u"lime"_qs,
            u"limegreen"_qs,
            u"linen"_qs,
            u"magenta"_qs,
            u"maroon"_qs,
            u"mediumaquamarine"_qs,
            u"mediumblue"_qs,
            u"mediumorchid"_qs,
            u"mediumpurple"_qs,
            u"mediumseagreen"_qs,
            u"mediumslateblue"_qs,
            u"mediumspringgreen"_qs,
            u"mediumturquoise"_qs,
            u"mediumvioletred"_qs,
            u"midnightblue"_qs,
            u"mintcream"_qs,
            u"mistyrose"_qs,
            u"moccasin"_qs,
            u"navajowhite"_qs,
            u"navy"_qs,
            u"oldlace"_qs,
            u"olive"_qs,
            u"olivedrab"_qs,
            u"orange"_qs,
            u"orangered"_qs,
            u"orchid"_qs,
            u"palegoldenrod"_qs,
            u"palegreen"_qs,
            u"paleturquoise"_qs,
            u"palevioletred"_qs,
            u"papayawhip"_qs,
            u"peachpuff"_qs,
            u"peru"_qs,
            u"pink"_qs,
            u"plum"_qs,
            u"powderblue"_qs,
            u"purple"_qs,
            u"red"_qs,
            u"rosybrown"_qs,
            u"royalblue"_qs,
            u"saddlebrown"_qs,
            u"salmon"_qs,
            u"sandybrown"_qs,
            u"seagreen"_qs,
            u"seashell"_qs,
            u"sienna"_qs,
            u"silver"_qs,
            u"skyblue"_qs,
            u"slateblue"_qs,
            u"slategray"_qs,
            u"snow"_qs,
            u"springgreen"_qs,
            u"steelblue"_qs,
            u"tan"_qs,
            u"teal"_qs,
            u"thistle"_qs,
            u"tomato"_qs,
            u"turquoise"_qs,
            u"violet"_qs,
            u"wheat"_qs,
            u"white"_qs,
            u"whitesmoke"_qs,
            u"yellow"_qs,
            u"yellowgreen"_qs,
            u"transparent"_qs,
            u"-webkit-link"_qs,
            u"-webkit-activelink"_qs,
            u"activeborder"_qs,
            u"activecaption"_qs,
            u"appworkspace"_qs,
            u"buttonface"_qs,
            u"buttonhighlight"_qs,
            u"buttonshadow"_qs,
            u"buttontext"_qs,
            u"captiontext"_qs,
            u"graytext"_qs,
            u"highlight"_qs,
            u"highlighttext"_qs,
            u"inactiveborder"_qs,
            u"inactivecaption"_qs,
            u"inactivecaptiontext"_qs,
            u"infobackground"_qs,
            u"infotext"_qs,
            u"menutext"_qs,
            u"scrollbar"_qs,
            u"threeddarkshadow"_qs,
            u"threedface"_qs,
            u"threedhighlight"_qs,
            u"threedlightshadow"_qs,
            u"threedshadow"_qs,
            u"window"_qs,
            u"windowframe"_qs,
            u"windowtext"_qs,
            u"-webkit-focus-ring-color"_qs,
            u"currentcolor"_qs,
            u"-webkit-text"_qs,
            u"inherit"_qs,
        };
        const QStringList listStyleTypes = {
            u"disc"_qs,
            u"circle"_qs,
            u"square"_qs,
            u"decimal"_qs,
            u"decimal-leading-zero"_qs,
            u"arabic-indic"_qs,
            u"binary"_qs,
            u"bengali"_qs,
            u"cambodian"_qs,
            u"khmer"_qs,
            u"devanagari"_qs,
            u"gujarati"_qs,
            u"gurmukhi"_qs,
            u"kannada"_qs,
            u"lower-hexadecimal"_qs,
            u"lao"_qs,
            u"malayalam"_qs,
            u"mongolian"_qs,
            u"myanmar"_qs,
            u"octal"_qs,
            u"oriya"_qs,
            u"persian"_qs,
            u"urdu"_qs,
            u"telugu"_qs,
            u"tibetan"_qs,
            u"thai"_qs,
            u"upper-hexadecimal"_qs,
            u"lower-roman"_qs,
            u"upper-roman"_qs,
            u"lower-greek"_qs,
            u"lower-alpha"_qs,
            u"lower-latin"_qs,
            u"upper-alpha"_qs,
            u"upper-latin"_qs,
            u"afar"_qs,
            u"ethiopic-halehame-aa-et"_qs,
            u"ethiopic-halehame-aa-er"_qs,
            u"amharic"_qs,
            u"ethiopic-halehame-am-et"_qs,
            u"amharic-abegede"_qs,
            u"ethiopic-abegede-am-et"_qs,
            u"cjk-earthly-branch"_qs,
            u"cjk-heavenly-stem"_qs,
            u"ethiopic"_qs,
            u"ethiopic-halehame-gez"_qs,
            u"ethiopic-abegede"_qs,
            u"ethiopic-abegede-gez"_qs,
            u"hangul-consonant"_qs,
            u"hangul"_qs,
            u"lower-norwegian"_qs,
            u"oromo"_qs,
            u"ethiopic-halehame-om-et"_qs,
            u"sidama"_qs,
            u"ethiopic-halehame-sid-et"_qs,
            u"somali"_qs,
            u"ethiopic-halehame-so-et"_qs,
            u"tigre"_qs,
            u"ethiopic-halehame-tig"_qs,
            u"tigrinya-er"_qs,
            u"ethiopic-halehame-ti-er"_qs,
            u"tigrinya-er-abegede"_qs,
            u"ethiopic-abegede-ti-er"_qs,
            u"tigrinya-et"_qs,
            u"ethiopic-halehame-ti-et"_qs,
            u"tigrinya-et-abegede"_qs,
            u"ethiopic-abegede-ti-et"_qs,
            u"upper-greek"_qs,
            u"upper-norwegian"_qs,
            u"asterisks"_qs,
            u"footnotes"_qs,
            u"hebrew"_qs,
            u"armenian"_qs,
            u"lower-armenian"_qs,
            u"upper-armenian"_qs,
            u"georgian"_qs,
            u"cjk-ideographic"_qs,
            u"hiragana"_qs,
            u"katakana"_qs,
            u"hiragana-iroha"_qs,
            u"katakana-iroha"_qs,
            u"none"_qs,
        };
        QHash<QString, QStringList> map;
        auto add = [&map](std::initializer_list<QString> names, const QStringList &values) {
            for (const QString &name : names)
                map.insert(name, values);
        };
        add({u"clear"_qs}, QStringList{u"both"_qs, u"left"_qs, u"right"_qs, u"all"_qs, u"none"_qs});
        add({u"overflow"_qs, u"overflow-x"_qs, u"overflow-y"_qs},
            QStringList{u"visible"_qs, u"scroll"_qs, u"hidden"_qs, u"auto"_qs});
        add({u"opacity"_qs}, QStringList{u"0.1"_qs, u"0.2"_qs, u"0.3"_qs, u"0.4"_qs, u"0.5"_qs,
                                         u"0.6"_qs, u"0.7"_qs, u"0.8"_qs, u"0.9"_qs, u"1.0"_qs});
        add({u"text-indent"_qs}, QStringList{u"0"_qs, u"5px"_qs, u"10px"_qs});
        add({u"top"_qs, u"left"_qs, u"right"_qs, u"bottom"_qs},
            QStringList{u"0"_qs, u"1px"_qs, u"10px"_qs});
        add({u"float"_qs}, QStringList{u"left"_qs, u"right"_qs, u"none"_qs});
        add({u"margin-left"_qs, u"margin-right"_qs}, QStringList{u"auto"_qs});
        add({u"border-corner-shape"_qs},
            QStringList{u"curve"_qs, u"bevel"_qs, u"scoop"_qs, u"notch"_qs});
        add({u"border-radius"_qs, u"margin"_qs, u"padding"_qs, u"border-width"_qs,
             u"border-top-width"_qs, u"border-left-width"_qs, u"border-right-width"_qs,
             u"border-bottom-width"_qs},
            QStringList{u"4px"_qs, u"6px"_qs, u"8px"_qs, u"10px"_qs});
        add({u"outline"_qs, u"border"_qs, u"border-bottom"_qs, u"border-top"_qs, u"border-left"_qs,
             u"border-right"_qs},
            QStringList{u"solid 1px black"_qs});
        add({u"border-style"_qs, u"border-bottom-style"_qs, u"border-top-style"_qs,
             u"border-left-style"_qs, u"border-right-style"_qs},
            QStringList{u"solid"_qs, u"none"_qs, u"hidden"_qs, u"inset"_qs, u"groove"_qs,
                        u"outset"_qs, u"ridge"_qs, u"dotted"_qs, u"dashed"_qs, u"double"_qs});
        add({u"font"_qs},
            QStringList{u"caption"_qs, u"icon"_qs, u"menu"_qs, u"message-box"_qs,
                        u"small-caption"_qs, u"-webkit-mini-control"_qs,
                        u"-webkit-small-control"_qs, u"-webkit-control"_qs, u"status-bar"_qs});
        add({u"font-style"_qs}, QStringList{u"normal"_qs, u"italic"_qs, u"oblique"_qs});
        add({u"font-variant"_qs}, QStringList{u"normal"_qs, u"small-caps"_qs});
        add({u"-webkit-font-variant-ligatures"_qs, u"font-variant-ligatures"_qs},
            QStringList{u"normal"_qs, u"common-ligatures"_qs, u"no-common-ligatures"_qs,
                        u"discretionary-ligatures"_qs, u"no-discretionary-ligatures"_qs,
                        u"historical-ligatures"_qs, u"no-historical-ligatures"_qs});
        add({u"font-weight"_qs}, QStringList{u"normal"_qs, u"bold"_qs, u"bolder"_qs, u"lighter"_qs,
                                             u"100"_qs, u"200"_qs, u"300"_qs, u"400"_qs, u"500"_qs,
                                             u"600"_qs, u"700"_qs, u"800"_qs, u"900"_qs});
        add({u"font-size"_qs},
            QStringList{u"medium"_qs, u"xx-small"_qs, u"x-small"_qs, u"small"_qs, u"large"_qs,
                        u"x-large"_qs, u"xx-large"_qs, u"-webkit-xxx-large"_qs, u"smaller"_qs,
                        u"larger"_qs, u"inherit"_qs});
        add({u"font-stretch"_qs},
            QStringList{u"normal"_qs, u"wider"_qs, u"narrower"_qs, u"ultra-condensed"_qs,
                        u"extra-condensed"_qs, u"condensed"_qs, u"semi-condensed"_qs,
                        u"semi-expanded"_qs, u"expanded"_qs, u"extra-expanded"_qs,
                        u"ultra-expanded"_qs});
        add({u"generic-font-family"_qs},
            QStringList{u"serif"_qs, u"sans-serif"_qs, u"cursive"_qs, u"fantasy"_qs,
                        u"monospace"_qs, u"-webkit-body"_qs, u"-webkit-pictograph"_qs});
        add({u"line-height"_qs, u"letter-spacing"_qs}, QStringList{u"normal"_qs});
        add({u"background"_qs}, QStringList{u"aqua linear-gradient(top, #FFFFFF, #000000)"_qs});
        add({u"background-attachment"_qs}, QStringList{u"fixed"_qs, u"scroll"_qs});
        add({u"background-position"_qs},
            QStringList{u"left"_qs, u"center"_qs, u"right"_qs, u"top"_qs, u"bottom"_qs});
        add({u"background-position-x"_qs, u"background-position-y"_qs},
            QStringList{u"0"_qs, u"50"_qs, u"-50"_qs, u"100"_qs, u"-100"_qs});
        add({u"background-image"_qs},
            QStringList{u"linear-gradient(to bottom, #0a5cc4, #042951)"_qs,
                        u"repeating-linear-gradient(top, #0a5cc4, #042951)"_qs,
                        u"radial-gradient(top, #0a5cc4, #042951)"_qs,
                        u"repeating-radial-gradient(top, #0a5cc4, #042951)"_qs,
                        u"canvas(top, #0a5cc4, #042951)"_qs,
                        u"cross-fade(top, #0a5cc4, #042951)"_qs});
        add({u"background-color"_qs, u"tap-highlight-color"_qs}, colors);
        add({u"color"_qs, u"border-top-color"_qs, u"border-left-color"_qs, u"border-right-color"_qs,
             u"border-bottom-color"_qs, u"fill"_qs, u"stroke"_qs},
            colors);
        add({u"background-blend-mode"_qs},
            QStringList{u"normal"_qs, u"multiply"_qs, u"screen"_qs, u"overlay"_qs, u"darken"_qs,
                        u"lighten"_qs, u"color-dodge"_qs, u"color-burn"_qs, u"hard-light"_qs,
                        u"soft-light"_qs, u"difference"_qs, u"exclusion"_qs, u"hue"_qs,
                        u"saturation"_qs, u"luminosity"_qs});
        add({u"background-repeat"_qs}, QStringList{u"repeat"_qs, u"repeat-x"_qs, u"repeat-y"_qs,
                                                   u"no-repeat"_qs, u"round"_qs, u"space"_qs});
        add({u"background-repeat-x"_qs},
            QStringList{u"repeat"_qs, u"repeat-x"_qs, u"no-repeat"_qs, u"round"_qs, u"space"_qs});
        add({u"background-repeat-y"_qs},
            QStringList{u"repeat"_qs, u"repeat-y"_qs, u"no-repeat"_qs, u"round"_qs, u"space"_qs});
        add({u"-webkit-background-composite"_qs, u"background-composite"_qs},
            QStringList{u"clear"_qs, u"copy"_qs, u"source-over"_qs, u"source-in"_qs,
                        u"source-out"_qs, u"source-atop"_qs, u"destination-over"_qs,
                        u"destination-in"_qs, u"destination-out"_qs, u"destination-atop"_qs,
                        u"xor"_qs, u"plus-darker"_qs, u"highlight"_qs, u"plus-lighter"_qs});
        add({u"vertical-align"_qs},
            QStringList{u"baseline"_qs, u"middle"_qs, u"sub"_qs, u"super"_qs, u"text-top"_qs,
                        u"text-bottom"_qs, u"top"_qs, u"bottom"_qs, u"-webkit-baseline-middle"_qs});
        add({u"text-align"_qs}, QStringList{u"left"_qs, u"right"_qs, u"center"_qs, u"justify"_qs});
        add({u"list-style-position"_qs}, QStringList{u"outside"_qs, u"inside"_qs});
        add({u"list-style-type"_qs}, listStyleTypes);
        add({u"position"_qs},
            QStringList{u"static"_qs, u"relative"_qs, u"absolute"_qs, u"fixed"_qs});
        add({u"display"_qs}, QStringList{u"inline-block"_qs,
                                         u"inline"_qs,
                                         u"block"_qs,
                                         u"list-item"_qs,
                                         u"run-in"_qs,
                                         u"compact"_qs,
                                         u"table"_qs,
                                         u"inline-table"_qs,
                                         u"table-row-group"_qs,
                                         u"table-header-group"_qs,
                                         u"table-footer-group"_qs,
                                         u"table-row"_qs,
                                         u"table-column-group"_qs,
                                         u"table-column"_qs,
                                         u"table-cell"_qs,
                                         u"table-caption"_qs,
                                         u"box"_qs,
                                         u"-webkit-box"_qs,
                                         u"-moz-box"_qs,
                                         u"-o-box"_qs,
                                         u"-ms-box"_qs,
                                         u"none"_qs});
        add({u"cursor"_qs},
            QStringList{
                u"auto"_qs,        u"crosshair"_qs,     u"default"_qs,    u"pointer"_qs,
                u"move"_qs,        u"vertical-text"_qs, u"cell"_qs,       u"context-menu"_qs,
                u"alias"_qs,       u"copy"_qs,          u"progress"_qs,   u"no-drop"_qs,
                u"not-allowed"_qs, u"e-resize"_qs,      u"ne-resize"_qs,  u"nw-resize"_qs,
                u"n-resize"_qs,    u"se-resize"_qs,     u"sw-resize"_qs,  u"s-resize"_qs,
                u"w-resize"_qs,    u"ew-resize"_qs,     u"ns-resize"_qs,  u"nesw-resize"_qs,
                u"nwse-resize"_qs, u"col-resize"_qs,    u"row-resize"_qs, u"text"_qs,
                u"wait"_qs,        u"help"_qs,          u"all-scroll"_qs, u"none"_qs});
        add({u"direction"_qs}, QStringList{u"ltr"_qs, u"rtl"_qs});
        add({u"text-transform"_qs},
            QStringList{u"capitalize"_qs, u"uppercase"_qs, u"lowercase"_qs, u"none"_qs});
        add({u"visibility"_qs}, QStringList{u"visible"_qs, u"hidden"_qs, u"collapse"_qs});
        add({u"backface-visibility"_qs}, QStringList{u"visible"_qs, u"hidden"_qs});
        add({u"box-align"_qs},
            QStringList{u"start"_qs, u"end"_qs, u"center"_qs, u"baseline"_qs, u"stretch"_qs});
        add({u"box-decoration-break"_qs}, QStringList{u"clone"_qs, u"slice"_qs});
        add({u"box-direction"_qs}, QStringList{u"normal"_qs, u"reverse"_qs, u"inherit"_qs});
        add({u"box-orient"_qs}, QStringList{u"horizontal"_qs, u"vertical"_qs, u"inline-axis"_qs,
                                            u"block-axis"_qs, u"inherit"_qs});
        add({u"box-pack"_qs}, QStringList{u"start"_qs, u"end"_qs, u"center"_qs, u"justify"_qs});
        add({u"box-shadow"_qs},
            QStringList{u"1px 1px 1px rgba(0,0,0,0.8)"_qs, u"1px 2px 3px 1px rgba(0,0,0,0.2)"_qs,
                        u"1px 1px 1px 0px rgba(0,0,0,0.4) inset"_qs});
        add({u"box-lines"_qs}, QStringList{u"single"_qs, u"multiple"_qs});
        add({u"box-reflect"_qs},
            QStringList{
                u"below 4px -webkit-linear-gradient(to bottom, #0a5cc4, #042951)"_qs,
                u"below 0px -webkit-gradient(linear, left top, left bottom, from(transparent), color-stop(0.5, transparent), to(white))"_qs});
        add({u"marquee-direction"_qs},
            QStringList{u"forwards"_qs, u"backwards"_qs, u"ahead"_qs, u"reverse"_qs, u"left"_qs,
                        u"right"_qs, u"up"_qs, u"down"_qs, u"auto"_qs});
        add({u"marquee-speed"_qs}, QStringList{u"slow"_qs, u"normal"_qs, u"fast"_qs});
        add({u"marquee-repetition"_qs}, QStringList{u"infinite"_qs});
        add({u"marquee-style"_qs},
            QStringList{u"none"_qs, u"slide"_qs, u"scroll"_qs, u"alternate"_qs});
        add({u"khtml-user-modify"_qs},
            QStringList{u"read-only"_qs, u"read-write"_qs, u"read-write-plaintext-only"_qs});
        add({u"khtml-user-drug"_qs}, QStringList{u"element"_qs});
        add({u"khtml-user-select"_qs}, QStringList{u"ignore"_qs});
        add({u"height"_qs, u"min-height"_qs, u"max-height"_qs},
            QStringList{u"inherit"_qs, u"auto"_qs, u"min-content"_qs, u"-webkit-min-content"_qs,
                        u"-moz-min-content"_qs, u"-ms-min-content"_qs, u"-o-min-content"_qs,
                        u"max-content"_qs, u"-webkit-max-content"_qs, u"-moz-max-content"_qs,
                        u"-ms-max-content"_qs, u"-o-max-content"_qs});
        add({u"width"_qs, u"min-width"_qs, u"max-width"_qs},
            QStringList{u"inherit"_qs, u"auto"_qs, u"min-content"_qs, u"-webkit-min-content"_qs,
                        u"-moz-min-content"_qs, u"-ms-min-content"_qs, u"-o-min-content"_qs,
                        u"max-content"_qs, u"-webkit-max-content"_qs, u"-moz-max-content"_qs,
                        u"-ms-max-content"_qs, u"-o-max-content"_qs});
        add({u"text-decoration"_qs}, QStringList{u"none"_qs, u"underline"_qs, u"overline"_qs,
                                                 u"line-through"_qs, u"blink"_qs});
        add({u"text-overflow"_qs}, QStringList{u"clip"_qs, u"ellipsis"_qs});
        add({u"text-shadow"_qs},
            QStringList{
                u"1px 1px 3px black"_qs, u"-2px 2px 3px #ff2d95"_qs,
                u"0px 1px 1px rgba(255,255,255,0.35)"_qs,
                u"-1px -1px 1px #fff, 1px 1px 1px #000"_qs,
                u"0px 0px 10px rgba(255,255,255,0.6), 0px 0px 30px rgba(255,255,255,0.4), 0px 0px 50px rgba(255,255,255,0.3), 0px 0px 180px rgba(255,255,255,0.3)"_qs,
                u"0 0 5px #fff, 0 0 10px #fff, 0 0 15px #fff, 0 0 20px #ff2d95, 0 0 30px #ff2d95, 0 0 40px #ff2d95, 0 0 50px #ff2d95, 0 0 75px #ff2d95"_qs,
                u"0px -1px 4px white, 0px -2px 10px yellow, 0px -10px 20px #ff8000, 0px -18px 40px red"_qs,
                u"3px 3px 0px #2c2e38, 5px 5px 0px #5c5f72"_qs,
                u"0px 1px 0px #999, 0px 2px 0px #888, 0px 3px 0px #777, 0px 4px 0px #666, 0px 5px 0px #555, 0px 6px 0px #444, 0px 7px 0px #333, 0px 8px 7px #001135"_qs,
                u"-0.06em 0 0 red, 0.06em 0 0 cyan"_qs});
        add({u"khtml-margin-collapse"_qs},
            QStringList{u"collapse"_qs, u"separate"_qs, u"discard"_qs});
        add({u"word-break"_qs}, QStringList{u"normal"_qs, u"break-all"_qs, u"keep-all"_qs});
        add({u"word-wrap"_qs}, QStringList{u"break-word"_qs});
        add({u"nbsp-mode"_qs}, QStringList{u"space"_qs});
        add({u"line-break"_qs}, QStringList{u"after-white-space"_qs});
        add({u"border-image"_qs}, QStringList{u"stretch"_qs, u"repeat"_qs, u"round"_qs});
        add({u"background-clip"_qs, u"background-origin"_qs},
            QStringList{u"border"_qs, u"border-box"_qs, u"content"_qs, u"content-box"_qs,
                        u"padding"_qs, u"padding-box"_qs});
        add({u"background-size"_qs}, QStringList{u"auto"_qs, u"contain"_qs, u"cover"_qs});
        add({u"rtl-ordering"_qs}, QStringList{u"logical"_qs, u"visual"_qs});
        add({u"border-fit"_qs}, QStringList{u"lines"_qs});
        add({u"pointer-events"_qs},
            QStringList{u"visiblePainted"_qs, u"visibleFill"_qs, u"visibleStroke"_qs, u"visible"_qs,
                        u"painted"_qs, u"fill"_qs, u"stroke"_qs, u"all"_qs, u"none"_qs});
        add({u"speech"_qs}, QStringList{u"spell-out"_qs, u"digits"_qs, u"literal-punctuation"_qs,
                                        u"no-punctuation"_qs});
        add({u"-webkit-font-smoothing"_qs, u"font-smoothing"_qs},
            QStringList{u"auto"_qs, u"none"_qs, u"antialiased"_qs, u"subpixel-antialiased"_qs});
        add({u"text-rendering"_qs},
            QStringList{u"auto"_qs, u"optimizeSpeed"_qs, u"optimizeLegibility"_qs,
                        u"geometricPrecision"_qs});
        add({u"-webkit-color-adjust"_qs, u"color-adjust"_qs},
            QStringList{u"economy"_qs, u"economy"_qs});
        add({u"-webkit-color-correction"_qs, u"color-correction"_qs},
            QStringList{u"default"_qs, u"sRGB"_qs});
        add({u"-webkit-filter"_qs, u"filter"_qs},
            QStringList{u"sepia(100%)"_qs, u"grayscale(100%)"_qs, u"invert(100%)"_qs,
                        u"opacity(50%)"_qs, u"brightness(50%)"_qs, u"contrast(100%)"_qs,
                        u"saturate(100%)"_qs, u"blur(8px)"_qs, u"hue-rotate(180deg)"_qs,
                        u"drop-shadow(rgba(0, 0, 0, 0.5) 3px 6px 8px)"_qs, u"gamma(1 3 0)"_qs});
        add({u"-webkit-hyphenate-limit-lines"_qs, u"hyphenate-limit-lines"_qs},
            QStringList{u"no-limit"_qs});
        add({u"-webkit-hyphens"_qs, u"hyphens"_qs},
            QStringList{u"none"_qs, u"manual"_qs, u"auto"_qs});
        add({u"-webkit-overflow-scrolling"_qs, u"overflow-scrolling"_qs},
            QStringList{u"auto"_qs, u"touch"_qs});
        add({u"-webkit-writing-mode"_qs, u"writing-mode"_qs},
            QStringList{u"lr"_qs, u"rl"_qs, u"tb"_qs, u"lr-tb"_qs, u"rl-tb"_qs, u"tb-rl"_qs,
                        u"horizontal-tb"_qs, u"vertical-rl"_qs, u"vertical-lr"_qs,
                        u"horizontal-bt"_qs});
        add({u"-webkit-text-emphasis-position"_qs, u"text-emphasis-position"_qs},
            QStringList{u"over"_qs, u"under"_qs});
        add({u"-webkit-text-emphasis-style"_qs, u"text-emphasis-style"_qs},
            QStringList{u"filled"_qs, u"open"_qs, u"dot"_qs, u"circle"_qs, u"double-circle"_qs,
                        u"triangle"_qs, u"sesame"_qs});
        add({u"-webkit-radial-gradient"_qs, u"radial-gradient"_qs},
            QStringList{u"circle"_qs, u"ellipse"_qs, u"closest-side"_qs, u"closest-corner"_qs,
                        u"farthest-side"_qs, u"farthest-corner"_qs, u"contain"_qs, u"cover"_qs});
        add({u"-webkit-text-orientation"_qs, u"text-orientation"_qs},
            QStringList{u"upright"_qs, u"vertical-right"_qs});
        add({u"-webkit-line-box-contain"_qs, u"line-box-contain"_qs},
            QStringList{u"font"_qs, u"glyphs"_qs, u"inline-box"_qs, u"replaced"_qs});
        add({u"-webkit-font-feature-settings"_qs, u"font-feature-settings"_qs},
            QStringList{u"on"_qs, u"off"_qs});
        add({u"image-rendering"_qs},
            QStringList{u"auto"_qs, u"optimizeSpeed"_qs, u"optimizeQuality"_qs,
                        u"-webkit-optimize-contrast"_qs});
        add({u"-webkit-wrap-shape"_qs, u"wrap-shape"_qs},
            QStringList{u"nonzero"_qs, u"evenodd"_qs});
        add({u"-webkit-region-overflow"_qs, u"region-overflow"_qs},
            QStringList{u"auto"_qs, u"break"_qs});
        add({u"-webkit-wrap-flow"_qs, u"wrap-flow"_qs},
            QStringList{u"auto"_qs, u"both"_qs, u"left"_qs, u"right"_qs, u"maximum"_qs,
                        u"clear"_qs});
        add({u"-webkit-wrap-through"_qs, u"wrap-through"_qs}, QStringList{u"wrap"_qs, u"none"_qs});
        add({u"-webkit-line-align"_qs, u"line-align"_qs}, QStringList{u"edges"_qs});
        add({u"-webkit-app-region"_qs, u"app-region"_qs}, QStringList{u"drag"_qs, u"no-drag"_qs});
        add({u"alignment-baseline"_qs},
            QStringList{u"baseline"_qs, u"use-script"_qs, u"before-edge"_qs, u"text-before-edge"_qs,
                        u"after-edge"_qs, u"text-after-edge"_qs, u"central"_qs, u"ideographic"_qs,
                        u"alphabetic"_qs, u"hanging"_qs, u"mathematical"_qs});
        add({u"-webkit-animation-duration"_qs, u"animation-duration"_qs},
            QStringList{u"4.0s"_qs, u"3.0s"_qs, u"2.0s"_qs, u"1.0s"_qs, u"0.5s"_qs, u"0.0s"_qs});
        add({u"-webkit-animation-delay"_qs, u"animation-delay"_qs},
            QStringList{u"0.0s"_qs, u"0.5s"_qs, u"1.0s"_qs, u"2.0s"_qs, u"3.0s"_qs, u"4.0s"_qs});
        add({u"-webkit-animation-timing-function"_qs, u"animation-timing-function"_qs},
            QStringList{u"ease"_qs, u"linear"_qs, u"ease-in"_qs, u"ease-out"_qs, u"ease-in-out"_qs,
                        u"cubic-bezier(0, 1, 2, 3)"_qs});
        add({u"-webkit-transition-timing-function"_qs, u"transition-timing-function"_qs},
            QStringList{u"ease"_qs, u"linear"_qs, u"ease-in"_qs, u"ease-out"_qs, u"ease-in-out"_qs,
                        u"step-start"_qs, u"step-end"_qs});
        add({u"-webkit-animation-direction"_qs, u"animation-direction"_qs},
            QStringList{u"normal"_qs, u"alternate"_qs, u"alternate-reverse"_qs});
        add({u"-webkit-animation-fill-mode"_qs, u"animation-fill-mode"_qs},
            QStringList{u"forwards"_qs, u"backwards"_qs, u"both"_qs});
        add({u"-webkit-animation-iteration-count"_qs, u"animation-iteration-count"_qs},
            QStringList{u"infinite"_qs});
        add({u"-webkit-animation-play-state"_qs, u"animation-play-state"_qs},
            QStringList{u"running"_qs, u"paused"_qs});
        add({u"-webkit-transform-style"_qs, u"transform-style"_qs},
            QStringList{u"flat"_qs, u"preserve-3d"_qs});
        add({u"-webkit-transform"_qs, u"transform"_qs},
            QStringList{u"translate3d(0.0em, 0.0em, 0.0em)"_qs, u"translate3d(0px, 0px, 0px)"_qs,
                        u"rotate(360deg)"_qs, u"rotateX(360deg)"_qs, u"rotateY(360deg)"_qs,
                        u"scale(1)"_qs, u"skew(360deg)"_qs});
        add({u"-webkit-transform-origin"_qs, u"transform-origin"_qs, u"transform-origin-x"_qs,
             u"transform-origin-y"_qs, u"transform-origin-z"_qs},
            QStringList{u"left"_qs, u"center"_qs, u"right"_qs});
        add({u"white-space"_qs}, QStringList{u"normal"_qs, u"nowrap"_qs});
        add({u"stroke-linecap"_qs}, QStringList{u"butt"_qs, u"round"_qs, u"square"_qs});
        add({u"stroke-linejoin"_qs}, QStringList{u"miter"_qs, u"round"_qs, u"bevel"_qs});
        add({u"stroke-miterlimit"_qs}, QStringList{u"4"_qs});
        add({u"stroke-dasharray"_qs}, QStringList{u"1,1"_qs, u"5,5"_qs, u"15,10,5"_qs});
        add({u"stroke-dashoffset"_qs}, QStringList{u"0"_qs, u"5"_qs, u"10"_qs, u"15"_qs});
        add({u"box-sizing"_qs}, QStringList{u"content-box"_qs, u"border-box"_qs, u"inherit"_qs});
        add({u"align-content"_qs},
            QStringList{u"flex-start"_qs, u"flex-end"_qs, u"center"_qs, u"space-between"_qs,
                        u"space-around"_qs, u"stretch"_qs});
        add({u"flex-flow"_qs},
            QStringList{u"row"_qs, u"row-reverse"_qs, u"column"_qs, u"column-reverse"_qs,
                        u"none"_qs, u"wrap"_qs, u"wrap-reverse"_qs});
        add({u"-webkit-flex-direction"_qs, u"-moz-flex-direction"_qs, u"-ms-flex-direction"_qs,
             u"flex-direction"_qs},
            QStringList{u"row"_qs, u"column"_qs, u"row-reverse"_qs, u"column-reverse"_qs});
        add({u"align-items"_qs, u"align-self"_qs},
            QStringList{u"flex-start"_qs, u"flex-end"_qs, u"center"_qs, u"baseline"_qs,
                        u"stretch"_qs});
        add({u"justify-content"_qs}, QStringList{u"flex-start"_qs, u"flex-end"_qs, u"center"_qs,
                                                 u"space-between"_qs, u"space-around"_qs});
        return map;
    }();
    return table;
}

} // namespace

QStringList CSSValueKeywords::getValueKeywords(const QString &property)
{
    QStringList values;
    if (property == u"font-family") {
        // The font database needs the GUI application.
        if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
            values = QFontDatabase::families();
    } else {
        values = keywordTable().value(property);
    }
    if (values.isEmpty())
        return QStringList{u"none"_qs};
    return values;
}

QString CSSValueKeywords::colorNameToHex(const QString &name)
{
    const QString hex = ColorUtil::colorNameToHex(name);
    return hex.isEmpty() ? u"#000000"_qs : hex;
}
