#include "SideValue.h"

#include "AttributeEditor.h"
#include "EditorNumber.h"

SideValue SideValue::fromField(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    if (AttributeEditor::lengthKeywords().contains(trimmed))
        return ofKeyword(trimmed);
    if (const auto scanned = EditorNumber::scanNumber(trimmed))
        return ofNumber(scanned->value);
    return {};
}

std::optional<SideValue::Read> SideValue::fromCSS(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (AttributeEditor::lengthKeywords().contains(trimmed))
        return Read{ofKeyword(trimmed), QString()};
    const auto scanned = EditorNumber::scanNumber(trimmed);
    if (!scanned || !EditorNumber::isKnownUnit(scanned->rest))
        return std::nullopt;
    return Read{ofNumber(scanned->value), scanned->rest};
}

QString SideValue::cssText(const QString &unit) const
{
    switch (kind) {
    case Kind::None:
        return {};
    case Kind::Keyword:
        return keyword;
    case Kind::Number:
        if (number == 0)
            return QStringLiteral("0");
        return EditorNumber::cssNumber(number) + unit;
    }
    return {};
}

QString SideValue::fieldText() const
{
    switch (kind) {
    case Kind::None:
        return {};
    case Kind::Keyword:
        return keyword;
    case Kind::Number:
        return EditorNumber::cssNumber(number);
    }
    return {};
}
