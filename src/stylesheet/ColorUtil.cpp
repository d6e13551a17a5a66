#include "ColorUtil.h"

#include <QColor>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace ColorUtil {

namespace {

constexpr double kChannelScale = 255.99998474121094; // 256 - 1/65536

int channel(double component)
{
    return int(component * kChannelScale);
}

const QHash<QString, QString> &namedColors()
{
    static const QHash<QString, QString> table = [] {
        struct Entry
        {
            const char16_t *name;
            const char16_t *hex;
        };
        static const Entry entries[] = {
            {u"aqua", u"#00FFFF"},
            {u"aquamarine", u"#7FFFD4"},
            {u"azure", u"#F0FFFF"},
            {u"beige", u"#F5F5DC"},
            {u"bisque", u"#FFE4C4"},
            {u"black", u"#000000"},
            {u"blanchedalmond", u"#FFEBCD"},
            {u"blue", u"#0000FF"},
            {u"blueviolet", u"#8A2BE2"},
            {u"brown", u"#A52A2A"},
            {u"burlywood", u"#DEB887"},
            {u"cadetblue", u"#5F9EA0"},
            {u"chartreuse", u"#7FFF00"},
            {u"chocolate", u"#D2691E"},
            {u"coral", u"#FF7F50"},
            {u"cornflowerblue", u"#6495ED"},
            {u"cornsilk", u"#FFF8DC"},
            {u"crimson", u"#DC143C"},
            {u"cyan", u"#00FFFF"},
            {u"darkblue", u"#00008B"},
            {u"darkcyan", u"#008B8B"},
            {u"darkgoldenrod", u"#B8860B"},
            {u"darkgray", u"#A9A9A9"},
            {u"darkgreen", u"#006400"},
            {u"darkgrey", u"#A9A9A9"},
            {u"darkkhaki", u"#BDB76B"},
            {u"darkmagenta", u"#8B008B"},
            {u"darkolivegreen", u"#556B2F"},
            {u"darkorange", u"#FF8C00"},
            {u"darkorchid", u"#9932CC"},
            {u"darkred", u"#8B0000"},
            {u"darksalmon", u"#E9967A"},
            {u"darkseagreen", u"#8FBC8F"},
            {u"darkslateblue", u"#483D8B"},
            {u"darkslategray", u"#2F4F4F"},
            {u"darkslategrey", u"#2F4F4F"},
            {u"darkturquoise", u"#00CED1"},
            {u"darkviolet", u"#9400D3"},
            {u"deeppink", u"#FF1493"},
            {u"deepskyblue", u"#00BFFF"},
            {u"dimgray", u"#696969"},
            {u"dodgerblue", u"#1E90FF"},
            {u"firebrick", u"#B22222"},
            {u"floralwhite", u"#FFFAF0"},
            {u"forestgreen", u"#228B22"},
            {u"fuchsia", u"#FF00FF"},
            {u"gainsboro", u"#DCDCDC"},
            {u"ghostwhite", u"#F8F8FF"},
            {u"gold", u"#FFD700"},
            {u"goldenrod", u"#DAA520"},
            {u"gray", u"#808080"},
            {u"green", u"#008000"},
            {u"greenyellow", u"#ADFF2F"},
            {u"grey", u"#808080"},
            {u"honeydew", u"#F0FFF0"},
            {u"hotpink", u"#FF69B4"},
            {u"indianred", u"#CD5C5C"},
            {u"indigo", u"#4B0082"},
            {u"ivory", u"#FFFFF0"},
            {u"khaki", u"#F0E68C"},
            {u"lavender", u"#E6E6FA"},
            {u"lavenderblush", u"#FFF0F5"},
            {u"lawngreen", u"#7CFC00"},
            {u"lemonchiffon", u"#FFFACD"},
            {u"lightblue", u"#ADD8E6"},
            {u"lightcoral", u"#F08080"},
            {u"lightcyan", u"#E0FFFF"},
            {u"lightgoldenrodyellow", u"#FAFAD2"},
            {u"lightgray", u"#D3D3D3"},
            {u"lightgreen", u"#90EE90"},
            {u"lightgrey", u"#D3D3D3"},
            {u"lightpink", u"#FFB6C1"},
            {u"lightsalmon", u"#FFA07A"},
            {u"lightseagreen", u"#20B2AA"},
            {u"lightskyblue", u"#87CEFA"},
            {u"lightslategray", u"#778899"},
            {u"lightsteelblue", u"#B0C4DE"},
            {u"lightyellow", u"#FFFFE0"},
            {u"lime", u"#00FF00"},
            {u"limegreen", u"#32CD32"},
            {u"linen", u"#FAF0E6"},
            {u"magenta", u"#FF00FF"},
            {u"maroon", u"#800000"},
            {u"mediumaquamarine", u"#66CDAA"},
            {u"mediumblue", u"#0000CD"},
            {u"mediumorchid", u"#BA55D3"},
            {u"mediumpurple", u"#9370DB"},
            {u"mediumseagreen", u"#3CB371"},
            {u"mediumslateblue", u"#7B68EE"},
            {u"mediumspringgreen", u"#00FA9A"},
            {u"mediumturquoise", u"#48D1CC"},
            {u"mediumvioletred", u"#C71585"},
            {u"midnightblue", u"#191970"},
            {u"mintcream", u"#F5FFFA"},
            {u"mistyrose", u"#FFE4E1"},
            {u"moccasin", u"#FFE4B5"},
            {u"navajowhite", u"#FFDEAD"},
            {u"navy", u"#000080"},
            {u"oldlace", u"#FDF5E6"},
            {u"olive", u"#808000"},
            {u"olivedrab", u"#6B8E23"},
            {u"orange", u"#FFA500"},
            {u"orangered", u"#FF4500"},
            {u"orchid", u"#DA70D6"},
            {u"palegoldenrod", u"#EEE8AA"},
            {u"palegreen", u"#98FB98"},
            {u"paleturquoise", u"#AFEEEE"},
            {u"palevioletred", u"#DB7093"},
            {u"papayawhip", u"#FFEFD5"},
            {u"peachpuff", u"#FFDAB9"},
            {u"peru", u"#CD853F"},
            {u"pink", u"#FFC0CB"},
            {u"plum", u"#DDA0DD"},
            {u"powderblue", u"#B0E0E6"},
            {u"purple", u"#800080"},
            {u"red", u"#FF0000"},
            {u"rosybrown", u"#BC8F8F"},
            {u"royalblue", u"#4169E1"},
            {u"saddlebrown", u"#8B4513"},
            {u"salmon", u"#FA8072"},
            {u"sandybrown", u"#F4A460"},
            {u"seagreen", u"#2E8B57"},
            {u"seashell", u"#FFF5EE"},
            {u"sienna", u"#A0522D"},
            {u"silver", u"#C0C0C0"},
            {u"skyblue", u"#87CEEB"},
            {u"slateblue", u"#6A5ACD"},
            {u"slategray", u"#708090"},
            {u"snow", u"#FFFAFA"},
            {u"springgreen", u"#00FF7F"},
            {u"steelblue", u"#4682B4"},
            {u"tan", u"#D2B48C"},
            {u"teal", u"#008080"},
            {u"thistle", u"#D8BFD8"},
            {u"tomato", u"#FF6347"},
            {u"turquoise", u"#40E0D0"},
            {u"violet", u"#EE82EE"},
            {u"wheat", u"#F5DEB3"},
            {u"white", u"#FFFFFF"},
            {u"whitesmoke", u"#F5F5F5"},
            {u"yellow", u"#FFFF00"},
            {u"yellowgreen", u"#9ACD32"},
            {u"transparent", u"#000000"},
            {u"-webkit-link", u"#3D02F2"},
            {u"-webkit-activelink", u"#FF0000"},
            {u"activeborder", u"#6F7E8D"},
            {u"activecaption", u"#000000"},
            {u"appworkspace", u"#AAAAAA"},
            {u"background", u"#6C52D1"},
            {u"buttonface", u"#C0C0C0"},
            {u"buttonhighlight", u"#E9E9E9"},
            {u"buttonshadow", u"#9FA09F"},
            {u"buttontext", u"#000000"},
            {u"captiontext", u"#000000"},
            {u"graytext", u"#7F7F7F"},
            {u"highlight", u"#B1D3FF"},
            {u"highlighttext", u"#000000"},
            {u"inactiveborder", u"#FFFFFF"},
            {u"inactivecaption", u"#FFFFFF"},
            {u"inactivecaptiontext", u"#000000"},
            {u"infobackground", u"#F8FFC3"},
            {u"infotext", u"#000000"},
            {u"menutext", u"#FFFFFF"},
            {u"scrollbar", u"#AAAAAA"},
            {u"threeddarkshadow", u"#000000"},
            {u"threedface", u"#C0C0C0"},
            {u"threedhighlight", u"#FFFFFF"},
            {u"threedlightshadow", u"#FFFFFF"},
            {u"threedshadow", u"#000000"},
            {u"window", u"#EDEDED"},
            {u"windowframe", u"#AAAAAA"},
            {u"windowtext", u"#000000"},
            {u"-webkit-focus-ring-color", u"#6F7E8D"},
            {u"currentcolor", u"#000000"},
            {u"-webkit-text", u"#000000"},
        };
        QHash<QString, QString> map;
        map.reserve(int(std::size(entries)));
        for (const Entry &entry : entries)
            map.insert(QString::fromUtf16(entry.name), QString::fromUtf16(entry.hex));
        return map;
    }();
    return table;
}

// Reads the decimal number at the start of a piece (leading white space
// skipped, anything after it ignored), as a single-precision value.
std::optional<float> leadingNumber(QStringView piece)
{
    qsizetype i = 0;
    const qsizetype length = piece.size();
    while (i < length && piece[i].isSpace())
        ++i;
    const qsizetype start = i;
    if (i < length && (piece[i] == u'+' || piece[i] == u'-'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < length && piece[i].isDigit())
        ++i;
    bool hasDigits = i > digitsStart;
    if (i < length && piece[i] == u'.') {
        ++i;
        const qsizetype fractionStart = i;
        while (i < length && piece[i].isDigit())
            ++i;
        hasDigits = hasDigits || i > fractionStart;
    }
    if (!hasDigits)
        return std::nullopt;
    if (i < length && (piece[i] == u'e' || piece[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < length && (piece[j] == u'+' || piece[j] == u'-'))
            ++j;
        const qsizetype exponentStart = j;
        while (j < length && piece[j].isDigit())
            ++j;
        if (j > exponentStart)
            i = j;
    }
    bool ok = false;
    const double value = piece.mid(start, i - start).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return float(value);
}

// The numbers of the comma-separated pieces after a function head; nothing
// when a piece has no leading number.
std::optional<QList<float>> numbersAfter(const QString &text, qsizetype headLength)
{
    QList<float> numbers;
    const QStringView rest = QStringView(text).mid(headLength);
    for (const QStringView piece : rest.split(u',')) {
        const std::optional<float> number = leadingNumber(piece);
        if (!number)
            return std::nullopt;
        numbers.append(*number);
    }
    return numbers;
}

double hueToChannel(double p, double q, double t)
{
    if (t < 0)
        t += 1;
    if (t > 1)
        t -= 1;
    if (6 * t < 1)
        return p + (q - p) * 6 * t;
    if (2 * t < 1)
        return q;
    if (3 * t < 2)
        return p + (q - p) * (2.0 / 3.0 - t) * 6;
    return p;
}

} // namespace

RGBAColor colorFromHexadecimalValue(const QString &hex)
{
    QString digits = hex.startsWith(u'#') ? hex.mid(1) : hex;
    if (digits.size() == 3) {
        QString doubled;
        for (const QChar c : std::as_const(digits)) {
            doubled += c;
            doubled += c;
        }
        digits = doubled;
    }
    // Scan as the platform scanner does: leading white space, an optional
    // "0x", then hex digits; saturated on overflow; 0 when nothing scans.
    auto hexDigit = [](QChar c) -> int {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            return u - u'0';
        if (u >= u'a' && u <= u'f')
            return u - u'a' + 10;
        if (u >= u'A' && u <= u'F')
            return u - u'A' + 10;
        return -1;
    };
    qsizetype i = 0;
    while (i < digits.size() && digits[i].isSpace())
        ++i;
    if (i + 2 < digits.size() && digits[i] == u'0'
        && (digits[i + 1] == u'x' || digits[i + 1] == u'X') && hexDigit(digits[i + 2]) >= 0)
        i += 2;
    quint64 number = 0;
    for (; i < digits.size(); ++i) {
        const int digit = hexDigit(digits[i]);
        if (digit < 0)
            break;
        number
            = std::min<quint64>(number * 16 + quint64(digit), std::numeric_limits<quint32>::max());
    }
    const quint32 value = quint32(number);
    return RGBAColor{((value >> 16) & 0xff) / 255.0, ((value >> 8) & 0xff) / 255.0,
                     (value & 0xff) / 255.0, 1.0};
}

QString hexadecimalValue(const RGBAColor &color)
{
    return QString::asprintf("%02x%02x%02x", channel(color.red), channel(color.green),
                             channel(color.blue));
}

QString cssColorValue(const RGBAColor &color)
{
    if (color.alpha == 1.0)
        return u'#' + hexadecimalValue(color);
    return cssColorValueRGBA(color);
}

QString cssColorValueRGBA(const RGBAColor &color)
{
    return QString::asprintf("rgba(%i, %i, %i, %.2f)", channel(color.red), channel(color.green),
                             channel(color.blue), color.alpha);
}

QString cssColorValueRGB(const RGBAColor &color)
{
    return QString::asprintf("rgb(%i, %i, %i)", channel(color.red), channel(color.green),
                             channel(color.blue));
}

std::optional<RGBAColor> createNSColorWithString(const QString &text)
{
    if (text == u"transparent")
        return RGBAColor{0, 0, 0, 0};
    const auto named = namedColors().constFind(text);
    if (named != namedColors().constEnd())
        return colorFromHexadecimalValue(*named);
    if (text.startsWith(u'#'))
        return colorFromHexadecimalValue(text);
    if (text.size() < 5)
        return std::nullopt;
    if (text.startsWith(QLatin1String("rgba("))) {
        const std::optional<QList<float>> numbers = numbersAfter(text, 5);
        return numbers ? colorWithAlphaFromArray(*numbers) : std::nullopt;
    }
    if (text.startsWith(QLatin1String("hsla("))) {
        const std::optional<QList<float>> numbers = numbersAfter(text, 5);
        return numbers ? colorWithHSLAFromArray(*numbers) : std::nullopt;
    }
    if (text.startsWith(QLatin1String("rgb("))) {
        const std::optional<QList<float>> numbers = numbersAfter(text, 4);
        return numbers ? colorFromArray(*numbers) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<RGBAColor> cssColorWithString(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (std::optional<RGBAColor> read = createNSColorWithString(trimmed))
        return trimmed.compare(u"currentcolor", Qt::CaseInsensitive) == 0 ? std::nullopt : read;
    const QString lower = trimmed.toLower();
    if (lower == u"currentcolor")
        return std::nullopt;
    if (lower != trimmed)
        return cssColorWithString(lower);
    if (lower.startsWith(QLatin1String("hsl("))) {
        std::optional<QList<float>> numbers = numbersAfter(lower, 4);
        if (!numbers || numbers->size() != 3)
            return std::nullopt;
        numbers->append(1);
        return colorWithHSLAFromArray(*numbers);
    }
    // The table leaves out a few CSS names; Qt knows the rest of them.
    static const QRegularExpression name(QStringLiteral("^[a-z]+$"));
    if (!name.match(lower).hasMatch())
        return std::nullopt;
    if (lower == u"rebeccapurple")
        return colorFromHexadecimalValue(QStringLiteral("#663399"));
    // The channels of a name are whole numbers of 255: read them so, not
    // through the floats of QColor.
    const QColor named = QColor::fromString(lower);
    if (!named.isValid())
        return std::nullopt;
    return RGBAColor{named.red() / 255.0, named.green() / 255.0, named.blue() / 255.0, 1};
}

int getUnitWithString(const QString &text)
{
    if (namedColors().contains(text) || text.startsWith(u'#'))
        return NamedOrHex;
    if (text.startsWith(QLatin1String("rgba(")) || text.startsWith(QLatin1String("hsla(")))
        return RGBA;
    if (text.startsWith(QLatin1String("rgb(")))
        return RGB;
    return NamedOrHex;
}

std::optional<RGBAColor> colorFromArray(const QList<float> &numbers)
{
    if (numbers.size() < 3)
        return std::nullopt;
    return RGBAColor{numbers[0] / 255.0, numbers[1] / 255.0, numbers[2] / 255.0, 1.0};
}

std::optional<RGBAColor> colorWithAlphaFromArray(const QList<float> &numbers)
{
    if (numbers.size() < 4)
        return std::nullopt;
    return RGBAColor{numbers[0] / 255.0, numbers[1] / 255.0, numbers[2] / 255.0,
                     double(numbers[3])};
}

std::optional<RGBAColor> colorWithHSLAFromArray(const QList<float> &numbers)
{
    // The HSL-to-RGB conversion of CSS Color Module Level 3.
    if (numbers.size() < 4)
        return std::nullopt;
    const double h = numbers[0] / 360.0;
    const double s = numbers[1] / 100.0;
    const double l = numbers[2] / 100.0;
    const double alpha = numbers[3];
    if (s == 0)
        return RGBAColor{l, l, l, alpha};
    const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    const double p = 2 * l - q;
    return RGBAColor{hueToChannel(p, q, h + 1.0 / 3.0), hueToChannel(p, q, h),
                     hueToChannel(p, q, h - 1.0 / 3.0), alpha};
}

QStringList pantoneColors()
{
    return {
        // greys
        u"#000000"_qs,
        u"#121212"_qs,
        u"#242424"_qs,
        u"#363636"_qs,
        u"#484848"_qs,
        u"#494949"_qs,
        u"#6b6b6b"_qs,
        u"#808080"_qs,
        u"#919191"_qs,
        u"#a3a3a3"_qs,
        u"#c7c7c7"_qs,
        u"#d9d9d9"_qs,
        u"#ebebeb"_qs,
        u"#ffffff"_qs,
        // reds
        u"#FB0007"_qs,
        u"#fb0011"_qs,
        u"#fb001c"_qs,
        u"#fc1b29"_qs,
        u"#fc2e38"_qs,
        u"#fc4048"_qs,
        u"#fc5258"_qs,
        u"#fc656a"_qs,
        u"#fc787c"_qs,
        u"#fd8c90"_qs,
        u"#FDA1A3"_qs,
        u"#FDB6B8"_qs,
        u"#FECCCD"_qs,
        u"#FEE2E2"_qs,
        // yellows
        u"#FECD0A"_qs,
        u"#FED112"_qs,
        u"#FED51D"_qs,
        u"#FED82A"_qs,
        u"#FEDC39"_qs,
        u"#FEE048"_qs,
        u"#FEE359"_qs,
        u"#FFE76A"_qs,
        u"#FFEA7D"_qs,
        u"#FFEE90"_qs,
        u"#FFF1A4"_qs,
        u"#FFF4B8"_qs,
        u"#FFF8CD"_qs,
        u"#FFFBE3"_qs,
        // greens
        u"#4DFF07"_qs,
        u"#57FF11"_qs,
        u"#61FF1C"_qs,
        u"#6CFF29"_qs,
        u"#77FF38"_qs,
        u"#83FF48"_qs,
        u"#8FFF59"_qs,
        u"#9BFF6A"_qs,
        u"#A8FF7D"_qs,
        u"#B5FF90"_qs,
        u"#C3FFA3"_qs,
        u"#D0FFB8"_qs,
        u"#DEFFCD"_qs,
        u"#ECFFE2"_qs,
        // sea greens
        u"#22FF6D"_qs,
        u"#26FF76"_qs,
        u"#2DFF7F"_qs,
        u"#36FF89"_qs,
        u"#42FF92"_qs,
        u"#50FF9C"_qs,
        u"#5FFFA6"_qs,
        u"#6DFFAF"_qs,
        u"#7EFFB9"_qs,
        u"#91FFC4"_qs,
        u"#A3FFCE"_qs,
        u"#B7FFD9"_qs,
        u"#CBFFE4"_qs,
        u"#E3FFF1"_qs,
        // sky blues
        u"#1297FF"_qs,
        u"#199EFF"_qs,
        u"#23A5FF"_qs,
        u"#2FACFF"_qs,
        u"#3CB4FF"_qs,
        u"#4BBBFF"_qs,
        u"#5CC2FF"_qs,
        u"#6AC8FF"_qs,
        u"#7CD0FF"_qs,
        u"#8FD7FF"_qs,
        u"#A2DEFF"_qs,
        u"#B6E6FF"_qs,
        u"#CBEDFF"_qs,
        u"#E3F5FF"_qs,
        // blues and violets
        u"#1E00FF"_qs,
        u"#2A00FF"_qs,
        u"#3600FF"_qs,
        u"#4408FF"_qs,
        u"#5225FF"_qs,
        u"#6039FF"_qs,
        u"#704DFF"_qs,
        u"#7F61FF"_qs,
        u"#8D72FF"_qs,
        u"#9E87FF"_qs,
        u"#AF9CFF"_qs,
        u"#C0B2FF"_qs,
        u"#D2C8FF"_qs,
        u"#E7E1FF"_qs,
        // magentas
        u"#FB00CB"_qs,
        u"#FB00CE"_qs,
        u"#FB00D2"_qs,
        u"#FB00D5"_qs,
        u"#FB1ED9"_qs,
        u"#FC35DD"_qs,
        u"#FC4AE0"_qs,
        u"#FC5FE4"_qs,
        u"#FC73E8"_qs,
        u"#FD88EB"_qs,
        u"#FD9EEF"_qs,
        u"#FDA7F1"_qs,
        u"#FDBDF4"_qs,
        u"#FEDEFA"_qs,
    };
}

QString colorNameToHex(const QString &name)
{
    return namedColors().value(name);
}

} // namespace ColorUtil
