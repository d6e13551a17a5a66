#include "LivePanel.h"

#include "cssrules/CSSCascade.h"
#include "platform/web/engine/WebEngineCache.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdio>

namespace CascadeMarksLiveTest {

namespace {

// The mark of the declaration of a name (or of its longhand) in the first
// rule of the selector that declares it, a media block's rules included.
QString markOf(const LivePanel &live, const QString &selector, const QString &name, const QString &longhand)
{
    QList<CSSRulePtr> rules;
    for (const CSSRulePtr &row : live.panel.rules())
        rules += row->styleDeclaration() && row->styleDeclaration()->type() == RuleType::Media ? row->children() : QList{row};
    for (const CSSRulePtr &rule : std::as_const(rules)) {
        const bool named = rule->displayName() == selector || (selector.isEmpty() && rule->isWebKitStyle());
        CSSRulePtr row = named ? LivePanel::declaration(rule, name) : nullptr;
        if (row && !longhand.isEmpty())
            row = LivePanel::declaration(row, longhand);
        if (row)
            return row->isFirstAssigned() ? QStringLiteral("applied") : QStringLiteral("overridden");
    }
    return QStringLiteral("missing");
}

} // namespace

// #86: the marks follow the cascade as the browser computes it: a
// shorthand's "!important" reaches its longhands; :is() and :not() count
// their most specific argument, :where() nothing, a list its most specific
// selector that matches; a rule of a pseudo-class that applies takes part,
// one of a state that does not, none; the style attribute outranks every
// rule but an "!important" one; the rules of @media and @supports blocks
// rank by specificity and place as any other; the browser's own rules lose
// to the page's, a logical property to the physical one it stands for.
TEST(CascadeMarks, FollowTheCascadeAsTheBrowserComputesIt)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), R"(.card .card-header { padding: 1.5rem; }
.p-3 { padding: 1rem !important; }
.pt-2 { padding-top: .5rem !important; }
:is(#t, .zz) { color: red; }
.a.b { color: blue; }
p { margin-top: 2px; }
:where(#t) { margin-top: 1px; }
p:not(.zz) { padding-top: 3px; }
.a { padding-top: 4px; }
p, #t { top: 1px; }
.a.b.c { top: 2px; }
a:hover, .a:hover { left: 0; }
#s { color: red; }
#s { background-color: red !important; }
@media (min-width: 1px) { .m { left: 1px; } }
.m { left: 2px; }
@supports (display: grid) { #s { right: 1px; } }
span { right: 2px; }
)"},
                           {QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=site.css>"
                                                          "<div class=card><div id=h class='card-header p-3 pt-2'>x</div></div>"
                                                          "<p id=t class='a b c'>x</p>"
                                                          "<span id=s class=m style='color: green; background-color: blue'>x</span>"}}));
    struct Mark
    {
        const char *selector; // empty: the browser's own rules
        const char *name;
        const char *longhand;
        const char *mark;
    };
    const auto expectMarks = [&live](const char *id, std::initializer_list<Mark> marks) {
        ASSERT_TRUE(live.select(live.element(QString::fromLatin1(id))));
        for (const Mark &mark : marks) {
            EXPECT_EQ(markOf(live, QString::fromLatin1(mark.selector), QString::fromLatin1(mark.name), QString::fromLatin1(mark.longhand)),
                      QLatin1String(mark.mark))
                << id << ' ' << mark.selector << " { " << mark.name << ' ' << mark.longhand << " }\n" << live.dump().toStdString();
        }
    };
    expectMarks("h", {{".pt-2", "padding-top", "", "applied"},
                      {".p-3", "padding", "", "applied"},
                      {".p-3", "padding", "padding-top", "overridden"},
                      {".p-3", "padding", "padding-right", "applied"},
                      {".card .card-header", "padding", "", "overridden"},
                      {".card .card-header", "padding", "padding-left", "overridden"}});
    expectMarks("t", {{":is(#t, .zz)", "color", "", "applied"},
                      {".a.b", "color", "", "overridden"},
                      {"p", "margin-top", "", "applied"},
                      {":where(#t)", "margin-top", "", "overridden"},
                      {"p:not(.zz)", "padding-top", "", "applied"},
                      {".a", "padding-top", "", "overridden"},
                      {"p, #t", "top", "", "applied"},
                      {".a.b.c", "top", "", "overridden"},
                      {"a:hover, .a:hover", "left", "", "overridden"},
                      {"", "margin-block-start", "", "overridden"},
                      {"", "display", "", "applied"}});
    // Listed by the specificity of the selector of the list that matches most.
    EXPECT_LT(live.panel.rules().indexOf(live.ruleRow(QStringLiteral("p, #t"))),
              live.panel.rules().indexOf(live.ruleRow(QStringLiteral(".a.b.c"))));
    EXPECT_TRUE(live.ruleRow(QStringLiteral("p:not(.zz)"))->isInCascade());
    EXPECT_FALSE(live.ruleRow(QStringLiteral("a:hover, .a:hover"))->isInCascade());
    expectMarks("s", {{"#s", "color", "", "overridden"},
                      {"#s", "background-color", "", "applied"},
                      {"#s", "right", "", "applied"},
                      {"span", "right", "", "overridden"}});
    // Of the two rules .m, the later wins: the plain one.
    const QString dump = live.dump();
    EXPECT_TRUE(dump.contains(QLatin1String("\n  left: 2px\n")) && dump.contains(QLatin1String("\n    ~left: 1px\n")))
        << dump.toStdString();
}

namespace {

// The pages of a folder held to the browser: for each element, each
// longhand the panel marks as applied is set on the element again (in its
// style attribute, with the highest priority an author has) and must leave
// the value the browser computes as it was; a longhand another declaration
// gives its value to in the browser changes. Disagreements listed with a
// reason are the browser's own, out of the panel's reach.
struct Sweep
{
    const QStringList allowed{QStringLiteral("(browser) select {")};
    const QString allowedReason = QStringLiteral("a select shown as a list box, or disabled: the browser gives it values of "
                                                 "rules for those states that its inspector does not report");
    int pages = 0;
    int elements = 0;
    int compared = 0;
    int animated = 0;
    int unclaimed = 0;
    qint64 ms = 0;
    QStringList disagreements;
    QStringList listed;
    QStringList waiting;

    void page(const QString &folder, const QString &page);
    void report() const
    {
        std::fprintf(stderr, "cascade marks: %d pages (%lld waiting), %d elements, %d longhands marked applied compared: %d "
                     "agree, %d set by an animation, %lld disagree (%lld listed); %d longhands of two applied shorthands left "
                     "out; %.1f s\n",
                     pages, qlonglong(waiting.size()), elements, compared,
                     compared - animated - int(disagreements.size() + listed.size()), animated,
                     qlonglong(disagreements.size() + listed.size()), qlonglong(listed.size()), unclaimed, double(ms) / 1000.0);
        for (const QString &line : waiting)
            std::fprintf(stderr, "  waiting: %s\n", qPrintable(line));
        for (const QString &line : listed)
            std::fprintf(stderr, "  listed: %s\n", qPrintable(line));
        for (const QString &line : disagreements)
            std::fprintf(stderr, "  DISAGREES: %s\n", qPrintable(line));
    }
};

// What the panel says gives a longhand its value: the declaration as
// written (url()s made absolute: in the style attribute they would be read
// against the page), the longhand, the rule for the report.
struct Claim
{
    QString name;
    QString value;
    QString longhand;
    QString where;
};

// Every longhand row marked applied, and each longhand of a shorthand row
// marked applied that no longhand row, no other such shorthand row and not
// the element's style attribute names.
QList<Claim> claimsOf(const LivePanel &live, const DOMElement &element, int &unclaimed)
{
    QList<Claim> claims;
    QHash<QString, QList<Claim>> ofShorthands;
    QSet<QString> named;
    StyleDeclaration attribute;
    attribute.setType(RuleType::DeclarationList);
    attribute.setBody(element.getAttribute(QStringLiteral("style")));
    for (const CSSPropertyPtr &property : attribute.properties()) {
        for (const QString &longhand : WebEngineCache::longhandsOf(property->property()).value_or(QStringList()))
            named.insert(longhand);
    }
    const auto claimOf = [](const CSSRulePtr &rule, const CSSRulePtr &declaration, const QString &longhand) {
        static const QRegularExpression url(QStringLiteral("url\\(\\s*(['\"]?)([^'\")]+)\\1\\s*\\)"));
        QString value = CSSCascade::withoutImportant(declaration->valueName());
        const QUrl base = rule->relatedFile() && !rule->isWebKitStyle() ? QUrl::fromLocalFile(rule->relatedFile()->path()) : QUrl();
        for (qsizetype from = 0; base.isValid();) {
            const QRegularExpressionMatch match = url.match(value, from);
            if (!match.hasMatch())
                break;
            const QString made = match.captured(2).startsWith(QLatin1String("data:")) || match.captured(2).startsWith(u'#')
                ? match.captured()
                : QStringLiteral("url(\"%1\")").arg(base.resolved(QUrl(match.captured(2))).toString());
            value.replace(match.capturedStart(), match.capturedLength(), made);
            from = match.capturedStart() + made.size();
        }
        return Claim{declaration->propName(), value, longhand,
                     (rule->isWebKitStyle() ? QStringLiteral("(browser) ") : QString()) + rule->displayName() + QStringLiteral(" { ")
                         + declaration->propName() + QStringLiteral(": ") + declaration->valueName() + QStringLiteral(" }")};
    };
    QList<CSSRulePtr> rules;
    for (const CSSRulePtr &row : live.panel.rules()) {
        if (!row->computedStyleDec())
            rules += row->styleDeclaration() && row->styleDeclaration()->type() == RuleType::Media ? row->children() : QList{row};
    }
    for (const CSSRulePtr &rule : std::as_const(rules)) {
        for (const CSSRulePtr &declaration : rule->children()) {
            if (!declaration->isFirstAssigned())
                continue;
            // The longhand rows shown under it, else what the engine says it sets.
            QStringList longhands;
            for (const CSSRulePtr &child : declaration->children()) {
                if (!child->isVenderPrefix())
                    longhands.append(child->isFirstAssigned() ? child->propName() : QString());
            }
            const bool shown = !longhands.isEmpty();
            if (!shown)
                longhands = WebEngineCache::longhandsOf(declaration->propName()).value_or(QStringList{declaration->propName()});
            for (const QString &longhand : std::as_const(longhands)) {
                if (longhand.isEmpty())
                    continue;
                if (shown || longhands.size() == 1) {
                    named.insert(longhand);
                    claims.append(claimOf(rule, declaration, longhand));
                } else {
                    ofShorthands[longhand].append(claimOf(rule, declaration, longhand));
                }
            }
        }
    }
    for (auto it = ofShorthands.cbegin(); it != ofShorthands.cend(); ++it) {
        if (named.contains(it.key()))
            continue;
        if (it.value().size() > 1)
            ++unclaimed;
        else
            claims.append(it.value().constFirst());
    }
    return claims;
}

// Each claim set on the element in turn: the value before, the value with
// it, and whether an animation or a transition of the element sets it.
QJsonArray probe(LivePanel &live, const DOMElement *element, const QList<Claim> &claims)
{
    QJsonArray path;
    for (const DOMNode *node = element; node->parentNode() && node->parentNode()->isElement(); node = node->parentNode()) {
        int index = 0;
        for (const DOMNode *before = node->previousSibling(); before; before = before->previousSibling())
            index += before->isElement() ? 1 : 0;
        path.prepend(index);
    }
    QJsonArray list;
    for (const Claim &claim : claims)
        list.append(QJsonArray{claim.name, claim.value, claim.longhand});
    const QString arguments = QString::fromUtf8(QJsonDocument(QJsonArray{path, list}).toJson(QJsonDocument::Compact));
    // A shorthand's longhand is set alone where the shorthand's value says
    // what it is (not with var()): the others may change what it resolves to.
    const QString answer = live.fixture->evaluate(QStringLiteral(R"((function (path, claims) {
  var el = document.documentElement;
  for (var i = 0; i < path.length && el; ++i) el = el.children[path[i]];
  if (!el) return '[]';
  var animated = [];
  el.getAnimations().forEach(function (a) {
    if (a.transitionProperty) animated.push(a.transitionProperty);
    a.effect.getKeyframes().forEach(function (k) { Object.keys(k).forEach(function (n) {
      animated.push(n.replace(/[A-Z]/g, function (c) { return '-' + c.toLowerCase(); })); }); }); });
  var had = el.getAttribute('style'), computed = getComputedStyle(el), scratch = document.createElement('div').style;
  var before = claims.map(function (c) { return computed.getPropertyValue(c[2]); });
  return JSON.stringify(claims.map(function (c, i) {
    if (!/transition/.test(c[0])) el.style.setProperty('transition', 'none', 'important');
    scratch.cssText = ''; scratch.setProperty(c[0], c[1]);
    var alone = c[0] === c[2] ? '' : scratch.getPropertyValue(c[2]);
    if (alone) el.style.setProperty(c[2], alone, 'important'); else el.style.setProperty(c[0], c[1], 'important');
    var after = getComputedStyle(el).getPropertyValue(c[2]);
    if (had === null) el.removeAttribute('style'); else el.setAttribute('style', had);
    return [before[i], after, animated.some(function (a) { return c[2] === a || c[2].indexOf(a + '-') === 0; })];
  })); })(%1))")
                                                       .arg(arguments.mid(1, arguments.size() - 2)))
                               .toString();
    return QJsonDocument::fromJson(answer.toUtf8()).array();
}

void Sweep::page(const QString &folder, const QString &page)
{
    QElapsedTimer timer;
    timer.start();
    LivePanel live;
    const QString name = QDir(QStringLiteral(QUILLMARK_TEST_DATA "/../../..")).relativeFilePath(folder + u'/' + page);
    if (!live.loadFolder(folder, page)) {
        ADD_FAILURE() << "the page did not load: " << name.toStdString();
        return;
    }
    if (const QStringList unlisted = live.unlistedSheets(); !unlisted.isEmpty()) {
        waiting.append(name + QStringLiteral(": the panel does not list ") + unlisted.join(QStringLiteral(", ")));
        return;
    }
    ++pages;
    // Every element but those of the head, in tree order.
    static const QSet<QString> left{QStringLiteral("head"), QStringLiteral("script"), QStringLiteral("style"),
                                    QStringLiteral("template"), QStringLiteral("noscript")};
    QList<DOMNodePtr> nodes;
    const std::function<void(DOMNode *)> walk = [&](DOMNode *node) {
        if (!node->isElement() || left.contains(static_cast<DOMElement *>(node)->localName()))
            return;
        nodes.append(node->shared_from_this());
        for (DOMNode *child = node->firstChild(); child; child = child->nextSibling())
            walk(child);
    };
    walk(live.document()->documentElement());
    for (const DOMNodePtr &node : std::as_const(nodes)) {
        auto *element = static_cast<DOMElement *>(node.get());
        if (!element->isConnected() || !live.select(element))
            continue;
        ++elements;
        const QList<Claim> claims = claimsOf(live, *element, unclaimed);
        const QJsonArray answers = claims.isEmpty() ? QJsonArray() : probe(live, element, claims);
        for (qsizetype i = 0; i < claims.size() && i < answers.size(); ++i) {
            const QJsonArray answer = answers.at(i).toArray();
            ++compared;
            if (answer.at(0) == answer.at(1))
                continue;
            if (answer.at(2).toBool()) {
                ++animated;
                continue;
            }
            const Claim &claim = claims.at(i);
            const QString line = QStringLiteral("%1 <%2 class=\"%3\"> %4: the browser computes %5, the panel's %6 gives %7")
                                     .arg(name, element->localName(), element->getAttribute(QStringLiteral("class")),
                                          claim.longhand, answer.at(0).toString(), claim.where, answer.at(1).toString());
            const bool isListed = std::any_of(allowed.cbegin(), allowed.cend(), [&](const QString &where) { return claim.where.startsWith(where); });
            (isListed ? listed : disagreements).append(isListed ? line + QStringLiteral(" (") + allowedReason + u')' : line);
        }
    }
    ms += timer.elapsed();
}

} // namespace

// The project's own pages: the end-to-end site (but the pages that stop the
// browser), the sample projects and the new-page template.
TEST(CascadeMarks, FollowTheBrowserOnEveryElementOfTheProjectsPages)
{
    const QString root = QStringLiteral(QUILLMARK_TEST_DATA "/../../..");
    Sweep sweep;
    QDir site(root + QStringLiteral("/tests/e2e/data/site"));
    for (const QString &page : site.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
        if (!page.startsWith(QLatin1String("hostile-")))
            sweep.page(site.path(), page);
    }
    sweep.page(root + QStringLiteral("/resources/projects/sample"), QStringLiteral("index.html"));
    sweep.page(root + QStringLiteral("/resources/projects/tutorial"), QStringLiteral("index.html"));
    sweep.page(root + QStringLiteral("/resources/templates"), QStringLiteral("sample.html"));
    sweep.report();
    EXPECT_GT(sweep.compared, 1000);
    EXPECT_TRUE(sweep.waiting.isEmpty());
    EXPECT_TRUE(sweep.disagreements.isEmpty()) << sweep.disagreements.join(u'\n').toStdString();
}

// The real templates the benchmarks fetch (bench/templates/fetch.sh), when
// they are there: a run of some minutes, made by hand (QUILLMARK_CASCADE_PAGES
// picks the pages whose line in "fetch.sh --list" holds it).
TEST(CascadeMarks, FollowTheBrowserOnEveryElementOfTheBenchmarksTemplates)
{
    const QString bench = QStringLiteral(QUILLMARK_TEST_DATA "/../../../bench/templates");
    if (!QDir(bench + QStringLiteral("/data")).exists())
        GTEST_SKIP() << "no templates: bench/templates/fetch.sh installs them";
    QProcess lister;
    lister.start(QStringLiteral("bash"), {bench + QStringLiteral("/fetch.sh"), QStringLiteral("--list")});
    ASSERT_TRUE(lister.waitForFinished(30000));
    Sweep sweep;
    const QString only = qEnvironmentVariable("QUILLMARK_CASCADE_PAGES");
    for (const QString &line : QString::fromUtf8(lister.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        const QString folder = bench + QStringLiteral("/data/") + line.section(u' ', 0, 0);
        if ((only.isEmpty() || line.contains(only)) && QFileInfo::exists(folder + u'/' + line.section(u' ', 1)))
            sweep.page(folder, line.section(u' ', 1));
    }
    sweep.report();
    EXPECT_TRUE(sweep.waiting.isEmpty()) << sweep.waiting.join(u'\n').toStdString();
    EXPECT_TRUE(sweep.disagreements.isEmpty()) << sweep.disagreements.join(u'\n').toStdString();
}

} // namespace CascadeMarksLiveTest
