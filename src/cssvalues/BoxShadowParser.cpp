#include "BoxShadowParser.h"

#include "platform/foundation/Bundle.h"

namespace {

QStringList boxShadowKeywords()
{
    return {QStringLiteral("inset"), QStringLiteral("none"), QStringLiteral("rgba"), QStringLiteral("rgb"),
            QStringLiteral("px"),    QStringLiteral("em"),   QStringLiteral("rem"),  QStringLiteral("%")};
}

// Parts stand at even indexes, the white space between them at odd ones.
// "ShadowLength7" to "ShadowLength12" are the twins of 1 to 6 with "inset"
// after the lengths; 13 to 15 put the colour after the lengths, the order
// DropShadowValue::stringValue() writes, and 16 to 18 are their inset twins.
// "inset" before a layer is the rule "InsetShadow".
QHash<QString, ShadowParser::ShadowForm> boxShadowForms()
{
    using Form = ShadowParser::ShadowForm;
    QHash<QString, Form> forms{
        {QStringLiteral("ShadowLength1"), Form{.x = 0, .y = 2}},
        {QStringLiteral("ShadowLength2"), Form{.x = 0, .y = 2, .blur = 4}},
        {QStringLiteral("ShadowLength3"), Form{.x = 0, .y = 2, .blur = 4, .spread = 6}},
        {QStringLiteral("ShadowLength4"), Form{.color = 0, .x = 2, .y = 4}},
        {QStringLiteral("ShadowLength5"), Form{.color = 0, .x = 2, .y = 4, .blur = 6}},
        {QStringLiteral("ShadowLength6"), Form{.color = 0, .x = 2, .y = 4, .blur = 6, .spread = 8}},
        {QStringLiteral("ShadowLength13"), Form{.color = 4, .x = 0, .y = 2}},
        {QStringLiteral("ShadowLength14"), Form{.color = 6, .x = 0, .y = 2, .blur = 4}},
        {QStringLiteral("ShadowLength15"), Form{.color = 8, .x = 0, .y = 2, .blur = 4, .spread = 6}},
    };
    const std::pair<int, int> insetTwins[]
        = {{1, 7}, {2, 8}, {3, 9}, {4, 10}, {5, 11}, {6, 12}, {13, 16}, {14, 17}, {15, 18}};
    for (const auto &[plain, twin] : insetTwins) {
        Form inset = forms.value(QStringLiteral("ShadowLength%1").arg(plain));
        inset.inset = true;
        forms.insert(QStringLiteral("ShadowLength%1").arg(twin), inset);
    }
    return forms;
}

} // namespace

BoxShadowParser::BoxShadowParser()
    : BoxShadowParser(Bundle::pathForResource(QStringLiteral("box-shadow"), QStringLiteral("grammar")))
{
}

BoxShadowParser::BoxShadowParser(const QString &grammarPath) : ShadowParser(grammarPath, boxShadowKeywords(), boxShadowForms())
{
}

std::optional<QVariant> BoxShadowParser::produceValue(const QString &ruleName, QVariantList &children)
{
    if (ruleName == u"Spread" || ruleName == u"Inset" || ruleName == u"ShadowLengths" || ruleName == u"PlainShadow")
        return children.value(0);
    if (ruleName == u"InsetShadow") {
        // "inset" before the parts: the layer at child 2 is drawn inside.
        const DropShadowValuePtr shadow = shadowOf(children.value(2));
        if (shadow)
            shadow->setInset(true);
        return children.value(2);
    }
    return std::nullopt;
}
