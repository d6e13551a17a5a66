#include "LivePanel.h"

#include "cssrules/CSSCascade.h"
#include "platform/web/engine/WebEngineCache.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdio>

// The marks of the rules panel held to the browser: for every element of
// real pages, each longhand the panel marks as applied is set on the element
// again (its declaration's value, in the element's style attribute with the
// highest priority an author has) and must leave the value the browser
// computes as it was: a longhand another declaration gives its value to in
// the browser changes.
namespace CascadeMarksLiveTest {

namespace {

QString sourceTree()
{
    return QDir(QStringLiteral(QUILLMARK_TEST_DATA "/../../..")).canonicalPath();
}

// What the panel says gives a longhand its value on an element.
struct Claim
{
    QString name; // the declaration as written
    QString value;
    QString longhand; // the longhand read back
    QString where;    // the rule and declaration, for the report
};

// Disagreements the panel is allowed, each with its reason: values the
// browser takes from what no rule of the panel stands for.
struct Allowed
{
    QLatin1String page; // a part of the page's path
    QLatin1String longhand;
    QLatin1String where; // a part of the rule and declaration
    const char *reason;
};
const Allowed kAllowed[] = {
    {QLatin1String(""), QLatin1String(""), QLatin1String("(browser) select {"),
     "a select shown as a list box, or disabled: the browser gives it values of its own rules for those states, "
     "which its inspector does not report"},
};

QString allowedReason(const QString &page, const Claim &claim)
{
    for (const Allowed &allowed : kAllowed) {
        if (page.contains(allowed.page) && (allowed.longhand.isEmpty() || claim.longhand == allowed.longhand)
            && claim.where.contains(allowed.where))
            return QString::fromLatin1(allowed.reason);
    }
    return QString();
}

struct Figures
{
    int pages = 0;
    int elements = 0;
    int claims = 0;
    int agreed = 0;
    int animated = 0;
    int ambiguous = 0;
    QStringList disagreements;
    QStringList allowed;
    QStringList waiting;
    qint64 ms = 0;

    QString summary() const
    {
        return QStringLiteral("%1 pages, %2 elements, %3 longhands marked applied: %4 as the browser computes, %5 set by "
                              "an animation or transition, %6 disagreements (%7 of them listed); %8 longhands of two "
                              "applied shorthands not compared; %9 pages waiting; %10 s")
            .arg(pages)
            .arg(elements)
            .arg(claims)
            .arg(agreed)
            .arg(animated)
            .arg(disagreements.size() + allowed.size())
            .arg(allowed.size())
            .arg(ambiguous)
            .arg(waiting.size())
            .arg(double(ms) / 1000.0, 0, 'f', 1);
    }
};

// The value with its url()s made absolute against the sheet's address: in
// the element's style attribute they would be read against the page's.
QString withAbsoluteUrls(const QString &value, const QUrl &base)
{
    if (!value.contains(QLatin1String("url(")) || !base.isValid())
        return value;
    static const QRegularExpression url(QStringLiteral("url\\(\\s*(['\"]?)([^'\")]+)\\1\\s*\\)"));
    QString out;
    qsizetype at = 0;
    for (QRegularExpressionMatchIterator it = url.globalMatch(value); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        out += value.mid(at, match.capturedStart() - at);
        const QString target = match.captured(2);
        out += target.startsWith(QLatin1String("data:")) || target.startsWith(u'#')
            ? match.captured()
            : QStringLiteral("url(\"%1\")").arg(base.resolved(QUrl(target)).toString());
        at = match.capturedEnd();
    }
    return out + value.mid(at);
}

// The claims of the panel's list: every longhand row marked applied, and
// each longhand of a shorthand row marked applied that no longhand row, no
// other shorthand row marked applied and not the element's style attribute
// names. A longhand two rows claim is reported.
QList<Claim> claimsOf(const LivePanel &live, const DOMElement &element, int &ambiguous, QStringList &twice)
{
    QList<Claim> claims;
    QHash<QString, QList<Claim>> byShorthands;
    QSet<QString> named;
    // The element's style attribute names those it declares.
    StyleDeclaration attribute;
    attribute.setType(RuleType::DeclarationList);
    attribute.setBody(element.getAttribute(QStringLiteral("style")));
    QSet<QString> inStyleAttribute;
    for (const CSSPropertyPtr &property : attribute.properties()) {
        for (const QString &longhand : WebEngineCache::longhandsOf(property->property()).value_or(QStringList{property->property()}))
            inStyleAttribute.insert(longhand);
    }
    const auto claim = [](const CSSRulePtr &rule, const CSSRulePtr &declaration, const QString &longhand) {
        QUrl base;
        if (File *file = rule->relatedFile(); file && !rule->isWebKitStyle())
            base = QUrl::fromLocalFile(file->path());
        const QString where = (rule->isWebKitStyle() ? QStringLiteral("(browser) ") : QString()) + rule->displayName()
            + QStringLiteral(" { ") + declaration->propName() + QStringLiteral(": ") + declaration->valueName()
            + QStringLiteral(" }");
        return Claim{declaration->propName(), withAbsoluteUrls(CSSCascade::withoutImportant(declaration->valueName()), base),
                     longhand, where};
    };
    const auto name = [&](const QString &longhand) {
        if (named.contains(longhand))
            twice.append(longhand);
        named.insert(longhand);
    };
    const auto rule = [&](const CSSRulePtr &each) {
        for (const CSSRulePtr &declaration : each->children()) {
            if (!declaration->isFirstAssigned())
                continue;
            QList<CSSRulePtr> longhandRows;
            for (const CSSRulePtr &child : declaration->children()) {
                if (!child->isVenderPrefix())
                    longhandRows.append(child);
            }
            if (!longhandRows.isEmpty()) {
                for (const CSSRulePtr &child : std::as_const(longhandRows)) {
                    if (child->isFirstAssigned()) {
                        name(child->propName());
                        claims.append(claim(each, declaration, child->propName()));
                    }
                }
                continue;
            }
            const QStringList longhands =
                WebEngineCache::longhandsOf(declaration->propName()).value_or(QStringList{declaration->propName()});
            if (longhands.size() == 1) {
                name(longhands.constFirst());
                claims.append(claim(each, declaration, longhands.constFirst()));
                continue;
            }
            for (const QString &longhand : longhands)
                byShorthands[longhand].append(claim(each, declaration, longhand));
        }
    };
    for (const CSSRulePtr &row : live.panel.rules()) {
        if (row->computedStyleDec())
            continue;
        if (row->styleDeclaration() && row->styleDeclaration()->type() == RuleType::Media) {
            for (const CSSRulePtr &inner : row->children())
                rule(inner);
        } else {
            rule(row);
        }
    }
    for (auto it = byShorthands.cbegin(); it != byShorthands.cend(); ++it) {
        if (named.contains(it.key()) || inStyleAttribute.contains(it.key()))
            continue;
        if (it.value().size() > 1)
            ++ambiguous;
        else
            claims.append(it.value().constFirst());
    }
    return claims;
}

// The element's place: the indexes of the elements from the root down.
QJsonArray pathOf(const DOMElement *element)
{
    QJsonArray path;
    for (const DOMNode *node = element; node->parentNode() && node->parentNode()->isElement(); node = node->parentNode()) {
        int index = 0;
        for (const DOMNode *before = node->previousSibling(); before; before = before->previousSibling())
            index += before->isElement() ? 1 : 0;
        path.prepend(index);
    }
    return path;
}

// Each claim set on the element in turn: the value before, the value with
// it, and whether an animation or a transition of the element sets it.
QJsonArray probe(LivePanel &live, const DOMElement *element, const QList<Claim> &claims)
{
    QJsonArray list;
    for (const Claim &claim : claims)
        list.append(QJsonArray{claim.name, claim.value, claim.longhand});
    const QString arguments = QString::fromUtf8(QJsonDocument(QJsonArray{pathOf(element), list}).toJson(QJsonDocument::Compact));
    const QString answer =
        live.fixture
            ->evaluate(QStringLiteral(
                           "(function (path, claims) {"
                           " var el = document.documentElement;"
                           " for (var i = 0; i < path.length && el; ++i) el = el.children[path[i]];"
                           " if (!el) return '[]';"
                           " var animated = [];"
                           " el.getAnimations().forEach(function (a) {"
                           "  if (a.transitionProperty) animated.push(a.transitionProperty);"
                           "  if (a.effect && a.effect.getKeyframes) a.effect.getKeyframes().forEach(function (k) {"
                           "   Object.keys(k).forEach(function (n) {"
                           "    animated.push(n.replace(/[A-Z]/g, function (c) { return '-' + c.toLowerCase(); })); }); }); });"
                           " var isAnimated = function (name) { return animated.some(function (a) {"
                           "  return name === a || name.indexOf(a + '-') === 0; }); };"
                           " var had = el.getAttribute('style'), computed = getComputedStyle(el);"
                           " var before = claims.map(function (c) { return computed.getPropertyValue(c[2]); });"
                           " var scratch = document.createElement('div').style;"
                           " var out = claims.map(function (c, i) {"
                           "  if (!/transition/.test(c[0])) el.style.setProperty('transition', 'none', 'important');"
                           // A shorthand's longhand alone where its value says what it is
                           // (not with var()): the others may change what it resolves to.
                           "  scratch.cssText = ''; scratch.setProperty(c[0], c[1]);"
                           "  var alone = c[0] === c[2] ? '' : scratch.getPropertyValue(c[2]);"
                           "  if (alone) el.style.setProperty(c[2], alone, 'important');"
                           "  else el.style.setProperty(c[0], c[1], 'important');"
                           "  var after = getComputedStyle(el).getPropertyValue(c[2]);"
                           "  if (had === null) el.removeAttribute('style'); else el.setAttribute('style', had);"
                           "  return [before[i], after, isAnimated(c[2])]; });"
                           " return JSON.stringify(out); })(%1)")
                           .arg(arguments.mid(1, arguments.size() - 2)))
            .toString();
    return QJsonDocument::fromJson(answer.toUtf8()).array();
}

bool isSkipped(const DOMElement &element)
{
    static const QSet<QString> names{QStringLiteral("head"), QStringLiteral("script"), QStringLiteral("style"),
                                     QStringLiteral("meta"), QStringLiteral("link"), QStringLiteral("title"),
                                     QStringLiteral("template"), QStringLiteral("base"), QStringLiteral("noscript")};
    return names.contains(element.localName().toLower());
}

// Every element of the page but those of its head, in tree order.
QList<DOMNodePtr> elementsOf(DOMDocument *document)
{
    QList<DOMNodePtr> elements;
    const std::function<void(DOMNode *)> walk = [&](DOMNode *node) {
        for (DOMNode *child = node->firstChild(); child; child = child->nextSibling()) {
            if (!child->isElement() || isSkipped(*static_cast<DOMElement *>(child)))
                continue;
            elements.append(child->shared_from_this());
            walk(child);
        }
    };
    if (DOMElement *root = document->documentElement()) {
        elements.append(root->shared_from_this());
        walk(root);
    }
    return elements;
}

// Holds every element of one page of a folder (copied first) to the browser.
void checkPage(const QString &folder, const QString &page, Figures &figures)
{
    QElapsedTimer timer;
    timer.start();
    LivePanel live;
    const QString name = QDir(sourceTree()).relativeFilePath(folder + u'/' + page);
    if (!live.loadFolder(folder, page)) {
        ADD_FAILURE() << "the page did not load: " << name.toStdString();
        return;
    }
    if (const QStringList unlisted = live.unlistedSheets(); !unlisted.isEmpty()) {
        figures.waiting.append(name + QStringLiteral(": the panel does not list ") + unlisted.join(QStringLiteral(", ")));
        return;
    }
    ++figures.pages;
    for (const DOMNodePtr &node : elementsOf(live.document())) {
        auto *element = static_cast<DOMElement *>(node.get());
        if (!element->isConnected() || !live.select(element))
            continue;
        ++figures.elements;
        QStringList twice;
        const QList<Claim> claims = claimsOf(live, *element, figures.ambiguous, twice);
        for (const QString &longhand : std::as_const(twice))
            figures.disagreements.append(QStringLiteral("%1 <%2> %3: two rows are marked applied").arg(name, element->localName(), longhand));
        if (claims.isEmpty())
            continue;
        const QJsonArray answers = probe(live, element, claims);
        for (qsizetype i = 0; i < claims.size() && i < answers.size(); ++i) {
            const QJsonArray answer = answers.at(i).toArray();
            const Claim &claim = claims.at(i);
            ++figures.claims;
            if (answer.at(0) == answer.at(1)) {
                ++figures.agreed;
                continue;
            }
            if (answer.at(2).toBool()) {
                ++figures.animated;
                continue;
            }
            const QString line = QStringLiteral("%1 <%2 class=\"%3\"> %4: the browser computes %5, the panel's %6 gives %7")
                                     .arg(name, element->localName(), element->getAttribute(QStringLiteral("class")),
                                          claim.longhand, answer.at(0).toString(), claim.where, answer.at(1).toString());
            const QString reason = allowedReason(name, claim);
            if (reason.isEmpty())
                figures.disagreements.append(line);
            else
                figures.allowed.append(line + QStringLiteral(" (") + reason + u')');
        }
    }
    figures.ms += timer.elapsed();
}

void report(const Figures &figures)
{
    std::fprintf(stderr, "cascade marks: %s\n", qPrintable(figures.summary()));
    std::fflush(stderr);
}

void reportInFull(const Figures &figures)
{
    report(figures);
    for (const QString &line : figures.waiting)
        std::fprintf(stderr, "  waiting: %s\n", qPrintable(line));
    for (const QString &line : figures.allowed)
        std::fprintf(stderr, "  listed: %s\n", qPrintable(line));
    for (const QString &line : figures.disagreements)
        std::fprintf(stderr, "  DISAGREES: %s\n", qPrintable(line));
}

} // namespace

namespace {

// The mark of the declaration of a name (or of its longhand) in the rule of
// the selector that declares it, a media block's rules included: "applied",
// "overridden", or "missing".
QString markOf(const LivePanel &live, const QString &selector, const QString &name, const QString &longhand = QString())
{
    QList<CSSRulePtr> rules;
    for (const CSSRulePtr &row : live.panel.rules()) {
        rules.append(row);
        if (row->styleDeclaration() && row->styleDeclaration()->type() == RuleType::Media)
            rules += row->children();
    }
    for (const CSSRulePtr &rule : std::as_const(rules)) {
        CSSRulePtr row = rule->displayName() == selector ? LivePanel::declaration(rule, name) : nullptr;
        if (row && !longhand.isEmpty())
            row = LivePanel::declaration(row, longhand);
        if (row)
            return row->isFirstAssigned() ? QStringLiteral("applied") : QStringLiteral("overridden");
    }
    return QStringLiteral("missing");
}

// The mark of a declaration of the browser's own rules.
QString defaultMarkOf(const LivePanel &live, const QString &name)
{
    for (const CSSRulePtr &row : live.panel.rules()) {
        if (const CSSRulePtr declaration = row->isWebKitStyle() ? LivePanel::declaration(row, name) : nullptr)
            return declaration->isFirstAssigned() ? QStringLiteral("applied") : QStringLiteral("overridden");
    }
    return QStringLiteral("missing");
}

} // namespace

// #86: a shorthand's "!important" reaches its longhands: the utilities'
// paddings beat the component's, and the later "!important" longhand beats
// the shorthand's.
TEST(CascadeMarks, ImportanceOfAShorthandReachesItsLonghands)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), ".card .card-header { padding: 1.5rem; }\n"
                                                       ".p-3 { padding: 1rem !important; }\n"
                                                       ".pt-2 { padding-top: .5rem !important; }\n"},
                           {QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=site.css>"
                                                          "<div class=card><div id=h class='card-header p-3 pt-2'>x</div></div>"}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("h"))));
    EXPECT_EQ(markOf(live, QStringLiteral(".pt-2"), QStringLiteral("padding-top")), QStringLiteral("applied"));
    EXPECT_EQ(markOf(live, QStringLiteral(".p-3"), QStringLiteral("padding")), QStringLiteral("applied"));
    EXPECT_EQ(markOf(live, QStringLiteral(".p-3"), QStringLiteral("padding"), QStringLiteral("padding-top")), QStringLiteral("overridden"));
    EXPECT_EQ(markOf(live, QStringLiteral(".p-3"), QStringLiteral("padding"), QStringLiteral("padding-right")), QStringLiteral("applied"));
    EXPECT_EQ(markOf(live, QStringLiteral(".card .card-header"), QStringLiteral("padding")), QStringLiteral("overridden"));
    EXPECT_EQ(markOf(live, QStringLiteral(".card .card-header"), QStringLiteral("padding"), QStringLiteral("padding-left")),
              QStringLiteral("overridden"));
}

// Specificity as the cascade counts it: :is() and :not() their most specific
// argument, :where() nothing, a list its most specific selector that
// matches; a rule with a pseudo-class that applies takes part.
TEST(CascadeMarks, SpecificityCountsIsWhereNotAndTheMatchingSelectorOfAList)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), ":is(#t, .zz) { color: red; }\n.a.b { color: blue; }\n"
                                                       "p { margin-top: 2px; }\n:where(#t) { margin-top: 1px; }\n"
                                                       "p:not(.zz) { padding-top: 3px; }\n.a { padding-top: 4px; }\n"
                                                       "p, #t { top: 1px; }\n.a.b.c { top: 2px; }\n"
                                                       "a:hover, .a:hover { left: 0; }\n"},
                           {QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=site.css>"
                                                          "<p id=t class='a b c'>x</p>"}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    EXPECT_EQ(markOf(live, QStringLiteral(":is(#t, .zz)"), QStringLiteral("color")), QStringLiteral("applied"));
    EXPECT_EQ(markOf(live, QStringLiteral(".a.b"), QStringLiteral("color")), QStringLiteral("overridden"));
    EXPECT_EQ(markOf(live, QStringLiteral("p"), QStringLiteral("margin-top")), QStringLiteral("applied"));
    EXPECT_EQ(markOf(live, QStringLiteral(":where(#t)"), QStringLiteral("margin-top")), QStringLiteral("overridden"));
    EXPECT_EQ(markOf(live, QStringLiteral("p:not(.zz)"), QStringLiteral("padding-top")), QStringLiteral("applied"));
    EXPECT_EQ(markOf(live, QStringLiteral(".a"), QStringLiteral("padding-top")), QStringLiteral("overridden"));
    EXPECT_EQ(markOf(live, QStringLiteral("p, #t"), QStringLiteral("top")), QStringLiteral("applied"));
    EXPECT_EQ(markOf(live, QStringLiteral(".a.b.c"), QStringLiteral("top")), QStringLiteral("overridden"));
    // The rules that apply take part in the marks (and their overridden
    // declarations show so); a state's rule that does not apply now does not.
    EXPECT_TRUE(live.ruleRow(QStringLiteral("p:not(.zz)"))->isInCascade());
    EXPECT_FALSE(live.ruleRow(QStringLiteral("a:hover, .a:hover"))->isInCascade());
    EXPECT_EQ(markOf(live, QStringLiteral("a:hover, .a:hover"), QStringLiteral("left")), QStringLiteral("overridden"));
}

// The style attribute outranks every rule but an "!important" one; the
// rules of @media and @supports blocks that hold rank as any other by
// specificity and place; the browser's own rules lose to the page's, a
// logical property to the physical one it stands for.
TEST(CascadeMarks, StyleAttributeBlocksAndTheBrowsersRulesTakeTheirPlaces)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), "#s { color: red; }\n#s { background-color: red !important; }\n"
                                                       "@media (min-width: 1px) { .m { left: 1px; } }\n.m { left: 2px; }\n"
                                                       "@supports (display: grid) { #s { right: 1px; } }\n"
                                                       "p { right: 2px; margin: 0; }\n"
                                                       ".m { bottom: 1px; }\n@media (min-width: 1px) { .m { bottom: 2px; } }\n"},
                           {QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=site.css>"
                                                          "<p id=s class=m style='color: green; background-color: blue'>x</p>"}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("s"))));
    EXPECT_EQ(markOf(live, QStringLiteral("#s"), QStringLiteral("color")), QStringLiteral("overridden"));
    EXPECT_EQ(markOf(live, QStringLiteral("#s"), QStringLiteral("background-color")), QStringLiteral("applied"));
    EXPECT_EQ(markOf(live, QStringLiteral("#s"), QStringLiteral("right")), QStringLiteral("applied"));
    EXPECT_EQ(markOf(live, QStringLiteral("p"), QStringLiteral("right")), QStringLiteral("overridden"));
    EXPECT_EQ(markOf(live, QStringLiteral("p"), QStringLiteral("margin"), QStringLiteral("margin-top")), QStringLiteral("applied"));
    EXPECT_EQ(defaultMarkOf(live, QStringLiteral("margin-block-start")), QStringLiteral("overridden"));
    EXPECT_EQ(defaultMarkOf(live, QStringLiteral("display")), QStringLiteral("applied"));
    // Of the two rules .m, the later wins: the plain one for left, the media block's for bottom.
    const QString dump = live.dump();
    for (const char *line : {"  left: 2px\n", "    ~left: 1px\n", "  ~bottom: 1px\n", "    bottom: 2px\n"})
        EXPECT_TRUE(dump.contains(QLatin1String(line))) << line << dump.toStdString();
}

// The project's own pages: the end-to-end site, the sample projects and the
// new-page template.
TEST(CascadeMarks, FollowTheBrowserOnEveryElementOfTheProjectsPages)
{
    const QString root = sourceTree();
    Figures figures;
    struct Page
    {
        const char *folder;
        const char *page;
    };
    // The site's pages that stop the browser or keep asking questions of the user are left out.
    for (const Page &page : {Page{"tests/e2e/data/site", "index.html"}, Page{"tests/e2e/data/site", "about.html"},
                             Page{"tests/e2e/data/site", "blocks.html"}, Page{"tests/e2e/data/site", "dashboard.html"},
                             Page{"tests/e2e/data/site", "editors.html"}, Page{"tests/e2e/data/site", "gallery.html"},
                             Page{"tests/e2e/data/site", "deep.html"}, Page{"resources/projects/sample", "index.html"},
                             Page{"resources/projects/tutorial", "index.html"}, Page{"resources/templates", "sample.html"}})
        checkPage(root + u'/' + QLatin1String(page.folder), QLatin1String(page.page), figures);
    reportInFull(figures);
    EXPECT_GT(figures.agreed, 100);
    EXPECT_TRUE(figures.waiting.isEmpty());
    EXPECT_TRUE(figures.disagreements.isEmpty()) << figures.disagreements.join(u'\n').toStdString();
}

// The real templates the benchmarks fetch (bench/templates/fetch.sh), when
// they are there; a long run, made by hand.
TEST(CascadeMarks, FollowTheBrowserOnEveryElementOfTheBenchmarksTemplates)
{
    const QString data = sourceTree() + QStringLiteral("/bench/templates/data");
    QFile list(sourceTree() + QStringLiteral("/bench/templates/fetch.sh"));
    if (!QDir(data).exists())
        GTEST_SKIP() << "no templates in " << data.toStdString() << " (bench/templates/fetch.sh installs them)";
    QProcess lister;
    lister.start(QStringLiteral("bash"), {list.fileName(), QStringLiteral("--list")});
    ASSERT_TRUE(lister.waitForFinished(30000));
    Figures figures;
    const QString only = qEnvironmentVariable("QUILLMARK_CASCADE_PAGES");
    for (const QString &line : QString::fromUtf8(lister.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        const QString template_ = line.section(u' ', 0, 0);
        const QString page = line.section(u' ', 1);
        if ((!only.isEmpty() && !line.contains(only)) || !QFileInfo::exists(data + u'/' + template_ + u'/' + page))
            continue;
        checkPage(data + u'/' + template_, page, figures);
        report(figures);
    }
    reportInFull(figures);
    EXPECT_TRUE(figures.disagreements.isEmpty()) << figures.disagreements.join(u'\n').toStdString();
}

} // namespace CascadeMarksLiveTest
