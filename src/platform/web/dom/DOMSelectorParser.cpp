#include "DOMSelectorParser.h"

#include "DOMPseudoElements.h"
#include "DOMStrings.h"

#include <QHash>
#include <QSet>
#include <QScopeGuard>

#include <algorithm>
#include <optional>

namespace {

using Simple = DOMSimpleSelector;

bool isNameStart(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c >= 0x80 || c == 0;
}

bool isSelectorNameChar(char16_t c)
{
    return isNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-';
}

bool isNewline(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == u'\f';
}

bool isWhitespace(char16_t c)
{
    return c == u' ' || c == u'\t' || isNewline(c);
}

int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// The pseudo-classes without arguments.
std::optional<DOMPseudoClass> plainPseudoClass(const QString &name)
{
    static const QHash<QString, DOMPseudoClass> table = {
        {QStringLiteral("root"), DOMPseudoClass::Root},
        {QStringLiteral("empty"), DOMPseudoClass::Empty},
        {QStringLiteral("first-child"), DOMPseudoClass::FirstChild},
        {QStringLiteral("last-child"), DOMPseudoClass::LastChild},
        {QStringLiteral("only-child"), DOMPseudoClass::OnlyChild},
        {QStringLiteral("first-of-type"), DOMPseudoClass::FirstOfType},
        {QStringLiteral("last-of-type"), DOMPseudoClass::LastOfType},
        {QStringLiteral("only-of-type"), DOMPseudoClass::OnlyOfType},
        {QStringLiteral("link"), DOMPseudoClass::Link},
        {QStringLiteral("any-link"), DOMPseudoClass::Link},
        {QStringLiteral("-webkit-any-link"), DOMPseudoClass::Link},
        {QStringLiteral("checked"), DOMPseudoClass::Checked},
        {QStringLiteral("disabled"), DOMPseudoClass::Disabled},
        {QStringLiteral("enabled"), DOMPseudoClass::Enabled},
        {QStringLiteral("required"), DOMPseudoClass::Required},
        {QStringLiteral("optional"), DOMPseudoClass::Optional},
        {QStringLiteral("read-only"), DOMPseudoClass::ReadOnly},
        {QStringLiteral("read-write"), DOMPseudoClass::ReadWrite},
        {QStringLiteral("placeholder-shown"), DOMPseudoClass::PlaceholderShown},
        {QStringLiteral("scope"), DOMPseudoClass::Scope},
        {QStringLiteral("defined"), DOMPseudoClass::Defined},
        // User actions and states that only the live page knows.
        {QStringLiteral("hover"), DOMPseudoClass::Never},
        {QStringLiteral("focus"), DOMPseudoClass::Never},
        {QStringLiteral("active"), DOMPseudoClass::Never},
        {QStringLiteral("visited"), DOMPseudoClass::Never},
        {QStringLiteral("focus-within"), DOMPseudoClass::Never},
        {QStringLiteral("focus-visible"), DOMPseudoClass::Never},
        {QStringLiteral("target"), DOMPseudoClass::Never},
        {QStringLiteral("autofill"), DOMPseudoClass::Never},
        {QStringLiteral("-webkit-autofill"), DOMPseudoClass::Never},
        {QStringLiteral("fullscreen"), DOMPseudoClass::Never},
        {QStringLiteral("-webkit-full-screen"), DOMPseudoClass::Never},
        {QStringLiteral("modal"), DOMPseudoClass::Never},
        {QStringLiteral("picture-in-picture"), DOMPseudoClass::Never},
        {QStringLiteral("default"), DOMPseudoClass::Never},
        {QStringLiteral("indeterminate"), DOMPseudoClass::Never},
        {QStringLiteral("valid"), DOMPseudoClass::Never},
        {QStringLiteral("invalid"), DOMPseudoClass::Never},
        {QStringLiteral("in-range"), DOMPseudoClass::Never},
        {QStringLiteral("out-of-range"), DOMPseudoClass::Never},
        {QStringLiteral("host"), DOMPseudoClass::Never},
    };
    const auto it = table.constFind(name);
    return it == table.cend() ? std::nullopt : std::optional(it.value());
}

bool isLegacyPseudoElement(const QString &name)
{
    return name == QLatin1String("before") || name == QLatin1String("after")
        || name == QLatin1String("first-line") || name == QLatin1String("first-letter");
}

// Attributes whose values HTML compares without regard to ASCII case.
bool hasCaseInsensitiveValue(const QString &name)
{
    static const QSet<QString> names = {
        QStringLiteral("accept"),     QStringLiteral("accept-charset"), QStringLiteral("align"),
        QStringLiteral("alink"),      QStringLiteral("axis"),           QStringLiteral("bgcolor"),
        QStringLiteral("charset"),    QStringLiteral("checked"),        QStringLiteral("clear"),
        QStringLiteral("codetype"),   QStringLiteral("color"),          QStringLiteral("compact"),
        QStringLiteral("declare"),    QStringLiteral("defer"),          QStringLiteral("dir"),
        QStringLiteral("direction"),  QStringLiteral("disabled"),       QStringLiteral("enctype"),
        QStringLiteral("face"),       QStringLiteral("frame"),          QStringLiteral("hreflang"),
        QStringLiteral("http-equiv"), QStringLiteral("lang"),           QStringLiteral("language"),
        QStringLiteral("link"),       QStringLiteral("media"),          QStringLiteral("method"),
        QStringLiteral("multiple"),   QStringLiteral("nohref"),         QStringLiteral("noresize"),
        QStringLiteral("noshade"),    QStringLiteral("nowrap"),         QStringLiteral("readonly"),
        QStringLiteral("rel"),        QStringLiteral("rev"),            QStringLiteral("rules"),
        QStringLiteral("scope"),      QStringLiteral("scrolling"),      QStringLiteral("selected"),
        QStringLiteral("shape"),      QStringLiteral("target"),         QStringLiteral("text"),
        QStringLiteral("type"),       QStringLiteral("valign"),         QStringLiteral("valuetype"),
        QStringLiteral("vlink"),
    };
    return names.contains(name);
}

int simpleRank(const Simple &simple)
{
    switch (simple.kind) {
    case Simple::Kind::Type:
    case Simple::Kind::Universal:
        return 0;
    case Simple::Kind::Id:
        return 1;
    case Simple::Kind::Class:
        return 2;
    case Simple::Kind::Attribute:
        return 3;
    case Simple::Kind::PseudoClass:
        switch (simple.pseudoClass) {
        case DOMPseudoClass::Not:
        case DOMPseudoClass::Is:
        case DOMPseudoClass::Has:
            return 5;
        default:
            return 4;
        }
    }
    return 4;
}

class Parser
{
public:
    explicit Parser(const QString &text) : m_text(text) {}

    std::optional<DOMSelectorList> parseTopLevel()
    {
        std::optional<DOMSelectorList> list = parseList(ListMode::Normal, false);
        if (!list)
            return std::nullopt;
        return list;
    }

    QString error() const { return m_error; }

private:
    enum class ListMode { Normal, Forgiving, Relative };

    char16_t peek(qsizetype offset = 0) const
    {
        const qsizetype at = m_pos + offset;
        return at < m_text.size() ? m_text.at(at).unicode() : char16_t(0xFFFF);
    }
    bool atEnd() const { return m_pos >= m_text.size(); }

    template<typename T = bool>
    std::optional<T> fail(const QString &message)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1 at %2").arg(message).arg(m_pos);
        return std::nullopt;
    }
    bool failed(const QString &message)
    {
        fail(message);
        return false;
    }

    // Skips comments; answers whether any white space was passed too.
    bool skipWhitespace()
    {
        bool passed = false;
        while (!atEnd()) {
            if (isWhitespace(peek())) {
                ++m_pos;
                passed = true;
            } else if (peek() == u'/' && peek(1) == u'*') {
                skipComment();
            } else {
                break;
            }
        }
        return passed;
    }
    void skipComments()
    {
        while (peek() == u'/' && peek(1) == u'*')
            skipComment();
    }
    void skipComment()
    {
        const qsizetype end = m_text.indexOf(QLatin1String("*/"), m_pos + 2);
        m_pos = end < 0 ? m_text.size() : end + 2;
    }

    bool isValidEscape(qsizetype offset) const
    {
        return peek(offset) == u'\\' && !isNewline(peek(offset + 1));
    }
    bool startsIdent(qsizetype offset = 0) const
    {
        const char16_t c = peek(offset);
        if (atEndAt(offset))
            return false;
        if (c == u'-') {
            const char16_t next = peek(offset + 1);
            return (!atEndAt(offset + 1) && (isNameStart(next) || next == u'-')) || isValidEscape(offset + 1);
        }
        return isNameStart(c) || isValidEscape(offset);
    }
    bool atEndAt(qsizetype offset) const { return m_pos + offset >= m_text.size(); }

    void appendCodePoint(QString &out, char32_t c)
    {
        if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c > 0xFFFF) {
            out.append(QChar(QChar::highSurrogate(c)));
            out.append(QChar(QChar::lowSurrogate(c)));
        } else {
            out.append(QChar(char16_t(c)));
        }
    }
    // After the backslash.
    void consumeEscape(QString &out)
    {
        if (atEnd()) {
            appendCodePoint(out, 0xFFFD);
            return;
        }
        if (hexValue(peek()) >= 0) {
            char32_t value = 0;
            for (int i = 0; i < 6 && hexValue(peek()) >= 0; ++i) {
                value = value * 16 + char32_t(hexValue(peek()));
                ++m_pos;
            }
            if (peek() == u'\r' && peek(1) == u'\n')
                m_pos += 2;
            else if (!atEnd() && isWhitespace(peek()))
                ++m_pos;
            appendCodePoint(out, value);
            return;
        }
        appendCodePoint(out, peek() == 0 ? 0xFFFD : peek());
        ++m_pos;
    }
    std::optional<QString> consumeIdent()
    {
        if (!startsIdent())
            return std::nullopt;
        QString ident;
        while (!atEnd()) {
            const char16_t c = peek();
            if (isValidEscape(0)) {
                ++m_pos;
                consumeEscape(ident);
            } else if (isSelectorNameChar(c)) {
                ident.append(QChar(c == 0 ? char16_t(0xFFFD) : c));
                ++m_pos;
            } else {
                break;
            }
        }
        return ident;
    }
    std::optional<QString> consumeString()
    {
        const char16_t quote = peek();
        ++m_pos;
        QString value;
        while (!atEnd()) {
            const char16_t c = peek();
            if (c == quote) {
                ++m_pos;
                return value;
            }
            if (isNewline(c))
                return fail<QString>(QStringLiteral("Line break in a string"));
            if (c == u'\\') {
                if (atEndAt(1)) {
                    ++m_pos;
                } else if (isNewline(peek(1))) {
                    m_pos += peek(1) == u'\r' && peek(2) == u'\n' ? 3 : 2;
                } else {
                    ++m_pos;
                    consumeEscape(value);
                }
                continue;
            }
            value.append(QChar(c == 0 ? char16_t(0xFFFD) : c));
            ++m_pos;
        }
        return value; // An open string is closed by the end of the text.
    }

    // A closing bracket, or the end of the text, which closes every open block.
    bool expectClose(char16_t close)
    {
        skipWhitespace();
        if (atEnd())
            return true;
        if (peek() != close)
            return failed(QStringLiteral("Expected '%1'").arg(QChar(close)));
        ++m_pos;
        return true;
    }

    // Skips to the next ',' or ')' of the current nesting level, stepping over
    // blocks and strings; false only for a stray closing bracket.
    bool skipToListSeparator()
    {
        QList<char16_t> open;
        while (!atEnd()) {
            const char16_t c = peek();
            if (c == u'\\') {
                m_pos += 2;
                continue;
            }
            if (c == u'"' || c == u'\'') {
                const QString saved = m_error;
                if (!consumeString()) {
                    m_error = saved;
                    ++m_pos;
                }
                continue;
            }
            if (open.isEmpty() && (c == u',' || c == u')'))
                return true;
            if (c == u'(' || c == u'[' || c == u'{') {
                open.append(c == u'(' ? u')' : c == u'[' ? u']' : u'}');
            } else if (c == u')' || c == u']' || c == u'}') {
                if (open.isEmpty() || open.constLast() != c)
                    return failed(QStringLiteral("Unbalanced '%1'").arg(QChar(c)));
                open.removeLast();
            }
            ++m_pos;
        }
        return true;
    }

    bool enterNesting()
    {
        if (++m_depth > DOMSelectorParser::s_maxNesting) {
            // Limits of this parser are not forgiven by :is() and :where().
            m_overLimit = true;
            return failed(QStringLiteral("Selector nested too deeply"));
        }
        return true;
    }

    std::optional<DOMSelectorList> parseList(ListMode mode, bool nested)
    {
        DOMSelectorList list;
        while (true) {
            skipWhitespace();
            if (mode == ListMode::Forgiving) {
                const qsizetype start = m_pos;
                const QString savedError = m_error;
                std::optional<DOMComplexSelector> selector = parseComplex(false);
                skipWhitespace();
                const bool ended = atEnd() || peek() == u',' || (nested && peek() == u')');
                if (selector && ended && !selector->hasPseudoElement) {
                    list.selectors.append(std::move(*selector));
                } else {
                    if (m_overLimit)
                        return std::nullopt;
                    // A forgiving list drops what it cannot read.
                    m_error = savedError;
                    m_pos = start;
                    if (!skipToListSeparator())
                        return std::nullopt;
                }
            } else {
                std::optional<DOMComplexSelector> selector = parseComplex(mode == ListMode::Relative);
                if (!selector)
                    return std::nullopt;
                if (nested && selector->hasPseudoElement)
                    return fail<DOMSelectorList>(QStringLiteral("Pseudo-element in a selector argument"));
                list.selectors.append(std::move(*selector));
                skipWhitespace();
            }
            if (peek() == u',' && !atEnd()) {
                ++m_pos;
                continue;
            }
            if (atEnd() || (nested && peek() == u')'))
                break;
            return fail<DOMSelectorList>(QStringLiteral("Unexpected '%1'").arg(QChar(peek())));
        }
        if (list.selectors.isEmpty() && mode != ListMode::Forgiving)
            return fail<DOMSelectorList>(QStringLiteral("Empty selector"));
        return list;
    }

    bool startsCompound() const
    {
        const char16_t c = peek();
        return !atEnd()
            && (c == u'*' || c == u'|' || c == u'#' || c == u'.' || c == u'[' || c == u':' || startsIdent());
    }

    std::optional<DOMCombinator> peekCombinator() const
    {
        switch (peek()) {
        case u'>':
            return DOMCombinator::Child;
        case u'+':
            return DOMCombinator::NextSibling;
        case u'~':
            return DOMCombinator::SubsequentSibling;
        default:
            return std::nullopt;
        }
    }

    std::optional<DOMComplexSelector> parseComplex(bool relative)
    {
        DOMComplexSelector selector;
        QList<DOMCompoundSelector> leftToRight;
        QList<DOMCombinator> combinators; // combinators[i] joins leftToRight[i] and [i + 1]
        skipWhitespace();
        if (relative) {
            if (std::optional<DOMCombinator> leading = peekCombinator()) {
                selector.leadingCombinator = *leading;
                ++m_pos;
                skipWhitespace();
            } else {
                selector.leadingCombinator = DOMCombinator::Descendant;
            }
        }
        while (true) {
            if (leftToRight.size() >= DOMSelectorParser::s_maxCompounds) {
                m_overLimit = true;
                return fail<DOMComplexSelector>(QStringLiteral("Selector too long"));
            }
            bool pseudoElement = false;
            std::optional<DOMCompoundSelector> compound = parseCompound(pseudoElement);
            if (!compound)
                return std::nullopt;
            leftToRight.append(std::move(*compound));
            selector.hasPseudoElement = pseudoElement;
            if (pseudoElement)
                selector.pseudoElement = m_pseudoElement;
            const bool whitespace = skipWhitespace();
            std::optional<DOMCombinator> combinator = peekCombinator();
            if (combinator) {
                ++m_pos;
                skipWhitespace();
            } else if (whitespace && startsCompound()) {
                combinator = DOMCombinator::Descendant;
            } else {
                break;
            }
            if (pseudoElement)
                return fail<DOMComplexSelector>(QStringLiteral("Combinator after a pseudo-element"));
            combinators.append(*combinator);
        }
        for (qsizetype i = leftToRight.size() - 1; i >= 0; --i) {
            DOMCompoundSelector compound = std::move(leftToRight[i]);
            compound.combinator = i > 0 ? combinators.at(i - 1) : DOMCombinator::None;
            selector.compounds.append(std::move(compound));
        }
        return selector;
    }

    // Reads "*|" or "|" into match; false when neither is there.
    bool parseNamespacePrefix(Simple::NamespaceMatch &match)
    {
        if (peek() == u'*' && peek(1) == u'|' && peek(2) != u'=') {
            match = Simple::NamespaceMatch::Any;
            m_pos += 2;
            return true;
        }
        if (peek() == u'|' && peek(1) != u'=') {
            match = Simple::NamespaceMatch::None;
            m_pos += 1;
            return true;
        }
        return false;
    }

    std::optional<DOMCompoundSelector> parseCompound(bool &pseudoElement)
    {
        DOMCompoundSelector compound;
        bool hasAny = false;
        // Type or universal selector, with an optional namespace prefix.
        if (!atEnd() && (peek() == u'*' || peek() == u'|' || startsIdent())) {
            Simple simple;
            if (!parseNamespacePrefix(simple.namespaceMatch) && startsIdent()) {
                const qsizetype start = m_pos;
                const QString ident = *consumeIdent();
                if (peek() == u'|' && peek(1) != u'=') {
                    m_pos = start;
                    return fail<DOMCompoundSelector>(QStringLiteral("Undeclared namespace prefix \"%1\"").arg(ident));
                }
                simple.kind = Simple::Kind::Type;
                simple.name = ident;
                simple.lowerName = DOMStrings::asciiLower(ident);
            } else if (peek() == u'*') {
                ++m_pos;
                simple.kind = Simple::Kind::Universal;
            } else if (startsIdent()) {
                const QString ident = *consumeIdent();
                simple.kind = Simple::Kind::Type;
                simple.name = ident;
                simple.lowerName = DOMStrings::asciiLower(ident);
            } else {
                return fail<DOMCompoundSelector>(QStringLiteral("Expected a name after the namespace bar"));
            }
            hasAny = true;
            // "*" and "*|*" match every element and need no test.
            if (simple.kind == Simple::Kind::Type || simple.namespaceMatch == Simple::NamespaceMatch::None)
                compound.simples.append(std::move(simple));
        }
        while (true) {
            skipComments();
            if (atEnd())
                break;
            const char16_t c = peek();
            if (pseudoElement && !(c == u':' && peek(1) != u':'))
                break;
            if (c == u'#') {
                ++m_pos;
                std::optional<QString> ident = consumeIdent();
                if (!ident)
                    return fail<DOMCompoundSelector>(QStringLiteral("Expected an id"));
                Simple simple;
                simple.kind = Simple::Kind::Id;
                simple.name = *ident;
                compound.simples.append(std::move(simple));
            } else if (c == u'.') {
                ++m_pos;
                std::optional<QString> ident = consumeIdent();
                if (!ident)
                    return fail<DOMCompoundSelector>(QStringLiteral("Expected a class name"));
                Simple simple;
                simple.kind = Simple::Kind::Class;
                simple.name = *ident;
                compound.simples.append(std::move(simple));
            } else if (c == u'[') {
                std::optional<Simple> simple = parseAttribute();
                if (!simple)
                    return std::nullopt;
                compound.simples.append(std::move(*simple));
            } else if (c == u':') {
                if (peek(1) == u':') {
                    if (pseudoElement)
                        return fail<DOMCompoundSelector>(QStringLiteral("Second pseudo-element"));
                    m_pos += 2;
                    if (!parsePseudoElement())
                        return std::nullopt;
                    pseudoElement = true;
                } else {
                    ++m_pos;
                    std::optional<Simple> simple = parsePseudoClass(pseudoElement);
                    if (!simple)
                        return std::nullopt;
                    if (simple->kind == Simple::Kind::Universal) {
                        // A legacy single-colon pseudo-element.
                        pseudoElement = true;
                    } else {
                        compound.simples.append(std::move(*simple));
                    }
                }
            } else {
                break;
            }
            hasAny = true;
        }
        if (!hasAny)
            return fail<DOMCompoundSelector>(atEnd() ? QStringLiteral("Expected a selector")
                                                     : QStringLiteral("Unexpected '%1'").arg(QChar(peek())));
        std::stable_sort(compound.simples.begin(), compound.simples.end(),
                         [](const Simple &a, const Simple &b) { return simpleRank(a) < simpleRank(b); });
        return compound;
    }

    std::optional<Simple> parseAttribute()
    {
        ++m_pos; // '['
        skipWhitespace();
        Simple simple;
        simple.kind = Simple::Kind::Attribute;
        // Without a prefix an attribute selector names attributes in no namespace.
        simple.namespaceMatch = Simple::NamespaceMatch::None;
        if (peek() == u'*' && peek(1) == u'|' && peek(2) != u'=') {
            simple.namespaceMatch = Simple::NamespaceMatch::Any;
            m_pos += 2;
        } else if (peek() == u'|' && peek(1) != u'=') {
            ++m_pos;
        }
        std::optional<QString> name = consumeIdent();
        if (!name)
            return fail<Simple>(QStringLiteral("Expected an attribute name"));
        if (peek() == u'|' && peek(1) != u'=')
            return fail<Simple>(QStringLiteral("Undeclared namespace prefix \"%1\"").arg(*name));
        simple.name = DOMStrings::asciiLower(*name);
        simple.htmlCaseInsensitiveValue = hasCaseInsensitiveValue(simple.name);
        skipWhitespace();
        if (atEnd() || peek() == u']') {
            if (!atEnd())
                ++m_pos;
            return simple;
        }
        const char16_t op = peek();
        if (op == u'=') {
            simple.attributeMatch = Simple::AttributeMatch::Equals;
            ++m_pos;
        } else if (peek(1) == u'=') {
            switch (op) {
            case u'~':
                simple.attributeMatch = Simple::AttributeMatch::Includes;
                break;
            case u'|':
                simple.attributeMatch = Simple::AttributeMatch::DashMatch;
                break;
            case u'^':
                simple.attributeMatch = Simple::AttributeMatch::Prefix;
                break;
            case u'$':
                simple.attributeMatch = Simple::AttributeMatch::Suffix;
                break;
            case u'*':
                simple.attributeMatch = Simple::AttributeMatch::Substring;
                break;
            default:
                return fail<Simple>(QStringLiteral("Unknown attribute operator"));
            }
            m_pos += 2;
        } else {
            return fail<Simple>(QStringLiteral("Expected an attribute operator"));
        }
        skipWhitespace();
        if (peek() == u'"' || peek() == u'\'') {
            std::optional<QString> value = consumeString();
            if (!value)
                return std::nullopt;
            simple.value = *value;
        } else if (std::optional<QString> value = consumeIdent()) {
            simple.value = *value;
        } else {
            return fail<Simple>(QStringLiteral("Expected an attribute value"));
        }
        skipWhitespace();
        if (startsIdent()) {
            const QString flag = DOMStrings::asciiLower(*consumeIdent());
            if (flag == QLatin1String("i"))
                simple.caseMode = Simple::CaseMode::Insensitive;
            else if (flag == QLatin1String("s"))
                simple.caseMode = Simple::CaseMode::Sensitive;
            else
                return fail<Simple>(QStringLiteral("Unknown attribute flag \"%1\"").arg(flag));
        }
        if (!expectClose(u']'))
            return std::nullopt;
        return simple;
    }

    bool parsePseudoElement()
    {
        std::optional<QString> name = consumeIdent();
        if (!name)
            return failed(QStringLiteral("Expected a pseudo-element name"));
        const QString lower = DOMStrings::asciiLower(*name);
        if (peek() == u'(') {
            if (!DOMPseudoElements::isFunctionalPseudoElement(lower))
                return failed(QStringLiteral("Unknown pseudo-element \"::%1()\"").arg(lower));
            ++m_pos;
            if (!skipToListSeparatorsUntilClose())
                return false;
            m_pseudoElement = lower;
            return expectClose(u')');
        }
        if (!DOMPseudoElements::isPseudoElement(lower))
            return failed(QStringLiteral("Unknown pseudo-element \"::%1\"").arg(lower));
        m_pseudoElement = lower;
        return true;
    }

    // Passes over an argument that is not read (pseudo-element arguments).
    bool skipToListSeparatorsUntilClose()
    {
        while (true) {
            if (!skipToListSeparator())
                return false;
            if (atEnd() || peek() == u')')
                return true;
            ++m_pos; // a ','
        }
    }

    std::optional<DOMNthPattern> parseNth()
    {
        skipWhitespace();
        DOMNthPattern nth;
        if (startsIdent()) {
            const qsizetype start = m_pos;
            const QString ident = DOMStrings::asciiLower(*consumeIdent());
            if (ident == QLatin1String("odd"))
                return DOMNthPattern{2, 1};
            if (ident == QLatin1String("even"))
                return DOMNthPattern{2, 0};
            m_pos = start;
        }
        int sign = 1;
        if (peek() == u'+' || peek() == u'-') {
            sign = peek() == u'-' ? -1 : 1;
            ++m_pos;
        }
        const std::optional<int> digits = consumeDigits();
        if (peek() == u'n' || peek() == u'N') {
            ++m_pos;
            nth.a = sign * digits.value_or(1);
            const qsizetype afterN = m_pos;
            skipWhitespace();
            if (peek() == u'+' || peek() == u'-') {
                const int bSign = peek() == u'-' ? -1 : 1;
                ++m_pos;
                skipWhitespace();
                const std::optional<int> b = consumeDigits();
                if (!b)
                    return fail<DOMNthPattern>(QStringLiteral("Expected a number in An+B"));
                nth.b = bSign * *b;
            } else {
                // The caller reads what follows (")" or "of").
                m_pos = afterN;
            }
        } else {
            if (!digits)
                return fail<DOMNthPattern>(QStringLiteral("Expected An+B"));
            nth.b = sign * *digits;
        }
        return nth;
    }
    std::optional<int> consumeDigits()
    {
        if (!(peek() >= u'0' && peek() <= u'9'))
            return std::nullopt;
        qint64 value = 0;
        while (peek() >= u'0' && peek() <= u'9') {
            value = std::min<qint64>(value * 10 + (peek() - u'0'), 1000000000);
            ++m_pos;
        }
        return int(value);
    }

    std::optional<Simple> parsePseudoClass(bool afterPseudoElement)
    {
        std::optional<QString> name = consumeIdent();
        if (!name)
            return fail<Simple>(QStringLiteral("Expected a pseudo-class name"));
        const QString lower = DOMStrings::asciiLower(*name);
        Simple simple;
        simple.kind = Simple::Kind::PseudoClass;
        if (peek() != u'(') {
            if (!afterPseudoElement && isLegacyPseudoElement(lower)) {
                simple.kind = Simple::Kind::Universal; // tells the caller
                m_pseudoElement = lower;
                return simple;
            }
            std::optional<DOMPseudoClass> pseudo = plainPseudoClass(lower);
            if (!pseudo)
                return fail<Simple>(QStringLiteral("Unknown pseudo-class \":%1\"").arg(lower));
            if (afterPseudoElement && *pseudo != DOMPseudoClass::Never)
                return fail<Simple>(QStringLiteral("\":%1\" after a pseudo-element").arg(lower));
            simple.pseudoClass = *pseudo;
            return simple;
        }
        if (afterPseudoElement)
            return fail<Simple>(QStringLiteral("\":%1()\" after a pseudo-element").arg(lower));
        ++m_pos; // '('
        if (!enterNesting())
            return std::nullopt;
        const auto leave = qScopeGuard([this] { --m_depth; });
        const auto argumentList = [&](ListMode mode) -> bool {
            std::optional<DOMSelectorList> list = parseList(mode, true);
            if (!list)
                return false;
            simple.argument = std::make_shared<const DOMSelectorList>(std::move(*list));
            return expectClose(u')');
        };
        if (lower == QLatin1String("not")) {
            simple.pseudoClass = DOMPseudoClass::Not;
            return argumentList(ListMode::Normal) ? std::optional(simple) : std::nullopt;
        }
        if (lower == QLatin1String("is") || lower == QLatin1String("where")) {
            simple.pseudoClass = DOMPseudoClass::Is;
            return argumentList(ListMode::Forgiving) ? std::optional(simple) : std::nullopt;
        }
        if (lower == QLatin1String("has")) {
            if (m_inHas)
                return fail<Simple>(QStringLiteral("\":has()\" inside \":has()\""));
            simple.pseudoClass = DOMPseudoClass::Has;
            m_inHas = true;
            const bool ok = argumentList(ListMode::Relative);
            m_inHas = false;
            return ok ? std::optional(simple) : std::nullopt;
        }
        static const QHash<QString, DOMPseudoClass> nthNames = {
            {QStringLiteral("nth-child"), DOMPseudoClass::NthChild},
            {QStringLiteral("nth-last-child"), DOMPseudoClass::NthLastChild},
            {QStringLiteral("nth-of-type"), DOMPseudoClass::NthOfType},
            {QStringLiteral("nth-last-of-type"), DOMPseudoClass::NthLastOfType},
        };
        if (const auto it = nthNames.constFind(lower); it != nthNames.cend()) {
            simple.pseudoClass = it.value();
            std::optional<DOMNthPattern> nth = parseNth();
            if (!nth)
                return std::nullopt;
            simple.nth = *nth;
            const bool whitespace = skipWhitespace();
            const bool childForm = simple.pseudoClass == DOMPseudoClass::NthChild
                || simple.pseudoClass == DOMPseudoClass::NthLastChild;
            if (childForm && whitespace && startsIdent()) {
                const qsizetype start = m_pos;
                if (DOMStrings::asciiLower(*consumeIdent()) != QLatin1String("of") || !skipWhitespace()) {
                    m_pos = start;
                    return fail<Simple>(QStringLiteral("Expected \"of\""));
                }
                return argumentList(ListMode::Normal) ? std::optional(simple) : std::nullopt;
            }
            return expectClose(u')') ? std::optional(simple) : std::nullopt;
        }
        if (lower == QLatin1String("lang")) {
            simple.pseudoClass = DOMPseudoClass::Lang;
            while (true) {
                skipWhitespace();
                std::optional<QString> range =
                    peek() == u'"' || peek() == u'\'' ? consumeString() : consumeIdent();
                if (!range)
                    return fail<Simple>(QStringLiteral("Expected a language"));
                simple.languages.append(*range);
                skipWhitespace();
                if (peek() != u',' || atEnd())
                    break;
                ++m_pos;
            }
            return expectClose(u')') ? std::optional(simple) : std::nullopt;
        }
        if (lower == QLatin1String("host") || lower == QLatin1String("host-context")) {
            // Shadow hosts do not occur in the mirror: these never match.
            skipWhitespace();
            bool innerPseudoElement = false;
            if (!parseCompound(innerPseudoElement) || innerPseudoElement)
                return fail<Simple>(QStringLiteral("Expected a compound selector"));
            simple.pseudoClass = DOMPseudoClass::Never;
            return expectClose(u')') ? std::optional(simple) : std::nullopt;
        }
        return fail<Simple>(QStringLiteral("Unknown pseudo-class \":%1()\"").arg(lower));
    }

    const QString &m_text;
    qsizetype m_pos = 0;
    int m_depth = 0;
    bool m_inHas = false;
    bool m_overLimit = false;
    QString m_error;
    QString m_pseudoElement; // the name of the last one read
};

} // namespace

Result<std::shared_ptr<const DOMSelectorList>> DOMSelectorParser::parse(const QString &text)
{
    Parser parser(text);
    std::optional<DOMSelectorList> list = parser.parseTopLevel();
    if (!list)
        return Result<std::shared_ptr<const DOMSelectorList>>::failure(parser.error());
    return std::shared_ptr<const DOMSelectorList>(std::make_shared<DOMSelectorList>(std::move(*list)));
}
