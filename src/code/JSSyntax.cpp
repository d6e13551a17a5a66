#include "JSSyntax.h"

#include "SyntaxPainter.h"

#include <QStringList>

JSSyntax::JSSyntax(QObject *parent)
    : SyntaxColoring(&JSSyntax::colorSpans, parent)
{
    initializeSetting();
}

JSSyntax::~JSSyntax() = default;

void JSSyntax::initializeSetting()
{
    const SyntaxStyle keyword = SyntaxStyle::init({}, QColor(204, 2, 179), {});
    setStyles({{Keyword, keyword},
               {Method, SyntaxStyle::init({}, QColor(90, 131, 147), {})},
               {ValueNum, SyntaxStyle::init({}, QColor(67, 0, 219), {})},
               // The desktop's plain red, for strings and regular expressions.
               {String, SyntaxStyle::init({}, QColor(255, 0, 0), {})},
               {Comment, SyntaxStyle::init({}, QColor(0, 141, 0), {})}});
    m_keyWordStyles.clear();
    for (const QString &word : keywords())
        m_keyWordStyles.insert(word, keyword);
}

const QStringList &JSSyntax::keywords()
{
    static const QStringList words{
        QStringLiteral("var "),  QStringLiteral("function"), QStringLiteral("if"),       QStringLiteral("else"),
        QStringLiteral("switch"), QStringLiteral("case"),    QStringLiteral("default"),  QStringLiteral("continue"),
        QStringLiteral("break"), QStringLiteral("null"),     QStringLiteral("undefined"), QStringLiteral("true"),
        QStringLiteral("false"), QStringLiteral("return"),   QStringLiteral("this"),     QStringLiteral("arguments"),
        QStringLiteral("throw"), QStringLiteral("new")};
    return words;
}

SyntaxSpans JSSyntax::colorSpans(const QString &text)
{
    SyntaxPainter painter(text);
    const QString &subject = painter.text();

    // Keywords are plain substrings, case-sensitive: "if" in "notify" too.
    for (const QString &word : keywords()) {
        for (qsizetype at = subject.indexOf(word); at >= 0; at = subject.indexOf(word, at + word.size()))
            painter.paint(int(at), int(word.size()), Keyword);
    }
    // A dot and the member name after it, without the character that ends it.
    if (const auto found = painter.matches(QStringLiteral("\\..*?[,;\\s\\(\\)\\[]"), "member")) {
        for (const SyntaxPainter::Match &match : *found)
            painter.paint(match.start, match.length - 1, Method);
    }
    if (const auto found = painter.matches(QStringLiteral("-?((\\.\\d+)|\\d+(\\.\\d+)?)"), "number")) {
        for (const SyntaxPainter::Match &match : *found) {
            if (!painter.followsLetter(match.start))
                painter.paint(match.start, match.length, ValueNum);
        }
    }
    for (const char *pattern : {"'.*?'", "\\\".*?\\\"", "/.+?[^\\\\]/\\w*"}) {
        if (const auto found = painter.matches(QString::fromLatin1(pattern), "string")) {
            for (const SyntaxPainter::Match &match : *found)
                painter.paint(match.start, match.length, String);
        }
    }
    if (const auto found = painter.matches(QStringLiteral("/\\*.*?\\*/"), "block comment", true)) {
        for (const SyntaxPainter::Match &match : *found)
            painter.paint(match.start, match.length, Comment);
    }
    if (const auto found = painter.matches(QStringLiteral("//([^\\n])*?\\n"), "line comment")) {
        for (const SyntaxPainter::Match &match : *found)
            painter.paint(match.start, match.length, Comment);
    }
    return painter.spans();
}
