#include "TestPrinters.h"
#include "TestUtil.h"

#include "DomTreeTestSupport.h"
#include "ParsedRows.h"

#include "domtree/DOMAttrString.h"
#include "domtree/DOMNodeTextinput.h"
#include "domtree/DOMRowCell.h"
#include "domtree/DOMRowView.h"
#include "domtree/DomCommentRowFormatter.h"
#include "domtree/DomTextNodeRowCell.h"
#include "domtree/DomTreeOutlineView.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/web/dom/DOMAttr.h"
#include "platform/web/html/HTMLParser.h"
#include "toolkit/SearchFieldEx.h"

#include <QAction>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QPalette lightPalette()
{
    QPalette palette(QColor(239, 239, 239));
    palette.setColor(QPalette::Window, QColor(239, 239, 239));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    return palette;
}

QPalette darkPalette()
{
    QPalette palette(QColor(53, 53, 53));
    palette.setColor(QPalette::Window, QColor(53, 53, 53));
    return palette;
}

const QColor s_tag(185, 2, 143);
const QColor s_attribute(80, 80, 80);
const QColor s_quoted(56, 107, 218);
const QColor s_link(0, 0, 255);

// The colour of the text at the first occurrence of a piece, with an offset into it.
QColor colorAt(const DOMAttrString &text, const QString &piece, int offset = 0)
{
    const qsizetype at = text.text.indexOf(piece);
    EXPECT_GE(at, 0) << qPrintable(piece) << " in " << qPrintable(text.text);
    return text.formatAt(at + offset).foreground().color();
}

bool underlinedAt(const DOMAttrString &text, const QString &piece)
{
    return text.formatAt(text.text.indexOf(piece)).fontUnderline();
}

} // namespace

TEST(DOMRowCell, ColoursTagsAttributesAndUnderlinesLinksOfAStartTag)
{
    ParsedRows rows(QStringLiteral("<link id=l href=\"style.css\">"));
    const auto text = DOMRowCell::setTagColor(rows.row("l"), false, lightPalette());
    EXPECT_EQ(colorAt(*text, QStringLiteral("<link")), s_tag);
    EXPECT_EQ(colorAt(*text, QStringLiteral("id=")), s_attribute);
    EXPECT_EQ(colorAt(*text, QStringLiteral("href=")), s_attribute);
    // The quoted value, both quotes included, is a link.
    for (int offset : {0, 1, 10})
        EXPECT_EQ(colorAt(*text, QStringLiteral("\"style.css\""), offset), s_link) << offset;
    EXPECT_TRUE(underlinedAt(*text, QStringLiteral("\"style.css\"")));
    EXPECT_FALSE(underlinedAt(*text, QStringLiteral("href")));
    EXPECT_EQ(text->formatAt(text->text.size() - 1).foreground().color(), s_tag);
}

TEST(DOMRowCell, QuotedValuesAreColouredByTheirLengthAndBeginning)
{
    ParsedRows rows(QStringLiteral("<p id=a title='.abcdefghijklm'></p><p id=b title='.abcdef'></p>"
                             "<p id=c title='abcdefghijklmnopqrst'></p><img id=d src='x.png' alt='http://example.org'>"));
    const QPalette palette = lightPalette();
    EXPECT_EQ(colorAt(*DOMRowCell::setTagColor(rows.row("a"), false, palette), QStringLiteral("\".abc")), s_link);
    EXPECT_EQ(colorAt(*DOMRowCell::setTagColor(rows.row("b"), false, palette), QStringLiteral("\".abc")), s_quoted);
    EXPECT_EQ(colorAt(*DOMRowCell::setTagColor(rows.row("c"), false, palette), QStringLiteral("\"abc")), s_quoted);
    const auto image = DOMRowCell::setTagColor(rows.row("d"), false, palette);
    EXPECT_TRUE(underlinedAt(*image, QStringLiteral("\"x.png\"")));
    EXPECT_EQ(colorAt(*image, QStringLiteral("\"http:")), s_link);
    EXPECT_FALSE(underlinedAt(*image, QStringLiteral("\"http:")));
}

TEST(DOMRowCell, IgnoredRowsAreGreyAndStruckThroughWhenSelected)
{
    ParsedRows rows(QStringLiteral("<div id=a class='x'><p>x</p></div><p id=p>y</p>"), QStringLiteral("#a{ignore:true;}"));
    DOMNodeEx &ignored = rows.row("a");
    ASSERT_TRUE(ignored.ignore());
    const QPalette palette = lightPalette();
    const auto plain = DOMRowCell::setTagColor(ignored, false, palette);
    ASSERT_EQ(plain->formats.size(), 1);
    EXPECT_EQ(plain->formats.at(0).length, plain->text.size());
    EXPECT_EQ(colorAt(*plain, QStringLiteral("class")), s_attribute);
    EXPECT_EQ(colorAt(*plain, QStringLiteral("<div")), s_attribute);

    const auto selected = DOMRowCell::setTagColor(ignored, true, palette);
    EXPECT_TRUE(selected->formats.at(0).format.fontStrikeOut());
    EXPECT_EQ(colorAt(*selected, QStringLiteral("<div")), palette.color(QPalette::HighlightedText));
    // A selected row leaves the row's kept colours alone.
    EXPECT_EQ(ignored.attrString(), plain);
    EXPECT_FALSE(DOMRowCell::setTagColor(rows.row("p"), true, palette)->formats.at(0).format.fontStrikeOut());

    EXPECT_EQ(DOMRowView::ignoredBackgroundColor(palette), QColor(180, 180, 180));
}

TEST(DOMRowCell, ReferenceRowsAreGreyAndCommentsGreen)
{
    ParsedRows rows(QStringLiteral("<svg><circle id=c r='5'></circle><use id=u href='#c'></use></svg><!--note-->"));
    const DOMNodeExPtr reference = rows.row("u").children().at(0);
    ASSERT_TRUE(reference->isReferenceNode());
    const auto text = DOMRowCell::setTagColor(*reference, false, lightPalette());
    EXPECT_EQ(colorAt(*text, QStringLiteral("<circle")), QColor(120, 120, 120));
    EXPECT_EQ(colorAt(*text, QStringLiteral("\"5\"")), QColor(120, 120, 120));

    const DOMNodeEx *body = rows.body();
    DOMNodeEx *comment = nullptr;
    for (const DOMNodeExPtr &child : body->children()) {
        if (child->node() && child->node()->isComment())
            comment = child.get();
    }
    ASSERT_TRUE(comment);
    const auto green = DOMRowCell::setTagColor(*comment, false, lightPalette());
    EXPECT_EQ(green->text, QStringLiteral("<!--note-->"));
    EXPECT_EQ(colorAt(*green, QStringLiteral("<!--")), QColor(0, 141, 0));
    EXPECT_EQ(colorAt(*green, QStringLiteral("note")), QColor(0, 141, 0));
}

TEST(DOMRowCell, ADarkPaletteShowsLighterColoursOfTheSameHues)
{
    ParsedRows rows(QStringLiteral("<a id=a href='x.html' title='hello'>x</a>"));
    DOMNodeEx &row = rows.row("a");
    const auto light = DOMRowCell::setTagColor(row, false, lightPalette());
    const auto dark = DOMRowCell::setTagColor(row, false, darkPalette());
    EXPECT_NE(light, dark);
    for (const QString &piece : {QStringLiteral("<a"), QStringLiteral("title="), QStringLiteral("'x.html'"),
                                 QStringLiteral("'hello'")}) {
        const QString quoted = QString(piece).replace(QLatin1Char('\''), QLatin1Char('"'));
        const QColor before = colorAt(*light, quoted);
        const QColor after = colorAt(*dark, quoted);
        EXPECT_GT(after.lightnessF(), 0.6) << qPrintable(piece);
        EXPECT_GT(after.lightnessF(), before.lightnessF()) << qPrintable(piece);
        EXPECT_NEAR(after.hslHue(), before.hslHue(), 1) << qPrintable(piece);
    }
}

TEST(DOMRowCell, ColoursAreKeptUntilTheRowsTextChanges)
{
    ParsedRows rows(QStringLiteral("<p id=p class='a'>x</p>"));
    DOMNodeEx &row = rows.row("p");
    const auto first = DOMRowCell::setTagColor(row, false, lightPalette());
    EXPECT_EQ(DOMRowCell::setTagColor(row, false, lightPalette()), first);
    rows.document->getElementById(QStringLiteral("p"))->setAttribute(QStringLiteral("class"), QStringLiteral("b"));
    row.createStartNode();
    const auto second = DOMRowCell::setTagColor(row, false, lightPalette());
    EXPECT_NE(second, first);
    EXPECT_TRUE(second->text.contains(QLatin1String("\"b\"")));
}

TEST(DOMRowCell, AStartTagOfAHundredKilobytesIsColouredWhole)
{
    const QString data = QStringLiteral("data:image/png;base64,") + QString(100 * 1024, QLatin1Char('A'));
    ParsedRows rows(QStringLiteral("<img id=i alt=\"a=b c\" src=\"%1\" title='t'>").arg(data));
    const auto text = DOMRowCell::setTagColor(rows.row("i"), false, lightPalette());
    const qsizetype value = text->text.indexOf(QLatin1String("\"data:"));
    EXPECT_EQ(text->formatAt(value).foreground().color(), s_link);
    EXPECT_EQ(text->formatAt(value + data.size() + 1).foreground().color(), s_link);
    EXPECT_TRUE(text->formatAt(value + 50000).fontUnderline());
    EXPECT_EQ(colorAt(*text, QStringLiteral("title=")), s_attribute);
    // A blank and "=" inside a quoted value stay in it.
    EXPECT_EQ(colorAt(*text, QStringLiteral("\"a=b c\""), 4), s_quoted);
}

// A row wider than its cell shows the start of its text and an ellipsis, in
// its colours; a text of several lines is folded into one line (#79, #88).
TEST(DOMRowCell, ARowCutShortShowsTheStartOfItsTextInItsColoursOnOneLine)
{
    const QFontMetricsF metrics(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QTextCharFormat tag;
    tag.setForeground(s_tag);
    QList<QTextLayout::FormatRange> formats{{0, 4, tag}, {5, 30, tag}, {32, 3, tag}};
    const double width = metrics.horizontalAdvance(QStringLiteral("<div class=\"ab"));
    const QString shown = DOMRowCell::cutShort(QStringLiteral("<div class=\"a-long-class-name\">"), metrics, width, formats);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("<div cl"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
    EXPECT_LE(metrics.horizontalAdvance(shown), width);
    ASSERT_EQ(formats.size(), 2);
    EXPECT_EQ(formats[1].start + formats[1].length, shown.size() - 1);

    // Line breaks and the indentation after them become one space, the
    // colours moving with their characters; blanks within a line stay.
    QTextCharFormat green;
    green.setForeground(Qt::green);
    formats = {{0, 4, tag}, {4, 13, green}, {17, 3, tag}};
    EXPECT_EQ(DOMRowCell::cutShort(QStringLiteral("<!--\n  a  b\n\t\tc\r\n-->"), metrics, 400, formats),
              QStringLiteral("<!-- a  b c -->"));
    ASSERT_EQ(formats.size(), 3);
    EXPECT_EQ(formats[1].start, 4);
    EXPECT_EQ(formats[1].length, 8);
    EXPECT_EQ(formats[2].start, 12);
    EXPECT_EQ(formats[2].length, 3);
}

TEST(DomCommentRowFormatter, EditsOnlyTheBodyAndPutsTheMarkersBack)
{
    EXPECT_EQ(DomCommentRowFormatter::stringForObjectValue(QStringLiteral(" x ")), QStringLiteral("<!-- x -->"));
    EXPECT_EQ(DomCommentRowFormatter::editingStringForObjectValue(QStringLiteral("<!-- x -->")), QStringLiteral(" x "));
    EXPECT_EQ(DomCommentRowFormatter::getObjectValue(QStringLiteral("new")), QStringLiteral("<!--new-->"));
    EXPECT_EQ(DomCommentRowFormatter::getObjectValue(QStringLiteral("<!--new-->")), QStringLiteral("<!--new-->"));
    EXPECT_EQ(DomCommentRowFormatter::getCommentBody(QStringLiteral("<!--open")), QStringLiteral("<!--open"));
    DomCommentRowFormatter formatter;
    EXPECT_EQ(formatter.color(), QColor(Qt::black));
}

TEST(DOMNodeTextinput, AltReturnDoesNothing)
{
    DOMNodeTextinput field;
    field.setText(QStringLiteral("abc"));
    int actions = 0;
    QObject::connect(&field, &TextField::activated, &field, [&actions] { ++actions; });
    QTest::keyClick(&field, Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(actions, 0);
    EXPECT_EQ(field.text(), QStringLiteral("abc"));
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(actions, 1);
}

TEST(DomTreeOutlineView, AClosingRowsCellStandsOneIndentationStepLeft)
{
    const QByteArray html = "<!DOCTYPE html><html><head></head><body><div id='d'><p>a</p><p>b</p></div></body></html>";
    DomTreeHarness page(html);
    page.show(HTMLParser::parseDocument(QString::fromUtf8(html)));
    DomTreeOutlineView *outline = page.tree->outline();
    DOMNodeEx *div = page.rowOf(page.byId("d"));
    page.tree->expandParentsOfItem(div);
    outline->expandItem(div);
    const DOMNodeEx *closing = div->children().constLast().get();
    ASSERT_TRUE(closing->isCloseNode());
    const QRect opening = outline->frameOfCellAtColumn(0, outline->rowForItem(div));
    const QRect child = outline->frameOfCellAtColumn(0, outline->rowForItem(div->children().at(0).get()));
    const QRect end = outline->frameOfCellAtColumn(0, outline->rowForItem(const_cast<DOMNodeEx *>(closing)));
    EXPECT_EQ(end.left(), opening.left());
    EXPECT_EQ(child.left() - end.left(), outline->indentationPerLevel());
}

// Rows of every kind stay one line at any width of the tree, cut short
// with the whole row in their tool tips; only a text being edited in place
// shows all of its lines, and is one line again afterwards (#88).
TEST(DomTreeOutlineView, EveryRowIsOneLineAtAnyWidthWithTheWholeRowInItsToolTip)
{
    const QByteArray html = "<!DOCTYPE html><html><head><title>t</title></head>"
                            "<body class=\"bg-gradient-primary sidebar sidebar-dark accordion toggled\">"
                            "<h1 title=\"subtitle\">A heading long enough to reach past the pane</h1>"
                            "<div id=\"w\" class=\"modal fade\" tabindex=\"-1\" role=\"dialog\" aria-labelledby=\"label\" "
                            "aria-hidden=\"true\" data-backdrop=\"static\" data-keyboard=\"false\"><p>x</p></div>"
                            "<!--\n  a comment\n  of three lines\n-->"
                            "<script id=\"s\">\n  var first = 1;\n  var second = 2;\n</script>"
                            "</body></html>";
    DomTreeHarness page(html);
    page.show(HTMLParser::parseDocument(QString::fromUtf8(html)));
    page.tree->expandAll();
    DomTreeOutlineView *outline = page.tree->outline();
    const DOMRowMetrics &metrics = page.tree->rowMetrics();
    const QFontMetricsF measure(metrics.font);
    DOMNodeEx *div = page.rowOf(page.byId("w"));
    ASSERT_TRUE(div);
    for (const int width : {900, 420, 260, 120}) {
        SCOPED_TRACE(width);
        page.window.resize(width * 2, 600);
        TestUtil::waitUntil([&] { return outline->width() <= width + 20; });
        TestUtil::spin(20);
        for (int row = 0; row < outline->numberOfRows(); ++row) {
            const auto *item = static_cast<const DOMNodeEx *>(outline->itemAtRow(row));
            const QRect cell = outline->frameOfCellAtColumn(0, row);
            EXPECT_EQ(cell.height(), int(metrics.lineHeight)) << DOMRowCell::textOf(*item).toStdString();
        }
        const QRect cell = outline->frameOfCellAtColumn(0, outline->rowForItem(div)).adjusted(2, 0, -2, 0);
        const QString shown = DOMRowCell::shownText(*div, measure, cell.width());
        EXPECT_LE(measure.horizontalAdvance(shown), cell.width());
        EXPECT_EQ(DOMRowCell::toolTipOf(*div, measure, cell.width()), DOMRowCell::textOf(*div));
        // Its text is drawn whole within the row, about as much room above
        // as below it.
        const QImage picture = outline->viewport()->grab().toImage();
        const QRect row = outline->visualRect(outline->indexForItem(div));
        const QRgb background = picture.pixel(row.left(), row.top());
        int inkTop = -1;
        int inkBottom = -1;
        for (int y = row.top(); y <= row.bottom(); ++y) {
            for (int x = row.left() + 2; x < std::min(row.right(), picture.width()); ++x) {
                if (picture.pixel(x, y) != background) {
                    inkTop = inkTop < 0 ? y : inkTop;
                    inkBottom = y;
                    break;
                }
            }
        }
        ASSERT_GE(inkTop, 0);
        EXPECT_GT(inkTop, row.top());
        EXPECT_LT(inkBottom, row.bottom());
        EXPECT_LE(std::abs((inkTop - row.top()) - (row.bottom() - inkBottom)), 4) << inkTop << " " << inkBottom;
    }
    // A row that fits has no tool tip; a folded comment has its lines in it.
    EXPECT_EQ(DOMRowCell::toolTipOf(*page.rowOf(page.byId("w")->firstChild()), measure, 400), QString());
    DOMNodeEx *comment = page.rowOf(page.byId("s")->previousSibling());
    EXPECT_EQ(DOMRowCell::toolTipOf(*comment, measure, 2000), QStringLiteral("<!--\n  a comment\n  of three lines\n-->"));

    // The script's text edited in place shows its lines.
    DOMNodeEx *script = page.rowOf(page.byId("s")->firstChild());
    page.select(page.byId("s")->firstChild());
    page.tree->doubleClick();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return DomTextNodeRowCell::editorIn(outline) != nullptr; }));
    const auto rowHeight = [&] { return outline->frameOfCellAtColumn(0, outline->rowForItem(script)).height(); };
    EXPECT_TRUE(TestUtil::waitUntil([&] { return rowHeight() >= 3 * int(metrics.lineHeight); })) << rowHeight();
    QTest::keyClick(DomTextNodeRowCell::editorIn(outline), Qt::Key_Escape);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return rowHeight() == int(metrics.lineHeight); })) << rowHeight();
}

// --- Find bar and expand all ------------------------------------------------------------

namespace {

const QByteArray s_findPage = "<!DOCTYPE html><html><head><title>t</title></head><body>"
                              "<div id='a' class='match'><p id='p'>x</p></div>"
                              "<section><div id='b' class='match'></div></section>"
                              "<ul><li><span id='c' class='match'>y</span></li></ul>"
                              "</body></html>";

struct FindPage : DomTreeHarness
{
    FindPage()
        : DomTreeHarness(s_findPage)
    {
        show(HTMLParser::parseDocument(QString::fromUtf8(s_findPage)));
        tree->setShowFindbarMenuItem(&findItem);
        tree->setExpandTreeMenuItem(&expandItem);
    }
    void type(const QString &text)
    {
        SearchFieldEx *field = tree->domSearchField();
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    void pressReturn() { QTest::keyClick(tree->domSearchField(), Qt::Key_Return); }
    DOMNode *selected() const
    {
        const DOMNodeEx *row = tree->selectedDomNodeEx();
        return row ? row->node() : nullptr;
    }
    QString count() const { return tree->resultNumLabel()->text(); }

    QAction findItem;
    QAction expandItem;
};

} // namespace

TEST(DomTreeFindBar, ReturnCyclesThroughTheMatchesAndWrapsAround)
{
    FindPage page;
    EXPECT_EQ(page.findItem.text(), QStringLiteral("Show Element Find Bar"));
    page.tree->showSearchBar();
    EXPECT_TRUE(page.tree->findBarVisible());
    EXPECT_EQ(page.findItem.text(), QStringLiteral("Hide Element Find Bar"));
    ASSERT_TRUE(page.tree->domSearchField()->isEnabled());
    EXPECT_TRUE(TestUtil::waitUntil([&] { return page.tree->domSearchField()->hasFocus(); }));

    page.type(QStringLiteral("class=\"match\""));
    EXPECT_EQ(page.count(), QStringLiteral("3"));
    // Typing selects the first match; the first Return selects it again.
    EXPECT_EQ(page.selected(), page.byId("a"));
    QList<DOMNode *> order;
    for (int i = 0; i < 4; ++i) {
        page.pressReturn();
        order.append(page.selected());
    }
    EXPECT_EQ(order, (QList<DOMNode *>{page.byId("a"), page.byId("b"), page.byId("c"), page.byId("a")}));
    // The match inside collapsed rows was opened and scrolled to.
    EXPECT_GE(page.tree->outline()->rowForItem(page.rowOf(page.byId("c"))), 0);
}

TEST(DomTreeFindBar, NoMatchShowsZeroCaseCountsAndAnEmptyFieldClearsTheCount)
{
    FindPage page;
    page.tree->showSearchBar();
    page.type(QStringLiteral("section"));
    EXPECT_EQ(page.count(), QStringLiteral("1"));
    DOMNode *kept = page.selected();
    ASSERT_TRUE(kept);
    page.type(QStringLiteral("SECTION"));
    EXPECT_EQ(page.count(), QStringLiteral("0"));
    EXPECT_EQ(page.selected(), kept);
    // Any word is safe, of any length and any characters.
    page.type(QString(5000, QLatin1Char('(')) + QStringLiteral("[*\\"));
    EXPECT_EQ(page.count(), QStringLiteral("0"));
    QTest::keyClick(page.tree->domSearchField(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(page.tree->domSearchField(), Qt::Key_Backspace);
    EXPECT_EQ(page.count(), QString());

    // Escape hides the bar, emptied, and the tree has the keyboard again.
    page.type(QStringLiteral("p"));
    QTest::keyClick(page.tree->domSearchField(), Qt::Key_Escape);
    EXPECT_FALSE(page.tree->findBarVisible());
    EXPECT_EQ(page.tree->domSearchField()->text(), QString());
    EXPECT_EQ(page.count(), QString());
    EXPECT_FALSE(page.tree->domSearchField()->isEnabled());
    EXPECT_EQ(page.findItem.text(), QStringLiteral("Show Element Find Bar"));
}

TEST(DomTreeFindBar, TheFindKeyOpensTheBarWhileTheTreeHasTheKeyboard)
{
    FindPage page;
    page.tree->outline()->setFocus();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return page.tree->outline()->hasFocus(); }));
    QTest::keySequence(page.tree->outline(), QKeySequence::Find);
    EXPECT_TRUE(page.tree->findBarVisible());
    EXPECT_TRUE(TestUtil::waitUntil([&] { return page.tree->domSearchField()->hasFocus(); }));
    // The menu entry toggles.
    page.tree->showSearchBar();
    EXPECT_FALSE(page.tree->findBarVisible());
}

TEST(DomTreeExpandAll, ExpandAllThenCollapseAllTogglesTheTitles)
{
    FindPage page;
    OutlineView *outline = page.tree->outline();
    EXPECT_EQ(page.expandItem.text(), QStringLiteral("Expand All Elements"));
    page.tree->expandAll();
    EXPECT_TRUE(page.tree->treeFullyExpanded());
    EXPECT_EQ(page.expandItem.text(), QStringLiteral("Collapse All Elements"));
    for (const char *id : {"p", "b", "c"})
        EXPECT_GE(outline->rowForItem(page.rowOf(page.byId(id))), 0) << id;
    // An open row no longer shows its children folded into its text.
    EXPECT_FALSE(page.rowOf(page.byId("a"))->displayName().contains(QLatin1String("...")));

    page.tree->expandAll();
    EXPECT_FALSE(page.tree->treeFullyExpanded());
    EXPECT_EQ(page.expandItem.text(), QStringLiteral("Expand All Elements"));
    EXPECT_EQ(outline->numberOfRows(), 1);

    // Collapse all leaves the toggle as it was.
    page.tree->expandAll();
    page.tree->collapseAll();
    EXPECT_EQ(outline->numberOfRows(), 1);
    EXPECT_TRUE(page.tree->treeFullyExpanded());
}

// --- SVG use rows ---------------------------------------------------------------------------

TEST(DomTreeSVGUse, RemovalsScheduleOneReloadPerUseAndReferenceRowsFollowTheirElement)
{
    const QByteArray page = "<!DOCTYPE html><html><head></head><body>"
                            "<svg><defs><circle id='dot' r='5'></circle></defs>"
                            "<use id='u1' href='#dot'></use><use id='u2' href='#dot'></use></svg>"
                            "<svg><use id='u3' href='#u3'></use><use id='loop1' href='#loop2'></use>"
                            "<use id='loop2' href='#loop1'></use><use id='none' href='#nothing'></use></svg>"
                            "<p id='x'>x</p><p id='y'>y</p></body></html>";
    DomTreeHarness shown(page);
    shown.show(HTMLParser::parseDocument(QString::fromUtf8(page)));
    QList<DOMNode *> reloaded;
    QObject::connect(shown.tree, &DomTreeDelegate::svgUseNodeReloaded, shown.tree,
                     [&reloaded](DOMNode *node) { reloaded.append(node); });

    shown.tree->doRemoveNode(shown.byId("x")->shared_from_this(), false);
    shown.tree->doRemoveNode(shown.byId("y")->shared_from_this(), false);
    // Six uses, two removals: twelve reloads, and then no more.
    EXPECT_TRUE(TestUtil::waitUntil([&] {
        return reloaded.size() >= 12 && !DelayedPerform::isPending(shown.tree, "lazyReloadSVGUseNode");
    }));
    TestUtil::waitUntilSettled([&] { return !DelayedPerform::isPending(shown.tree, "lazyReloadSVGUseNode"); });
    EXPECT_EQ(reloaded.size(), 12);
    EXPECT_EQ(reloaded.count(shown.byId("u1")), 2);
    EXPECT_EQ(reloaded.count(shown.byId("loop1")), 2);

    // The circle gets a new radius from the inspector: the reference rows
    // under the uses show it once they are rebuilt.
    shown.select(shown.byId("dot"));
    const DOMElementPtr dot = std::static_pointer_cast<DOMElement>(shown.byId("dot")->shared_from_this());
    const DOMAttrPtr radius = shown.document->createAttribute(QStringLiteral("r"));
    radius->setValue(QStringLiteral("9"));
    shown.inspector->doSetAttr(radius, dot);
    EXPECT_TRUE(TestUtil::waitUntil([&] {
        const DOMNodeEx *use = shown.rowOf(shown.byId("u2"));
        return use && !use->children().isEmpty()
            && use->children().constFirst()->displayName().contains(QLatin1String("r=\"9\""));
    }));
    EXPECT_TRUE(shown.rowOf(shown.byId("u1"))->children().constFirst()->isReferenceNode());
}
