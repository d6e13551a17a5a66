#include "CSSProperty.h"

#include "StringVendarPrefix.h"

CSSProperty::CSSProperty(QString property, QString value)
    : m_property(std::move(property))
    , m_value(std::move(value))
{}

void CSSProperty::appendVendorPrefix(const QString &prefix)
{
    if (!m_vendorPrefixes)
        m_vendorPrefixes = QStringList();
    m_vendorPrefixes->append(prefix);
}

QString CSSProperty::description() const
{
    return m_property + QStringLiteral(": ") + m_value;
}

QString CSSProperty::formalName() const
{
    return StringVendarPrefix::formalPropertyName(m_property);
}

bool CSSProperty::hasVenderPrefixOfProject() const
{
    return StringVendarPrefix::isVenderPrefixOfProject(m_property);
}

const QHash<QString, QStringList> &CSSProperty::shortHandMap()
{
    static const QHash<QString, QStringList> map = [] {
        const auto sideOf = [](const char *side) {
            const QString name = QStringLiteral("border-") + QLatin1String(side);
            return QStringList{name + QStringLiteral("-style"), name + QStringLiteral("-width"), name + QStringLiteral("-color")};
        };
        const QStringList borderTop = sideOf("top");
        return QHash<QString, QStringList>{
            {QStringLiteral("outline"),
             {QStringLiteral("outline-style"), QStringLiteral("outline-width"),
              QStringLiteral("outline-color")}},
            {QStringLiteral("list-style"),
             {QStringLiteral("list-style-type"), QStringLiteral("list-style-position"),
              QStringLiteral("list-style-image")}},
            {QStringLiteral("margin"),
             {QStringLiteral("margin-top"), QStringLiteral("margin-right"),
              QStringLiteral("margin-bottom"), QStringLiteral("margin-left")}},
            {QStringLiteral("padding"),
             {QStringLiteral("padding-top"), QStringLiteral("padding-right"),
              QStringLiteral("padding-bottom"), QStringLiteral("padding-left")}},
            // "border" sets every side (#72).
            {QStringLiteral("border"), borderTop + sideOf("right") + sideOf("bottom") + sideOf("left")},
            {QStringLiteral("border-top"), borderTop},
            {QStringLiteral("border-left"), sideOf("left")},
            {QStringLiteral("border-right"), sideOf("right")},
            {QStringLiteral("border-bottom"), sideOf("bottom")},
            {QStringLiteral("border-radius"),
             {QStringLiteral("border-top-left-radius"), QStringLiteral("border-top-right-radius"),
              QStringLiteral("border-bottom-right-radius"),
              QStringLiteral("border-bottom-left-radius")}},
        };
    }();
    return map;
}

bool CSSProperty::isShartHand() const
{
    return shortHandMap().contains(m_property);
}

std::unique_ptr<CSSValueParser> CSSProperty::getValueParser(const QString &name)
{
    if (name == u"margin")
        return std::make_unique<CSSMarginParser>();
    if (name == u"padding")
        return std::make_unique<CSSPaddingParser>();
    if (name == u"border-radius")
        return std::make_unique<CSSBorderRadiusParser>();
    if (name == u"border")
        return std::make_unique<CSSBorderParser>();
    if (name == u"border-top")
        return std::make_unique<CSSBorderTopParser>();
    if (name == u"border-left")
        return std::make_unique<CSSBorderLeftParser>();
    if (name == u"border-right")
        return std::make_unique<CSSBorderRightParser>();
    if (name == u"border-bottom")
        return std::make_unique<CSSBorderBottomParser>();
    if (name == u"list-style")
        return std::make_unique<CSSListStyleParser>();
    if (name == u"outline")
        return std::make_unique<CSSOutlineStyleParser>();
    if (name == u"font")
        return std::make_unique<FontParser>();
    if (name == u"background")
        return std::make_unique<CSSBackgroundParser>();
    return nullptr;
}

std::optional<CSSValueMap> CSSProperty::valueMap() const
{
    const std::unique_ptr<CSSValueParser> parser = getValueParser(m_property);
    if (!parser)
        return std::nullopt;
    return parser->parse(m_value);
}

std::optional<QString> CSSProperty::prefix() const
{
    const qsizetype dash = m_property.indexOf(u'-');
    if (dash < 0)
        return std::nullopt;
    return m_property.left(dash);
}

QString CSSProperty::shortHandName() const
{
    const std::optional<QString> first = prefix();
    if (!first)
        return QString();
    const auto it = shortHandMap().constFind(*first);
    if (it != shortHandMap().constEnd() && it->contains(m_property))
        return it.key();
    return QString();
}
