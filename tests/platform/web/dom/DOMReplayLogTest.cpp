#include "WebTestUtil.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMSnapshot.h"
#include "platform/web/dom/DOMText.h"
#include "platform/web/html/HTMLParser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

QString compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

TEST(DOMReplayLog, SendsEachOperationInItsJsonForm)
{
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    document->replayLog().clear();
    const DOMElementPtr svg = document->createElementNS(DOMNamespaces::svg, QStringLiteral("svg"));
    const DOMElementPtr use = document->createElementNS(DOMNamespaces::svg, QStringLiteral("use"));
    svg->appendChild(use);
    use->setAttributeNS(DOMNamespaces::xlink, QStringLiteral("xlink:href"), QStringLiteral("#a"));
    use->removeAttributeNS(DOMNamespaces::xlink, QStringLiteral("href"));
    const DOMTextPtr text = document->createTextNode(QStringLiteral("t"));
    svg->insertBefore(text, use.get());
    text->setData(QStringLiteral("u"));
    svg->removeChild(text.get());
    const DOMElementPtr templateElement = document->createElement(QStringLiteral("template"));
    const DOMDocumentFragmentPtr fragment = document->createDocumentFragment();

    const QList<DOMReplayCommand> commands = document->replayLog().takeCommands();
    EXPECT_TRUE(document->replayLog().commands().isEmpty());
    ASSERT_EQ(commands.size(), 11);
    const QString s = QString::number(svg->nodeId());
    const QString u = QString::number(use->nodeId());
    const QString t = QString::number(text->nodeId());
    const QStringList expected = {
        QStringLiteral(R"({"name":"svg","node":%1,"ns":"http://www.w3.org/2000/svg","op":"createElement","seq":1})").arg(s),
        QStringLiteral(R"({"name":"use","node":%1,"ns":"http://www.w3.org/2000/svg","op":"createElement","seq":2})").arg(u),
        QStringLiteral(R"({"node":%1,"op":"insertBefore","parent":%2,"ref":null,"seq":3})").arg(u, s),
        QStringLiteral(R"({"name":"xlink:href","node":%1,"ns":"http://www.w3.org/1999/xlink","op":"setAttribute","seq":4,"value":"#a"})").arg(u),
        QStringLiteral(R"({"name":"href","node":%1,"ns":"http://www.w3.org/1999/xlink","op":"removeAttribute","seq":5})").arg(u),
        QStringLiteral(R"({"node":%1,"op":"createTextNode","seq":6,"value":"t"})").arg(t),
        QStringLiteral(R"({"node":%1,"op":"insertBefore","parent":%2,"ref":%3,"seq":7})").arg(t, s, u),
        QStringLiteral(R"({"node":%1,"op":"setData","seq":8,"value":"u"})").arg(t),
        QStringLiteral(R"({"node":%1,"op":"removeChild","parent":%2,"seq":9})").arg(t, s),
        QStringLiteral(R"({"content":%1,"name":"template","node":%2,"ns":"http://www.w3.org/1999/xhtml","op":"createElement","seq":10})")
            .arg(templateElement->templateContent()->nodeId())
            .arg(templateElement->nodeId()),
        QStringLiteral(R"({"node":%1,"op":"createDocumentFragment","seq":11})").arg(fragment->nodeId()),
    };
    for (int i = 0; i < commands.size(); ++i)
        EXPECT_EQ(compact(commands.at(i).toJson()), expected.at(i)) << i;
    EXPECT_EQ(DOMReplayLog::toJson(commands).size(), 11);
}

TEST(DOMReplayLog, PageChangesAppliedWhileSuspendedFireEventsButAreNotSentBack)
{
    const std::shared_ptr<DOMDocument> document =
        *DOMSnapshot::readDocument(QByteArray(R"({"document": 1, "nodes": [
            {"id": 1, "type": 9, "children": [2]},
            {"id": 2, "type": 1, "name": "html", "children": [3]},
            {"id": 3, "type": 1, "name": "body", "attrs": [["class", "a"]]}]})"));
    int subtreeEvents = 0;
    document->addEventListener(DOMEventType::subtreeModified, &subtreeEvents,
                               [&](const DOMMutationEvent &) { ++subtreeEvents; });
    int appended = 0;
    document->replayLog().setAppendedHandler([&] { ++appended; });
    auto *body = static_cast<DOMElement *>(document->nodeForId(3));
    {
        DOMReplayLog::Suspension fromPage(document->replayLog());
        body->setAttribute(QStringLiteral("class"), QStringLiteral("b"));
        const QList<DOMNodePtr> added = DOMSnapshot::readNodes(
            *document, QJsonDocument::fromJson(R"([{"id": 4, "type": 3, "text": "new"}])").array());
        ASSERT_EQ(added.size(), 1);
        body->appendChild(added.first());
    }
    EXPECT_EQ(subtreeEvents, 2);
    EXPECT_EQ(appended, 0);
    EXPECT_TRUE(document->replayLog().commands().isEmpty());
    EXPECT_EQ(body->outerHTML(), QStringLiteral("<body class=\"b\">new</body>"));

    body->removeAttribute(QStringLiteral("class"));
    EXPECT_EQ(appended, 1);
    EXPECT_EQ(document->replayLog().commands().size(), 1);
    document->replayLog().setAppendedHandler(nullptr);
}

TEST(DOMReplayLog, EventsOfDetachedSubtreesStopAtTheirRoot)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><p></p>"));
    const DOMElementPtr detached = document->createElement(QStringLiteral("div"));
    int atDocument = 0;
    int atRoot = 0;
    document->addEventListener(DOMEventType::nodeInserted, &atDocument, [&](const DOMMutationEvent &) { ++atDocument; });
    detached->addEventListener(DOMEventType::nodeInserted, &atRoot, [&](const DOMMutationEvent &) { ++atRoot; });
    const DOMElementPtr child = document->createElement(QStringLiteral("span"));
    detached->appendChild(child);
    child->appendChild(document->createTextNode(QStringLiteral("x")));
    EXPECT_EQ(atRoot, 2);
    EXPECT_EQ(atDocument, 0);
    document->body()->appendChild(detached);
    EXPECT_EQ(atDocument, 1);
    EXPECT_EQ(atRoot, 1 + 2); // the insertion of the div itself reaches it as target
}
