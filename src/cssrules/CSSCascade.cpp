#include "CSSCascade.h"

#include <QRegularExpression>

namespace {

const QRegularExpression &importantSuffix()
{
    static const QRegularExpression suffix(QStringLiteral("!\\s*important\\s*$"), QRegularExpression::CaseInsensitiveOption);
    return suffix;
}

} // namespace

CSSCascade::Rank CSSCascade::rankOf(Origin origin, Importance importance, Attached attached,
                                    DOMSelectorSpecificity specificity, int order, int index)
{
    // Important declarations turn the order of the origins round.
    Rank rank;
    if (importance == Importance::Normal)
        rank.level = origin == Origin::UserAgent ? 0 : 1;
    else
        rank.level = origin == Origin::UserAgent ? 3 : 2;
    rank.attached = attached == Attached::Yes ? 1 : 0;
    rank.specificity = specificity;
    rank.order = order;
    rank.index = index;
    return rank;
}

bool CSSCascade::isImportant(const QString &value)
{
    return value.contains(u'!') && importantSuffix().match(value).hasMatch();
}

QString CSSCascade::withoutImportant(const QString &value)
{
    return QString(value).remove(importantSuffix()).trimmed();
}

void CSSCascade::setWritingMode(const QString &writingMode, const QString &direction)
{
    m_vertical = writingMode.startsWith(QLatin1String("vertical")) || writingMode.startsWith(QLatin1String("sideways"))
                 || writingMode.startsWith(QLatin1String("tb"));
    m_blockLeftToRight = writingMode == QLatin1String("vertical-lr") || writingMode == QLatin1String("sideways-lr");
    m_inlineUpward = writingMode == QLatin1String("sideways-lr");
    m_rtl = direction == QLatin1String("rtl");
}

QString CSSCascade::physicalName(const QString &longhand) const
{
    if (longhand.startsWith(QLatin1String("--")) || (!longhand.contains(QLatin1String("inline"))
                                                     && !longhand.contains(QLatin1String("block"))
                                                     && !longhand.contains(QLatin1String("start"))
                                                     && !longhand.contains(QLatin1String("end"))))
        return longhand;
    const auto side = [this](bool block, bool start) -> QString {
        if (block) {
            if (!m_vertical)
                return start ? QStringLiteral("top") : QStringLiteral("bottom");
            return start == m_blockLeftToRight ? QStringLiteral("left") : QStringLiteral("right");
        }
        const bool forward = start != (m_rtl != m_inlineUpward);
        if (!m_vertical)
            return forward ? QStringLiteral("left") : QStringLiteral("right");
        return forward ? QStringLiteral("top") : QStringLiteral("bottom");
    };
    // Sizes and axes.
    static const QRegularExpression size(QStringLiteral("^(min-|max-|contain-intrinsic-)?(inline|block)-size$"));
    if (const QRegularExpressionMatch match = size.match(longhand); match.hasMatch()) {
        const bool width = (match.captured(2) == QLatin1String("inline")) != m_vertical;
        return match.captured(1) + (width ? QStringLiteral("width") : QStringLiteral("height"));
    }
    static const QRegularExpression axis(QStringLiteral("^(overflow|overscroll-behavior)-(inline|block)$"));
    if (const QRegularExpressionMatch match = axis.match(longhand); match.hasMatch()) {
        const bool x = (match.captured(2) == QLatin1String("inline")) != m_vertical;
        return match.captured(1) + (x ? QStringLiteral("-x") : QStringLiteral("-y"));
    }
    // Corners: the block side, then the inline side.
    static const QRegularExpression corner(QStringLiteral("^border-(start|end)-(start|end)-radius$"));
    if (const QRegularExpressionMatch match = corner.match(longhand); match.hasMatch()) {
        const QString block = side(true, match.captured(1) == QLatin1String("start"));
        const QString inline_ = side(false, match.captured(2) == QLatin1String("start"));
        // The physical name says top or bottom first.
        return m_vertical ? QStringLiteral("border-%1-%2-radius").arg(inline_, block)
                          : QStringLiteral("border-%1-%2-radius").arg(block, inline_);
    }
    // Sides.
    static const QRegularExpression sideName(QStringLiteral("^(.*?)-?(inline|block)-(start|end)(-.*)?$"));
    if (const QRegularExpressionMatch match = sideName.match(longhand); match.hasMatch()) {
        const QString physical = side(match.captured(2) == QLatin1String("block"), match.captured(3) == QLatin1String("start"));
        const QString before = match.captured(1);
        // "inset-block-start" is "top".
        if (before == QLatin1String("inset"))
            return physical + match.captured(4);
        return (before.isEmpty() ? QString() : before + u'-') + physical + match.captured(4);
    }
    return longhand;
}

void CSSCascade::add(const void *declaration, const QStringList &longhands, const Rank &rank)
{
    QStringList &own = m_longhands[declaration];
    for (const QString &longhand : longhands) {
        const QString physical = physicalName(longhand);
        own.append(physical);
        Winner &winner = m_winners[physical];
        if (!winner.declaration || !(rank < winner.rank))
            winner = Winner{declaration, rank};
    }
}

bool CSSCascade::wins(const void *declaration, const QString &longhand) const
{
    const auto it = m_winners.constFind(physicalName(longhand));
    return it != m_winners.cend() && it->declaration == declaration;
}

bool CSSCascade::winsAny(const void *declaration) const
{
    for (const QString &longhand : m_longhands.value(declaration)) {
        if (m_winners.value(longhand).declaration == declaration)
            return true;
    }
    return false;
}
