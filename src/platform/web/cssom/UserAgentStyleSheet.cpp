#include "UserAgentStyleSheet.h"

#include "DOMCSSParser.h"

#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMSelectorEngine.h"

namespace {

// After the rendering section of the HTML Standard: hidden elements, the
// flow content elements, sections and headings, lists, tables, phrasing
// content, forms and embedded content, abridged to what a designer meets.
const char s_defaultRules[] = R"CSS(
area, base, basefont, datalist, head, link, meta, noembed, noframes, param, rp, script, style, template, title { display: none; }
[hidden] { display: none; }
html, body { display: block; }
address, blockquote, center, dialog, div, figure, figcaption, footer, form, header, hr, legend, listing, main, p, plaintext, pre, search, xmp { display: block; }
blockquote, figure, listing, p, plaintext, pre, xmp { margin-top: 1em; margin-bottom: 1em; }
blockquote, figure { margin-left: 40px; margin-right: 40px; }
address { font-style: italic; }
listing, plaintext, pre, xmp { font-family: monospace; white-space: pre; }
body { margin: 8px; }
article, aside, h1, h2, h3, h4, h5, h6, hgroup, nav, section { display: block; }
h1 { margin-top: 0.67em; margin-bottom: 0.67em; font-size: 2em; font-weight: bold; }
h2 { margin-top: 0.83em; margin-bottom: 0.83em; font-size: 1.5em; font-weight: bold; }
h3 { margin-top: 1em; margin-bottom: 1em; font-size: 1.17em; font-weight: bold; }
h4 { margin-top: 1.33em; margin-bottom: 1.33em; font-size: 1em; font-weight: bold; }
h5 { margin-top: 1.67em; margin-bottom: 1.67em; font-size: 0.83em; font-weight: bold; }
h6 { margin-top: 2.33em; margin-bottom: 2.33em; font-size: 0.67em; font-weight: bold; }
dir, dd, dl, dt, menu, ol, ul { display: block; }
li { display: list-item; }
dir, dl, menu, ol, ul { margin-top: 1em; margin-bottom: 1em; }
dd { margin-left: 40px; }
dir, menu, ol, ul { padding-left: 40px; }
ol { list-style-type: decimal; }
dir, menu, ul { list-style-type: disc; }
table { display: table; box-sizing: border-box; border-spacing: 2px; border-collapse: separate; text-indent: initial; }
caption { display: table-caption; text-align: center; }
colgroup { display: table-column-group; }
col { display: table-column; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { font-weight: bold; text-align: center; }
cite, dfn, em, i, var { font-style: italic; }
b, strong { font-weight: bolder; }
code, kbd, samp, tt { font-family: monospace; }
big { font-size: larger; }
small { font-size: smaller; }
sub { vertical-align: sub; font-size: smaller; }
sup { vertical-align: super; font-size: smaller; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
mark { background-color: yellow; color: black; }
abbr[title], acronym[title] { text-decoration: dotted underline; }
a:-webkit-any-link { color: -webkit-link; text-decoration: underline; cursor: pointer; }
hr { color: gray; border-style: inset; border-width: 1px; margin: 0.5em auto; overflow: hidden; }
fieldset { display: block; margin-left: 2px; margin-right: 2px; border: groove 2px ThreeDFace; padding: 0.35em 0.75em 0.625em; min-width: min-content; }
legend { padding-left: 2px; padding-right: 2px; }
img { overflow-clip-margin: content-box; overflow: clip; }
iframe { border: 2px inset; }
video { object-fit: contain; }
input, select, button, textarea { letter-spacing: initial; word-spacing: initial; line-height: initial; text-transform: initial; text-indent: initial; text-shadow: initial; appearance: auto; }
input, select, textarea { text-align: initial; }
textarea { white-space: pre-wrap; }
button { display: inline-block; text-align: center; }
details, summary { display: block; }
summary { display: list-item; }
ruby { display: ruby; }
rt { display: ruby-text; }
q::before { content: open-quote; }
q::after { content: close-quote; }
)CSS";

// Ids far below the ones the program gives its own rules.
constexpr qint64 s_firstRuleId = -(qint64(1) << 40);

QString pseudoElementName(const QString &pseudoElement)
{
    QString name = pseudoElement.trimmed().toLower();
    while (name.startsWith(QLatin1Char(':')))
        name.remove(0, 1);
    return name;
}

} // namespace

const UserAgentStyleSheet &UserAgentStyleSheet::instance()
{
    static const UserAgentStyleSheet s_instance;
    return s_instance;
}

UserAgentStyleSheet::UserAgentStyleSheet()
    : m_sheet(std::make_shared<DOMCSSStyleSheet>(DOMCSSKey(), s_firstRuleId, DOMCSSStyleSheet::Origin::UserAgent))
{
    qint64 nextId = s_firstRuleId - 1;
    for (const DOMCSSParsedRule &parsed : DOMCSSParser::parseRuleList(QString::fromUtf8(s_defaultRules)))
        m_sheet->adoptRule(DOMCSSRule::fromParsed(parsed, nextId--), int(m_sheet->cssRules().length()));
}

QList<DOMMatchedRule> UserAgentStyleSheet::matchedRules(const DOMElement &element, const QString &pseudoElement) const
{
    QList<DOMMatchedRule> matched;
    const QString pseudo = pseudoElementName(pseudoElement);
    const DOMCSSRuleList rules = m_sheet->cssRules();
    for (int i = 0; i < rules.length(); ++i) {
        const DOMCSSRulePtr rule = rules.item(i);
        bool matches = false;
        for (const QString &part : DOMCSSParser::splitTopLevel(rule->selectorText(), QLatin1Char(','))) {
            QString selector = part.trimmed();
            const qsizetype colons = selector.lastIndexOf(QLatin1String("::"));
            const QString partPseudo = colons >= 0 ? selector.mid(colons + 2) : QString();
            if (partPseudo != pseudo)
                continue;
            if (colons >= 0)
                selector.truncate(colons);
            if (DOMSelectorEngine::matches(element, selector.isEmpty() ? QStringLiteral("*") : selector)) {
                matches = true;
                break;
            }
        }
        if (matches)
            matched.append({rule->ruleId(), rule->cssText()});
    }
    return matched;
}

DOMCSSRulePtr UserAgentStyleSheet::ruleForId(qint64 ruleId) const
{
    const qint64 index = s_firstRuleId - 1 - ruleId;
    if (index < 0 || index >= m_sheet->cssRules().length())
        return nullptr;
    return m_sheet->cssRules().item(int(index));
}
