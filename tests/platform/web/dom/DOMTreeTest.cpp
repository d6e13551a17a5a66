#include "platform/web/dom/DOMAttr.h"
#include "platform/web/dom/DOMComment.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMDocumentType.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNamedNodeMap.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/dom/DOMText.h"
#include "platform/web/html/HTMLParser.h"
#include "platform/web/html/HTMLSerializer.h"

#include <QStringList>

#include "WebTestUtil.h"

#include <gtest/gtest.h>

namespace {

QString id(const DOMNode *node)
{
    return node ? QString::number(node->nodeId()) : QStringLiteral("0");
}

// Records the mutation events reaching the document and the replay commands,
// interleaved in the order they happen.
class Recorder
{
public:
    explicit Recorder(DOMDocument &document) : m_document(document)
    {
        for (const QString &type : {DOMEventType::subtreeModified, DOMEventType::nodeInserted,
                                    DOMEventType::nodeRemoved, DOMEventType::attrModified,
                                    DOMEventType::characterDataModified}) {
            document.addEventListener(type, this, [this](const DOMMutationEvent &event) {
                QString line = event.type + QLatin1Char(' ') + id(event.target);
                if (event.relatedNode)
                    line += QStringLiteral(" in ") + id(event.relatedNode);
                if (!event.attrName.isEmpty())
                    line += QStringLiteral(" %1 %2 \"%3\"->\"%4\"")
                                .arg(event.attrName)
                                .arg(event.attrChange)
                                .arg(event.prevValue, event.newValue);
                else if (event.type == DOMEventType::characterDataModified)
                    line += QStringLiteral(" \"%1\"->\"%2\"").arg(event.prevValue, event.newValue);
                takeCommands();
                m_lines.append(line);
            });
        }
        document.replayLog().clear();
    }
    ~Recorder() { m_document.removeEventListeners(this); }

    QStringList take()
    {
        takeCommands();
        return std::exchange(m_lines, {});
    }

private:
    void takeCommands()
    {
        for (const DOMReplayCommand &command : m_document.replayLog().takeCommands())
            m_lines.append(QStringLiteral("> ") + command.toString());
    }

    DOMDocument &m_document;
    QStringList m_lines;
};

} // namespace

TEST(DOMTree, EveryChildListChangeReplaysThenFiresItsEvents)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><ul><li>a</li></ul><p></p>"));
    DOMElement *list = document->body()->firstElementChild();
    DOMElement *paragraph = list->nextElementSibling();
    DOMNode *item = list->firstChild();
    Recorder recorder(*document);

    const DOMElementPtr added = document->createElement(QStringLiteral("li"));
    list->insertBefore(added, item);
    EXPECT_EQ(recorder.take(), (QStringList{
        QStringLiteral("> createElement node=%1 name=li ns=http://www.w3.org/1999/xhtml").arg(id(added.get())),
        QStringLiteral("> insertBefore parent=%1 node=%2 ref=%3").arg(id(list), id(added.get()), id(item)),
        QStringLiteral("DOMNodeInserted %1 in %2").arg(id(added.get()), id(list)),
        QStringLiteral("DOMSubtreeModified %1").arg(id(list)),
    }));

    // Moving an attached node takes it from its old parent first.
    paragraph->appendChild(item);
    EXPECT_EQ(recorder.take(), (QStringList{
        QStringLiteral("DOMNodeRemoved %1 in %2").arg(id(item), id(list)),
        QStringLiteral("> removeChild parent=%1 node=%2").arg(id(list), id(item)),
        QStringLiteral("DOMSubtreeModified %1").arg(id(list)),
        QStringLiteral("> insertBefore parent=%1 node=%2 ref=0").arg(id(paragraph), id(item)),
        QStringLiteral("DOMNodeInserted %1 in %2").arg(id(item), id(paragraph)),
        QStringLiteral("DOMSubtreeModified %1").arg(id(paragraph)),
    }));

    list->replaceChild(item, added.get());
    EXPECT_EQ(recorder.take(), (QStringList{
        QStringLiteral("DOMNodeRemoved %1 in %2").arg(id(added.get()), id(list)),
        QStringLiteral("> removeChild parent=%1 node=%2").arg(id(list), id(added.get())),
        QStringLiteral("DOMSubtreeModified %1").arg(id(list)),
        QStringLiteral("DOMNodeRemoved %1 in %2").arg(id(item), id(paragraph)),
        QStringLiteral("> removeChild parent=%1 node=%2").arg(id(paragraph), id(item)),
        QStringLiteral("DOMSubtreeModified %1").arg(id(paragraph)),
        QStringLiteral("> insertBefore parent=%1 node=%2 ref=0").arg(id(list), id(item)),
        QStringLiteral("DOMNodeInserted %1 in %2").arg(id(item), id(list)),
        QStringLiteral("DOMSubtreeModified %1").arg(id(list)),
    }));
    EXPECT_EQ(document->body()->innerHTML(), QStringLiteral("<ul><li>a</li></ul><p></p>"));
}

TEST(DOMTree, AttributeAndTextChangesReplayThenFireTheirEvents)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><p>old</p>"));
    DOMElement *paragraph = document->body()->firstElementChild();
    auto *text = static_cast<DOMText *>(paragraph->firstChild());
    const QString p = id(paragraph);
    Recorder recorder(*document);

    paragraph->setAttribute(QStringLiteral("CLASS"), QStringLiteral("a"));
    paragraph->setAttribute(QStringLiteral("class"), QStringLiteral("b"));
    paragraph->setAttribute(QStringLiteral("class"), QStringLiteral("b")); // no change, nothing happens
    paragraph->getAttributeNode(QStringLiteral("class"))->setValue(QStringLiteral("c"));
    paragraph->removeAttribute(QStringLiteral("class"));
    text->setData(QStringLiteral("new"));
    EXPECT_EQ(recorder.take(), (QStringList{
        QStringLiteral("> setAttribute node=%1 name=class value=\"a\"").arg(p),
        QStringLiteral("DOMAttrModified %1 class 2 \"\"->\"a\"").arg(p),
        QStringLiteral("DOMSubtreeModified %1").arg(p),
        QStringLiteral("> setAttribute node=%1 name=class value=\"b\"").arg(p),
        QStringLiteral("DOMAttrModified %1 class 1 \"a\"->\"b\"").arg(p),
        QStringLiteral("DOMSubtreeModified %1").arg(p),
        QStringLiteral("> setAttribute node=%1 name=class value=\"c\"").arg(p),
        QStringLiteral("DOMAttrModified %1 class 1 \"b\"->\"c\"").arg(p),
        QStringLiteral("DOMSubtreeModified %1").arg(p),
        QStringLiteral("> removeAttribute node=%1 name=class").arg(p),
        QStringLiteral("DOMAttrModified %1 class 3 \"c\"->\"\"").arg(p),
        QStringLiteral("DOMSubtreeModified %1").arg(p),
        QStringLiteral("> setData node=%1 value=\"new\"").arg(id(text)),
        QStringLiteral("DOMCharacterDataModified %1 \"old\"->\"new\"").arg(id(text)),
        QStringLiteral("DOMSubtreeModified %1").arg(id(text)),
    }));
}

TEST(DOMTree, NamespacedAttributesOfSvgKeepTheirNamespaceAndCase)
{
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    const DOMElementPtr use = document->createElementNS(DOMNamespaces::svg, QStringLiteral("use"));
    ASSERT_TRUE(use);
    Recorder recorder(*document);
    ASSERT_TRUE(use->setAttributeNS(DOMNamespaces::xlink, QStringLiteral("xlink:href"), QStringLiteral("#a")));
    ASSERT_TRUE(use->setAttribute(QStringLiteral("viewBox"), QStringLiteral("0 0 1 1")));
    EXPECT_EQ(use->getAttributeNS(DOMNamespaces::xlink, QStringLiteral("href")), QStringLiteral("#a"));
    EXPECT_TRUE(use->getAttribute(QStringLiteral("href")).isNull());
    EXPECT_EQ(use->getAttribute(QStringLiteral("xlink:href")), QStringLiteral("#a"));
    EXPECT_EQ(use->attributeAt(1)->name(), QStringLiteral("viewBox"));
    EXPECT_EQ(use->tagName(), QStringLiteral("use"));
    EXPECT_EQ(use->outerHTML(), QStringLiteral("<use xlink:href=\"#a\" viewBox=\"0 0 1 1\"></use>"));
    EXPECT_EQ(recorder.take().first(),
              QStringLiteral("> setAttribute node=%1 name=xlink:href ns=%2 value=\"#a\"").arg(id(use.get()), DOMNamespaces::xlink));
    use->removeAttributeNS(DOMNamespaces::xlink, QStringLiteral("href"));
    EXPECT_EQ(recorder.take().first(),
              QStringLiteral("> removeAttribute node=%1 name=href ns=%2").arg(id(use.get()), DOMNamespaces::xlink));

    // A prefix without its namespace, and names that are not names, are refused.
    EXPECT_FALSE(use->setAttributeNS(QString(), QStringLiteral("xlink:href"), QStringLiteral("x")));
    EXPECT_FALSE(use->setAttributeNS(DOMNamespaces::svg, QStringLiteral("xmlns"), QStringLiteral("x")));
    EXPECT_FALSE(use->setAttribute(QStringLiteral("a<b"), QStringLiteral("x")));
    EXPECT_FALSE(use->setAttribute(QStringLiteral("\tclass"), QStringLiteral("x")));
    EXPECT_EQ(use->attributeCount(), 1);
    EXPECT_TRUE(recorder.take().isEmpty());
}

TEST(DOMTree, HtmlNamesAreLowerCasedAndTagNamesUpperCased)
{
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    const DOMElementPtr div = document->createElement(QStringLiteral("DiV"));
    EXPECT_EQ(div->localName(), QStringLiteral("div"));
    EXPECT_EQ(div->nodeName(), QStringLiteral("DIV"));
    div->setAttribute(QStringLiteral("Data-X"), QStringLiteral("1"));
    EXPECT_EQ(div->attributeAt(0)->name(), QStringLiteral("data-x"));
    EXPECT_EQ(div->getAttribute(QStringLiteral("DATA-x")), QStringLiteral("1"));
    EXPECT_EQ(document->createElement(QStringLiteral("a b")), nullptr);
    EXPECT_EQ(document->createElement(QString()), nullptr);
    EXPECT_EQ(document->createAttribute(QStringLiteral("1a")), nullptr);
    EXPECT_TRUE(document->createAttribute(QStringLiteral("data-\u00e9")));
}

TEST(DOMTree, RefusedInsertionsLeaveTheTreeAndTheLogAlone)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><div><p></p></div>"));
    const std::shared_ptr<DOMDocument> other = DOMDocument::create();
    DOMElement *div = document->body()->firstElementChild();
    DOMElement *paragraph = div->firstElementChild();
    const QString before = document->debugDump(DOMNode::WithIds::Yes);
    Recorder recorder(*document);

    EXPECT_FALSE(paragraph->appendChild(div));                                   // an ancestor into its descendant
    EXPECT_FALSE(div->appendChild(div));
    EXPECT_FALSE(div->appendChild(other->createElement(QStringLiteral("b"))));   // another document's node
    EXPECT_FALSE(div->insertBefore(document->createTextNode(QStringLiteral("x")), document->body()));
    EXPECT_FALSE(document->appendChild(document->createElement(QStringLiteral("html"))));
    EXPECT_FALSE(document->appendChild(document->createTextNode(QStringLiteral("x"))));
    EXPECT_FALSE(paragraph->firstChild());
    EXPECT_FALSE(div->removeChild(document->body()));
    const DOMTextPtr text = document->createTextNode(QStringLiteral("t"));
    EXPECT_FALSE(text->appendChild(document->createComment(QStringLiteral("c"))));

    EXPECT_EQ(document->debugDump(DOMNode::WithIds::Yes), before);
    for (const QString &line : recorder.take())
        EXPECT_TRUE(line.startsWith(QLatin1String("> create"))) << qPrintable(line);
}

TEST(DOMTree, InsertingAFragmentMovesItsChildrenInOrder)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><p>z</p>"));
    DOMElement *paragraph = document->body()->firstElementChild();
    const DOMDocumentFragmentPtr fragment = document->createDocumentFragment();
    fragment->appendChild(document->createTextNode(QStringLiteral("x")));
    fragment->appendChild(document->createElement(QStringLiteral("br")));
    Recorder recorder(*document);
    ASSERT_TRUE(paragraph->insertBefore(fragment, paragraph->firstChild()));
    EXPECT_FALSE(fragment->hasChildNodes());
    EXPECT_EQ(paragraph->innerHTML(), QStringLiteral("x<br>z"));
    const QStringList lines = recorder.take();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines.at(0), QStringLiteral("> insertBefore parent=%1 node=%2 ref=%3")
                               .arg(id(paragraph), id(fragment.get()), id(paragraph->lastChild())));
    EXPECT_EQ(lines.at(3), QStringLiteral("DOMSubtreeModified %1").arg(id(paragraph)));
}

TEST(DOMTree, TextContentAndInnerHtmlReplaceChildrenWithRecordedNodes)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><div><b>1</b>2</div>"));
    DOMElement *div = document->body()->firstElementChild();
    EXPECT_EQ(div->textContent(), QStringLiteral("12"));
    EXPECT_TRUE(document->textContent().isNull());
    div->setTextContent(QStringLiteral("a < b"));
    EXPECT_EQ(div->childCount(), 1);
    EXPECT_EQ(div->innerHTML(), QStringLiteral("a &lt; b"));

    document->replayLog().clear();
    ASSERT_TRUE(div->setInnerHTML(QStringLiteral("<i class=k>x</i>y")));
    EXPECT_EQ(div->innerHTML(), QStringLiteral("<i class=\"k\">x</i>y"));
    // The page is told how to make the parsed nodes before they are inserted.
    QStringList ops;
    for (const DOMReplayCommand &command : document->replayLog().commands())
        ops.append(DOMReplayCommand::opName(command.op));
    EXPECT_EQ(ops, (QStringList{QStringLiteral("createDocumentFragment"), QStringLiteral("createElement"),
                                QStringLiteral("setAttribute"), QStringLiteral("insertBefore"),
                                QStringLiteral("createTextNode"), QStringLiteral("insertBefore"),
                                QStringLiteral("createTextNode"), QStringLiteral("insertBefore"),
                                QStringLiteral("removeChild"), QStringLiteral("insertBefore")}));

    ASSERT_TRUE(div->firstElementChild()->setOuterHTML(QStringLiteral("<u>1</u><u>2</u>")));
    EXPECT_EQ(div->innerHTML(), QStringLiteral("<u>1</u><u>2</u>y"));
    EXPECT_FALSE(document->documentElement()->setOuterHTML(QStringLiteral("<p>")));
}

TEST(DOMTree, CloneGetsNewIdsAndCopiesTemplateContent)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(
        QStringLiteral("<!DOCTYPE html><div id=a title=t><template><p>in</p></template>x</div>"));
    DOMElement *div = document->body()->firstElementChild();
    document->replayLog().clear();
    const DOMNodePtr copy = div->cloneNode(true);
    ASSERT_TRUE(copy);
    EXPECT_FALSE(copy->parentNode());
    EXPECT_NE(copy->nodeId(), div->nodeId());
    EXPECT_EQ(document->nodeForId(copy->nodeId()), copy.get());
    EXPECT_EQ(static_cast<DOMElement &>(*copy).outerHTML(), div->outerHTML());
    auto *templateCopy = static_cast<DOMElement &>(*copy).firstElementChild();
    ASSERT_TRUE(templateCopy->templateContent());
    EXPECT_NE(templateCopy->templateContent(), div->firstElementChild()->templateContent());
    const QList<DOMReplayCommand> commands = document->replayLog().commands();
    ASSERT_FALSE(commands.isEmpty());
    EXPECT_EQ(commands.first().toString(), QStringLiteral("createElement node=%1 name=div ns=%2").arg(id(copy.get()), DOMNamespaces::html));
    EXPECT_EQ(commands.at(3).content, templateCopy->templateContent()->nodeId());

    const DOMNodePtr shallow = div->cloneNode(false);
    EXPECT_FALSE(shallow->hasChildNodes());
    EXPECT_EQ(static_cast<DOMElement &>(*shallow).getAttribute(QStringLiteral("title")), QStringLiteral("t"));
}

TEST(DOMTree, RemovedSubtreesLiveWhileHeldAndLeaveTheRegistryWhenFreed)
{
    const std::shared_ptr<DOMDocument> document =
        HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><div><p><b>x</b></p></div>"));
    DOMElement *div = document->body()->firstElementChild();
    DOMNodePtr paragraph = div->firstChild()->shared_from_this();
    const qint64 paragraphId = paragraph->nodeId();
    const qint64 boldId = paragraph->firstChild()->nodeId();
    ASSERT_TRUE(div->removeChild(paragraph.get()));
    EXPECT_FALSE(paragraph->isConnected());
    EXPECT_EQ(document->nodeForId(boldId), paragraph->firstChild());
    // An undo puts the same nodes back.
    ASSERT_TRUE(div->appendChild(paragraph));
    EXPECT_EQ(div->innerHTML(), QStringLiteral("<p><b>x</b></p>"));
    div->removeChild(paragraph.get());
    paragraph.reset();
    EXPECT_EQ(document->nodeForId(paragraphId), nullptr);
    EXPECT_EQ(document->nodeForId(boldId), nullptr);
}

TEST(DOMTree, NodesThatOutliveTheirDocumentBecomeInert)
{
    DOMElementPtr kept;
    {
        const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(QStringLiteral("<p id=x>a</p>"));
        kept = document->getElementById(QStringLiteral("x"))->sharedAs<DOMElement>();
    }
    EXPECT_EQ(kept->ownerDocument(), nullptr);
    EXPECT_FALSE(kept->parentNode());
    EXPECT_EQ(kept->textContent(), QStringLiteral("a"));
    kept->setAttribute(QStringLiteral("class"), QStringLiteral("c"));
    EXPECT_EQ(kept->outerHTML(), QStringLiteral("<p id=\"x\" class=\"c\">a</p>"));
    EXPECT_FALSE(kept->appendChild(kept->firstChild()));
}

TEST(DOMTree, ListenersMayRemoveThemselvesAndSeeBubbledEvents)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><div><p></p></div>"));
    DOMElement *div = document->body()->firstElementChild();
    DOMElement *paragraph = div->firstElementChild();
    int first = 0;
    int second = 0;
    QList<DOMNode *> currentTargets;
    div->addEventListener(DOMEventType::attrModified, &first, [&](const DOMMutationEvent &event) {
        ++first;
        currentTargets.append(event.currentTarget);
        div->removeEventListeners(&first);
        div->removeEventListeners(&second);
    });
    div->addEventListener(DOMEventType::attrModified, &second, [&](const DOMMutationEvent &) { ++second; });
    document->addEventListener(DOMEventType::attrModified, &currentTargets,
                               [&](const DOMMutationEvent &event) { currentTargets.append(event.currentTarget); });
    paragraph->setAttribute(QStringLiteral("a"), QStringLiteral("1"));
    paragraph->setAttribute(QStringLiteral("a"), QStringLiteral("2"));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(currentTargets, (QList<DOMNode *>{div, document.get(), document.get()}));
}

TEST(DOMTree, HandlerThatMovesTheNodeDuringRemovalIsSurvived)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><div><p></p></div><section></section>"));
    DOMElement *div = document->body()->firstElementChild();
    DOMElement *section = div->nextElementSibling();
    DOMElement *paragraph = div->firstElementChild();
    document->addEventListener(DOMEventType::nodeRemoved, &section, [&](const DOMMutationEvent &event) {
        document->removeEventListeners(&section);
        section->appendChild(event.target);
    });
    EXPECT_FALSE(div->removeChild(paragraph));
    EXPECT_EQ(paragraph->parentNode(), section);
    EXPECT_FALSE(div->hasChildNodes());
}

TEST(DOMTree, AttributesMapRemovesFromTheLastAndRefusesUnknownNames)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(QStringLiteral("<a x=1 y=2 z=3></a>"));
    DOMElement *link = document->body()->firstElementChild();
    DOMNamedNodeMap attributes = link->attributes();
    ASSERT_EQ(attributes.length(), 3);
    EXPECT_EQ(attributes.getNamedItem(QStringLiteral("Y"))->value(), QStringLiteral("2"));
    EXPECT_FALSE(attributes.removeNamedItem(QStringLiteral("w")));
    for (int i = attributes.length() - 1; i >= 0; --i)
        ASSERT_TRUE(attributes.removeNamedItem(attributes.item(i)->name()));
    EXPECT_FALSE(link->hasAttributes());

    const DOMAttrPtr attribute = document->createAttribute(QStringLiteral("title"));
    attribute->setValue(QStringLiteral("t"));
    ASSERT_TRUE(link->setAttributeNode(attribute));
    EXPECT_EQ(attribute->ownerElement(), link);
    EXPECT_FALSE(document->createElement(QStringLiteral("b"))->setAttributeNode(attribute)); // in use
    attribute->setValue(QStringLiteral("u"));
    EXPECT_EQ(link->getAttribute(QStringLiteral("title")), QStringLiteral("u"));
}

TEST(DOMTree, HundredThousandLevelsBuildWalkCopyAndFreeWithoutRecursion)
{
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    // Built from the leaf up, so that each insertion checks a short ancestry.
    DOMElementPtr top = document->createElement(QStringLiteral("span"));
    top->appendChild(document->createTextNode(QStringLiteral("leaf")));
    for (int i = 0; i < 100000; ++i) {
        DOMElementPtr parent = document->createElement(QStringLiteral("span"));
        parent->appendChild(top);
        top = std::move(parent);
    }
    document->replayLog().clear();
    EXPECT_EQ(top->textContent(), QStringLiteral("leaf"));
    EXPECT_EQ(top->querySelectorAll(QStringLiteral("span span")).length(), 100000);
    EXPECT_EQ(HTMLSerializer::serialize(*top).size(), 100001 * 13 + 4);
    const DOMNodePtr copy = top->cloneNode(true);
    EXPECT_EQ(copy->textContent(), QStringLiteral("leaf"));
    EXPECT_EQ(document->debugDump().count(QLatin1Char('\n')), 1);
    document->replayLog().clear();
    top.reset();
    EXPECT_GT(document->nodeCount(), 100000); // the copy
}

TEST(DOMTree, FindsElementsByTagNameAndTheDocumentParts)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(
        QStringLiteral("<!DOCTYPE html><svg><linearGradient/></svg><P></P><p></p><template><p></p></template>"));
    EXPECT_EQ(document->getElementsByTagName(QStringLiteral("P")).length(), 2);
    EXPECT_EQ(document->getElementsByTagName(QStringLiteral("linearGradient")).length(), 1);
    EXPECT_EQ(document->getElementsByTagName(QStringLiteral("lineargradient")).length(), 0);
    EXPECT_EQ(document->getElementsByTagName(QStringLiteral("*")).length(), 8);
    EXPECT_EQ(document->body()->getElementsByTagName(QStringLiteral("svg")).length(), 1);
    EXPECT_EQ(document->documentElement()->localName(), QStringLiteral("html"));
    EXPECT_EQ(document->head()->nextElementSibling(), document->body());
    EXPECT_EQ(document->doctype()->name(), QStringLiteral("html"));

    const std::shared_ptr<DOMDocument> frames =
        HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><frameset><frame></frameset>"));
    ASSERT_TRUE(frames->body());
    EXPECT_EQ(frames->body()->localName(), QStringLiteral("frameset"));
    EXPECT_EQ(DOMDocument::create()->body(), nullptr);
}

TEST(DOMTree, TemplateMarkupGoesIntoItsContent)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><template></template>"));
    DOMElement *templateElement = document->head()->firstElementChild();
    ASSERT_TRUE(templateElement && templateElement->templateContent());
    ASSERT_TRUE(templateElement->setInnerHTML(QStringLiteral("<tr><td>cell</td></tr>")));
    EXPECT_FALSE(templateElement->hasChildNodes());
    EXPECT_EQ(templateElement->templateContent()->childCount(), 1);
    EXPECT_EQ(templateElement->innerHTML(), QStringLiteral("<tr><td>cell</td></tr>"));
    // Template content is not part of the document's tree.
    EXPECT_EQ(document->querySelectorAll(QStringLiteral("td")).length(), 0);
    EXPECT_FALSE(templateElement->templateContent()->firstChild()->isConnected());
}

TEST(DOMTree, QualifiedNamesFollowTheNamespaceRules)
{
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    const auto valid = [&](const QString &ns, const QString &name) {
        return document->createAttributeNS(ns, name) != nullptr;
    };
    EXPECT_TRUE(valid(DOMNamespaces::xml, QStringLiteral("xml:lang")));
    EXPECT_TRUE(valid(DOMNamespaces::xmlns, QStringLiteral("xmlns:xlink")));
    EXPECT_TRUE(valid(DOMNamespaces::xmlns, QStringLiteral("xmlns")));
    EXPECT_TRUE(valid(QStringLiteral("urn:x"), QStringLiteral("p:q")));
    EXPECT_FALSE(valid(DOMNamespaces::svg, QStringLiteral("xml:lang")));
    EXPECT_FALSE(valid(DOMNamespaces::svg, QStringLiteral("xmlns:a")));
    EXPECT_FALSE(valid(DOMNamespaces::xmlns, QStringLiteral("a")));
    EXPECT_FALSE(valid(QString(), QStringLiteral("p:q")));
    EXPECT_FALSE(valid(QStringLiteral("urn:x"), QStringLiteral("a:b:c")));
    EXPECT_FALSE(valid(QStringLiteral("urn:x"), QStringLiteral(":a")));
    EXPECT_FALSE(valid(QStringLiteral("urn:x"), QStringLiteral("a:")));
    EXPECT_FALSE(valid(QStringLiteral("urn:x"), QStringLiteral("a:1")));

    const DOMAttrPtr other = document->createAttributeNS(QStringLiteral("urn:x"), QStringLiteral("p:q"));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->namespaceId(), DOMNamespace::Other);
    EXPECT_EQ(other->namespaceURI(), QStringLiteral("urn:x"));
    const DOMElementPtr element = document->createElement(QStringLiteral("div"));
    ASSERT_TRUE(element->setAttributeNodeNS(other));
    EXPECT_EQ(element->getAttributeNS(QStringLiteral("urn:x"), QStringLiteral("q")), QString(QLatin1String("")));
    EXPECT_EQ(element->outerHTML(), QStringLiteral("<div p:q=\"\"></div>"));
}
