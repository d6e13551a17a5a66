#include "TextShadowParser.h"

#include "platform/foundation/Bundle.h"

namespace {

QStringList textShadowKeywords()
{
    return {QStringLiteral("none"), QStringLiteral("rgba"), QStringLiteral("rgb"), QStringLiteral("px"),
            QStringLiteral("em"),   QStringLiteral("rem"),  QStringLiteral("%")};
}

// Parts stand at even indexes, the white space between them at odd ones.
QHash<QString, ShadowParser::ShadowForm> textShadowForms()
{
    using Form = ShadowParser::ShadowForm;
    return {
        {QStringLiteral("Shadow1"), Form{.color = 0, .x = 2, .y = 4, .blur = 6}},
        {QStringLiteral("Shadow2"), Form{.color = 0, .x = 2, .y = 4}},
        {QStringLiteral("Shadow3"), Form{.x = 0, .y = 2}},
        {QStringLiteral("Shadow4"), Form{.color = 6, .x = 0, .y = 2, .blur = 4}},
        {QStringLiteral("Shadow5"), Form{.color = 4, .x = 0, .y = 2}},
        {QStringLiteral("Shadow6"), Form{.x = 0, .y = 2, .blur = 4}},
    };
}

} // namespace

TextShadowParser::TextShadowParser()
    : TextShadowParser(Bundle::pathForResource(QStringLiteral("text-shadow"), QStringLiteral("grammar")))
{
}

TextShadowParser::TextShadowParser(const QString &grammarPath) : ShadowParser(grammarPath, textShadowKeywords(), textShadowForms())
{
}
