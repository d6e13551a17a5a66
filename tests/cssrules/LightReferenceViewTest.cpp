#include "FileAt.h"
#include "TestPrinters.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/LightReferenceView.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/OutlineView.h"
#include "platform/web/cssom/DOMCSSParser.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "stylesheet/CSSValueKeywords.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace LightReferenceViewTest {

namespace {

DOMCSSRulePtr liveRule(const QString &text)
{
    const std::optional<DOMCSSParsedRule> parsed = DOMCSSParser::parseRule(text);
    return parsed ? DOMCSSRule::fromParsed(*parsed, 0) : nullptr;
}

// A declaration row of a rule, as the panel hands it to the list.
CSSRulePtr declarationRow(const QString &name, const QString &value, File *file = nullptr)
{
    const CSSRulePtr rule = CSSRule::initWithRule(liveRule(QStringLiteral(".a { %1: %2; }").arg(name, value)));
    if (file)
        rule->setFile(file);
    const CSSRulePtr row = CSSRule::initWithCSSProperty(std::make_shared<CSSProperty>(name, value), rule);
    if (file)
        row->setFile(file);
    return row;
}

// What the list announces.
struct Announcements
{
    QStringList changed;
    QStringList committed;
    int ended = 0;

    Announcements()
    {
        NotificationCenter &center = NotificationCenter::defaultCenter();
        center.addObserver(this, QStringLiteral("cssValueChanged"), nullptr,
                           [this](const Notification &n) { changed.append(n.userInfo.value(QStringLiteral("value")).toString()); });
        center.addObserver(this, QStringLiteral("cssValueCommit"), nullptr,
                           [this](const Notification &n) { committed.append(n.userInfo.value(QStringLiteral("value")).toString()); });
        center.addObserver(this, QStringLiteral("valueInputDidEndEdit"), nullptr, [this](const Notification &) { ++ended; });
    }
    ~Announcements() { NotificationCenter::defaultCenter().removeObserver(this); }
};

void typeText(const QString &text)
{
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("valueInputDidEdit"), nullptr,
                                                             {{QStringLiteral("text"), text}});
}

// A project folder with files; its root node lists them.
class Project
{
public:
    explicit Project(const QStringList &files)
    {
        for (const QString &name : files) {
            QDir(m_dir.path()).mkpath(QFileInfo(name).path());
            QFile file(m_dir.path() + u'/' + name);
            file.open(QIODevice::WriteOnly);
        }
        root = std::make_unique<File>(m_dir.path(), true, nullptr);
    }
    ~Project() { ProjectUtil::resetForTesting(); }

    File *file(const QString &name) { return fileAt(root.get(), name); }
    QString path() const { return m_dir.path(); }

    std::unique_ptr<File> root;

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST(LightReferenceView, AnImportantColourKeepsItsPriorityOnEveryValueSent)
{
    LightReferenceView list;
    Announcements heard;
    list.setSource(declarationRow(QStringLiteral("color"), QStringLiteral("red !important")));
    EXPECT_TRUE(list.isImportant());
    // "red !important" is no candidate: nothing is selected or announced.
    EXPECT_EQ(list.selectedRow(), -1);
    EXPECT_TRUE(heard.changed.isEmpty());

    const int blue = int(list.elements().indexOf(QStringLiteral("blue")));
    ASSERT_GE(blue, 0);
    list.refList()->selectRowIndexes({blue}, false);
    list.didClickRow(blue);
    EXPECT_EQ(heard.changed.last(), QStringLiteral("blue !important"));
    EXPECT_EQ(heard.committed, QStringList{QStringLiteral("blue !important")});
    EXPECT_EQ(heard.ended, 1);
    EXPECT_EQ(list.inputRule()->valueName(), QStringLiteral("blue !important"));

    // A click below the last row does nothing.
    list.didClickRow(int(list.elements().size()));
    EXPECT_EQ(heard.committed.size(), 1);
}

TEST(LightReferenceView, TypingNarrowsTheKeywordsByPrefixInAnyCase)
{
    LightReferenceView list;
    list.awakeFromNib();
    list.setSource(declarationRow(QStringLiteral("color"), QStringLiteral("red")));
    // The current value is selected and announced.
    EXPECT_EQ(list.elements().value(list.selectedRow()), QStringLiteral("red"));
    const QStringList all = list.elements();

    typeText(QStringLiteral("BL"));
    ASSERT_FALSE(list.elements().isEmpty());
    for (const QString &value : list.elements())
        EXPECT_TRUE(value.startsWith(QLatin1String("bl"))) << value.toStdString();
    EXPECT_TRUE(list.elements().contains(QStringLiteral("blue")));
    EXPECT_EQ(list.refList()->numberOfRows(), list.elements().size());
    EXPECT_EQ(list.selectedRow(), -1);

    typeText(QString());
    EXPECT_EQ(list.elements(), all);
}

TEST(LightReferenceView, UpAndDownMoveThroughTheListAndPreviewEachValue)
{
    LightReferenceView list;
    Announcements heard;
    list.setSource(declarationRow(QStringLiteral("display"), QStringLiteral("12px")));
    list.selectPreviousRow();
    EXPECT_EQ(list.selectedRow(), -1);
    list.selectNextRow();
    list.selectNextRow();
    EXPECT_EQ(list.selectedRow(), 1);
    list.selectPreviousRow();
    EXPECT_EQ(list.selectedRow(), 0);
    EXPECT_EQ(heard.changed,
              (QStringList{list.elements().at(0), list.elements().at(1), list.elements().at(0)}));
    EXPECT_TRUE(heard.committed.isEmpty());
}

TEST(LightReferenceView, AnimationNamesAndFontsComeBeforeKeywords)
{
    LightReferenceView list;
    list.awakeFromNib();
    const CSSRulePtr spin = CSSRule::initWithRule(liveRule(QStringLiteral("@keyframes spin { from { top: 0; } }")));
    const CSSRulePtr fade = CSSRule::initWithRule(liveRule(QStringLiteral("@keyframes fade { to { opacity: 0; } }")));
    list.setAnimationRules({spin, fade});
    list.setSource(declarationRow(QStringLiteral("animation-name"), QStringLiteral("fade")));
    EXPECT_EQ(list.elements(), (QStringList{QStringLiteral("spin"), QStringLiteral("fade")}));
    EXPECT_EQ(list.selectedRow(), 1);
    // Typing replaces them with the keyword matches.
    typeText(QStringLiteral("n"));
    EXPECT_EQ(list.elements(), CSSValueKeywords::getValueKeywords(QStringLiteral("animation-name")).filter(QRegularExpression(QStringLiteral("^n"))));

    list.setUsedFontFamilies([] { return QStringList{QStringLiteral("Brand Sans"), QStringLiteral("Georgia, serif")}; });
    list.setSource(declarationRow(QStringLiteral("font-family"), QStringLiteral("Georgia, serif")));
    ASSERT_GE(list.elements().size(), 2);
    EXPECT_EQ(list.elements().mid(0, 2), (QStringList{QStringLiteral("Brand Sans"), QStringLiteral("Georgia, serif")}));
    EXPECT_EQ(list.elements().mid(2), CSSValueKeywords::getValueKeywords(QStringLiteral("font-family")));
    EXPECT_EQ(list.selectedRow(), 1);
}

TEST(LightReferenceView, ImagePathsAreRelativeToTheStyleSheetAndEscaped)
{
    Project project({QStringLiteral("images/a b.png"), QStringLiteral("images/(c).png"), QStringLiteral("top.css"),
                     QStringLiteral("css/site.css"), QStringLiteral("css/deep/more.css")});
    const QList<File *> images{project.file(QStringLiteral("images/a b.png")), project.file(QStringLiteral("images/(c).png"))};
    ASSERT_TRUE(images.first() && images.last());
    EXPECT_EQ(LightReferenceView::imageCandidates(images, project.file(QStringLiteral("css/site.css"))),
              (QStringList{QStringLiteral("url(../images/a%20b.png)"), QStringLiteral("url(../images/%28c%29.png)")}));
    EXPECT_EQ(LightReferenceView::imageCandidates(images, project.file(QStringLiteral("top.css"))),
              (QStringList{QStringLiteral("url(images/a%20b.png)"), QStringLiteral("url(images/%28c%29.png)")}));
    EXPECT_EQ(LightReferenceView::imageCandidates(images, project.file(QStringLiteral("css/deep/more.css"))).first(),
              QStringLiteral("url(../../images/a%20b.png)"));

    // A sheet of the project's site: its folder on the site is its folder in the project.
    QVariantMap config = ProjectUtil::getProjectConfig(project.path());
    config.insert(QString(ProjectUtil::kWebMainURL), QStringLiteral("http://example.com/site/"));
    ProjectUtil::saveProjectConfig(config, project.path());
    File web;
    web.setPath(QStringLiteral("http://example.com/site/css/site.css"));
    ASSERT_FALSE(web.isLocalFile());
    EXPECT_EQ(LightReferenceView::imageCandidates(images, &web).first(), QStringLiteral("url(../images/a%20b.png)"));

    // The list of a background image: no keywords; none without images.
    LightReferenceView list;
    list.setProjectImages(images);
    list.setSource(declarationRow(QStringLiteral("background-image"), QStringLiteral("none"), project.file(QStringLiteral("top.css"))));
    EXPECT_EQ(list.elements().size(), 2);
    list.setProjectImages({});
    list.setSource(declarationRow(QStringLiteral("mask-image"), QStringLiteral("none"), project.file(QStringLiteral("top.css"))));
    EXPECT_TRUE(list.elements().isEmpty());
    EXPECT_EQ(list.refList()->numberOfRows(), 0);
}

TEST(LightReferenceView, TheListOpensUnderTheValueAtLeast200WideAndAboveNearTheBottom)
{
    // A value 150 wide: the list is 200 wide and 50 further left.
    EXPECT_EQ(CSSOutlineDelegate::referenceListFrame(QRect(100, 40, 150, 18), 146, 600), QRect(50, 58, 200, 146));
    EXPECT_EQ(CSSOutlineDelegate::referenceListFrame(QRect(100, 40, 260, 18), 146, 600), QRect(100, 58, 260, 146));
    // Near the bottom of its host it opens above the row.
    EXPECT_EQ(CSSOutlineDelegate::referenceListFrame(QRect(100, 500, 260, 18), 146, 600), QRect(100, 500 - 146, 260, 146));
    // Never beyond the host's left edge.
    EXPECT_EQ(CSSOutlineDelegate::referenceListFrame(QRect(20, 40, 100, 18), 146, 600).left(), 0);
}

} // namespace LightReferenceViewTest
