#include "TestPrinters.h"

#include "LiveDomTreePage.h"

#include "platform/kit/OutlineView.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/html/HTMLParser.h"
#include "platform/web/html/HTMLSourceMap.h"

#include <QLineEdit>
#include <QMimeData>
#include <QRandomGenerator>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace DomTreeRandomEditsTest {

namespace {

// A page whose script marks the body and the paragraphs (attribute, class
// and inline style), and gives every list item or span that comes in (the
// tree's included) a node of its own.
const QByteArray s_page =
    "<!DOCTYPE html>\n"
    "<html>\n"
    "  <head>\n"
    "    <title>Mixed</title>\n"
    "  </head>\n"
    "  <body>\n"
    "    <div id='a'>\n"
    "      <p id='a1'>Alpha <b id='a2'>bold</b> tail</p>\n"
    "      <!-- first note -->\n"
    "      <p id='a3'>Second</p>\n"
    "    </div>\n"
    "    <ul id='l'>\n"
    "      <li id='l1'>one</li>\n"
    "      <li id='l2'>two</li>\n"
    "      <li id='l3'>three</li>\n"
    "    </ul>\n"
    "    <section id='s' class='box'>\n"
    "      <h2 id='s1'>Head</h2>\n"
    "      <p id='s2'>Body text</p>\n"
    "      <!-- second note -->\n"
    "    </section>\n"
    "    <script>\n"
    "      document.body.classList.add('js-on');\n"
    "      function mark() {\n"
    "        for (const e of document.querySelectorAll('p:not([data-rt-seen])')) {\n"
    "          e.setAttribute('data-rt-seen', '');\n"
    "          e.classList.add('rt-c');\n"
    "          e.style.setProperty('--rt', '1');\n"
    "        }\n"
    "        for (const e of document.querySelectorAll('li, span')) {\n"
    "          if (e.hasAttribute('data-rt') || e.querySelector(':scope > [data-rt]')) continue;\n"
    "          const i = document.createElement('i');\n"
    "          i.setAttribute('data-rt', '');\n"
    "          i.textContent = 'rt';\n"
    "          e.appendChild(i);\n"
    "        }\n"
    "      }\n"
    "      mark();\n"
    "      new MutationObserver(mark).observe(document.body, {childList: true, subtree: true});\n"
    "    </script>\n"
    "  </body>\n"
    "</html>\n";

const QString s_original = QString::fromUtf8(s_page);

bool isScripts(const DOMNode *node)
{
    for (; node; node = node->parentNode()) {
        if (node->isElement() && static_cast<const DOMElement *>(node)->hasAttribute(QStringLiteral("data-rt")))
            return true;
    }
    return false;
}

// The user's class names ("u...") and inline declarations ("--u...") of an
// element, in order of name.
QString usersParts(const DOMElement &element)
{
    QStringList parts;
    for (const QString &name : element.getAttribute(QStringLiteral("class")).split(u' ', Qt::SkipEmptyParts)) {
        if (name.startsWith(u'u'))
            parts.append(name);
    }
    for (const QString &declaration : element.getAttribute(QStringLiteral("style")).split(u';', Qt::SkipEmptyParts)) {
        if (declaration.trimmed().startsWith(QLatin1String("--u")))
            parts.append(declaration.simplified().remove(u' '));
    }
    parts.sort();
    return parts.join(u' ');
}

// An inline style piece by piece, each without the blanks around it and its
// colon, empty pieces left out; "none" for no attribute.
QString stylePieces(const DOMElement &element)
{
    if (!element.hasAttribute(QStringLiteral("style")))
        return QStringLiteral("none");
    QStringList pieces;
    for (const QString &piece : element.getAttribute(QStringLiteral("style")).split(u';')) {
        QString simple = piece.simplified();
        simple.replace(QStringLiteral(" :"), QStringLiteral(":")).replace(QStringLiteral(": "), QStringLiteral(":"));
        if (!simple.isEmpty())
            pieces.append(simple);
    }
    return pieces.join(u';');
}

// The author's and the user's part of a body: elements with their ids and
// the user's attributes, class names and declarations, texts and comments,
// in order; what scripts added and the script itself are left out. The
// inline style of an element no script styled (all but paragraphs) is the
// user's whole, pieces that are no declarations included.
QStringList shapeOf(const DOMNode *body)
{
    QStringList shape;
    std::function<void(const DOMNode *, int)> walk = [&](const DOMNode *node, int depth) {
        const QString indent(depth, u' ');
        // Texts side by side read back as one.
        QString run;
        const auto endRun = [&] {
            if (!run.simplified().isEmpty())
                shape.append(indent + QLatin1Char('"') + run.simplified() + QLatin1Char('"'));
            run.clear();
        };
        for (const DOMNode *child = node->firstChild(); child; child = child->nextSibling()) {
            if (child->isText()) {
                run += child->nodeValue();
                continue;
            }
            if (child->isElement() && isScripts(child))
                continue;
            endRun();
            if (child->isElement()) {
                const auto *element = static_cast<const DOMElement *>(child);
                if (isScripts(child) || element->localName() == QLatin1String("script"))
                    continue;
                QString line = indent + element->localName() + QLatin1Char('#') + element->getAttribute(QStringLiteral("id"));
                for (int i = 0; i < element->attributeCount(); ++i) {
                    if (element->attributeAt(i)->name().startsWith(QLatin1String("data-e")))
                        line += QLatin1Char(' ') + element->attributeAt(i)->name() + QLatin1Char('=') + element->attributeAt(i)->value();
                }
                if (const QString own = usersParts(*element); !own.isEmpty())
                    line += QStringLiteral(" [") + own + QLatin1Char(']');
                if (element->localName() != QLatin1String("p"))
                    line += QStringLiteral(" style=") + stylePieces(*element);
                shape.append(line);
                walk(child, depth + 1);
            } else if (child->isComment()) {
                shape.append(indent + QStringLiteral("<!--") + child->nodeValue() + QStringLiteral("-->"));
            }
        }
        endRun();
    };
    const auto *bodyElement = static_cast<const DOMElement *>(body);
    shape.append(QStringLiteral("body [") + usersParts(*bodyElement) + QStringLiteral("] style=") + stylePieces(*bodyElement));
    walk(body, 0);
    return shape;
}

// The original text parsed with where each node stands in it.
struct Original
{
    Original() { document = HTMLParser::parseDocument(s_original, Scripting::Enabled, &map); }

    // The element of the original a page element stands for (by its id, the
    // body by name); null for one the user made.
    const HTMLSourceRange *rangeOf(const DOMNode *live) const
    {
        if (!live || !live->isElement())
            return nullptr;
        const auto *element = static_cast<const DOMElement *>(live);
        if (element->localName() == QLatin1String("body"))
            return map.rangeOf(document->body());
        const QString id = element->getAttribute(QStringLiteral("id"));
        const DOMElement *own = id.isEmpty() ? nullptr : document->getElementById(id);
        return own && own->localName() == element->localName() ? map.rangeOf(own) : nullptr;
    }

    HTMLSourceMap map;
    std::shared_ptr<DOMDocument> document;
};

struct RandomEdits : LiveDomTreePage
{
    explicit RandomEdits(quint32 seed)
        : LiveDomTreePage(s_page)
        , random(seed)
        , seed(seed)
    {
        TestUtil::waitUntil([this] { return byId("l1") && byId("l1")->lastChild() && isScripts(byId("l1")->lastChild()); });
    }

    std::string trace() const
    {
        return QStringLiteral("seed %1, edits: %2").arg(seed).arg(steps.join(QStringLiteral(", "))).toStdString();
    }

    // The author's and the tree's elements in the body.
    QList<DOMElement *> elements() const
    {
        QList<DOMElement *> found;
        const DOMNodeList all = document->body()->getElementsByTagName(QStringLiteral("*"));
        for (int i = 0; i < all.length(); ++i) {
            auto *element = static_cast<DOMElement *>(all.item(i));
            if (!isScripts(element) && element->localName() != QLatin1String("script") && rowOf(element))
                found.append(element);
        }
        return found;
    }
    QList<DOMNode *> texts() const
    {
        QList<DOMNode *> found;
        for (DOMElement *element : elements()) {
            for (DOMNode *child = element->firstChild(); child; child = child->nextSibling()) {
                if (child->isText() && !child->isWhiteSpaceTextNode() && rowOf(child))
                    found.append(child);
            }
        }
        return found;
    }
    template<typename T>
    T pick(const QList<T> &from)
    {
        return from.at(int(random.bounded(quint32(from.size()))));
    }
    // Those whose parent holds blocks, so that a wrapper or a move keeps
    // the text's parse the page's.
    static QList<DOMElement *> blocks(const QList<DOMElement *> &elements)
    {
        QList<DOMElement *> found;
        for (DOMElement *element : elements) {
            const QString parent = element->parentNode() ? element->parentNode()->nodeName().toLower() : QString();
            if (parent == QLatin1String("div") || parent == QLatin1String("section") || parent == QLatin1String("ul")
                || parent == QLatin1String("body"))
                found.append(element);
        }
        return found;
    }

    void step(int index)
    {
        const QList<DOMElement *> all = elements();
        QList<DOMElement *> inner;
        for (DOMElement *element : all) {
            if (element != document->body())
                inner.append(element);
        }
        // Half the time the body or a paragraph, whose class and style the script set.
        QList<DOMElement *> styled{document->body()};
        for (DOMElement *element : all) {
            if (element->localName() == QLatin1String("p"))
                styled.append(element);
        }
        if (random.bounded(2u))
            styled += all;
        const quint32 kind = random.bounded(12u);
        if (kind == 0 && !all.isEmpty()) {
            DOMElement *element = pick(all);
            const QString old = attributesText(*element);
            const QString name = QStringLiteral("data-e%1").arg(index);
            steps.append(QStringLiteral("attr %1 on %2").arg(name, element->localName()));
            editedStartTag(element);
            tree->attributeEditEnd(rowOf(element), (old + QStringLiteral(" %1=\"v%2\"").arg(name).arg(index)).trimmed(),
                                   element->attributeList(), old);
        } else if (kind == 1 && !texts().isEmpty()) {
            DOMNode *text = pick(texts());
            steps.append(QStringLiteral("text in %1").arg(text->parentNode()->nodeName()));
            editedInside(text->parentNode());
            typeText(text, QStringLiteral("typed %1").arg(index));
        } else if (kind == 2 && !all.isEmpty()) {
            DOMElement *element = pick(all);
            steps.append(QStringLiteral("add span in %1").arg(element->localName()));
            editedInside(element);
            target(element);
            tree->addNode(QStringLiteral("span"));
        } else if (kind == 3 && !inner.isEmpty()) {
            DOMElement *element = pick(inner);
            steps.append(QStringLiteral("remove %1#%2").arg(element->localName(), element->getAttribute(QStringLiteral("id"))));
            editedAround(element);
            select(element);
            tree->removeNode();
        } else if (kind == 4 && !blocks(inner).isEmpty()) {
            DOMElement *element = pick(blocks(inner));
            steps.append(QStringLiteral("wrap %1#%2").arg(element->localName(), element->getAttribute(QStringLiteral("id"))));
            editedAround(element);
            select(element);
            target(element);
            tree->containNode(QStringLiteral("div"));
        } else if (kind == 5 && !blocks(inner).isEmpty()) {
            // Only where the HTML text can say it: an item into a list,
            // anything else into a division or section.
            DOMElement *moved = pick(blocks(inner));
            const bool item = moved->localName() == QLatin1String("li");
            QList<DOMElement *> places;
            for (DOMElement *element : all) {
                const QString name = element->localName();
                if (item ? name == QLatin1String("ul") : name == QLatin1String("div") || name == QLatin1String("section"))
                    places.append(element);
            }
            if (places.isEmpty())
                return;
            DOMElement *into = pick(places);
            steps.append(QStringLiteral("move %1#%2 into %3#%4")
                             .arg(moved->localName(), moved->getAttribute(QStringLiteral("id")), into->localName(),
                                  into->getAttribute(QStringLiteral("id"))));
            editedAround(moved);
            editedInside(into);
            QMimeData mime;
            if (tree->writeItems(tree->outline(), {rowOf(moved)}, &mime))
                dropOn(&mime, rowOf(into), -1);
        } else if (kind == 6 && undo.canUndo()) {
            steps.append(QStringLiteral("undo"));
            undoStep();
        } else if (kind == 7 && undo.canRedo()) {
            steps.append(QStringLiteral("redo"));
            redoStep();
        } else if (kind == 8) {
            steps.append(QStringLiteral("save"));
            tree->saveHTML();
        } else if (kind == 9) {
            // A class typed beside those the script gave.
            DOMElement *element = pick(styled);
            const QString old = attributesText(*element);
            const QString name = QStringLiteral("u%1").arg(index);
            steps.append(QStringLiteral("class %1 on %2").arg(name, element->localName()));
            editedStartTag(element);
            QString text = old;
            if (element->hasAttribute(QStringLiteral("class"))) {
                const QString classes = QStringLiteral("class=\"%1\"").arg(element->getAttribute(QStringLiteral("class")));
                text.replace(classes, classes.chopped(1) + u' ' + name + u'"');
            } else {
                text += QStringLiteral(" class=\"%1\"").arg(name);
            }
            tree->attributeEditEnd(rowOf(element), text.trimmed(), element->attributeList(), old);
        } else if (kind == 10) {
            // A declaration from the style panel beside those the script set.
            DOMElement *element = pick(styled);
            QString old = element->getAttribute(QStringLiteral("style"));
            steps.append(QStringLiteral("style --u%1 on %2").arg(index).arg(element->localName()));
            editedStartTag(element);
            // The panel ends each declaration with its semicolon.
            const QString read = old.trimmed().isEmpty() || old.trimmed().endsWith(u';') ? old : old + u';';
            tree->styleAttributeEditEnd(element, (read + QStringLiteral(" --u%1:%1;").arg(index)).trimmed(), old);
        } else if (kind == 11) {
            // A whole style typed into the Attributes pane over what the page shows.
            DOMElement *element = pick(styled);
            const QString typed = typedStyle(index);
            steps.append(QStringLiteral("typed style '%1' on %2").arg(typed, element->localName()));
            editedStartTag(element);
            typeStyle(element, typed);
            settle();
            // Where no script styled it, the file holds it as typed.
            const HTMLSourceRange *range = original.rangeOf(element);
            if (range && element->localName() != QLatin1String("p")) {
                const QString id = element->getAttribute(QStringLiteral("id"));
                const auto written = HTMLParser::parseDocument(text());
                const DOMElement *inFile = element->localName() == QLatin1String("body") ? written->body()
                                                                                          : written->getElementById(id);
                EXPECT_TRUE(inFile && inFile->getAttribute(QStringLiteral("style")) == typed) << trace();
            }
        }
        settle();
    }

    // Declarations with blanks of their own, sometimes a piece that is no
    // declaration, and sometimes no semicolon at the end.
    QString typedStyle(int index)
    {
        static const char *const colons[] = {":", ": ", " :  "};
        static const char *const separators[] = {";", "; ", " ;  "};
        QStringList pieces;
        const int count = 1 + int(random.bounded(2u));
        for (int i = 0; i < count; ++i)
            pieces.append(QStringLiteral("--u%1%2%3v%1").arg(index).arg(QChar(u'a' + i)).arg(QLatin1String(colons[random.bounded(3u)])));
        if (random.bounded(2u))
            pieces.insert(int(random.bounded(quint32(pieces.size() + 1))), QStringLiteral("a b  c%1").arg(index));
        QString text = random.bounded(3u) == 0 ? QStringLiteral("  ") : QString();
        for (qsizetype i = 0; i < pieces.size(); ++i)
            text += (i > 0 ? QLatin1String(separators[random.bounded(3u)]) : QLatin1String()) + pieces.at(i);
        if (random.bounded(2u))
            text += u';';
        return text;
    }

    // Types the text over the style row's value in the Attributes pane and
    // ends with Return; an element without a style gets it from the pane's
    // fields.
    void typeStyle(DOMElement *element, const QString &typed)
    {
        select(element);
        const qsizetype row = inspector->attributeNames().indexOf(QStringLiteral("style"));
        if (row < 0) {
            inspector->attrName()->setText(QStringLiteral("style"));
            inspector->attrValue()->setText(typed);
            QTest::keyClick(inspector->attrValue(), Qt::Key_Return);
            return;
        }
        OutlineView *list = inspector->domInfo();
        list->selectRowIndexes({int(row)}, false);
        ASSERT_TRUE(list->editColumn(1, int(row), true)) << trace();
        auto *field = list->findChild<QLineEdit *>();
        ASSERT_TRUE(field) << trace();
        field->selectAll();
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key_Return);
    }

    // --- The places of the original an edit may change -------------------------------------

    void edited(qsizetype from, qsizetype to) { regions.append({from, to}); }
    // The content of the nearest element of the original around the node.
    void editedInside(const DOMNode *node)
    {
        for (; node; node = node->parentNode()) {
            if (const HTMLSourceRange *range = original.rangeOf(node))
                return edited(range->startTagEnd, range->endTagStart);
        }
    }
    void editedStartTag(const DOMNode *element)
    {
        if (const HTMLSourceRange *range = original.rangeOf(element))
            edited(range->start, range->startTagEnd);
        else
            editedInside(element->parentNode());
    }
    // The element with the white space before it, where it is taken out
    // and where what takes its place goes in.
    void editedAround(const DOMNode *element)
    {
        const HTMLSourceRange *range = original.rangeOf(element);
        if (!range)
            return editedInside(element->parentNode());
        qsizetype from = range->start;
        while (from > 0 && s_original.at(from - 1).isSpace())
            --from;
        edited(from, range->end);
    }
    // An empty text when the text differs from the original only inside
    // the edited places, else the first of the original's pieces between
    // them that it does not hold where it should.
    QString outsideEditedPlaces(const QString &text) const
    {
        QList<std::pair<qsizetype, qsizetype>> sorted = regions;
        std::sort(sorted.begin(), sorted.end());
        QList<std::pair<qsizetype, qsizetype>> merged;
        for (const auto &region : std::as_const(sorted)) {
            if (!merged.isEmpty() && region.first <= merged.last().second)
                merged.last().second = std::max(merged.last().second, region.second);
            else
                merged.append(region);
        }
        QStringList pieces;
        qsizetype at = 0;
        for (const auto &[from, to] : std::as_const(merged)) {
            pieces.append(s_original.mid(at, from - at));
            at = to;
        }
        pieces.append(s_original.mid(at));
        if (pieces.size() == 1)
            return text == pieces.constFirst() ? QString() : QStringLiteral("the whole text");
        if (!text.startsWith(pieces.constFirst()))
            return pieces.constFirst();
        qsizetype cursor = pieces.constFirst().size();
        for (qsizetype i = 1; i + 1 < pieces.size(); ++i) {
            const qsizetype found = text.indexOf(pieces.at(i), cursor);
            if (found < 0)
                return pieces.at(i);
            cursor = found + pieces.at(i).size();
        }
        if (!text.endsWith(pieces.constLast()) || text.size() - pieces.constLast().size() < cursor)
            return pieces.constLast();
        return QString();
    }

    QRandomGenerator random;
    quint32 seed;
    QStringList steps;
    Original original;
    QList<std::pair<qsizetype, qsizetype>> regions;
};

} // namespace

TEST(DomTreeRandomEdits, MixedEditsChangeTheFileOnlyWhereMadeAndUndoingAllGivesTheOriginalBytes)
{
    quint32 seed = 20261208;
    if (qEnvironmentVariableIsSet("QUILLMARK_SEED"))
        seed = qEnvironmentVariable("QUILLMARK_SEED").toUInt();
    for (const quint32 run : {seed, seed + 1}) {
        RandomEdits page(run);
        ASSERT_TRUE(page.loaded);
        for (int i = 0; i < 30; ++i) {
            page.step(i);
            // The file holds the page's author and user parts, and nothing a script did.
            const QString text = page.text();
            ASSERT_EQ(shapeOf(HTMLParser::parseDocument(text)->body()), shapeOf(page.document->body()))
                << text.toStdString() << page.trace();
            for (const char *runtime : {"\"js-on", " js-on", "<i data-rt", "data-rt-seen=", ">rt<", "\"rt-c", " rt-c", "--rt:"})
                ASSERT_FALSE(text.contains(QLatin1String(runtime))) << runtime << " " << page.trace();
            // Byte for byte the original outside the places edited.
            const QString lost = page.outsideEditedPlaces(text);
            ASSERT_TRUE(lost.isEmpty()) << "the file changed outside the edits, near \"" << lost.toStdString()
                                        << "\"\n" << text.toStdString() << page.trace();
        }
        page.steps.append(QStringLiteral("undo all"));
        while (page.undo.canUndo()) {
            ASSERT_FALSE(page.undo.undoActionName().isEmpty()) << page.trace();
            page.undoStep();
        }
        EXPECT_EQ(page.text(), s_original) << page.trace();
        // Saved now, the file is its bytes still.
        page.tree->saveHTML();
        page.settle();
        EXPECT_EQ(page.text(), s_original) << page.trace();
        EXPECT_EQ(shapeOf(page.document->body()), shapeOf(HTMLParser::parseDocument(s_original)->body())) << page.trace();
    }
}

// Once the page has followed typing, an undo pairs it with its text anew.
// The tree's removal of an element from between two texts leaves the page
// two texts where the file has one: both are the file's, and a wrapper made
// around their paragraph later holds both, as the file does; Undo of
// everything gives the original bytes.
TEST(DomTreeRandomEdits, TextsSplitByARemovalStayTheFilesAfterTheUndoOfAnotherStep)
{
    RandomEdits page(1);
    ASSERT_TRUE(page.loaded);
    const QString typed = QString(s_original).replace(QStringLiteral(">Second<"), QStringLiteral(">Second typed<"));
    ASSERT_TRUE(page.file->setContent(typed));
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("refreshFileContent"), &page,
                                                             {{QStringLiteral("file"), QVariant::fromValue(page.file)}});
    page.settle();
    ASSERT_EQ(page.byId("a3")->textContent(), QStringLiteral("Second typed"));
    page.select(page.byId("a2"));
    page.tree->removeNode();
    page.settle();
    page.select(page.byId("s2"));
    page.tree->removeNode();
    page.settle();
    page.undoStep();
    ASSERT_TRUE(page.byId("s2"));

    page.select(page.byId("a1"));
    page.target(page.byId("a1"));
    page.tree->containNode(QStringLiteral("div"));
    page.settle();
    const QString text = page.text();
    EXPECT_TRUE(text.contains(QLatin1String("tail"))) << text.toStdString();
    EXPECT_EQ(shapeOf(HTMLParser::parseDocument(text)->body()), shapeOf(page.document->body())) << text.toStdString();

    while (page.undo.canUndo())
        page.undoStep();
    EXPECT_EQ(page.text(), s_original);
}

} // namespace DomTreeRandomEditsTest
