#include "HTMLSyntax.h"

#include "SyntaxPainter.h"

HTMLSyntax::HTMLSyntax(QObject *parent)
    : SyntaxColoring(&HTMLSyntax::colorSpans, parent)
{
    const QColor grey(80, 80, 80);
    setStyles({{Tag, SyntaxStyle::init({}, QColor(185, 2, 143), {})},
               {AttrBase, SyntaxStyle::init({}, grey, {})},
               {AttrName, SyntaxStyle::init({}, grey, {})},
               {Value, SyntaxStyle::init({}, QColor(56, 107, 218), {})},
               {LinkValue, SyntaxStyle::init({}, QColor(0, 0, 255), {})},
               {Comment, SyntaxStyle::init({}, QColor(0, 141, 0), {})}});
}

HTMLSyntax::~HTMLSyntax() = default;

namespace {

// A value that names a resource: any value of an href or src attribute, or a
// value of eight characters or more that starts like an address or a path.
bool isLink(QStringView attribute, QStringView value)
{
    if (attribute.startsWith(u"href") || attribute.startsWith(u"src"))
        return true;
    return value.size() >= 8
        && (value.startsWith(u"http://") || value.startsWith(u'/') || value.startsWith(u'.'));
}

} // namespace

SyntaxSpans HTMLSyntax::colorSpans(const QString &text)
{
    SyntaxPainter painter(text);
    const QString &subject = painter.text();

    // Case-sensitive: tags written in capitals stay plain.
    if (const auto tags = painter.matches(QStringLiteral("</?[a-z][a-z0-9]*[^<>]*>"), "tag")) {
        for (const SyntaxPainter::Match &tag : *tags)
            painter.paint(tag.start, tag.length, Tag);
    }

    // Attributes anywhere in the text, inside tags or not.
    const auto attributes = painter.matches(
        QStringLiteral("(\\S+)=[\"']?((?:.(?![\"']?\\s+(?:\\S+)=|[>\"']))+.)[\"']?"), "attribute");
    const auto quoted = SyntaxPainter::compile(QStringLiteral("[\"'].*?[\"']"), "attribute value");
    if (attributes && quoted) {
        for (const SyntaxPainter::Match &attribute : *attributes) {
            painter.paint(attribute.start, attribute.length, AttrBase);
            const QStringView whole = QStringView(subject).mid(attribute.start, attribute.length);
            const qsizetype equals = whole.indexOf(u'=');
            if (equals > 0)
                painter.paint(attribute.start, int(equals), AttrName);
            const auto values = painter.matches(*quoted, "attribute value", attribute.start, attribute.end());
            if (!values)
                continue;
            for (const SyntaxPainter::Match &value : *values) {
                const int start = value.start + 1;
                const int length = value.length - 2;
                const QStringView inner = QStringView(subject).mid(start, std::max(0, length));
                painter.paint(start, length, isLink(whole, inner) ? LinkValue : Value);
            }
        }
    }

    if (const auto comments = painter.matches(QStringLiteral("<!--.*?-->"), "comment", true)) {
        for (const SyntaxPainter::Match &comment : *comments)
            painter.paint(comment.start, comment.length, Comment);
    }
    return painter.spans();
}
