// Any byte sequence given to the style-sheet parser yields a list of items,
// never a crash or a hang; the model built from it must stay usable, and the
// top-level items must give back every character of the text that is no
// white space.

#include "../tests/stylesheet/StyleSheetCoverage.h"

#include "stylesheet/CSSSpecificityUtil.h"
#include "stylesheet/GradientColorParser.h"
#include "stylesheet/StringCSSProperty.h"
#include "stylesheet/StyleSheetParser.h"
#include "stylesheet/VendarPrefixSettings.h"
#include "workspace/ProjectUtil.h"

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Broken sheets are logged once per parse; keep that out of the run.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const VendarPrefixSettings settings
        = VendarPrefixSettings::fromConfig(ProjectUtil::createDefaultProjectConfig());

    // Half the inputs as UTF-8 text, the other half as raw UTF-16 code units,
    // lone surrogates included.
    QString text;
    if (size > 0 && (data[0] & 1)) {
        text = QString(reinterpret_cast<const QChar *>(data + 1), qsizetype((size - 1) / 2));
    } else {
        text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    }

    const QList<StyleDeclarationPtr> items
        = StyleSheetParser::parseStyleSheet(text, nullptr, settings);
    qsizetype previous = -1;
    // The ranges of the blocks that hold the current item.
    std::vector<Range> holders;
    for (const StyleDeclarationPtr &item : items) {
        // Ranges stay inside the text and come in text order.
        const Range range = item->range();
        if (range.location < 0 || range.length < 0 || range.end() > text.size()
            || range.location <= previous)
            __builtin_trap();
        previous = range.location;
        // An item inside a block lies within its range.
        while (!holders.empty() && holders.back().end() < range.end())
            holders.pop_back();
        if (item->isInBraket() && holders.empty())
            __builtin_trap();
        if (item->hasBody() && item->type() != RuleType::Comment)
            holders.push_back(range);
        item->cssText();
        item->generateBody();
        item->generateBodyForDom();
        item->copy();
        for (const CSSPropertyPtr &property : item->properties()) {
            property->valueMap();
            if (property->property() == u"background-image")
                GradientColorParser::convertFormalToVendarPrefix(property->value(), u"-webkit-"_qs);
        }
        if (item->type() == RuleType::Style) {
            for (const QString &selector : CSSSpecificityUtil::splitSelectorGroup(item->selector()))
                CSSSpecificityUtil::calcSpecificity(selector);
        }
    }
    const QString lost = styleSheetCoverageProblem(text, items);
    if (!lost.isEmpty()) {
        std::fprintf(stderr, "text lost: %s\n", qPrintable(lost));
        __builtin_trap();
    }
    StringCSSProperty::cssProperties(text);
    GradientColorParser::convertVendarPrefixToFormal(text);
    GradientColorParser().decode(text);
    return 0;
}
