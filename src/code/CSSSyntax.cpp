#include "CSSSyntax.h"

#include "SyntaxPainter.h"

CSSSyntax::CSSSyntax(QObject *parent)
    : SyntaxColoring(&CSSSyntax::colorSpans, parent)
{
    const QColor blue(62, 93, 181);
    setStyles({{At, SyntaxStyle::init({}, blue, {})},
               {Pseudo, SyntaxStyle::init({}, blue, {})},
               {Condition, SyntaxStyle::init({}, blue, {})},
               {Property, SyntaxStyle::init({}, QColor(185, 2, 143), {})},
               {Value, SyntaxStyle::init({}, QColor(21, 49, 148), {})},
               {NumberValue, SyntaxStyle::init({}, QColor(67, 0, 219), {})},
               {StringValue, SyntaxStyle::init({}, QColor(236, 0, 0), {})},
               {Comment, SyntaxStyle::init({}, QColor(0, 141, 0), {})}});
}

CSSSyntax::~CSSSyntax() = default;

namespace {

void paintAll(SyntaxPainter &painter, const QString &pattern, const char *pass, int style, bool dotAll = false)
{
    if (const auto found = painter.matches(pattern, pass, dotAll)) {
        for (const SyntaxPainter::Match &match : *found)
            painter.paint(match.start, match.length, style);
    }
}

void paintNumbers(SyntaxPainter &painter, const QString &pattern, const char *pass)
{
    if (const auto found = painter.matches(pattern, pass)) {
        for (const SyntaxPainter::Match &match : *found) {
            if (!painter.followsLetter(match.start))
                painter.paint(match.start, match.length, CSSSyntax::NumberValue);
        }
    }
}

} // namespace

SyntaxSpans CSSSyntax::colorSpans(const QString &text)
{
    SyntaxPainter painter(text);
    paintAll(painter, QStringLiteral("@[-\\w]+"), "at-keyword", At);
    // Also a colon and the word after it inside declarations; the block pass
    // recolours those it reaches.
    paintAll(painter, QStringLiteral(":?:[-\\w]+"), "pseudo selector", Pseudo);
    paintAll(painter, QStringLiteral("\\[.*?\\]"), "attribute condition", Condition);

    // Inside each block, property names (from the brace, semicolon or blank
    // before them up to the colon) and then values (from after the colon
    // through the semicolon and the character after it).
    const auto blocks = painter.matches(QStringLiteral("\\{.*?\\}"), "block", true);
    const auto property = SyntaxPainter::compile(QStringLiteral("(\\{|;|\\s).*?:"), "property");
    const auto value = SyntaxPainter::compile(QStringLiteral(":.*?;"), "value");
    if (blocks && property && value) {
        for (const SyntaxPainter::Match &block : *blocks) {
            const int to = block.end();
            if (const auto names = painter.matches(*property, "property", block.start, to)) {
                for (const SyntaxPainter::Match &name : *names)
                    painter.paint(name.start, name.length - 1, Property);
            }
            if (const auto values = painter.matches(*value, "value", block.start, to)) {
                for (const SyntaxPainter::Match &value : *values)
                    painter.paint(value.start + 1, value.length, Value);
            }
        }
    }
    paintNumbers(painter, QStringLiteral("-?((\\.\\d+)|\\d+(\\.\\d+)?)(em|ex|rem|cm|mm|in|px|pt|pc|deg|s|ms|%)?"), "number");
    paintNumbers(painter, QStringLiteral("#[0-9a-fA-F]{3,6}"), "hex colour");
    paintAll(painter, QStringLiteral("\\!important"), "importance", StringValue);
    paintAll(painter, QStringLiteral("'.*?'"), "string", StringValue);
    paintAll(painter, QStringLiteral("\\\".*?\\\""), "string", StringValue);
    paintAll(painter, QStringLiteral("/\\*.*?\\*/"), "block comment", Comment, true);
    paintAll(painter, QStringLiteral("//([^\\n])*?\\n"), "line comment", Comment);
    return painter.spans();
}
