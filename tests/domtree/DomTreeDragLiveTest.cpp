#include "TestPrinters.h"

#include "LiveDomTreePage.h"

#include "platform/kit/DraggingInfo.h"
#include "platform/foundation/NotificationCenter.h"
#include "toolkit/DragPayload.h"

#include <QApplication>
#include <QClipboard>
#include <QDragMoveEvent>
#include <QElapsedTimer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <gtest/gtest.h>

namespace DomTreeDragLiveTest {

namespace {

const QByteArray s_page =
    "<!DOCTYPE html>\n"
    "<html>\n"
    "  <head>\n"
    "    <title>Move</title>\n"
    "  </head>\n"
    "  <body>\n"
    "    <div id='box'>\n"
    "      <p id='one'>One</p>\n"
    "      <p id='two'>Two</p>\n"
    "    </div>\n"
    "    <section id='side'><img id='pic' src='x.png'></section>\n"
    "    <ul id='list'><li id='a'>a</li><li id='b'>b</li></ul>\n"
    "    <p id='words'>long<wbr id='wb'>word</p>\n"
    "    <video id='film'><track id='cues' kind='captions'></video>\n"
    "  </body>\n"
    "</html>\n";

const QString s_original = QString::fromUtf8(s_page);

struct DragPage : LiveDomTreePage
{
    DragPage()
        : LiveDomTreePage(s_page)
    {
    }

    OutlineView *outline() const { return tree->outline(); }
    DraggingInfo info(const QMimeData *mime, Qt::KeyboardModifiers modifiers = {}) const
    {
        DraggingInfo drag;
        drag.pasteboard = mime;
        drag.source = outline();
        drag.sourceOperationMask = Qt::CopyAction | Qt::MoveAction;
        drag.modifiers = modifiers;
        return drag;
    }
    Qt::DropAction validate(const QMimeData *mime, DOMNodeEx *row, int index, Qt::KeyboardModifiers modifiers = {})
    {
        return tree->validateDrop(outline(), info(mime, modifiers), row, index);
    }
    // Validates and drops, as the outline does, then waits for the write.
    bool drop(const QMimeData *mime, DOMNodeEx *row, int index, Qt::KeyboardModifiers modifiers = {})
    {
        if (validate(mime, row, index, modifiers) == Qt::IgnoreAction)
            return false;
        const bool accepted = tree->acceptDrop(outline(), info(mime, modifiers), row, index);
        settle();
        return accepted;
    }
    // What an edit changed in the file: the text put in and the text taken out.
    std::pair<QString, QString> change() const
    {
        const QString now = text();
        qsizetype head = 0;
        while (head < now.size() && head < s_original.size() && now.at(head) == s_original.at(head))
            ++head;
        qsizetype tail = 0;
        while (tail < now.size() - head && tail < s_original.size() - head
               && now.at(now.size() - 1 - tail) == s_original.at(s_original.size() - 1 - tail))
            ++tail;
        return {now.mid(head, now.size() - head - tail), s_original.mid(head, s_original.size() - head - tail)};
    }
};

} // namespace

TEST(DomTreeDragLive, APastedCopyLandsAfterTheCopiedElementAndInsideAnyOther)
{
    DragPage page;
    ASSERT_TRUE(page.loaded);
    page.select(page.byId("two"));
    page.tree->doClipNode();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "<p id='two'>Two</p>");
    page.tree->paste();
    page.settle();
    EXPECT_EQ(page.childIds("box"), QStringLiteral("one,two,two"));
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Paste Element"));
    // Only the new line is written.
    EXPECT_EQ(page.change().second, QString());
    EXPECT_TRUE(page.change().first.contains(QStringLiteral("<p id='two'>Two</p>"))) << page.text().toStdString();
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);

    page.select(page.byId("list"));
    page.tree->paste();
    page.settle();
    EXPECT_EQ(page.childIds("list"), QStringLiteral("a,b,two"));
    // An element that holds no children takes the paste after it.
    page.select(page.byId("pic"));
    page.tree->paste();
    page.settle();
    EXPECT_EQ(page.childIds("side"), QStringLiteral("pic,two"));

    // A whole document, or text that makes nothing, changes nothing.
    const QString before = page.text();
    QGuiApplication::clipboard()->setText(QStringLiteral("<html><body><p>x</p></body></html>"));
    page.tree->paste();
    QGuiApplication::clipboard()->setText(QStringLiteral("   "));
    page.tree->paste();
    page.settle();
    EXPECT_EQ(page.text(), before);
}

TEST(DomTreeDragLive, CutCopiesAndRemovesAndUndoRestoresThePageAndTheFile)
{
    DragPage page;
    ASSERT_TRUE(page.loaded);
    page.select(page.byId("one"));
    page.outline()->selectRowIndexes({page.outline()->rowForItem(page.rowById("two"))}, true);
    page.tree->cut();
    page.settle();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "<p id='one'>One</p>\n<p id='two'>Two</p>");
    EXPECT_EQ(page.childIds("box"), QString());
    EXPECT_EQ(page.change().first, QString());
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);
    EXPECT_EQ(page.childIds("box"), QStringLiteral("one,two"));
}

TEST(DomTreeDragLive, ARowDraggedOntoItsOwnDescendantIsRefusedAndWithCtrlIsCopied)
{
    DragPage page;
    ASSERT_TRUE(page.loaded);
    const auto mime = page.dragRows({"box"});
    ASSERT_TRUE(mime);
    EXPECT_EQ(page.validate(mime.get(), page.rowById("one"), -1), Qt::IgnoreAction);
    EXPECT_EQ(page.validate(mime.get(), page.rowById("box"), -1), Qt::IgnoreAction);
    // A div in a p is not what a browser reads back (#84): the copy goes after the p.
    ASSERT_TRUE(page.drop(mime.get(), page.rowById("one"), -1, Qt::ControlModifier));
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Copy Element"));
    EXPECT_EQ(page.inPage("document.querySelectorAll('#box > #one + #box > #one').length"), QStringLiteral("1"));
    EXPECT_EQ(page.change().second, QString());
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);

    // The page's root is not dragged.
    auto mimeOfRoot = std::make_unique<QMimeData>();
    EXPECT_FALSE(page.tree->writeItems(page.outline(), {page.rowOf(page.document->documentElement())}, mimeOfRoot.get()));
}

TEST(DomTreeDragLive, ARowDroppedBeforeTheClosingRowIsAppendedAndAMoveUndoesInOneStep)
{
    DragPage page;
    ASSERT_TRUE(page.loaded);
    const auto mime = page.dragRows({"one"});
    ASSERT_TRUE(mime);
    DOMNodeEx *box = page.rowById("box");
    const int beforeClosing = int(box->children().size()) - 1;
    ASSERT_TRUE(box->children().constLast()->isCloseNode());
    ASSERT_TRUE(page.drop(mime.get(), box, beforeClosing));
    EXPECT_EQ(page.childIds("box"), QStringLiteral("two,one"));
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Move Element"));
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);
    EXPECT_EQ(page.childIds("box"), QStringLiteral("one,two"));

    // Into another element: both places change in the tree as on the page.
    const auto item = page.dragRows({"a"});
    ASSERT_TRUE(page.drop(item.get(), page.rowById("box"), 0));
    EXPECT_EQ(page.childIds("box"), QStringLiteral("a,one,two"));
    EXPECT_EQ(page.childIds("list"), QStringLiteral("b"));
    ASSERT_TRUE(page.rowById("a"));
    EXPECT_EQ(page.rowById("a")->parentNodeEx()->node(), page.byId("box"));
    EXPECT_EQ(page.rowById("list")->children().size(), 2);
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);
}

TEST(DomTreeDragLive, PaletteStringsShowTheirOwnTextExceptATableAndBadItemsChangeNothing)
{
    DragPage page;
    ASSERT_TRUE(page.loaded);
    const auto span = DragPage::paletteDrag(QStringLiteral("span"));
    EXPECT_EQ(page.validate(span.get(), page.rowById("box"), -1), Qt::CopyAction);
    ASSERT_TRUE(page.drop(span.get(), page.rowById("box"), -1));
    EXPECT_EQ(page.inPage("document.getElementById('box').lastElementChild.outerHTML"), QStringLiteral("<span>span</span>"));
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Add Element"));
    EXPECT_EQ(page.change().second, QString());
    page.undoStep();

    const auto table = DragPage::paletteDrag(QStringLiteral("table"));
    ASSERT_TRUE(page.drop(table.get(), page.rowById("box"), -1));
    EXPECT_EQ(page.inPage("document.getElementById('box').lastElementChild.outerHTML"), QStringLiteral("<table></table>"));
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);

    // Dropped onto a picture, a snippet goes after it.
    const auto snippet = DragPage::paletteDrag(QVariantMap{{QStringLiteral("content"), QStringLiteral("<b id='s'>S</b><i id='t'>T</i>")}});
    ASSERT_TRUE(page.drop(snippet.get(), page.rowById("pic"), -1));
    EXPECT_EQ(page.childIds("side"), QStringLiteral("pic,s,t"));
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);

    const auto document = DragPage::paletteDrag(QVariantMap{{QStringLiteral("content"), QStringLiteral("<html><body></body></html>")}});
    EXPECT_EQ(page.validate(document.get(), page.rowById("box"), -1), Qt::IgnoreAction);
    QMimeData damaged;
    damaged.setData(QString::fromLatin1(DragPayload::kDomNodeDragCopy), QByteArrayLiteral("\x01\x02"));
    EXPECT_EQ(page.validate(&damaged, page.rowById("box"), -1), Qt::IgnoreAction);
    EXPECT_FALSE(page.tree->acceptDrop(page.outline(), page.info(&damaged), page.rowById("box"), -1));
    page.settle();
    EXPECT_EQ(page.text(), s_original);
}

// #77: a word break and a track are void elements: what is dropped onto
// them goes after them, as onto a picture, and no end tag of theirs is written.
TEST(DomTreeDragLive, WhatIsDroppedOntoAWordBreakOrATrackGoesAfterIt)
{
    DragPage page;
    ASSERT_TRUE(page.loaded);
    const auto row = page.dragRows({"pic"});
    ASSERT_TRUE(page.drop(row.get(), page.rowById("wb"), -1));
    EXPECT_EQ(page.childIds("words"), QStringLiteral("wb,pic"));
    EXPECT_TRUE(page.text().contains(QLatin1String("long<wbr id='wb'><img id='pic' src='x.png'>word")))
        << page.text().toStdString();
    page.undoStep();
    const auto span = DragPage::paletteDrag(QStringLiteral("span"));
    ASSERT_TRUE(page.drop(span.get(), page.rowById("cues"), -1));
    EXPECT_EQ(page.childIds("film"), QStringLiteral("cues,span"));
    EXPECT_EQ(page.inPage("document.getElementById('cues').childNodes.length"), QStringLiteral("0"));
    page.undoStep();
    const auto wordBreak = DragPage::paletteDrag(QStringLiteral("wbr"));
    ASSERT_TRUE(page.drop(wordBreak.get(), page.rowById("box"), -1));
    EXPECT_FALSE(page.change().first.contains(QLatin1String("</wbr>"))) << page.change().first.toStdString();
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);
}

TEST(DomTreeDragLive, AClassNameIsPreviewedAfterThePauseGoneOnLeavingAndOneUndoStepOnDrop)
{
    DragPage page;
    ASSERT_TRUE(page.loaded);
    QMimeData mime;
    mime.setData(QString::fromLatin1(DragPayload::kClassSelectorPatching), QByteArrayLiteral("hot"));
    const QString hasHot = QStringLiteral("document.getElementById('one').classList.contains('hot')");
    EXPECT_EQ(page.validate(&mime, page.rowById("one"), -1), Qt::MoveAction);
    EXPECT_EQ(page.inPage(hasHot), QStringLiteral("false"));
    ASSERT_TRUE(TestUtil::waitUntil([&page] { return page.byId("one")->className() == QLatin1String("hot"); }));
    EXPECT_EQ(page.inPage(hasHot), QStringLiteral("true"));
    page.tree->draggingExited();
    EXPECT_EQ(page.inPage(hasHot), QStringLiteral("false"));
    // Between rows a class is refused.
    EXPECT_EQ(page.validate(&mime, page.rowById("box"), 0), Qt::IgnoreAction);

    // The preview registered nothing to undo.
    EXPECT_FALSE(page.undo.canUndo());
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        page.validate(&mime, page.rowById("two"), -1);
        TestUtil::spin(100);
        return page.byId("two")->className() == QLatin1String("hot");
    }));
    ASSERT_TRUE(page.tree->acceptDrop(page.outline(), page.info(&mime), page.rowById("two"), -1));
    page.settle();
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Add Class Name"));
    // Only the attribute is written, in the tag's own quotes.
    EXPECT_EQ(page.change(), std::make_pair(QStringLiteral(" class='hot'"), QString()));
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);
    EXPECT_EQ(page.inPage("document.getElementById('two').className"), QString());
    EXPECT_FALSE(page.undo.canUndo());
}

TEST(DomTreeDragLive, AClassSelectorFromTheRulesPanelIsAddedOnlyOntoAnElement)
{
    DragPage page;
    ASSERT_TRUE(page.loaded);
    QMimeData rule;
    DragPayload::setCSSRuleDrag(&rule, QStringLiteral(".note p"));
    EXPECT_EQ(page.validate(&rule, page.rowById("box"), 0), Qt::IgnoreAction);
    ASSERT_TRUE(page.drop(&rule, page.rowById("two"), -1));
    EXPECT_EQ(page.inPage("document.getElementById('two').className"), QStringLiteral("note"));
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);
    // A declaration's drag is empty, and an id selector names no class.
    QMimeData declaration;
    DragPayload::setCSSRuleDrag(&declaration, QString());
    EXPECT_EQ(page.validate(&declaration, page.rowById("two"), -1), Qt::IgnoreAction);
    QMimeData id;
    DragPayload::setCSSRuleDrag(&id, QStringLiteral("#two"));
    EXPECT_EQ(page.validate(&id, page.rowById("two"), -1), Qt::IgnoreAction);
}

TEST(DomTreeDragLive, ATextFileAndAPictureGiveOneSizedImageWithARelativeAddress)
{
    DragPage page;
    ASSERT_TRUE(page.loaded);
    const QString site = QFileInfo(page.file->path()).path();
    QDir().mkpath(site + QStringLiteral("/img"));
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(site + QStringLiteral("/img/p.png")));
    ASSERT_TRUE(TestUtil::writeFile(site + QStringLiteral("/notes.txt"), "notes"));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(site + QStringLiteral("/notes.txt")), QUrl::fromLocalFile(site + QStringLiteral("/img/p.png"))});
    ASSERT_TRUE(page.drop(&files, page.rowById("box"), -1));
    EXPECT_EQ(page.inPage("document.querySelectorAll('img').length"), QStringLiteral("2"));
    EXPECT_EQ(page.inPage("[...document.getElementById('box').lastElementChild.attributes].map(a => a.name + '=' + a.value).join('|')"),
              QStringLiteral("src=img/p.png|width=30|height=20|title=|alt="));
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Add Image Element"));
    EXPECT_EQ(page.change().second, QString());
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);

    QMimeData text;
    text.setUrls({QUrl::fromLocalFile(site + QStringLiteral("/notes.txt"))});
    EXPECT_EQ(page.validate(&text, page.rowById("box"), -1), Qt::IgnoreAction);
}

TEST(DomTreeDragLive, ThePreviewAppendsPaletteItemsAndIgnoresClassNamesOnTheBody)
{
    DragPage page;
    ASSERT_TRUE(page.loaded);
    const auto span = DragPage::paletteDrag(QStringLiteral("em"));
    auto post = [&page](const QString &name, DOMNode *target, const QMimeData *mime) {
        NotificationCenter::defaultCenter().postNotificationName(
            name, nullptr,
            {{QStringLiteral("target"), QVariant::fromValue(target)}, {QStringLiteral("info"), QVariant::fromValue(page.info(mime))}});
        page.settle();
    };
    post(QStringLiteral("dropToWebView"), page.document->body(), span.get());
    EXPECT_EQ(page.inPage("document.body.lastElementChild.outerHTML"), QStringLiteral("<em>em</em>"));
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);
    // A text stands for its element; a picture takes the drop after it.
    post(QStringLiteral("dropToWebView"), page.byId("pic"), span.get());
    EXPECT_EQ(page.childIds("side"), QStringLiteral("pic,em"));
    page.undoStep();

    QMimeData mime;
    mime.setData(QString::fromLatin1(DragPayload::kClassSelectorPatching), QByteArrayLiteral("hot"));
    post(QStringLiteral("dropToWebView"), page.document->body(), &mime);
    EXPECT_EQ(page.text(), s_original);
    post(QStringLiteral("dropToWebView"), page.byId("one")->firstChild(), &mime);
    EXPECT_EQ(page.inPage("document.getElementById('one').className"), QStringLiteral("hot"));
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Add Class Name"));
}

// A palette item dragged over a row of the tree, with the keys held.
void hoverRow(DragPage &page, DOMNodeEx *row, const QMimeData &mime, QEvent::Type type, Qt::KeyboardModifiers keys = {})
{
    DomTreeOutlineView *view = page.tree->outline();
    const QPoint at = view->rectOfRow(view->rowForItem(row)).center();
    if (type == QEvent::DragEnter) {
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, keys);
        QApplication::sendEvent(view->viewport(), &enter);
    } else {
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, keys);
        QApplication::sendEvent(view->viewport(), &move);
    }
}

TEST(DomTreeDragLive, ACollapsedRowUnderADragOpensAfterItsPauseAtOnceWithCtrlAndAnotherRowStartsAgain)
{
    DragPage page;
    ASSERT_TRUE(page.loaded);
    DomTreeOutlineView *view = page.tree->outline();
    DOMNodeEx *box = page.rowById("box");
    DOMNodeEx *side = page.rowById("side");
    DOMNodeEx *list = page.rowById("list");
    // The rows are shown, and closed.
    for (DOMNodeEx *row = box->parentNodeEx(); row; row = row->parentNodeEx())
        view->expandItem(row);
    for (DOMNodeEx *row : {box, side, list})
        view->collapseItem(row);
    ASSERT_GE(view->rowForItem(list), 0);
    const auto mime = DragPage::paletteDrag(QStringLiteral("em"));
    QElapsedTimer clock;
    clock.start();
    hoverRow(page, box, *mime, QEvent::DragEnter);
    TestUtil::spin(1000);
    EXPECT_FALSE(view->isItemExpanded(box));
    // Another row: the first waits no longer, the second waits its own pause.
    hoverRow(page, side, *mime, QEvent::DragMove);
    clock.restart();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return view->isItemExpanded(side); }, 15000));
    EXPECT_GE(clock.elapsed(), 1700);
    EXPECT_FALSE(view->isItemExpanded(box));
    // Ctrl opens the row under the drag at once.
    hoverRow(page, list, *mime, QEvent::DragMove, Qt::ControlModifier);
    EXPECT_TRUE(view->isItemExpanded(list));
    QDragLeaveEvent leave;
    QApplication::sendEvent(view->viewport(), &leave);
    EXPECT_FALSE(view->isDropProcess());
    // Outside a drag the program's expansions wait for nothing.
    view->expandItem(box);
    EXPECT_TRUE(view->isItemExpanded(box));
}

} // namespace DomTreeDragLiveTest
