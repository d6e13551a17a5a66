#include "TestPrinters.h"
#include "cssrules/CSSCopyInfo.h"
#include "cssrules/CSSRule.h"
#include "platform/web/cssom/DOMCSSParser.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "stylesheet/StringCSSValue.h"
#include "stylesheet/StyleSheetParser.h"
#include "stylesheet/VendarPrefixSettings.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace CSSRuleTest {

namespace {

DOMCSSRulePtr liveRule(const QString &text)
{
    const std::optional<DOMCSSParsedRule> parsed = DOMCSSParser::parseRule(text);
    return parsed ? DOMCSSRule::fromParsed(*parsed, 0) : nullptr;
}

// A style sheet's model in a bare File.
struct Sheet
{
    File file;
    QList<StyleDeclarationPtr> items;

    explicit Sheet(const QString &text)
    {
        items = StyleSheetParser::parseStyleSheet(text, &file);
        file.setStyleDeclarations(items);
    }
};

// The current project: its prefixes "-webkit" on and "-moz" off, prefixing
// transition-property, transform and background-image, or the names given.
class CurrentProject
{
public:
    explicit CurrentProject(const QStringList &prefixed = {QStringLiteral("transition-property"), QStringLiteral("transform"),
                                                           QStringLiteral("background-image")})
    {
        QVariantMap config = ProjectUtil::getProjectConfig(m_dir.path());
        config.insert(QStringLiteral("vendarPrefix"),
                      QVariantList{QVariantMap{{QStringLiteral("prefix"), QStringLiteral("-webkit")}, {QStringLiteral("on"), true}},
                                   QVariantMap{{QStringLiteral("prefix"), QStringLiteral("-moz")}, {QStringLiteral("on"), false}}});
        QVariantMap properties;
        for (const QString &name : prefixed)
            properties.insert(name, true);
        config.insert(QStringLiteral("vendarPrefixProperties"), properties);
        ProjectUtil::saveProjectConfig(config, m_dir.path());
        ProjectUtil::setCurrentProjectPath(m_dir.path());
    }
    ~CurrentProject() { ProjectUtil::resetForTesting(); }

private:
    QTemporaryDir m_dir;
};

QStringList namesOf(const QList<CSSRulePtr> &rows)
{
    QStringList names;
    for (const CSSRulePtr &row : rows)
        names.append(row->propName());
    return names;
}

} // namespace

TEST(CSSRule, RowsAnswerTheirTextsByKind)
{
    const CSSRulePtr empty = CSSRule::init();
    EXPECT_EQ(empty->displayName(), QString());
    EXPECT_FALSE(empty->displayName().isNull());
    EXPECT_FALSE(empty->propName().isNull());
    EXPECT_TRUE(empty->valueName().isNull());
    EXPECT_TRUE(empty->selectorName().isNull());
    EXPECT_EQ(empty->type(), 0);
    EXPECT_FALSE(CSSRule::displayColor().isValid());

    const CSSRulePtr browser = CSSRule::initWithRuleWithWebkitBasicStyle(liveRule(QStringLiteral("p { display: block; }")));
    EXPECT_EQ(browser->fileName(), QStringLiteral("default"));
    EXPECT_TRUE(browser->isWebKitStyle());

    const CSSRulePtr rule = CSSRule::initWithRule(liveRule(QStringLiteral(".a > b { color: red; }")));
    const CSSRulePtr declaration =
        CSSRule::initWithCSSProperty(std::make_shared<CSSProperty>(QStringLiteral("color"), QStringLiteral("red")), rule);
    EXPECT_EQ(declaration->decLine(), QStringLiteral("color: red"));
    EXPECT_EQ(declaration->propName(), QStringLiteral("color"));
    EXPECT_EQ(declaration->valueName(), QStringLiteral("red"));
    EXPECT_EQ(declaration->displayName(), QStringLiteral(".a > b"));
    EXPECT_EQ(rule->ownerRule(), rule);

    const CSSRulePtr line = CSSRule::initWithPropertyText(QStringLiteral("margin: 0 auto"));
    EXPECT_EQ(line->displayName(), QStringLiteral("0 auto"));
    EXPECT_EQ(line->propName(), QStringLiteral("margin"));
    EXPECT_EQ(line->backup(), QStringLiteral("0 auto"));
    line->setValueName2(QStringLiteral("1px"));
    EXPECT_EQ(line->valueName(), QStringLiteral("1px"));

    Sheet sheet(QStringLiteral("@-webkit-keyframes spin { from { top: 0; } }"));
    const CSSRulePtr keyframes = CSSRule::initWithRule(liveRule(QStringLiteral("@-webkit-keyframes spin { from { top: 0; } }")));
    keyframes->setStyleDeclaration(sheet.items.first());
    EXPECT_TRUE(keyframes->propName().startsWith(QLatin1String("@keyframes"))) << keyframes->propName().toStdString();

    File file;
    file.setDisplayName(QStringLiteral("a.css"));
    rule->setFile(&file);
    rule->setFile(nullptr);
    EXPECT_EQ(rule->relatedFile(), &file);
}

TEST(CSSRule, KeyframesAreListedByKeyAndPairedWithTheirFileRules)
{
    const QString text = QStringLiteral("@keyframes spin { to { top: 9px; } from { top: 0; } 50% { top: 4px; } }");
    Sheet sheet(text);
    const CSSRulePtr row = CSSRule::initWithRule(liveRule(text));
    row->setStyleDeclaration(sheet.items.first());
    row->setFile(&sheet.file);
    const QList<CSSRulePtr> keyframes = row->children();
    ASSERT_EQ(keyframes.size(), 3);
    EXPECT_EQ(namesOf(keyframes), QStringList({QStringLiteral("0%"), QStringLiteral("50%"), QStringLiteral("100%")}));
    EXPECT_EQ(keyframes.at(0)->styleDeclaration()->selector(), QStringLiteral("from"));
    EXPECT_EQ(keyframes.at(2)->styleDeclaration()->selector(), QStringLiteral("to"));
    EXPECT_EQ(keyframes.at(1)->type(), RuleType::Keyframe);
    const QList<CSSRulePtr> lines = keyframes.at(1)->children();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.first()->decLine(), QStringLiteral("top: 4px"));
    EXPECT_EQ(lines.first()->animationOwner(), keyframes.at(1));
}

TEST(CSSRule, AMediaBlockListsItsLastRuleFirst)
{
    const CSSRulePtr media = CSSRule::initWithRule(liveRule(QStringLiteral("@media print { .a { top: 0 } .b { top: 0 } .c { top: 0 } }")));
    Sheet sheet(QStringLiteral("@media print { .a { top: 0 } .b { top: 0 } .c { top: 0 } }"));
    media->setStyleDeclaration(sheet.items.first());
    const QList<CSSRulePtr> rules = media->children();
    EXPECT_EQ(namesOf(rules), QStringList({QStringLiteral(".c"), QStringLiteral(".b"), QStringLiteral(".a")}));
    EXPECT_EQ(rules.first()->mediaOwner(), media);
    EXPECT_EQ(rules.first()->type(), RuleType::MediaStyle);
}

TEST(CSSRule, DeclarationsListTheirLonghandsAndPrefixedCopies)
{
    CurrentProject project;
    Sheet sheet(QStringLiteral(".a { margin: 1px 2px 3px 4px !important; -webkit-transition-property: -webkit-transform;"
                               " transition-property: transform; color: red; background-image: url(x.png); }\n"
                               ".b { background-image: linear-gradient(red, blue); }"));
    const CSSRulePtr rule = CSSRule::initWithRule(liveRule(QStringLiteral(".a { color: red; }")));
    rule->setStyleDeclaration(sheet.items.first());
    rule->setFile(&sheet.file);
    QList<CSSRulePtr> declarations = rule->children();
    ASSERT_EQ(declarations.size(), 4);

    const CSSRulePtr margin = declarations.at(0);
    EXPECT_EQ(margin->type(), RuleType::ShortHandDeclaration);
    EXPECT_FALSE(margin->isLeaf());
    const QList<CSSRulePtr> longhands = margin->children();
    EXPECT_EQ(namesOf(longhands), QStringList({QStringLiteral("margin-top"), QStringLiteral("margin-right"),
                                               QStringLiteral("margin-bottom"), QStringLiteral("margin-left")}));
    EXPECT_EQ(longhands.at(3)->valueName(), QStringLiteral("4px"));
    EXPECT_TRUE(longhands.at(3)->isShortHandChild());
    EXPECT_EQ(longhands.at(3)->shortHandOwner(), margin);

    const CSSRulePtr transition = declarations.at(1);
    const QList<CSSRulePtr> copies = transition->children();
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(copies.first()->decLine(), QStringLiteral("-webkit-transition-property: -webkit-transform"));
    EXPECT_TRUE(copies.first()->isVenderPrefix());

    EXPECT_TRUE(declarations.at(2)->isLeaf());
    EXPECT_TRUE(declarations.at(3)->isLeaf());

    // A removed or hidden declaration has no row.
    sheet.items.first()->properties().at(2)->setRemoved(true);
    sheet.items.first()->properties().at(3)->setVisible(false);
    rule->reloadChildren();
    EXPECT_EQ(rule->numberOfChildren(), 2);
}

// #77: a prefixed copy listed copies of its own ("-webkit--webkit-transition"),
// a declaration the project prefixes listed copies the file does not hold
// ("-webkit-background-image" too), and a shorthand that does not split
// listed longhands with empty values.
TEST(CSSRule, DeclarationsListOnlyWhatTheFileHolds)
{
    CurrentProject project({QStringLiteral("text-size-adjust"), QStringLiteral("transition"), QStringLiteral("background-image"),
                            QStringLiteral("box-shadow")});
    Sheet sheet(QStringLiteral(".a { -webkit-text-size-adjust: 100%; transition: top 1s; background-image: linear-gradient(red, blue);"
                               " border-radius: calc(0.25rem - 1px) calc(0.25rem - 1px) 0 0; padding: var(--y) var(--x);"
                               " border-top: var(--w) solid; -moz-box-shadow: 0 0 1px red; box-shadow: 0 0 1px red; }"));
    const CSSRulePtr rule = CSSRule::initWithRule(liveRule(QStringLiteral(".a { color: red; }")));
    rule->setStyleDeclaration(sheet.items.first());
    rule->setFile(&sheet.file);
    QStringList rows;
    const std::function<void(const CSSRulePtr &, int)> list = [&](const CSSRulePtr &row, int depth) {
        for (const CSSRulePtr &child : row->children()) {
            rows.append(QString(depth * 2, u' ') + child->decLine());
            EXPECT_EQ(child->isLeaf(), child->children().isEmpty()) << child->decLine().toStdString();
            list(child, depth + 1);
        }
    };
    list(rule, 0);
    EXPECT_EQ(rows, QStringList({QStringLiteral("text-size-adjust: 100%"), QStringLiteral("  -webkit-text-size-adjust: 100%"),
                                 QStringLiteral("transition: top 1s"),
                                 QStringLiteral("background-image: linear-gradient(red, blue)"),
                                 QStringLiteral("border-radius: calc(0.25rem - 1px) calc(0.25rem - 1px) 0 0"),
                                 QStringLiteral("  border-top-left-radius: calc(0.25rem - 1px)"),
                                 QStringLiteral("  border-top-right-radius: calc(0.25rem - 1px)"),
                                 QStringLiteral("  border-bottom-right-radius: 0"), QStringLiteral("  border-bottom-left-radius: 0"),
                                 QStringLiteral("padding: var(--y) var(--x)"), QStringLiteral("border-top: var(--w) solid"),
                                 QStringLiteral("box-shadow: 0 0 1px red"), QStringLiteral("  -moz-box-shadow: 0 0 1px red")}))
        << rows.join(u'\n').toStdString();
}

// Every row of every rule of a framework sheet is a declaration of the file,
// or a longhand of one with a value that the shorthand's value holds (#77).
TEST(CSSRule, NoRowOfAFrameworkSheetIsMadeUp)
{
    QFile bootstrap(QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css"));
    if (!bootstrap.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "libjs-bootstrap5 is not installed";
    CurrentProject project(VendarPrefixSettings::defaultProperties().keys());
    Sheet sheet(QString::fromUtf8(bootstrap.readAll()));
    const DOMCSSRulePtr live = liveRule(QStringLiteral(".a { color: red; }"));
    const QStringList defaults = {QStringLiteral("none"), QStringLiteral("medium"), QStringLiteral("currentcolor"),
                                  QStringLiteral("disc"), QStringLiteral("outside")};
    int rows = 0;
    int longhands = 0;
    int copies = 0;
    // The parse is flat: the rules inside blocks are in the list too.
    const auto check = [&](const QList<StyleDeclarationPtr> &items) {
        for (const StyleDeclarationPtr &item : items) {
            if (item->type() != RuleType::Style && item->type() != RuleType::MediaStyle)
                continue;
            // The names the rule's text declares.
            QSet<QString> declared;
            for (const QString &piece : item->body().split(u';')) {
                if (piece.contains(u':'))
                    declared.insert(piece.section(u':', 0, 0).trimmed().toLower());
            }
            const CSSRulePtr rule = CSSRule::initWithRule(live);
            rule->setStyleDeclaration(item);
            rule->setFile(&sheet.file);
            for (const CSSRulePtr &row : rule->children()) {
                ++rows;
                const QString where = item->selector() + QStringLiteral(" :: ") + row->decLine();
                EXPECT_TRUE(declared.contains(row->propName()) || !row->property()->vendorPrefixes().value_or(QStringList()).isEmpty())
                    << where.toStdString();
                const QStringList parts = StringCSSValue::components(row->valueName());
                for (const CSSRulePtr &child : row->children()) {
                    const QString line = where + QStringLiteral(" > ") + child->decLine();
                    EXPECT_TRUE(child->children().isEmpty()) << line.toStdString();
                    if (child->isVenderPrefix()) {
                        ++copies;
                        EXPECT_TRUE(declared.contains(child->propName())) << line.toStdString();
                        continue;
                    }
                    ++longhands;
                    EXPECT_TRUE(parts.contains(child->valueName()) || defaults.contains(child->valueName()))
                        << line.toStdString();
                }
            }
        }
    };
    check(sheet.items);
    // The sheet has all three kinds.
    EXPECT_GT(rows, 4000);
    EXPECT_GT(longhands, 200);
    EXPECT_GT(copies, 10);
}

TEST(CSSRule, ALiveRuleWithoutAFileRuleListsItsOwnDeclarations)
{
    const CSSRulePtr row = CSSRule::initWithRuleWithWebkitBasicStyle(
        liveRule(QStringLiteral("p { display: block; margin-top: 1em; margin-bottom: 1em; }")));
    const QList<CSSRulePtr> lines = row->children();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first()->decLine(), QStringLiteral("display: block"));
}

TEST(CSSCopyInfo, CopiesARuleAsTextParsedAgain)
{
    Sheet sheet(QStringLiteral(".a { color: red; }\n@media (min-width: 50%) { .b { top: 0 } .c { left: 0 } }\n/* c */"));
    const CSSRulePtr rule = CSSRule::initWithRule(liveRule(QStringLiteral(".a { color: red; }")));
    rule->setStyleDeclaration(sheet.items.at(0));
    rule->setFile(&sheet.file);
    const auto copied = rule->copyInfo();
    EXPECT_EQ(copied->type(), quint32(RuleType::Style));
    EXPECT_EQ(copied->cssText(), QStringLiteral(".a{\ncolor: red;\n}"));
    ASSERT_EQ(copied->declarations().size(), 1);
    EXPECT_EQ(copied->declarations().first()->parentFile(), &sheet.file);
    EXPECT_TRUE(copied->description().contains(QLatin1String("cssText")));

    const CSSRulePtr media = CSSRule::initWithRule(liveRule(QStringLiteral("@media (min-width: 50%) { .b { top: 0 } }")));
    media->setStyleDeclaration(sheet.items.at(1));
    const auto block = media->copyInfo();
    EXPECT_TRUE(block->cssText().startsWith(QLatin1String("@media (min-width: 50%){.b{"))) << block->cssText().toStdString();
    ASSERT_EQ(block->declarations().size(), 3);
    EXPECT_EQ(block->declarations().at(0)->type(), RuleType::Media);

    // A line of a keyframe (a declaration without a file property).
    const CSSRulePtr keyframe = CSSRule::initWithRule(liveRule(QStringLiteral("@keyframes k { 0% { top: 1px } }"))->cssRules().item(0));
    const CSSRulePtr lineRow = CSSRule::initWithPropertyText(QStringLiteral("top: 1px"));
    lineRow->setAnimationOwner(keyframe);
    EXPECT_EQ(lineRow->type(), RuleType::Declaration);
    const auto line = lineRow->copyInfo();
    ASSERT_TRUE(line->property());
    EXPECT_EQ(line->property()->description(), QStringLiteral("top: 1px"));

    const CSSRulePtr comment = CSSRule::init();
    comment->setStyleDeclaration(sheet.items.last());
    const auto commented = comment->copyInfo();
    EXPECT_EQ(commented->type(), quint32(RuleType::Comment));
    EXPECT_TRUE(commented->cssText().isEmpty());
}

} // namespace CSSRuleTest
