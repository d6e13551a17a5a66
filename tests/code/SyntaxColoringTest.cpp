#include "TestPrinters.h"
#include "TestUtil.h"

#include "code/CSSSyntax.h"
#include "code/CodeView.h"
#include "code/HTMLSyntax.h"
#include "code/JSSyntax.h"
#include "code/SyntaxPainter.h"

#include <QFile>
#include <QPalette>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

// One line per span: the style's name, where it starts (line:column, from
// 1) and its text, line ends written as \n.
QString dump(const QString &text, const SyntaxSpans &spans, const QStringList &names)
{
    QString out;
    for (const SyntaxSpan &span : spans) {
        const QString before = text.left(span.start);
        const qsizetype line = before.count(u'\n') + 1;
        const qsizetype column = span.start - (before.lastIndexOf(u'\n') + 1) + 1;
        QString shown = text.mid(span.start, span.length);
        shown.replace(QStringLiteral("\n"), QStringLiteral("\\n"));
        out += QStringLiteral("%1 %2:%3 \"%4\"\n").arg(names.value(span.style)).arg(line).arg(column).arg(shown);
    }
    return out;
}

QString readData(const QString &name)
{
    QFile file(QStringLiteral(QUILLMARK_TEST_DATA "/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The text of data/NAME coloured, against data/NAME.spans beside it. With
// QUILLMARK_UPDATE_GOLDEN set the reference is written instead.
void expectGolden(const QString &name, SyntaxSpans (*passes)(const QString &), const QStringList &names)
{
    const QString text = readData(name);
    ASSERT_FALSE(text.isEmpty()) << name.toStdString();
    const QString actual = dump(text, passes(text), names);
    const QString reference = name + QStringLiteral(".spans");
    if (qEnvironmentVariableIsSet("QUILLMARK_UPDATE_GOLDEN")) {
        QFile out(QStringLiteral(QUILLMARK_TEST_DATA "/") + reference);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(actual.toUtf8());
        return;
    }
    EXPECT_EQ(actual, readData(reference)) << "differs from " << reference.toStdString();
}

const QStringList kJSNames{{}, "keyword", "method", "number", "string", "comment"};
const QStringList kCSSNames{{}, "at", "pseudo", "condition", "property", "value", "number", "string", "comment"};
const QStringList kHTMLNames{{}, "tag", "attribute", "attrName", "value", "link", "comment"};

QList<QTextLayout::FormatRange> formatsOfLine(const CodeView &view, int line)
{
    return view.document()->findBlockByNumber(line).layout()->formats();
}

// A code view with a text and a colourer, and the colourer's runs counted.
template<typename Colorer>
struct Colored
{
    explicit Colored(const QString &text)
    {
        view.resize(400, 300);
        view.setTextStorageDelegate(&colorer);
        view.setString(text);
    }

    CodeView view;
    Colorer colorer;
    QSignalSpy runs{&colorer, &SyntaxColoring::colored};
};

} // namespace

TEST(SyntaxColoring, ScriptsAsTheReferenceShowsThem)
{
    // Keywords inside words, digits after letters, "//" inside a string, a
    // comment over a keyword and a string, a last line comment without a
    // line feed, a member and its call.
    expectGolden(QStringLiteral("sample.js"), &JSSyntax::colorSpans, kJSNames);
}

TEST(SyntaxColoring, StyleSheetsAsTheReferenceShowsThem)
{
    // Pseudo selectors, properties and values, a hex colour after a letter,
    // a comment over values, and the last declaration without a semicolon.
    expectGolden(QStringLiteral("sample.css"), &CSSSyntax::colorSpans, kCSSNames);
}

TEST(SyntaxColoring, PagesAsTheReferenceShowsThem)
{
    // Capital tags, link values by name and by form, and a comment over tags.
    expectGolden(QStringLiteral("sample.html"), &HTMLSyntax::colorSpans, kHTMLNames);
}

TEST(SyntaxColoring, AnyTextColoursWithoutHangingOrFailing)
{
    const QString longLine = QString(QStringLiteral("abc=def ")).repeated(128 * 1024);
    const QString dataUri = QStringLiteral("<img src=\"data:image/png;base64,") + QString(200 * 1024, u'A')
        + QStringLiteral("=\">\n");
    const QString unclosed = QStringLiteral("a { content: \"open\n/* never closed\n<!-- nor this\n'x");
    const QString surrogates = QStringLiteral("a { b: 1px; }") + QChar(0xd800) + QStringLiteral("'x' ")
        + QChar(0xdc00) + QStringLiteral(" 12 <p class=\"q\">");
    for (const QString &text : {longLine, dataUri, unclosed, surrogates, QString()}) {
        for (auto passes : {&JSSyntax::colorSpans, &CSSSyntax::colorSpans, &HTMLSyntax::colorSpans}) {
            const SyntaxSpans spans = passes(text);
            int end = 0;
            for (const SyntaxSpan &span : spans) {
                EXPECT_GE(span.start, end);
                end = span.end();
            }
            EXPECT_LE(end, text.size());
        }
    }
    // Past the unpaired surrogates the passes still find their matches.
    const SyntaxSpans spans = CSSSyntax::colorSpans(surrogates);
    EXPECT_TRUE(std::any_of(spans.cbegin(), spans.cend(), [&](const SyntaxSpan &span) {
        return surrogates.mid(span.start, span.length) == QStringLiteral("'x'");
    }));
}

TEST(SyntaxColoring, APassThatExhaustsTheEngineIsSkipped)
{
    // Nested repeats over a run without the final "b": more ways to try
    // than the engine allows.
    SyntaxPainter painter(QString(40000, u'a') + QStringLiteral(" b"));
    EXPECT_EQ(painter.matches(QStringLiteral("(a+)+b"), "runaway"), std::nullopt);
    EXPECT_EQ(painter.matches(QStringLiteral("(unclosed"), "broken"), std::nullopt);
    const auto found = painter.matches(QStringLiteral("a{1000}"), "plain");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->size(), 40u);
}

TEST(SyntaxColoring, TenQuickEditsGiveOneRunAfterTheLastOne)
{
    Colored<JSSyntax> script(QStringLiteral("var a = 1;\n"));
    // Each key in a turn of its own.
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(&script.view, Qt::Key_X);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(script.runs.size(), 0);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return script.runs.size() == 1; }));
    TestUtil::spin(int(SyntaxColoring::kDelaySeconds * 1000) + 200);
    EXPECT_EQ(script.runs.size(), 1);
    EXPECT_FALSE(formatsOfLine(script.view, 0).isEmpty());
}

TEST(SyntaxColoring, OneColourerServesManyViewsEachWithItsOwnText)
{
    CSSSyntax colorer;
    CodeView first;
    CodeView second;
    first.setTextStorageDelegate(&colorer);
    second.setTextStorageDelegate(&colorer);
    first.setString(QStringLiteral("a { color: red; }"));
    second.setString(QStringLiteral("/* all comment */"));
    QSignalSpy runs(&colorer, &SyntaxColoring::colored);
    colorer.applySyntaxColor(&first);
    colorer.applySyntaxColor(&second);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return runs.size() == 2; }));
    const auto colours = [](const CodeView &view) {
        QSet<QRgb> found;
        for (const QTextLayout::FormatRange &range : formatsOfLine(view, 0))
            found.insert(range.format.foreground().color().rgb());
        return found;
    };
    EXPECT_GE(colours(first).size(), 2);
    EXPECT_EQ(colours(second), QSet<QRgb>{QColor(0, 141, 0).rgb()});
}

TEST(SyntaxColoring, ALargeTextIsColouredAwayFromTheInterfaceAndALaterEditDropsTheRun)
{
    const QString rule = QStringLiteral(".a { margin: 10px; }\n");
    Colored<CSSSyntax> sheet(rule.repeated(SyntaxColoring::kInlineLength / int(rule.size()) + 100));
    sheet.colorer.doColor(&sheet.view);
    // The spans come later: an edit meanwhile makes them stale.
    QTest::keyClick(&sheet.view, Qt::Key_Z);
    TestUtil::spin(300);
    EXPECT_EQ(sheet.runs.size(), 0);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return sheet.runs.size() == 1; }));
    const int last = sheet.view.document()->blockCount() - 2;
    EXPECT_FALSE(formatsOfLine(sheet.view, last).isEmpty());
    EXPECT_FALSE(formatsOfLine(sheet.view, 0).isEmpty());
}

TEST(SyntaxColoring, ColoursOfTheEditedLineMoveWithItsText)
{
    Colored<JSSyntax> script(QStringLiteral("x = 'abc';"));
    CodeView &view = script.view;
    script.colorer.doColor(&view);
    ASSERT_EQ(script.runs.size(), 1);
    ASSERT_EQ(formatsOfLine(view, 0).size(), 1);
    EXPECT_EQ(formatsOfLine(view, 0).first().start, 4);
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(0);
    view.setTextCursor(cursor);
    QTest::keyClicks(&view, QStringLiteral("yy"));
    // Before the string: it moves. Inside it: it grows.
    EXPECT_EQ(formatsOfLine(view, 0).first().start, 6);
    EXPECT_EQ(formatsOfLine(view, 0).first().length, 5);
    cursor.setPosition(8);
    view.setTextCursor(cursor);
    QTest::keyClicks(&view, QStringLiteral("q"));
    EXPECT_EQ(formatsOfLine(view, 0).first().start, 6);
    EXPECT_EQ(formatsOfLine(view, 0).first().length, 6);
}

TEST(SyntaxColoring, ColoursAreLightenedOnADarkPalette)
{
    QPalette light;
    light.setColor(QPalette::Window, QColor(239, 239, 239));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 47, 51));
    for (const QColor &color : {QColor(0, 141, 0), QColor(0, 0, 255), QColor(255, 0, 0), QColor(80, 80, 80)}) {
        EXPECT_EQ(SyntaxStyle::colorOn(color, light), color);
        const QColor shown = SyntaxStyle::colorOn(color, dark);
        EXPECT_GT(shown.lightnessF(), std::max(0.6f, color.lightnessF())) << color.name().toStdString();
        EXPECT_EQ(shown.hslHue(), color.hslHue());
    }
}
