#include "LivePanel.h"

#include "cssrules/StyleSheetWriter.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "stylesheet/StyleDeclaration.h"
#include "stylesheet/StyleSheetParser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <functional>

namespace SequenceLiveTest {

namespace {

// Line breaks CRLF, tabs, no final line break; nested blocks, a block the
// model cannot write, a keyframes rule with its "-webkit-" copy, vendor
// prefixes, a data: URL, escapes and comments.
const QByteArray kSheet = "@charset \"utf-8\";\r\n"
                          "/* the head */\r\n"
                          ".a {\r\n\tcolor: red;\r\n\t-webkit-user-select: none;\r\n\tuser-select: none;\r\n"
                          "\t-webkit-transition: opacity 1s;\r\n\ttransition: opacity 1s;\r\n"
                          "\tbackground: url(\"data:image/svg+xml;utf8,<svg xmlns='http://www.w3.org/2000/svg'/>\") no-repeat;\r\n}\r\n"
                          "@media screen {\r\n\t.b { top: 1px; left: 2px; }\r\n\t@media (orientation: landscape) {\r\n"
                          "\t\t.c { margin: 0 !important; }\r\n\t}\r\n}\r\n"
                          "@supports (display: grid) {\r\n\t.g { display: grid; }\r\n}\r\n"
                          ".e\\:x, .f::before { content: \"\\201C\"; padding: 1px 2px; }\r\n"
                          "@-webkit-keyframes spin {\r\n\t0% { -webkit-transform: rotate(0deg); transform: rotate(0deg); }\r\n"
                          "\t100% { -webkit-transform: rotate(360deg); transform: rotate(360deg); }\r\n}\r\n"
                          "@keyframes spin {\r\n\t0% { -webkit-transform: rotate(0deg); transform: rotate(0deg); }\r\n"
                          "\t100% { -webkit-transform: rotate(360deg); transform: rotate(360deg); }\r\n}\r\n"
                          "/* between */\r\n"
                          ".z { color: blue; /* inside */ top: 0 }";

// The page's script gives two of the sheet's rules a declaration of its own
// (left out when the page is held against the file).
const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css><p id=t class='a z'>x</p>"
                         "<script>for (const r of document.styleSheets[0].cssRules)"
                         " if (r.selectorText === '.a' || r.selectorText === '.z') r.style.setProperty('--rt', '1');</script>";

QStringList liveItems(const QList<StyleDeclarationPtr> &list)
{
    QStringList items;
    for (const StyleDeclarationPtr &d : list) {
        if (!d->isRemoved() && d->type() != RuleType::Comment)
            items.append(d->selector());
    }
    return items;
}

// The rules panel over one sheet, each command's write made at once after
// it, as the batcher would a moment later.
class Sequence : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Alert::setResponder([this](Alert &alert) {
            alerts.append(alert.messageText() + u' ' + alert.informativeText());
            return int(Alert::DefaultReturn);
        });
        live.panel.setWriteReserver([this](const TargetRef &, const TargetRef &, std::function<void()> write) {
            pending = std::move(write);
        });
    }
    void TearDown() override { Alert::setResponder({}); }

    void load(const QByteArray &sheet)
    {
        ASSERT_TRUE(live.load({{QStringLiteral("site.css"), sheet}, {QStringLiteral("index.html"), kPage}}));
        ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
        file = live.file(QStringLiteral("site.css"));
        original = *file->currentContent();
        live.panel.styleDeclarationsOf(file);
    }
    QString text() const { return *file->currentContent(); }
    QList<StyleDeclarationPtr> model() const { return file->styleDeclarations().value_or(QList<StyleDeclarationPtr>()); }

    // The write the command asked for, then the end of its undo step.
    void flush()
    {
        if (const std::function<void()> write = std::exchange(pending, {}))
            write();
        live.undo.loopEnd();
        // A refused step is taken back at the end of the turn.
        TestUtil::spin(0);
    }

    StyleDeclarationPtr item(const QString &selector) const
    {
        for (const StyleDeclarationPtr &d : model()) {
            if (!d->isRemoved() && d->selector() == selector)
                return d;
        }
        return nullptr;
    }

    // The declaration's row, with the rule shown on its own: the first of
    // that name, or the rule's own declaration and not a shorthand's part.
    enum class Written { Anywhere, Itself };
    CSSRulePtr rowOf(const StyleDeclarationPtr &rule, const QString &name, Written written = Written::Anywhere)
    {
        live.panel.updateRulesByStyleDeclaration(rule);
        CSSRulePtr found;
        const std::function<void(const QList<CSSRulePtr> &)> walk = [&](const QList<CSSRulePtr> &rows) {
            for (const CSSRulePtr &row : rows) {
                if (found)
                    return;
                if (row->property() && !row->isRule() && row->property()->property() == name
                    && (row->ownerRule() && row->ownerRule()->styleDeclaration() == rule)
                    && (written == Written::Anywhere || !row->isShortHandChild()))
                    found = row;
                else
                    walk(row->children());
            }
        };
        walk(live.panel.rules());
        return found;
    }

    // The rows of the animation's blocks.
    QList<CSSRulePtr> keyframesRows(const StyleDeclarationPtr &block)
    {
        live.panel.updateRulesByKeyframes(block, nullptr);
        return live.panel.rules();
    }
    CSSRulePtr keyframeRow(const StyleDeclarationPtr &block, const QString &key)
    {
        for (const CSSRulePtr &row : keyframesRows(block)) {
            if (row->styleDeclaration() != block)
                continue;
            for (const CSSRulePtr &keyframe : row->children()) {
                if (CSSOutlineDelegate::normalizedKeyText(keyframe->selectorName()) == key)
                    return keyframe;
            }
        }
        return nullptr;
    }
    static CSSRulePtr keyframeDeclaration(const CSSRulePtr &keyframe, const QString &name)
    {
        for (const CSSRulePtr &row : keyframe ? keyframe->children() : QList<CSSRulePtr>()) {
            if (row->propName() == name)
                return row;
        }
        return nullptr;
    }

    // The page's sheet against the file's text; the script's declaration left out.
    QString pageAgainstFile() { return pageSheetAgainstText(*live.fixture, text(), QStringLiteral("--rt")); }

    // Whether a rule of the page's sheet with that selector sets the property.
    bool pageRuleHas(const QString &selector, const QString &property)
    {
        live.fixture->settle();
        const QString json = QString::fromUtf8(QJsonDocument(QJsonArray{selector, property}).toJson(QJsonDocument::Compact));
        return live.fixture
            ->evaluate(QStringLiteral("(function (selector, property) {"
                                      " var has = function (rules) { return Array.from(rules).some(function (r) {"
                                      "  return (r.selectorText === selector && r.style.getPropertyValue(property) !== '')"
                                      "   || (r.cssRules && has(r.cssRules)); }); };"
                                      " return has(document.styleSheets[0].cssRules); })(%1)")
                           .arg(json.mid(1, json.size() - 2)))
            .toBool();
    }

    // Each name switched off in turn: gone from the text, page and file alike.
    void switchOffEach(const StyleDeclarationPtr &rule, const QStringList &names, Written written)
    {
        for (const QString &name : names) {
            live.panel.commitStyleEnabled(rowOf(rule, name, written), false);
            flush();
            EXPECT_FALSE(text().contains(name + u':')) << text().toStdString();
            EXPECT_EQ(pageAgainstFile(), QString()) << name.toStdString();
        }
    }
    // One switched on again, then Undo of everything back to the bytes.
    void switchOnAndUndoEverything(const StyleDeclarationPtr &rule, const QString &name, Written written)
    {
        live.panel.commitStyleEnabled(rowOf(rule, name, written), true);
        flush();
        EXPECT_EQ(pageAgainstFile(), QString());
        while (live.undo.canUndo())
            live.undo.undo();
        EXPECT_EQ(text(), original);
        EXPECT_EQ(pageAgainstFile(), QString());
    }

    QStringList alerts;
    LivePanel live;
    std::function<void()> pending;
    File *file = nullptr;
    QString original;
};

} // namespace

// --- The random sequence ------------------------------------------------------------------------

namespace {

class RandomSequence : public Sequence
{
protected:
    // The original top-level items by their "{...}" text, in order; an item
    // an edit reached leaves the list.
    struct OriginalItem
    {
        StyleDeclarationPtr declaration;
        QString text;
        bool touched = false;
    };

    void SetUp() override
    {
        Sequence::SetUp();
        const QByteArray seedText = qgetenv("QUILLMARK_SEQUENCE_SEED");
        seed = seedText.isEmpty() ? QRandomGenerator::global()->generate() : seedText.toUInt();
        random.seed(seed);
    }

    int pick(int count) { return count <= 0 ? 0 : int(random.bounded(count)); }
    template<typename T>
    T pickFrom(const QList<T> &list)
    {
        return list.isEmpty() ? T() : list.at(pick(int(list.size())));
    }

    // The items an edit may reach: style rules and rules of blocks, by kind.
    QList<StyleDeclarationPtr> rules()
    {
        QList<StyleDeclarationPtr> found;
        for (const StyleDeclarationPtr &d : model()) {
            if (d->isRemoved() || (d->type() != RuleType::Style && d->type() != RuleType::MediaStyle))
                continue;
            // Not inside @supports: the model cannot write that block's rules anew.
            const StyleDeclarationPtr owner = d->isInBraket() ? file->getMediaOwner(*d) : nullptr;
            if (owner && owner->type() != RuleType::Media)
                continue;
            if (live.panel.domCSSRuleByStyleDeclaration(d))
                found.append(d);
        }
        return found;
    }
    QList<StyleDeclarationPtr> medias()
    {
        QList<StyleDeclarationPtr> found;
        for (const StyleDeclarationPtr &d : model()) {
            if (!d->isRemoved() && d->type() == RuleType::Media && live.panel.domCSSRuleByStyleDeclaration(d))
                found.append(d);
        }
        return found;
    }
    QList<StyleDeclarationPtr> topLevel() const
    {
        QList<StyleDeclarationPtr> found;
        for (const StyleDeclarationPtr &d : model()) {
            if (!d->isRemoved() && !d->isInBraket() && d->type() != RuleType::Comment)
                found.append(d);
        }
        return found;
    }
    static QList<CSSPropertyPtr> declarationsOf(const StyleDeclarationPtr &rule)
    {
        QList<CSSPropertyPtr> found;
        for (const CSSPropertyPtr &p : rule->properties()) {
            if (!p->isRemoved())
                found.append(p);
        }
        return found;
    }

    void touch(StyleDeclarationPtr declaration)
    {
        while (declaration && declaration->isInBraket())
            declaration = file->getMediaOwner(*declaration);
        for (OriginalItem &each : originals) {
            if (each.declaration == declaration
                || (declaration && declaration->type() == RuleType::Keyframes && each.declaration->type() == RuleType::Keyframes))
                each.touched = true;
        }
    }

    QString valueFor(const QString &name)
    {
        if (name == QLatin1String("color"))
            return pickFrom(QStringList{QStringLiteral("green"), QStringLiteral("#123456"), QStringLiteral("rgb(1, 2, 3)")});
        if (name == QLatin1String("top") || name == QLatin1String("left"))
            return QString::number(pick(40)) + QStringLiteral("px");
        // Properties written with prefixed copies, "0" a value the engine refuses.
        if (name == QLatin1String("transition"))
            return pickFrom(QStringList{QStringLiteral("opacity 2s"), QStringLiteral("none"), QStringLiteral("0")});
        if (name == QLatin1String("user-select"))
            return pickFrom(QStringList{QStringLiteral("text"), QStringLiteral("none"), QStringLiteral("0")});
        return pickFrom(QStringList{QStringLiteral("inherit"), QStringLiteral("initial"), QStringLiteral("unset")});
    }

    // One edit through the panel's commands; its description, or empty when
    // there was nothing for it to work on.
    QString edit()
    {
        const int kind = pick(15);
        const QList<StyleDeclarationPtr> rulesNow = rules();
        const StyleDeclarationPtr rule = pickFrom(rulesNow);
        const CSSPropertyPtr property = rule ? pickFrom(declarationsOf(rule)) : nullptr;
        const QString name = property ? property->property() : QString();
        switch (kind) {
        case 0:
        case 1: {
            const CSSRulePtr row = property ? rowOf(rule, name) : nullptr;
            if (!row)
                return {};
            const QString value = valueFor(property->formalName());
            touch(rule);
            live.panel.commitCSSValueChange(row, value, true);
            return QStringLiteral("value %1 { %2: %3 }").arg(rule->selector(), name, value);
        }
        case 2: {
            const CSSRulePtr row = property ? rowOf(rule, name) : nullptr;
            if (!row)
                return {};
            touch(rule);
            if (CSSOutlineDelegate::hasImportantPriority(row->valueName())) {
                live.panel.removeImportant(row);
                return QStringLiteral("remove important %1 { %2 }").arg(rule->selector(), name);
            }
            live.panel.addImportant(row);
            return QStringLiteral("add important %1 { %2 }").arg(rule->selector(), name);
        }
        case 3: {
            const CSSRulePtr row = property ? rowOf(rule, name) : nullptr;
            if (!row)
                return {};
            touch(rule);
            // One step: a declaration switched off leaves page and text, and
            // comes back to both.
            live.panel.commitStyleEnabled(row, false);
            if (isOnlyOfItsName(rule, row->property()) && pageRuleHas(rule->selector(), property->formalName()))
                switchedOffShown = rule->selector() + QStringLiteral(" { ") + name + QStringLiteral(" }");
            live.panel.commitStyleEnabled(rowOf(rule, name) ? rowOf(rule, name) : row, true);
            return QStringLiteral("switch off and on %1 { %2 }").arg(rule->selector(), name);
        }
        case 4: {
            if (!rule)
                return {};
            const QString added = pickFrom(QStringList{QStringLiteral("top"), QStringLiteral("left"), QStringLiteral("color"),
                                                       QStringLiteral("-webkit-user-select"), QStringLiteral("opacity")});
            const QString value = added == QLatin1String("opacity") ? QStringLiteral("0.5")
                                  : added.endsWith(QLatin1String("user-select")) ? QStringLiteral("text")
                                                                                 : valueFor(added);
            touch(rule);
            live.panel.doAddDeclaration(rule, added, value);
            return QStringLiteral("add %1 { %2: %3 }").arg(rule->selector(), added, value);
        }
        case 5: {
            if (!property)
                return {};
            touch(rule);
            live.panel.doRemoveDeclaration(rule, name);
            return QStringLiteral("remove %1 { %2 }").arg(rule->selector(), name);
        }
        case 6: {
            const StyleDeclarationPtr anchor = pick(4) == 0 ? nullptr : pickFrom(topLevel());
            const QString selector = QStringLiteral(".n%1").arg(++created);
            live.panel.createSelector(selector, pick(2) ? QStringLiteral("top: 1px;") : QString(), file, anchor);
            return QStringLiteral("new rule %1 after %2").arg(selector, anchor ? anchor->selector() : QStringLiteral("(start)"));
        }
        case 7: {
            const StyleDeclarationPtr media = pickFrom(medias());
            if (!media)
                return {};
            const QList<StyleDeclarationPtr> children = file->getMediaChildren(*media);
            const StyleDeclarationPtr after = pick(3) == 0 ? nullptr : pickFrom(children);
            const QString selector = QStringLiteral(".m%1").arg(++created);
            touch(media);
            live.panel.createSelectorBodyInMediaAfterAt(selector, QStringLiteral("left: 3px;"), media, after);
            return QStringLiteral("new rule %1 in %2 after %3").arg(selector, media->selector(), after ? after->selector() : QStringLiteral("(start)"));
        }
        case 8: {
            QList<StyleDeclarationPtr> removable = rulesNow + medias();
            const StyleDeclarationPtr gone = pickFrom(removable);
            if (!gone)
                return {};
            touch(gone);
            live.panel.doRemoveSelector(gone);
            return QStringLiteral("remove rule %1").arg(gone->selector());
        }
        case 9: {
            const StyleDeclarationPtr anchor = pickFrom(topLevel());
            const QString selector = QStringLiteral("@media (min-width: %1px)").arg(++created);
            live.panel.createMediaSelector(selector, {{{QStringLiteral("selector"), QStringLiteral(".q%1").arg(created)},
                                                       {QStringLiteral("body"), QStringLiteral("top: 2px;")}}},
                                           file, anchor);
            return QStringLiteral("new %1 after %2").arg(selector, anchor ? anchor->selector() : QStringLiteral("(start)"));
        }
        case 10: {
            const QList<CSSPropertyPtr> properties = rule ? declarationsOf(rule) : QList<CSSPropertyPtr>();
            if (properties.size() < 2)
                return {};
            QList<CSSPropertyPtr> order = properties;
            std::reverse(order.begin(), order.end());
            touch(rule);
            live.panel.resort(rule, order, rule->properties());
            return QStringLiteral("reverse %1").arg(rule->selector());
        }
        case 11:
        case 12: {
            const StyleDeclarationPtr block = item(QStringLiteral("@-webkit-keyframes spin"));
            if (!block)
                return {};
            const QString key = pick(2) ? QStringLiteral("0%") : QStringLiteral("100%");
            const CSSRulePtr keyframe = keyframeRow(block, key);
            const int what = pick(4);
            touch(block);
            if (what == 0) {
                const CSSRulePtr row = keyframeDeclaration(keyframe, QStringLiteral("transform"));
                if (!row)
                    return {};
                const QString value = QStringLiteral("rotate(%1deg)").arg(pick(360));
                live.panel.commitKeyframeStyleChange(row, value);
                return QStringLiteral("keyframe %1 transform: %2").arg(key, value);
            }
            if (what == 1) {
                const CSSRulePtr row = keyframeDeclaration(keyframe, QStringLiteral("transform"));
                if (!row)
                    return {};
                live.panel.doRemoveKeyframeStyle(row);
                return QStringLiteral("keyframe %1 remove transform").arg(key);
            }
            if (what == 2) {
                if (!keyframe || keyframeDeclaration(keyframe, QStringLiteral("opacity")))
                    return {};
                live.panel.doAddKeyframeStyle(keyframe, QStringLiteral("opacity"), QStringLiteral("0.3"));
                return QStringLiteral("keyframe %1 add opacity").arg(key);
            }
            if (keyframeRow(block, QStringLiteral("50%"))) {
                live.panel.doRemoveKeyframe(block, QStringLiteral("50%"));
                return QStringLiteral("remove keyframe 50%");
            }
            live.panel.doAddKeyframeTo(block, CSSOutlineDelegate::createNewKeyframe(QStringLiteral("50%")), QStringLiteral("opacity: 0.5;"));
            return QStringLiteral("add keyframe 50%");
        }
        case 13:
            if (!live.undo.canUndo())
                return {};
            live.undo.undo();
            return QStringLiteral("undo");
        default:
            if (pick(2) && live.undo.canRedo()) {
                live.undo.redo();
                return QStringLiteral("redo");
            }
            live.panel.saveDocument();
            return QStringLiteral("save");
        }
    }

    static bool isOnlyOfItsName(const StyleDeclarationPtr &rule, const CSSPropertyPtr &property)
    {
        for (const CSSPropertyPtr &other : declarationsOf(rule)) {
            if (other != property && other->isEnabled() && other->formalName() == property->formalName())
                return false;
        }
        return true;
    }

    // What is wrong after a step; empty when nothing is.
    QString check()
    {
        if (!switchedOffShown.isEmpty())
            return QStringLiteral("the page kept a declaration switched off: ") + std::exchange(switchedOffShown, {});
        if (const QString differs = pageAgainstFile(); !differs.isEmpty())
            return QStringLiteral("the page and the file differ\n") + differs;
        if (!model().contains(anchorItem))
            return QStringLiteral("the rules were read again from the text");
        if (text().contains(QLatin1String("--rt")))
            return QStringLiteral("the script's declaration reached the file");
        // The model as the text has it, as an undo would line them up.
        StyleSheetWriter writer(StyleSheetWriterSettings::fromConfig(ProjectUtil::getProjectConfig(live.fixture->folder())));
        writer.setTempKeyframeDeclarations(file->keyframesDeclarations());
        if (const StyleSheetWriter::Result lined = writer.lineUp(text(), model()); !lined.ok)
            return QStringLiteral("the model and the text differ: ") + lined.error;
        // A step the text cannot take is refused whole (and checked like
        // any other below); any other alert is a fault.
        for (const QString &alert : std::as_const(alerts)) {
            if (!alert.contains(QLatin1String("The change is undone")))
                return QStringLiteral("alert: ") + alert;
            ++refused;
        }
        alerts.clear();
        if (refused > 20)
            return QStringLiteral("more than 20 steps were refused");
        // Any undo may have put back an edited item: only the untouched are held to their bytes.
        qsizetype at = 0;
        for (const OriginalItem &each : std::as_const(originals)) {
            if (each.touched)
                continue;
            const qsizetype found = text().indexOf(each.text, at);
            if (found < 0)
                return QStringLiteral("an item no edit reached changed: ") + each.text;
            at = found + each.text.size();
        }
        return {};
    }

    quint32 seed = 0;
    QRandomGenerator random;
    QList<OriginalItem> originals;
    StyleDeclarationPtr anchorItem;
    int created = 0;
    int refused = 0;
    QString switchedOffShown;
};

} // namespace

TEST_F(RandomSequence, TwoHundredEditsKeepPageModelAndFileInStepAndUndoingAllGivesBackTheBytes)
{
    load(kSheet);
    for (const StyleDeclarationPtr &d : model()) {
        if (!d->isInBraket() && d->type() != RuleType::Comment && d->hasBody())
            originals.append({d, original.mid(d->range().location, d->range().length)});
    }
    anchorItem = item(QStringLiteral(".z"));
    ASSERT_TRUE(anchorItem);
    const int rulesBefore = live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules.length")).toInt();
    ASSERT_EQ(pageAgainstFile(), QString());
    // The script is at work.
    ASSERT_EQ(live.fixture->evaluate(QStringLiteral("getComputedStyle(document.getElementById('t')).getPropertyValue('--rt')")).toString(),
              QStringLiteral("1"));

    QStringList steps;
    const auto report = [&](const QString &what) {
        QString items;
        for (const StyleDeclarationPtr &d : model())
            items += QStringLiteral("%1%2%3\n").arg(d->isInBraket() ? QStringLiteral("  ") : QString(),
                                                     d->isRemoved() ? QStringLiteral("(removed) ") : QString(), d->selector());
        return QStringLiteral("seed %1 (QUILLMARK_SEQUENCE_SEED=%1 repeats it)\n%2\n%3\n--- text:\n%4\n--- model:\n%5")
            .arg(seed)
            .arg(steps.join(u'\n'), what, text(), items)
            .toStdString();
    };
    for (int done = 0; done < 200;) {
        const QString step = edit();
        if (step.isEmpty())
            continue;
        ++done;
        steps.append(QString::number(done) + QStringLiteral(". ") + step);
        flush();
        if (const QString wrong = check(); !wrong.isEmpty())
            FAIL() << report(wrong);
    }
    while (live.undo.canUndo()) {
        live.undo.undo();
        flush();
    }
    live.panel.saveDocument();
    flush();
    EXPECT_EQ(text(), original) << report(QStringLiteral("after undoing everything"));
    EXPECT_EQ(live.disk(QStringLiteral("site.css")).toUtf8(), kSheet) << report(QStringLiteral("on disk after undoing everything"));
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules.length")).toInt(), rulesBefore);
    EXPECT_EQ(pageAgainstFile(), QString()) << report(QStringLiteral("after undoing everything"));
    EXPECT_EQ(liveItems(model()), liveItems(StyleSheetParser::parseStyleSheet(original, nullptr, {})));
}

// --- Faults found by the sequences --------------------------------------------------------------

namespace {

const QByteArray kNested = "@media screen {\n    .a { color: red; }\n    @media (orientation: landscape) {\n        .b { top: 1px; }\n    }\n}\n"
                           ".z { color: blue; }\n";

} // namespace

TEST_F(Sequence, RulesAddedAtTheStartGoWithUndoFromPageModelAndFile)
{
    load(kSheet);
    const int rulesBefore = live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules.length")).toInt();
    ASSERT_TRUE(live.panel.createSelector(QStringLiteral(".fz-15"), QString(), file, nullptr));
    flush();
    ASSERT_TRUE(live.panel.createSelector(QStringLiteral(".fz-10"), QStringLiteral("color:unset"), file, item(QStringLiteral(".fz-15"))));
    flush();
    live.panel.commitCSSValueChange(rowOf(item(QStringLiteral(".z")), QStringLiteral("color")), QStringLiteral("green"), true);
    flush();
    EXPECT_EQ(pageAgainstFile(), QString());
    live.undo.undo();
    live.undo.redo();
    live.panel.saveDocument();
    flush();
    while (live.undo.canUndo())
        live.undo.undo();
    live.panel.saveDocument();
    flush();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(live.disk(QStringLiteral("site.css")).toUtf8(), kSheet);
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules.length")).toInt(), rulesBefore);
    EXPECT_FALSE(item(QStringLiteral(".fz-15")));
    EXPECT_FALSE(item(QStringLiteral(".fz-10")));
    EXPECT_TRUE(alerts.isEmpty()) << alerts.join(u'|').toStdString();
}

TEST_F(Sequence, UndoRedoUndoOfAValueKeepsTheRulesAndUndoingAllRestoresTheBytes)
{
    load(kSheet);
    const QList<StyleDeclarationPtr> items = model();
    live.panel.commitCSSValueChange(rowOf(item(QStringLiteral(".z")), QStringLiteral("color")), QStringLiteral("green"), true);
    flush();
    live.undo.undo();
    live.undo.redo();
    live.undo.undo();
    EXPECT_EQ(text(), original);
    // The same items, not a new reading of the text.
    EXPECT_EQ(model(), items);
    live.undo.redo();
    live.panel.doRemoveDeclaration(item(QStringLiteral(".z")), QStringLiteral("top"));
    flush();
    EXPECT_EQ(pageAgainstFile(), QString());
    while (live.undo.canUndo())
        live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(model(), items);
    EXPECT_EQ(pageAgainstFile(), QString());
}

TEST_F(Sequence, ASaveIsNoUndoStep)
{
    load(kSheet);
    live.panel.commitCSSValueChange(rowOf(item(QStringLiteral(".z")), QStringLiteral("color")), QStringLiteral("green"), true);
    flush();
    live.panel.doAddDeclaration(item(QStringLiteral(".a")), QStringLiteral("top"), QStringLiteral("1px"));
    flush();
    live.panel.saveDocument();
    flush();
    live.panel.saveDocument();
    flush();
    live.undo.undo();
    live.undo.undo();
    EXPECT_FALSE(live.undo.canUndo());
    EXPECT_EQ(text(), original);
    live.panel.saveDocument();
    flush();
    EXPECT_EQ(live.disk(QStringLiteral("site.css")).toUtf8(), kSheet);
}

TEST_F(Sequence, ADeclarationGoesWithItsPrefixedCopiesFromPageAndFile)
{
    load(kSheet);
    live.panel.doRemoveDeclaration(item(QStringLiteral(".a")), QStringLiteral("user-select"));
    flush();
    EXPECT_FALSE(text().contains(QLatin1String("user-select")));
    EXPECT_EQ(pageAgainstFile(), QString());
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(pageAgainstFile(), QString());

    const StyleDeclarationPtr block = item(QStringLiteral("@-webkit-keyframes spin"));
    live.panel.doRemoveKeyframeStyle(keyframeDeclaration(keyframeRow(block, QStringLiteral("0%")), QStringLiteral("transform")));
    flush();
    EXPECT_FALSE(text().contains(QLatin1String("rotate(0deg)"))) << text().toStdString();
    EXPECT_EQ(pageAgainstFile(), QString());
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(pageAgainstFile(), QString());
}

TEST_F(Sequence, AKeyframeValueReachesThePrefixedCopiesInTheFile)
{
    load(kSheet);
    const StyleDeclarationPtr block = item(QStringLiteral("@-webkit-keyframes spin"));
    for (const QString &value : {QStringLiteral("rotate(37deg)"), QStringLiteral("rotate(38deg)")}) {
        live.panel.commitKeyframeStyleChange(keyframeDeclaration(keyframeRow(block, QStringLiteral("100%")), QStringLiteral("transform")), value);
        flush();
        // Both blocks, each declaration with its "-webkit-" copy.
        EXPECT_EQ(text().count(value), 4) << text().toStdString();
        EXPECT_EQ(text().count(QLatin1String("100%")), 2);
        EXPECT_EQ(pageAgainstFile(), QString());
    }
    live.undo.undo();
    live.undo.undo();
    EXPECT_EQ(text(), original);
}

TEST_F(Sequence, AMediaBlockHoldingAnotherWithAShorthandIsShown)
{
    load(kSheet);
    const StyleDeclarationPtr media = item(QStringLiteral("@media screen"));
    ASSERT_TRUE(media);
    live.panel.doRemoveSelector(item(QStringLiteral(".b")));
    flush();
    live.panel.updateRulesByStyleDeclaration(media);
    ASSERT_FALSE(live.panel.rules().isEmpty());
    live.undo.undo();
    EXPECT_EQ(text(), original);
}

TEST_F(Sequence, RulesGoIntoAMediaBlockHoldingAnotherWhereThePanelPutsThem)
{
    load(kNested);
    const StyleDeclarationPtr media = item(QStringLiteral("@media screen"));
    const StyleDeclarationPtr nested = item(QStringLiteral("@media (orientation: landscape)"));
    ASSERT_TRUE(media && nested);
    // First in the block, after the block nested in it, first in that one.
    ASSERT_TRUE(live.panel.createSelectorBodyInMediaAfterAt(QStringLiteral(".first"), QStringLiteral("top: 2px;"), media, nullptr));
    flush();
    ASSERT_TRUE(live.panel.createSelectorBodyInMediaAfterAt(QStringLiteral(".last"), QStringLiteral("top: 3px;"), media, nested));
    flush();
    ASSERT_TRUE(live.panel.createSelectorBodyInMediaAfterAt(QStringLiteral(".inner"), QStringLiteral("top: 4px;"), nested, nullptr));
    flush();
    EXPECT_TRUE(alerts.isEmpty()) << alerts.join(u'|').toStdString();
    // Each laid out like the rules beside it, at their indentation.
    EXPECT_EQ(text(), QStringLiteral("@media screen {\n    .first { top: 2px; }\n    .a { color: red; }\n"
                                     "    @media (orientation: landscape) {\n        .inner { top: 4px; }\n"
                                     "        .b { top: 1px; }\n    }\n    .last {\n        top: 3px;\n    }\n}\n.z { color: blue; }\n"));
    EXPECT_EQ(pageAgainstFile(), QString());
    // Later writes of the sheet go through.
    live.panel.commitCSSValueChange(rowOf(item(QStringLiteral(".z")), QStringLiteral("color")), QStringLiteral("green"), true);
    flush();
    EXPECT_TRUE(text().contains(QLatin1String(".z { color: green; }")));
    EXPECT_TRUE(alerts.isEmpty()) << alerts.join(u'|').toStdString();
    while (live.undo.canUndo())
        live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(pageAgainstFile(), QString());
}

// The check box switched a declaration off in the page alone: Save wrote
// nothing, and a reload showed it again while the panel showed it off (#77).
TEST_F(Sequence, ADeclarationSwitchedOffLeavesPageFileAndPanelAlikeAfterASaveAndAReload)
{
    load(kSheet);
    const StyleDeclarationPtr rule = item(QStringLiteral(".z"));
    live.panel.commitStyleEnabled(rowOf(rule, QStringLiteral("color")), false);
    flush();
    const QString off = QString(original).replace(QStringLiteral(".z { color: blue; /* inside */"), QStringLiteral(".z { /* inside */"));
    EXPECT_EQ(text(), off);
    EXPECT_TRUE(file->isModified());
    EXPECT_EQ(pageAgainstFile(), QString());
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Change Style Enabled"));
    live.panel.saveDocument();
    flush();
    EXPECT_EQ(live.disk(QStringLiteral("site.css")), off);

    // A reload keeps the rules: the panel shows the declaration off, the page leaves it out as the file does.
    EXPECT_TRUE(live.panel.keepsRulesOf(file));
    ASSERT_TRUE(live.fixture->loadPage(QStringLiteral("index.html")));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    ASSERT_TRUE(rowOf(rule, QStringLiteral("color")));
    EXPECT_FALSE(rowOf(rule, QStringLiteral("color"))->property()->isEnabled());
    EXPECT_FALSE(pageRuleHas(QStringLiteral(".z"), QStringLiteral("color")));
    EXPECT_EQ(pageAgainstFile(), QString());

    // Another value of the rule leaves it out; switched on, it is back in the page and the file.
    live.panel.commitCSSValueChange(rowOf(rule, QStringLiteral("top")), QStringLiteral("1px"), true);
    flush();
    EXPECT_EQ(text(), QString(off).replace(QStringLiteral("top: 0 }"), QStringLiteral("top: 1px }")));
    live.panel.commitStyleEnabled(rowOf(rule, QStringLiteral("color")), true);
    flush();
    EXPECT_EQ(text().count(QStringLiteral("color: blue;")), 1) << text().toStdString();
    EXPECT_TRUE(pageRuleHas(QStringLiteral(".z"), QStringLiteral("color")));
    EXPECT_EQ(pageAgainstFile(), QString());
    live.undo.undo();
    live.undo.undo();
    EXPECT_EQ(text(), off);

    // A longhand's box: the shorthand takes what the page is given, in the file too.
    const StyleDeclarationPtr padded = item(QStringLiteral(".e\\:x, .f::before"));
    const CSSRulePtr top = rowOf(padded, QStringLiteral("padding-top"));
    ASSERT_TRUE(top && top->isShortHandChild());
    top->property()->setEnabled(false);
    top->setShouldIncludInRule(false);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("enabledStyle"), nullptr,
                                                             {{QStringLiteral("rule"), QVariant::fromValue(top)}});
    flush();
    EXPECT_TRUE(text().contains(QStringLiteral("padding: 2px 1px 2px; }"))) << text().toStdString();
    EXPECT_EQ(pageAgainstFile(), QString());
    live.undo.undo();
    EXPECT_EQ(text(), off);
    EXPECT_TRUE(alerts.isEmpty()) << alerts.join(u'|').toStdString();
}

// A custom property switched off, and on again, leaves the page as the file
// says; its rule goes to the page again, one given no value included (the
// element's values asked of the engine ahead).
TEST_F(Sequence, ACustomPropertySwitchedOffLeavesPageAndFileAlike)
{
    load("#t { --gap: 1px; --none: ; --tone: red; color: var(--tone); }\n" + kSheet);
    const StyleDeclarationPtr rule = item(QStringLiteral("#t"));
    switchOffEach(rule, {QStringLiteral("--gap"), QStringLiteral("--tone")}, Written::Anywhere);
    switchOnAndUndoEverything(rule, QStringLiteral("--gap"), Written::Anywhere);
}

// A longhand switched off where a shorthand before it sets it too: the
// page takes the shorthand's part, as the file then says.
TEST_F(Sequence, ALonghandSwitchedOffLeavesItsShorthandsPartInThePage)
{
    load(".m { margin: 1px 2px; margin-top: 5px; background: no-repeat; background-attachment: fixed; top: 0 }\n" + kSheet);
    const StyleDeclarationPtr rule = item(QStringLiteral(".m"));
    switchOffEach(rule, {QStringLiteral("margin-top"), QStringLiteral("background-attachment")}, Written::Itself);
    EXPECT_TRUE(pageRuleHas(QStringLiteral(".m"), QStringLiteral("margin-top")));
    switchOnAndUndoEverything(rule, QStringLiteral("margin-top"), Written::Itself);
}

TEST_F(Sequence, AnImportantWrittenWithABlankReachesThePage)
{
    load(kSheet);
    live.panel.commitCSSValueChange(rowOf(item(QStringLiteral(".z")), QStringLiteral("color")), QStringLiteral("green ! important"), true);
    flush();
    live.fixture->settle();
    const QString rule = QStringLiteral("document.styleSheets[0].cssRules[document.styleSheets[0].cssRules.length - 1].style");
    EXPECT_EQ(live.fixture->evaluate(rule + QStringLiteral(".getPropertyValue('color')")).toString(), QStringLiteral("green"));
    EXPECT_EQ(live.fixture->evaluate(rule + QStringLiteral(".getPropertyPriority('color')")).toString(), QStringLiteral("important"));
    EXPECT_EQ(pageAgainstFile(), QString());
    EXPECT_TRUE(CSSOutlineDelegate::hasImportantPriority(QStringLiteral("red !IMPORTANT")));
    EXPECT_FALSE(CSSOutlineDelegate::hasImportantPriority(QStringLiteral("url(a!important.png)")));
    EXPECT_EQ(CSSOutlineDelegate::noPriorityValueName(QStringLiteral("red ! important")), QStringLiteral("red"));
    EXPECT_EQ(CSSOutlineDelegate::noPriorityValueName(QStringLiteral("url(a!important.png)")), QStringLiteral("url(a!important.png)"));
}

TEST_F(Sequence, ARuleCreatedWithoutWritingEditsStillGoesIntoTheText)
{
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kNested}, {QStringLiteral("index.html"), kPage}}, QStringLiteral("index.html"),
                          {{ProjectUtil::kOverrideCSS, false}}));
    file = live.file(QStringLiteral("site.css"));
    original = *file->currentContent();
    live.panel.styleDeclarationsOf(file);
    live.panel.commitCSSValueChange(rowOf(item(QStringLiteral(".z")), QStringLiteral("color")), QStringLiteral("green"), true);
    flush();
    EXPECT_EQ(text(), original);
    ASSERT_TRUE(live.panel.createSelector(QStringLiteral(".new"), QStringLiteral("top: 1px;"), file, item(QStringLiteral(".z"))));
    ASSERT_TRUE(live.panel.createMediaSelector(QStringLiteral("@media print"), {}, file, nullptr));
    flush();
    EXPECT_TRUE(text().contains(QLatin1String(".new {"))) << text().toStdString();
    EXPECT_TRUE(text().contains(QLatin1String("@media print")));
    // The edit of the value stays out of the text.
    EXPECT_TRUE(text().contains(QLatin1String(".z { color: blue; }")));
    live.undo.undo();
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_TRUE(alerts.isEmpty()) << alerts.join(u'|').toStdString();
}

TEST_F(Sequence, APrefixedPairSwitchedOffOrGivenARefusedValueLeavesThePageAsTheFileSays)
{
    load(kSheet);
    const StyleDeclarationPtr rule = item(QStringLiteral(".a"));
    for (const QString &name : {QStringLiteral("transition"), QStringLiteral("user-select")}) {
        live.panel.commitCSSValueChange(rowOf(rule, name), QStringLiteral("0"), true);
        flush();
        EXPECT_EQ(pageAgainstFile(), QString()) << name.toStdString();
        live.panel.commitStyleEnabled(rowOf(rule, name), false);
        flush();
        EXPECT_FALSE(pageRuleHas(QStringLiteral(".a"), name)) << name.toStdString();
    }
}

} // namespace SequenceLiveTest
