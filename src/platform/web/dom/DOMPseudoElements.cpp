#include "DOMPseudoElements.h"

#include "DOMElement.h"
#include "DOMLog.h"
#include "DOMStrings.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <optional>

namespace {

using Kind = DOMPseudoElements::Kind;

// The names and what has them, as the engine answers for its elements.
const QHash<QString, Kind> &plainNames()
{
    static const QHash<QString, Kind> names = [] {
        QHash<QString, Kind> table;
        for (const char *name :
             {"before", "after", "marker", "backdrop", "first-line", "first-letter", "selection", "target-text",
              "spelling-error", "grammar-error", "search-text", "checkmark", "picker-icon", "column", "scroll-marker",
              "scroll-marker-group", "-webkit-scrollbar", "-webkit-scrollbar-button", "-webkit-scrollbar-thumb",
              "-webkit-scrollbar-track", "-webkit-scrollbar-track-piece", "-webkit-scrollbar-corner", "-webkit-resizer"})
            table.insert(QString::fromLatin1(name), Kind::EveryElement);
        for (const char *name :
             {"placeholder", "-webkit-input-placeholder", "file-selector-button", "-webkit-file-upload-button",
              "-webkit-slider-container", "-webkit-slider-runnable-track", "-webkit-slider-thumb",
              "-webkit-inner-spin-button", "-webkit-search-cancel-button", "-webkit-textfield-decoration-container",
              "-webkit-calendar-picker-indicator", "-webkit-datetime-edit", "-webkit-datetime-edit-fields-wrapper",
              "-webkit-datetime-edit-text", "-webkit-datetime-edit-year-field", "-webkit-datetime-edit-month-field",
              "-webkit-datetime-edit-day-field", "-webkit-datetime-edit-week-field", "-webkit-datetime-edit-hour-field",
              "-webkit-datetime-edit-minute-field", "-webkit-datetime-edit-second-field",
              "-webkit-datetime-edit-millisecond-field", "-webkit-datetime-edit-ampm-field",
              "-webkit-color-swatch-wrapper", "-webkit-color-swatch", "-webkit-progress-inner-element",
              "-webkit-progress-bar", "-webkit-progress-value", "-webkit-meter-inner-element", "-webkit-meter-bar",
              "-webkit-meter-optimum-value", "-webkit-meter-suboptimum-value", "-webkit-meter-even-less-good-value",
              "details-content"})
            table.insert(QString::fromLatin1(name), Kind::Part);
        // Names the engine reads that no element of a page at rest has
        // (transitions, WebVTT cues), or that it no longer builds.
        for (const char *name :
             {"cue", "view-transition", "-webkit-details-marker", "-webkit-outer-spin-button",
              "-webkit-search-decoration", "-webkit-search-results-button", "-webkit-search-results-decoration",
              "-webkit-caps-lock-indicator", "-webkit-clear-button", "-webkit-contacts-auto-fill-button",
              "-webkit-credentials-auto-fill-button", "-webkit-strong-password-auto-fill-button",
              "-webkit-input-speech-button", "-webkit-full-page-media", "-webkit-list-button"})
            table.insert(QString::fromLatin1(name), Kind::NoElement);
        return table;
    }();
    return names;
}

const QHash<QString, Kind> &functionalNames()
{
    static const QHash<QString, Kind> names = {
        {QStringLiteral("highlight"), Kind::EveryElement},
        {QStringLiteral("scroll-button"), Kind::EveryElement},
        {QStringLiteral("cue"), Kind::NoElement},
        {QStringLiteral("part"), Kind::NoElement},
        {QStringLiteral("slotted"), Kind::NoElement},
        {QStringLiteral("picker"), Kind::NoElement},
        {QStringLiteral("view-transition-group"), Kind::NoElement},
        {QStringLiteral("view-transition-image-pair"), Kind::NoElement},
        {QStringLiteral("view-transition-old"), Kind::NoElement},
        {QStringLiteral("view-transition-new"), Kind::NoElement},
    };
    return names;
}

bool isWebkitName(const QString &name)
{
    return name.startsWith(QLatin1String("-webkit-"));
}

// An input's type as the engine reads it: an unknown or missing one is a text field.
QString inputType(const DOMElement &element)
{
    static const QSet<QString> types = {
        QStringLiteral("text"),     QStringLiteral("search"), QStringLiteral("url"),      QStringLiteral("tel"),
        QStringLiteral("email"),    QStringLiteral("password"), QStringLiteral("number"), QStringLiteral("date"),
        QStringLiteral("time"),     QStringLiteral("datetime-local"), QStringLiteral("month"), QStringLiteral("week"),
        QStringLiteral("color"),    QStringLiteral("range"),  QStringLiteral("file"),     QStringLiteral("checkbox"),
        QStringLiteral("radio"),    QStringLiteral("submit"), QStringLiteral("button"),   QStringLiteral("reset"),
        QStringLiteral("image"),    QStringLiteral("hidden"),
    };
    const QString type = DOMStrings::asciiLower(element.getAttribute(QStringLiteral("type")).trimmed());
    return types.contains(type) ? type : QStringLiteral("text");
}

bool isTextField(const QString &type)
{
    return type == u"text" || type == u"search" || type == u"url" || type == u"tel" || type == u"email"
        || type == u"password" || type == u"number";
}

bool isDateField(const QString &type)
{
    return type == u"date" || type == u"time" || type == u"datetime-local" || type == u"month" || type == u"week";
}

std::optional<double> numberAttribute(const DOMElement &element, const QString &name)
{
    bool ok = false;
    const double value = element.getAttribute(name).trimmed().toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// The region of a meter's gauge its value falls in: the optimum, a
// suboptimal one or one still worse ("optimum", "suboptimum",
// "even-less-good"), by the HTML rules for low, high and optimum.
QString meterRegion(const DOMElement &meter)
{
    const double min = numberAttribute(meter, QStringLiteral("min")).value_or(0);
    const double max = std::max(min, numberAttribute(meter, QStringLiteral("max")).value_or(1));
    const double value = std::clamp(numberAttribute(meter, QStringLiteral("value")).value_or(0), min, max);
    const double low = std::clamp(numberAttribute(meter, QStringLiteral("low")).value_or(min), min, max);
    const double high = std::clamp(numberAttribute(meter, QStringLiteral("high")).value_or(max), low, max);
    const double optimum = std::clamp(numberAttribute(meter, QStringLiteral("optimum")).value_or((min + max) / 2), min, max);
    if (optimum < low)
        return value <= low ? QStringLiteral("optimum") : value <= high ? QStringLiteral("suboptimum")
                                                                         : QStringLiteral("even-less-good");
    if (optimum > high)
        return value >= high ? QStringLiteral("optimum") : value >= low ? QStringLiteral("suboptimum")
                                                                         : QStringLiteral("even-less-good");
    return value >= low && value <= high ? QStringLiteral("optimum") : QStringLiteral("suboptimum");
}

// Whether the engine builds the part inside the element.
bool hasPart(const DOMElement &element, const QString &name)
{
    if (!element.isHTMLElement())
        return false;
    const QString &tag = element.localName();
    if (name == u"placeholder" || name == u"-webkit-input-placeholder") {
        const bool field = tag == u"textarea" || (tag == u"input" && isTextField(inputType(element)));
        return field && element.hasAttribute(QStringLiteral("placeholder"));
    }
    if (name == u"details-content")
        return tag == u"details";
    if (tag == u"progress")
        return name.startsWith(QLatin1String("-webkit-progress-"));
    if (tag == u"meter") {
        if (name == u"-webkit-meter-inner-element" || name == u"-webkit-meter-bar")
            return true;
        return name == QStringLiteral("-webkit-meter-%1-value").arg(meterRegion(element));
    }
    if (tag != u"input")
        return false;
    const QString type = inputType(element);
    const bool listed = isTextField(type) && element.hasAttribute(QStringLiteral("list"));
    if (name == u"file-selector-button" || name == u"-webkit-file-upload-button")
        return type == u"file";
    if (name.startsWith(QLatin1String("-webkit-slider-")))
        return type == u"range";
    if (name.startsWith(QLatin1String("-webkit-color-swatch")))
        return type == u"color";
    if (name == u"-webkit-inner-spin-button")
        return type == u"number";
    if (name == u"-webkit-search-cancel-button")
        return type == u"search";
    if (name == u"-webkit-textfield-decoration-container")
        return type == u"search" || type == u"number" || listed;
    if (name == u"-webkit-calendar-picker-indicator")
        return isDateField(type) || listed;
    if (!isDateField(type) || !name.startsWith(QLatin1String("-webkit-datetime-edit")))
        return false;
    const QString field = name.mid(int(qstrlen("-webkit-datetime-edit")));
    const bool withDate = type == u"date" || type == u"datetime-local";
    const bool withTime = type == u"time" || type == u"datetime-local";
    if (field.isEmpty() || field == u"-fields-wrapper" || field == u"-text")
        return true;
    if (field == u"-year-field")
        return withDate || type == u"month" || type == u"week";
    if (field == u"-month-field")
        return withDate || type == u"month";
    if (field == u"-day-field")
        return withDate;
    if (field == u"-week-field")
        return type == u"week";
    if (field == u"-hour-field" || field == u"-minute-field" || field == u"-ampm-field")
        return withTime;
    // Seconds are shown when the step asks for them.
    return withTime && element.hasAttribute(QStringLiteral("step"));
}

} // namespace

DOMPseudoElements::Kind DOMPseudoElements::kindOf(const QString &name)
{
    const auto plain = plainNames().constFind(name);
    if (plain != plainNames().cend())
        return plain.value();
    return functionalNames().value(name, Kind::Unknown);
}

bool DOMPseudoElements::isPseudoElement(const QString &name)
{
    return plainNames().contains(name) || isWebkitName(name);
}

bool DOMPseudoElements::isFunctionalPseudoElement(const QString &name)
{
    return functionalNames().contains(name) || isWebkitName(name);
}

bool DOMPseudoElements::isPseudoElementOf(const DOMElement &element, const QString &name)
{
    switch (kindOf(name)) {
    case Kind::EveryElement:
        return true;
    case Kind::Part:
        return hasPart(element, name);
    case Kind::NoElement:
        return false;
    case Kind::Unknown:
        break;
    }
    thread_local QSet<QString> logged;
    if (!logged.contains(name) && logged.size() < 256) {
        logged.insert(name);
        qCInfo(lcWeb).noquote() << "the pseudo-element ::" + name
                                       + " is not known here: its rules are listed for no element";
    }
    return false;
}
