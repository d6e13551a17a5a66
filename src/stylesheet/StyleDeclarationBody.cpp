// StyleDeclaration: turning a body text into properties, with vendor-prefixed
// copies folded into their formal declaration.

#include "CSSScan_p.h"
#include "CSSText_p.h"
#include "GradientColorParser.h"
#include "StringCSSProperty.h"
#include "StringVendarPrefix.h"
#include "StyleDeclaration.h"
#include "VendarPrefixSettings.h"

#include <algorithm>
#include <tuple>
#include <unordered_set>

namespace {

bool hasDeclarations(int type)
{
    return type == RuleType::Style || type == RuleType::Keyframe || type == RuleType::FontFace
           || type == RuleType::DeclarationList;
}

// Blanks, tabs and line breaks trimmed at both ends.
QStringView trimmedWhiteSpace(QStringView text)
{
    auto isWhite = [](QChar c) {
        return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
    };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isWhite(text[start]))
        ++start;
    while (end > start && isWhite(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

QStringView trimmedBlanks(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && (text[start] == u' ' || text[start] == u'\t'))
        ++start;
    while (end > start && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.mid(start, end - start);
}

// Line breaks or tabs inside, or a comment.
bool needsCleaning(QStringView piece)
{
    const QChar *end = piece.data() + piece.size();
    for (const QChar *p = piece.data();; ++p) {
        p = CSSScan::findFirstOf<u'\n', u'\r', u'\t', u'\f', u'/'>(p, end);
        if (p == end)
            return false;
        if (*p != u'/' || (p + 1 < end && p[1] == u'*'))
            return true;
    }
}

// Property names come from a small vocabulary: one shared copy of each saves
// an allocation per declaration.
QString internedName(QStringView name)
{
    struct Hash
    {
        using is_transparent = void;
        size_t operator()(QStringView text) const { return CSSText::nameHash(text); }
    };
    struct Equal
    {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const { return a == b; }
    };
    thread_local std::unordered_set<QString, Hash, Equal> names;
    if (name.size() > 48)
        return name.toString();
    if (const auto it = names.find(name); it != names.end())
        return *it;
    // Hostile text could invent names without end.
    if (names.size() >= 4096)
        return name.toString();
    return *names.insert(name.toString()).first;
}

CSSPropertyPtr makeProperty(const QString &name, const QString &value)
{
    auto property = std::make_shared<CSSProperty>(name, value);
    property->setEnabled(true);
    property->setVisible(true);
    return property;
}

} // namespace

void StyleDeclaration::setBody(const QString &body)
{
    setBody(body, VendarPrefixSettings::current());
}

void StyleDeclaration::clearBody()
{
    m_body.reset();
    m_properties.clear();
}

void StyleDeclaration::setBody(const QString &body, const VendarPrefixSettings &settings)
{
    using StringVendarPrefix::formalPropertyName;
    static const QString backgroundImage = QStringLiteral("background-image");

    QList<CSSPropertyPtr> list;
    // The background images kept so far, with their standard forms once known.
    // (The index of each in the list, for the text ranges of copies folded in.)
    QList<std::tuple<QString, std::optional<QString>, qsizetype>> backgroundImages;
    if (hasDeclarations(m_type)) {
        // Split first and clean only the declarations that need it: the same
        // pieces as cleaning the whole body, without copying it.
        const StringCSSProperty::DeclarationViews rawPieces
            = StringCSSProperty::declarationViews(body);
        list.reserve(rawPieces.size());
        for (const QStringView rawPiece : rawPieces) {
            const Range written{rawPiece.data() - body.constData(), rawPiece.size()};
            const QStringView trimmed = trimmedWhiteSpace(rawPiece);
            QString cleaned;
            QStringView piece = trimmed;
            if (needsCleaning(trimmed)) {
                cleaned = StringCSSProperty::cleanBody(trimmed.toString());
                piece = cleaned;
            }
            // (QStringView::indexOf(QChar) runs the general string search.)
            const QChar *colonAt = std::find(piece.cbegin(), piece.cend(), u':');
            const qsizetype colon = colonAt == piece.cend() ? -1 : colonAt - piece.cbegin();
            if (colon < 0)
                continue;
            const QString name = internedName(trimmedBlanks(piece.left(colon)));
            const QString value = CSSText::trimmedBlanks(piece.mid(colon + 1));

            if (name == backgroundImage) {
                // Prefixed copies of one image fold into the first; a different
                // image (a gradient after its url() fallback) is kept as well.
                // Standard forms are worked out only when a second image comes.
                const bool prefixed = value.startsWith(u'-');
                std::optional<QString> form;
                if (prefixed || !backgroundImages.isEmpty())
                    form = GradientColorParser::convertVendarPrefixToFormal(value);
                qsizetype foldedInto = -1;
                for (qsizetype k = 0; k < backgroundImages.size(); ++k) {
                    auto &[kept, keptForm, keptIndex] = backgroundImages[k];
                    if (!keptForm)
                        keptForm = GradientColorParser::convertVendarPrefixToFormal(kept);
                    if (foldedInto < 0 && *keptForm == *form)
                        foldedInto = keptIndex;
                }
                if (foldedInto >= 0) {
                    list[foldedInto]->appendTextRange(written);
                    continue;
                }
                backgroundImages.append({value, form, list.size()});
                list.append(makeProperty(name, prefixed ? *form : value));
                list.last()->appendTextRange(written);
                continue;
            }

            const QString formal = formalPropertyName(name);
            if (!settings.isPrefixed(formal)) {
                list.append(makeProperty(name, value));
                list.last()->appendTextRange(written);
                continue;
            }
            const QString formalValue = formalPropertyName(value);
            if (!StringVendarPrefix::hasVendarPrefix(name)) {
                // The formal declaration: dropped when a prefixed copy of the
                // same value came first.
                const auto folded
                    = std::find_if(list.cbegin(), list.cend(), [&](const CSSPropertyPtr &p) {
                          return p->formalName() == formal
                                 && formalPropertyName(p->value()) == formalValue;
                      });
                if (folded != list.cend()) {
                    (*folded)->appendTextRange(written);
                    continue;
                }
                CSSPropertyPtr property = makeProperty(name, value);
                property->setVendorPrefixes(QStringList());
                property->appendTextRange(written);
                list.append(property);
                continue;
            }
            // A prefixed copy: joins the last formal declaration of the same
            // value, or stands for it until the formal one comes.
            const QString vendor = StringVendarPrefix::prefix(name);
            CSSPropertyPtr owner;
            for (auto it = list.crbegin(); it != list.crend(); ++it) {
                if ((*it)->property() == formal
                    && formalPropertyName((*it)->value()) == formalValue) {
                    owner = *it;
                    break;
                }
            }
            if (owner) {
                owner->appendVendorPrefix(vendor);
                owner->appendTextRange(written);
            } else {
                CSSPropertyPtr property = makeProperty(formal, formalValue);
                property->setVendorPrefixes(QStringList{vendor});
                property->appendTextRange(written);
                list.append(property);
            }
        }
    }
    m_properties = std::move(list);
    m_body = body;
}
