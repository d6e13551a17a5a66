#include "StringHTMLAdditions.h"

#include <QHash>

#include <algorithm>
#include <optional>

namespace StringHTMLAdditions {

namespace {

constexpr HTMLEscapeMap kFullTable[] = {
    { "&quot;", 34 }, { "&amp;", 38 }, { "&apos;", 39 }, { "&lt;", 60 }, { "&gt;", 62 },
    { "&nbsp;", 160 }, { "&iexcl;", 161 }, { "&cent;", 162 }, { "&pound;", 163 },
    { "&curren;", 164 }, { "&yen;", 165 }, { "&brvbar;", 166 }, { "&sect;", 167 },
    { "&uml;", 168 }, { "&copy;", 169 }, { "&ordf;", 170 }, { "&laquo;", 171 }, { "&not;", 172 },
    { "&shy;", 173 }, { "&reg;", 174 }, { "&macr;", 175 }, { "&deg;", 176 }, { "&plusmn;", 177 },
    { "&sup2;", 178 }, { "&sup3;", 179 }, { "&acute;", 180 }, { "&micro;", 181 },
    { "&para;", 182 }, { "&middot;", 183 }, { "&cedil;", 184 }, { "&sup1;", 185 },
    { "&ordm;", 186 }, { "&raquo;", 187 }, { "&frac14;", 188 }, { "&frac12;", 189 },
    { "&frac34;", 190 }, { "&iquest;", 191 }, { "&Agrave;", 192 }, { "&Aacute;", 193 },
    { "&Acirc;", 194 }, { "&Atilde;", 195 }, { "&Auml;", 196 }, { "&Aring;", 197 },
    { "&AElig;", 198 }, { "&Ccedil;", 199 }, { "&Egrave;", 200 }, { "&Eacute;", 201 },
    { "&Ecirc;", 202 }, { "&Euml;", 203 }, { "&Igrave;", 204 }, { "&Iacute;", 205 },
    { "&Icirc;", 206 }, { "&Iuml;", 207 }, { "&ETH;", 208 }, { "&Ntilde;", 209 },
    { "&Ograve;", 210 }, { "&Oacute;", 211 }, { "&Ocirc;", 212 }, { "&Otilde;", 213 },
    { "&Ouml;", 214 }, { "&times;", 215 }, { "&Oslash;", 216 }, { "&Ugrave;", 217 },
    { "&Uacute;", 218 }, { "&Ucirc;", 219 }, { "&Uuml;", 220 }, { "&Yacute;", 221 },
    { "&THORN;", 222 }, { "&szlig;", 223 }, { "&agrave;", 224 }, { "&aacute;", 225 },
    { "&acirc;", 226 }, { "&atilde;", 227 }, { "&auml;", 228 }, { "&aring;", 229 },
    { "&aelig;", 230 }, { "&ccedil;", 231 }, { "&egrave;", 232 }, { "&eacute;", 233 },
    { "&ecirc;", 234 }, { "&euml;", 235 }, { "&igrave;", 236 }, { "&iacute;", 237 },
    { "&icirc;", 238 }, { "&iuml;", 239 }, { "&eth;", 240 }, { "&ntilde;", 241 },
    { "&ograve;", 242 }, { "&oacute;", 243 }, { "&ocirc;", 244 }, { "&otilde;", 245 },
    { "&ouml;", 246 }, { "&divide;", 247 }, { "&oslash;", 248 }, { "&ugrave;", 249 },
    { "&uacute;", 250 }, { "&ucirc;", 251 }, { "&uuml;", 252 }, { "&yacute;", 253 },
    { "&thorn;", 254 }, { "&yuml;", 255 }, { "&OElig;", 338 }, { "&oelig;", 339 },
    { "&Scaron;", 352 }, { "&scaron;", 353 }, { "&Yuml;", 376 }, { "&fnof;", 402 },
    { "&circ;", 710 }, { "&tilde;", 732 }, { "&Alpha;", 913 }, { "&Beta;", 914 },
    { "&Gamma;", 915 }, { "&Delta;", 916 }, { "&Epsilon;", 917 }, { "&Zeta;", 918 },
    { "&Eta;", 919 }, { "&Theta;", 920 }, { "&Iota;", 921 }, { "&Kappa;", 922 },
    { "&Lambda;", 923 }, { "&Mu;", 924 }, { "&Nu;", 925 }, { "&Xi;", 926 }, { "&Omicron;", 927 },
    { "&Pi;", 928 }, { "&Rho;", 929 }, { "&Sigma;", 931 }, { "&Tau;", 932 }, { "&Upsilon;", 933 },
    { "&Phi;", 934 }, { "&Chi;", 935 }, { "&Psi;", 936 }, { "&Omega;", 937 }, { "&alpha;", 945 },
    { "&beta;", 946 }, { "&gamma;", 947 }, { "&delta;", 948 }, { "&epsilon;", 949 },
    { "&zeta;", 950 }, { "&eta;", 951 }, { "&theta;", 952 }, { "&iota;", 953 }, { "&kappa;", 954 },
    { "&lambda;", 955 }, { "&mu;", 956 }, { "&nu;", 957 }, { "&xi;", 958 }, { "&omicron;", 959 },
    { "&pi;", 960 }, { "&rho;", 961 }, { "&sigmaf;", 962 }, { "&sigma;", 963 }, { "&tau;", 964 },
    { "&upsilon;", 965 }, { "&phi;", 966 }, { "&chi;", 967 }, { "&psi;", 968 }, { "&omega;", 969 },
    { "&thetasym;", 977 }, { "&upsih;", 978 }, { "&piv;", 982 }, { "&ensp;", 8194 },
    { "&emsp;", 8195 }, { "&thinsp;", 8201 }, { "&zwnj;", 8204 }, { "&zwj;", 8205 },
    { "&lrm;", 8206 }, { "&rlm;", 8207 }, { "&ndash;", 8211 }, { "&mdash;", 8212 },
    { "&lsquo;", 8216 }, { "&rsquo;", 8217 }, { "&sbquo;", 8218 }, { "&ldquo;", 8220 },
    { "&rdquo;", 8221 }, { "&bdquo;", 8222 }, { "&dagger;", 8224 }, { "&Dagger;", 8225 },
    { "&bull;", 8226 }, { "&hellip;", 8230 }, { "&permil;", 8240 }, { "&prime;", 8242 },
    { "&Prime;", 8243 }, { "&lsaquo;", 8249 }, { "&rsaquo;", 8250 }, { "&oline;", 8254 },
    { "&frasl;", 8260 }, { "&euro;", 8364 }, { "&image;", 8465 }, { "&weierp;", 8472 },
    { "&real;", 8476 }, { "&trade;", 8482 }, { "&alefsym;", 8501 }, { "&larr;", 8592 },
    { "&uarr;", 8593 }, { "&rarr;", 8594 }, { "&darr;", 8595 }, { "&harr;", 8596 },
    { "&crarr;", 8629 }, { "&lArr;", 8656 }, { "&uArr;", 8657 }, { "&rArr;", 8658 },
    { "&dArr;", 8659 }, { "&hArr;", 8660 }, { "&forall;", 8704 }, { "&part;", 8706 },
    { "&exist;", 8707 }, { "&empty;", 8709 }, { "&nabla;", 8711 }, { "&isin;", 8712 },
    { "&notin;", 8713 }, { "&ni;", 8715 }, { "&prod;", 8719 }, { "&sum;", 8721 },
    { "&minus;", 8722 }, { "&lowast;", 8727 }, { "&radic;", 8730 }, { "&prop;", 8733 },
    { "&infin;", 8734 }, { "&ang;", 8736 }, { "&and;", 8743 }, { "&or;", 8744 }, { "&cap;", 8745 },
    { "&cup;", 8746 }, { "&int;", 8747 }, { "&there4;", 8756 }, { "&sim;", 8764 },
    { "&cong;", 8773 }, { "&asymp;", 8776 }, { "&ne;", 8800 }, { "&equiv;", 8801 },
    { "&le;", 8804 }, { "&ge;", 8805 }, { "&sub;", 8834 }, { "&sup;", 8835 }, { "&nsub;", 8836 },
    { "&sube;", 8838 }, { "&supe;", 8839 }, { "&oplus;", 8853 }, { "&otimes;", 8855 },
    { "&perp;", 8869 }, { "&sdot;", 8901 }, { "&lceil;", 8968 }, { "&rceil;", 8969 },
    { "&lfloor;", 8970 }, { "&rfloor;", 8971 }, { "&lang;", 9001 }, { "&rang;", 9002 },
    { "&loz;", 9674 }, { "&spades;", 9824 }, { "&clubs;", 9827 }, { "&hearts;", 9829 },
    { "&diams;", 9830 },
};

constexpr HTMLEscapeMap kShortTable[] = {
    { "&quot;", 34 }, { "&amp;", 38 }, { "&apos;", 39 }, { "&lt;", 60 }, { "&gt;", 62 },
    { "&OElig;", 338 }, { "&oelig;", 339 }, { "&Scaron;", 352 }, { "&scaron;", 353 },
    { "&Yuml;", 376 }, { "&circ;", 710 }, { "&tilde;", 732 }, { "&ensp;", 8194 },
    { "&emsp;", 8195 }, { "&thinsp;", 8201 }, { "&zwnj;", 8204 }, { "&zwj;", 8205 },
    { "&lrm;", 8206 }, { "&rlm;", 8207 }, { "&ndash;", 8211 }, { "&mdash;", 8212 },
    { "&lsquo;", 8216 }, { "&rsquo;", 8217 }, { "&sbquo;", 8218 }, { "&ldquo;", 8220 },
    { "&rdquo;", 8221 }, { "&bdquo;", 8222 }, { "&dagger;", 8224 }, { "&Dagger;", 8225 },
    { "&permil;", 8240 }, { "&lsaquo;", 8249 }, { "&rsaquo;", 8250 }, { "&euro;", 8364 },
};

static_assert(std::size(kFullTable) == 253);
static_assert(std::size(kShortTable) == 33);

const QHash<QString, char16_t> &unitsByName()
{
    static const QHash<QString, char16_t> map = [] {
        QHash<QString, char16_t> m;
        for (const HTMLEscapeMap &entry : kFullTable)
            m.insert(QString::fromLatin1(entry.escapeSequence), entry.uchar);
        return m;
    }();
    return map;
}

// Reads the whole of `digits` as a number in the given base; nullopt when it
// is empty or holds anything but digits of that base.
std::optional<uint> readNumber(QStringView digits, int base)
{
    if (digits.isEmpty())
        return std::nullopt;
    uint value = 0;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        int digit = -1;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (base == 16 && u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (base == 16 && u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        if (digit < 0 || digit >= base)
            return std::nullopt;
        value = value * base + uint(digit);
        if (value > 0xFFFFu)
            return std::nullopt; // out of range anyway; stops overflow
    }
    return value;
}

} // namespace

std::span<const HTMLEscapeMap> fullEscapeTable()
{
    return kFullTable;
}

std::span<const HTMLEscapeMap> shortEscapeTable()
{
    return kShortTable;
}

QString gtm_stringByEscapingHTMLUsingTable(const QString &text, std::span<const HTMLEscapeMap> table,
                                           bool escapingUnicode)
{
    if (text.isEmpty())
        return text;

    QString result;
    result.reserve(text.size() + text.size() / 8);
    qsizetype runStart = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text.at(i).unicode();
        const auto it = std::lower_bound(table.begin(), table.end(), unit,
                                         [](const HTMLEscapeMap &entry, char16_t u) { return entry.uchar < u; });
        const bool found = it != table.end() && it->uchar == unit;
        if (!found && !(escapingUnicode && unit > 127))
            continue;
        result.append(QStringView(text).mid(runStart, i - runStart));
        if (found)
            result.append(QLatin1String(it->escapeSequence));
        else
            result.append(QStringLiteral("&#%1;").arg(uint(unit)));
        runStart = i + 1;
    }
    if (runStart == 0)
        return text;
    result.append(QStringView(text).mid(runStart));
    return result;
}

QString gtm_stringByEscapingForHTML(const QString &text)
{
    return gtm_stringByEscapingHTMLUsingTable(text, kShortTable, false);
}

QString gtm_stringByEscapingForAsciiHTML(const QString &text)
{
    return gtm_stringByEscapingHTMLUsingTable(text, kFullTable, true);
}

QString gtm_stringByUnescapingFromHTML(const QString &text)
{
    qsizetype amp = text.lastIndexOf(u'&');
    if (amp < 0)
        return text;

    QString result = text;
    // References are replaced from the end toward the start, so the positions
    // of the earlier "&" stay valid. A reference ends before the "&" handled
    // just before it.
    qsizetype limit = result.size();
    while (amp >= 0) {
        const qsizetype semicolon = result.indexOf(u';', amp + 1);
        if (semicolon >= 0 && semicolon < limit) {
            const qsizetype length = semicolon - amp + 1;
            if (length >= 4 && length <= 10) {
                const QStringView reference = QStringView(result).mid(amp, length);
                std::optional<uint> unit;
                if (reference.at(1) != u'#') {
                    const auto &names = unitsByName();
                    const auto it = names.constFind(reference.toString());
                    if (it != names.constEnd())
                        unit = *it;
                } else if (reference.at(2) == u'x' || reference.at(2) == u'X') {
                    unit = readNumber(reference.mid(3, length - 4), 16);
                } else {
                    unit = readNumber(reference.mid(2, length - 3), 10);
                }
                if (unit && *unit >= 1 && *unit <= 65534)
                    result.replace(amp, length, QChar(char16_t(*unit)));
            }
        }
        limit = amp;
        amp = amp > 0 ? result.lastIndexOf(u'&', amp - 1) : -1;
    }
    return result;
}

} // namespace StringHTMLAdditions
