#include "TestUtil.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/dom/DOMSelectorEngine.h"
#include "platform/web/html/HTMLParser.h"

#include <QStringList>

#include "WebTestUtil.h"

#include <gtest/gtest.h>

namespace {

struct SelectorCase
{
    QString selector;
    QString expected; // ids, "-" or "invalid"
};

std::shared_ptr<DOMDocument> selectorsPage()
{
    return HTMLParser::parseDocument(
        QString::fromUtf8(TestUtil::readFile(QStringLiteral(QUILLMARK_TEST_DATA "/selectors.html"))));
}

QList<SelectorCase> selectorCases()
{
    QList<SelectorCase> cases;
    const QString table = QString::fromUtf8(TestUtil::readFile(QStringLiteral(QUILLMARK_TEST_DATA "/selectors.txt")));
    for (const QString &line : table.split(QLatin1Char('\n'))) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList columns = line.split(QLatin1Char('\t'));
        if (columns.size() == 2)
            cases.append({columns.at(0), columns.at(1)});
    }
    return cases;
}

QString idsOf(const DOMNodeList &nodes)
{
    QStringList ids;
    for (const DOMNodePtr &node : nodes)
        ids.append(static_cast<const DOMElement &>(*node).idName());
    return ids.isEmpty() ? QStringLiteral("-") : ids.join(QLatin1Char(' '));
}

QString answer(const DOMNode &root, const QString &selector)
{
    if (!DOMSelectorEngine::parse(selector))
        return QStringLiteral("invalid");
    return idsOf(root.querySelectorAll(selector));
}

} // namespace

// The same table is checked against the live engine's matches() on the same page.
TEST(DOMSelectorEngine, AnswersLikeTheBrowserOnTheSelectorPage)
{
    const std::shared_ptr<DOMDocument> document = selectorsPage();
    const QList<SelectorCase> cases = selectorCases();
    ASSERT_GE(cases.size(), 90);
    for (const SelectorCase &row : cases)
        EXPECT_EQ(answer(*document, row.selector), row.expected) << qPrintable(row.selector);
}

TEST(DOMSelectorEngine, MatchesAgreesWithQuerySelectorAllForEveryElement)
{
    const std::shared_ptr<DOMDocument> document = selectorsPage();
    const DOMNodeList all = document->querySelectorAll(QStringLiteral("*"));
    for (const SelectorCase &row : selectorCases()) {
        if (row.expected == QLatin1String("invalid") || row.selector.contains(QLatin1String(":scope")))
            continue;
        const QStringList expected = row.expected.split(QLatin1Char(' '));
        for (const DOMNodePtr &node : all) {
            const auto &element = static_cast<const DOMElement &>(*node);
            EXPECT_EQ(element.matches(row.selector), expected.contains(element.idName()))
                << qPrintable(row.selector) << " on #" << qPrintable(element.idName());
        }
    }
}

TEST(DOMSelectorEngine, InvalidSelectorsMatchNothingAndSayWhy)
{
    const std::shared_ptr<DOMDocument> document = selectorsPage();
    for (const QString &selector : {QString(), QStringLiteral(""), QStringLiteral("   "), QStringLiteral("a["),
                                    QStringLiteral("a]"), QStringLiteral("::"), QStringLiteral(":not()"),
                                    QStringLiteral("li:nth-child(n 1)"), QStringLiteral("[a=1]"),
                                    QStringLiteral("[a~=b x]"), QStringLiteral("p::before span"),
                                    QStringLiteral("\"p\""), QStringLiteral(":is(:is(:is(:is(:is(:is(:is(:is(:is(:is("
                                                                            ":is(:is(:is(:is(:is(:is(:is(:is(:is("
                                                                            ":is(:is(:is(:is(:is(:is(:is(:is(:is("
                                                                            ":is(:is(:is(:is(:is(p")}) {
        const Result<std::shared_ptr<const DOMSelectorList>> parsed = DOMSelectorEngine::parse(selector);
        EXPECT_FALSE(parsed) << qPrintable(selector);
        EXPECT_FALSE(parsed.error().isEmpty()) << qPrintable(selector);
        EXPECT_EQ(document->querySelectorAll(selector).length(), 0) << qPrintable(selector);
        EXPECT_EQ(document->querySelector(selector), nullptr) << qPrintable(selector);
        EXPECT_FALSE(document->body()->matches(selector)) << qPrintable(selector);
    }
}

TEST(DOMSelectorEngine, ReadsEscapesCommentsAndOpenBlocks)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(
        QStringLiteral("<div id='1st' class='a:b'></div><p title='x\"y'></p><span class='\u00e9t\u00e9'></span>"));
    EXPECT_EQ(answer(*document, QStringLiteral("#\\31 st")), QStringLiteral("1st"));
    EXPECT_EQ(answer(*document, QStringLiteral("#\\000031st")), QStringLiteral("1st"));
    EXPECT_EQ(idsOf(document->querySelectorAll(QStringLiteral(".a\\:b"))), QStringLiteral("1st"));
    EXPECT_EQ(document->querySelectorAll(QStringLiteral("p[title='x\"y']")).length(), 1);
    EXPECT_EQ(document->querySelectorAll(QStringLiteral("p[title=\"x\\\"y\"]")).length(), 1);
    EXPECT_EQ(document->querySelectorAll(QStringLiteral("div/* a comment */#\\31 st")).length(), 1);
    EXPECT_EQ(document->querySelectorAll(QStringLiteral("span.\u00e9t\u00e9")).length(), 1);
    EXPECT_EQ(document->querySelectorAll(QStringLiteral(":not(span")).length(), 5); // html, head, body, div, p
    EXPECT_EQ(answer(*document, QStringLiteral("div/**/p")), QStringLiteral("invalid"));
}

TEST(DOMSelectorEngine, QuirksModeIgnoresCaseOfClassesAndIds)
{
    const std::shared_ptr<DOMDocument> quirks =
        HTMLParser::parseDocument(QStringLiteral("<div id='Main' class='Box'></div>"));
    ASSERT_TRUE(quirks->isQuirksMode());
    EXPECT_EQ(quirks->querySelectorAll(QStringLiteral("#main.box")).length(), 1);
    EXPECT_TRUE(quirks->body()->firstElementChild()->matches(QStringLiteral(".BOX")));

    const std::shared_ptr<DOMDocument> standards =
        HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><div id='Main' class='Box'></div>"));
    ASSERT_FALSE(standards->isQuirksMode());
    EXPECT_EQ(standards->querySelectorAll(QStringLiteral("#main")).length(), 0);
    EXPECT_EQ(standards->querySelectorAll(QStringLiteral(".box")).length(), 0);
    EXPECT_EQ(standards->querySelectorAll(QStringLiteral("#Main.Box")).length(), 1);
}

TEST(DOMSelectorEngine, ElementQueriesSeeAncestorsOutsideButReturnOnlyDescendants)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(
        QStringLiteral("<!DOCTYPE html><div id='outer'><section id='scope'><p id='inner'></p></section><p id='out'></p></div>"));
    DOMElement *scope = document->getElementById(QStringLiteral("scope"));
    ASSERT_TRUE(scope);
    EXPECT_EQ(idsOf(scope->querySelectorAll(QStringLiteral("div p"))), QStringLiteral("inner"));
    EXPECT_EQ(idsOf(scope->querySelectorAll(QStringLiteral("section"))), QStringLiteral("-"));
    EXPECT_EQ(idsOf(scope->querySelectorAll(QStringLiteral(":scope > p"))), QStringLiteral("inner"));
    EXPECT_TRUE(scope->matches(QStringLiteral(":scope")));
    EXPECT_EQ(scope->querySelector(QStringLiteral("p, section")), document->getElementById(QStringLiteral("inner")));
}

TEST(DOMSelectorEngine, QueriesFollowTheTreeAfterEveryKindOfChange)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(
        QStringLiteral("<!DOCTYPE html><ul><li id='a' class='x'>1</li><li id='b'>2</li></ul>"));
    DOMElement *list = document->body()->firstElementChild();
    EXPECT_EQ(idsOf(document->querySelectorAll(QStringLiteral(".x"))), QStringLiteral("a"));
    EXPECT_EQ(idsOf(document->querySelectorAll(QStringLiteral("li:nth-child(2)"))), QStringLiteral("b"));

    document->getElementById(QStringLiteral("b"))->setAttribute(QStringLiteral("class"), QStringLiteral("x"));
    EXPECT_EQ(idsOf(document->querySelectorAll(QStringLiteral(".x"))), QStringLiteral("a b"));

    DOMElementPtr first = document->createElement(QStringLiteral("li"));
    first->setAttribute(QStringLiteral("id"), QStringLiteral("c"));
    list->insertBefore(first, list->firstChild());
    EXPECT_EQ(idsOf(document->querySelectorAll(QStringLiteral("li:nth-child(2)"))), QStringLiteral("a"));
    EXPECT_EQ(idsOf(document->querySelectorAll(QStringLiteral("#c"))), QStringLiteral("c"));
    EXPECT_TRUE(document->getElementById(QStringLiteral("b"))->matches(QStringLiteral("li:nth-child(3)")));

    document->getElementById(QStringLiteral("a"))->setAttribute(QStringLiteral("id"), QStringLiteral("renamed"));
    EXPECT_EQ(idsOf(document->querySelectorAll(QStringLiteral("#a"))), QStringLiteral("-"));
    EXPECT_EQ(document->getElementById(QStringLiteral("renamed"))->localName(), QStringLiteral("li"));

    list->removeChild(list->firstChild());
    EXPECT_EQ(idsOf(document->querySelectorAll(QStringLiteral("li"))), QStringLiteral("renamed b"));
    document->setQuirksMode(true);
    EXPECT_EQ(idsOf(document->querySelectorAll(QStringLiteral("#RENAMED"))), QStringLiteral("renamed"));
}

TEST(DOMSelectorEngine, DetachedSubtreesAndFragmentsAreWalked)
{
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    const DOMDocumentFragmentPtr fragment = document->createDocumentFragment();
    const DOMElementPtr div = document->createElement(QStringLiteral("div"));
    const DOMElementPtr span = document->createElement(QStringLiteral("span"));
    span->setAttribute(QStringLiteral("class"), QStringLiteral("k"));
    div->appendChild(span);
    fragment->appendChild(div);
    EXPECT_EQ(fragment->querySelectorAll(QStringLiteral("div > .k")).length(), 1);
    EXPECT_EQ(fragment->querySelector(QStringLiteral(":first-child")), div.get());
    EXPECT_EQ(div->querySelectorAll(QStringLiteral("span")).length(), 1);
    // Only an element with a parent is a first child.
    EXPECT_FALSE(document->createElement(QStringLiteral("p"))->matches(QStringLiteral(":first-child")));
}

TEST(DOMSelectorEngine, NthPatternsCoverNegativeAndLargeSteps)
{
    QString items;
    for (int i = 1; i <= 12; ++i)
        items += QStringLiteral("<li id='i%1'></li>").arg(i);
    const std::shared_ptr<DOMDocument> document =
        HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><ul>%1</ul>").arg(items));
    const auto ids = [&](const char *selector) {
        return idsOf(document->querySelectorAll(QString::fromLatin1(selector)));
    };
    EXPECT_EQ(ids("li:nth-child(3n)"), QStringLiteral("i3 i6 i9 i12"));
    EXPECT_EQ(ids("li:nth-child(-2n+5)"), QStringLiteral("i1 i3 i5"));
    EXPECT_EQ(ids("li:nth-child(n+11)"), QStringLiteral("i11 i12"));
    EXPECT_EQ(ids("li:nth-child(+5)"), QStringLiteral("i5"));
    EXPECT_EQ(ids("li:nth-child( 4n - 1 )"), QStringLiteral("i3 i7 i11"));
    EXPECT_EQ(ids("li:nth-child(0n+0)"), QStringLiteral("-"));
    EXPECT_EQ(ids("li:nth-child(99999999999)"), QStringLiteral("-"));
    EXPECT_EQ(ids("li:nth-last-of-type(-n+2)"), QStringLiteral("i11 i12"));
    EXPECT_EQ(ids("li:NTH-CHILD(2N+10)"), QStringLiteral("i10 i12"));
}

TEST(DOMSelectorEngine, RelativeSelectorsReachIntoFollowingSiblingsSubtrees)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(QStringLiteral(
        "<!DOCTYPE html><h2 id=a></h2><p><em>x</em></p><h2 id=b></h2><div><p></p></div><ul><li class=on></li></ul>"
        "<section id=s><!-- only a comment --></section><x-card id=card></x-card><p id=last>\n</p>"));
    const auto ids = [&](const char *selector) {
        return idsOf(document->querySelectorAll(QString::fromLatin1(selector)));
    };
    EXPECT_EQ(ids("h2:has(+ p em)"), QStringLiteral("a"));
    EXPECT_EQ(ids("h2:has(~ ul li.on)"), QStringLiteral("a b"));
    EXPECT_EQ(ids("h2:has(+ div)"), QStringLiteral("b"));
    EXPECT_TRUE(document->body()->matches(QStringLiteral("body:has(> section:empty)")));
    EXPECT_EQ(ids("section:empty"), QStringLiteral("s"));
    EXPECT_EQ(ids("#last:empty"), QStringLiteral("-")); // "\n" is text
    EXPECT_EQ(ids(":not(:defined)"), QStringLiteral("card"));
    EXPECT_EQ(ids("body > :nth-last-of-type(1)[id]"), QStringLiteral("b s card last"));
}
