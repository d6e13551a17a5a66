#include "ControlSelectorValidator.h"

#include "cssvalues/CSSSelectorValidator.h"
#include "platform/kit/DesktopColors.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTextCharFormat>

namespace ControlSelectorValidator {

namespace {

constexpr char kRangesProperty[] = "selectorErrorRanges";

CSSSelectorValidator *validator()
{
    static CSSSelectorValidator *s_validator = CSSSelectorValidator::getInstance();
    return s_validator;
}

// Which characters sit inside [...] or a quoted string.
QList<bool> protectedMask(const QString &text)
{
    QList<bool> mask(text.size(), false);
    int depth = 0;
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            mask[i] = true;
            if (c == u'\\' && i + 1 < text.size())
                mask[++i] = true;
            else if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
            mask[i] = true;
        } else if (c == u'[') {
            ++depth;
            mask[i] = true;
        } else if (depth > 0) {
            mask[i] = true;
            if (c == u']')
                --depth;
        }
    }
    return mask;
}

bool isCombinator(QChar c)
{
    return c == u'+' || c == u'>' || c == u'~';
}

} // namespace

bool isValidSelector(QLineEdit *control, const QString &text)
{
    CSSSelectorValidator *shared = validator();
    shared->parse(text);
    QList<Range> ranges;
    for (const CSSSelectorValidator::ErrorRecord &error : shared->errors())
        ranges.append(error.range);
    if (control)
        formatAttributedString(control, ranges);
    return ranges.isEmpty();
}

void formatAttributedString(QLineEdit *control, const QList<Range> &errors)
{
    const qsizetype length = control->text().size();
    QTextCharFormat red;
    red.setForeground(DesktopColors::isDark(control->palette()) ? QColor(255, 120, 110) : QColor(200, 30, 30));
    red.setFontUnderline(true);
    red.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    QList<Range> marked;
    QList<QInputMethodEvent::Attribute> attributes;
    for (Range range : errors) {
        range.location = qBound<qsizetype>(0, range.location, length);
        range.length = range.length == 0 ? length - range.location : qMin(range.length, length - range.location);
        marked.append(range);
        if (range.length > 0)
            attributes.append({QInputMethodEvent::TextFormat, int(range.location) - control->cursorPosition(), int(range.length), red});
    }
    // Formats of an empty pre-edit text stay on the committed text.
    QInputMethodEvent event(QString(), attributes);
    QCoreApplication::sendEvent(control, &event);
    control->setProperty(kRangesProperty, QVariant::fromValue(marked));
}

bool validateSelectorWithFormat(QLineEdit *control)
{
    return isValidSelector(control, control->text());
}

QList<Range> errorRanges(const QLineEdit *control)
{
    return control->property(kRangesProperty).value<QList<Range>>();
}

QString normalizedSelector(const QString &text)
{
    // "::" before a pseudo-class (not a pseudo-element) becomes ":".
    static const QRegularExpression pseudoClass(QStringLiteral(
        "::(link|hover|active|visited|focus|lang|first-child|last-child|first-of-type|last-of-type|nth-child|nth-last-child|"
        "nth-of-type|only-child|only-of-type|root|empty|target|enabled|disabled|checked|indeterminate|read-write|read-only)"));
    QString folded;
    QList<bool> mask = protectedMask(text);
    qsizetype from = 0;
    for (auto it = pseudoClass.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (mask.at(match.capturedStart()))
            continue;
        folded += QStringView(text).mid(from, match.capturedStart() - from);
        folded += u':';
        from = match.capturedStart() + 2;
    }
    folded += QStringView(text).mid(from);
    mask = protectedMask(folded);

    // Blanks after commas and around combinators.
    QString spaced;
    spaced.reserve(folded.size() + 16);
    for (qsizetype i = 0; i < folded.size(); ++i) {
        const QChar c = folded.at(i);
        const bool nextIsBlank = i + 1 >= folded.size() || folded.at(i + 1).isSpace();
        if (mask.at(i) || (c != u',' && !isCombinator(c))) {
            spaced += c;
            continue;
        }
        if (isCombinator(c) && i > 0 && !spaced.isEmpty() && !spaced.back().isSpace())
            spaced += u' ';
        spaced += c;
        if (!nextIsBlank)
            spaced += u' ';
    }
    return spaced;
}

} // namespace ControlSelectorValidator
