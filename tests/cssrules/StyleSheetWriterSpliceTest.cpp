#include "WriterTestUtil.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/StyleSheetSource.h"
#include "cssrules/StyleSheetWriter.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "foundation/Invocation.h"
#include "workspace/ProjectUtil.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace StyleSheetWriterSpliceTest {

using namespace WriterTestUtil;

// Rules at the start and the end of the text with nothing around them, a
// comment, and rules in a media block.
const char *const kSheet = ".first{color:red}\n"
                           "/* note */\n"
                           ".a {\n"
                           "  color: red;\n"
                           "  margin: 0;\n"
                           "}\n"
                           "\n"
                           "@media (min-width: 1px) {\n"
                           "  .m { top: 0; }\n"
                           "  .n {\n"
                           "    left: 0;\n"
                           "  }\n"
                           "}\n"
                           ".last { right: 0 }";

QString withLineEnds(const QString &text, const QString &lineEnd)
{
    return QString(text).replace(QStringLiteral("\n"), lineEnd);
}

// Every item the text holds stands where a fresh read of the text puts it,
// on the line its selector begins on.
void expectModelPointsInto(const QString &text, const QList<StyleDeclarationPtr> &model)
{
    const QList<StyleDeclarationPtr> fresh = StyleSheetParser::parseStyleSheet(text, nullptr, VendarPrefixSettings());
    const auto read = StyleSheetSource::read(text, fresh);
    QList<StyleDeclarationPtr> written;
    for (const StyleDeclarationPtr &item : model) {
        if (!item->isRemoved())
            written.append(item);
    }
    ASSERT_EQ(written.size(), read->items().size());
    for (qsizetype i = 0; i < written.size(); ++i) {
        const StyleSheetSource::ItemText &item = read->items().at(i);
        EXPECT_EQ(written.at(i)->range(), item.range) << item.selector.toStdString();
        EXPECT_EQ(written.at(i)->lineNumber(), item.line) << item.selector.toStdString();
    }
}

// The one place two texts differ: what stands there in each.
std::pair<QString, QString> changedPart(const QString &before, const QString &after)
{
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before.at(prefix) == after.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix
           && before.at(before.size() - 1 - suffix) == after.at(after.size() - 1 - suffix))
        ++suffix;
    return {before.mid(prefix, before.size() - prefix - suffix), after.mid(prefix, after.size() - prefix - suffix)};
}

class SplicedEdits : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override
    {
        text = withLineEnds(QString::fromLatin1(kSheet), QString::fromLatin1(GetParam()));
        model.read(text, each);
        source = StyleSheetSource::read(text, model.list);
    }
    // Writes the model with the source of the last write, and takes the result as the new text.
    void write()
    {
        const StyleSheetWriter::Result result = StyleSheetWriter(each).write(model.list, source.get());
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        previous = text;
        text = result.text;
        source = result.source;
        for (const StyleDeclarationPtr &item : model.list)
            item->setModified(false);
        expectModelPointsInto(text, model.list);
    }
    void setValue(const QString &selector, const QString &name, const QString &value)
    {
        model.property(selector, name)->setValue(value);
        model.withSelector(selector)->setModified(true);
        write();
    }
    void expectChanged(const QString &was, const QString &now)
    {
        EXPECT_EQ(changedPart(previous, text), std::make_pair(was, now)) << text.toStdString();
    }

    StyleSheetWriterSettings each = settings(false, {}, {});
    SheetModel model;
    std::shared_ptr<StyleSheetSource> source;
    QString text;
    QString previous;
};

TEST_P(SplicedEdits, EachEditChangesOnlyItsTextAndTheModelPointsIntoTheNewText)
{
    const QString lineEnd = QString::fromLatin1(GetParam());
    // At the start of the text, the value against the closing brace.
    setValue(QStringLiteral(".first"), QStringLiteral("color"), QStringLiteral("blue"));
    expectChanged(QStringLiteral("red"), QStringLiteral("blue"));
    // Inside the media block.
    setValue(QStringLiteral(".m"), QStringLiteral("top"), QStringLiteral("12px"));
    expectChanged(QStringLiteral("0"), QStringLiteral("12px"));
    // At the end of the text, with no line break after it.
    setValue(QStringLiteral(".last"), QStringLiteral("right"), QStringLiteral("3em"));
    expectChanged(QStringLiteral("0"), QStringLiteral("3em"));
    EXPECT_TRUE(text.endsWith(QStringLiteral(".last { right: 3em }")));

    // A declaration added and one removed: the lines after them move.
    const StyleDeclarationPtr n = model.withSelector(QStringLiteral(".n"));
    n->properties().append(declared(QStringLiteral("bottom"), QStringLiteral("2px")));
    n->setModified(true);
    write();
    EXPECT_TRUE(changedPart(previous, text).first.isEmpty()) << text.toStdString();
    EXPECT_TRUE(changedPart(previous, text).second.contains(QStringLiteral("bottom: 2px;")));
    model.property(QStringLiteral(".a"), QStringLiteral("color"))->setRemoved(true);
    model.withSelector(QStringLiteral(".a"))->setModified(true);
    write();
    EXPECT_EQ(changedPart(previous, text).second, QString());
    EXPECT_TRUE(changedPart(previous, text).first.contains(QStringLiteral("color: red;")));
    EXPECT_FALSE(text.contains(QStringLiteral("color: red;")));

    // A selector, at the start of the text.
    model.withSelector(QStringLiteral(".first"))->setSelector(QStringLiteral(".zero"));
    model.withSelector(QStringLiteral(".zero"))->setModified(true);
    write();
    expectChanged(QStringLiteral("first"), QStringLiteral("zero"));

    // Later edits still land in their places.
    setValue(QStringLiteral(".n"), QStringLiteral("left"), QStringLiteral("5px"));
    expectChanged(QStringLiteral("0"), QStringLiteral("5px"));
    setValue(QStringLiteral(".a"), QStringLiteral("margin"), QStringLiteral("0 auto"));
    expectChanged(QString(), QStringLiteral(" auto"));
    EXPECT_TRUE(text.contains(QStringLiteral("  margin: 0 auto;") + lineEnd));
}

TEST_P(SplicedEdits, AValueThatWouldCloseItsBlockIsNotWrittenAndLaterEditsAre)
{
    const StyleDeclarationPtr last = model.withSelector(QStringLiteral(".last"));
    const Range before = last->range();
    model.property(QStringLiteral(".m"), QStringLiteral("top"))->setValue(QStringLiteral("0 } .x { top: 1px"));
    model.withSelector(QStringLiteral(".m"))->setModified(true);
    EXPECT_FALSE(StyleSheetWriter(each).write(model.list, source.get()).ok);
    EXPECT_EQ(last->range(), before);
    model.property(QStringLiteral(".m"), QStringLiteral("top"))->setValue(QStringLiteral("0 /* open"));
    EXPECT_FALSE(StyleSheetWriter(each).write(model.list, source.get()).ok);
    EXPECT_EQ(last->range(), before);

    setValue(QStringLiteral(".m"), QStringLiteral("top"), QStringLiteral("4px"));
    expectChanged(QStringLiteral("0"), QStringLiteral("4px"));
}

INSTANTIATE_TEST_SUITE_P(LineEnds, SplicedEdits, ::testing::Values("\n", "\r\n"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return std::string(info.param[0] == '\r' ? "CRLF" : "LF");
                         });

// A sheet long enough that its items fill several shared runs of a source.
// Selectors over several lines, a "{" on a line of its own, comments and
// blank lines before selectors, and a media block: the line number of every
// rule is that of its selector's first character, when read and after edits
// that move the text or leave it in place (#86).
TEST(SplicedEditLines, ARulesLineIsThatOfItsSelectorsFirstCharacterThroughEdits)
{
    QString text = QStringLiteral(".top {\n"
                                  "  color: red;\n"
                                  "}\n"
                                  "/* headings */\n"
                                  "\n"
                                  ".light h1,\n"
                                  ".light h2,\n"
                                  ".light h3\n"
                                  "{\n"
                                  "  color: #fff;\n"
                                  "}\n"
                                  "@media (min-width: 1px)\n"
                                  "{\n"
                                  "  /* inside */\n"
                                  "  .m,\n"
                                  "  .n\n"
                                  "  { top: 0; }\n"
                                  "}\n"
                                  ".last\n"
                                  "{ left: 0; }\n");
    const StyleSheetWriterSettings each = settings(false, {}, {});
    SheetModel model;
    model.read(text, each);
    std::shared_ptr<StyleSheetSource> source = StyleSheetSource::read(text, model.list);
    const auto lineOf = [&text](const QString &start) { return text.left(text.indexOf(start)).count(u'\n') + 1; };
    const auto expectLines = [&](const char *step) {
        for (const auto &[selector, start] : {std::pair{".top", ".top"}, {".light h1, .light h2, .light h3", ".light h1,"},
                                             {"@media (min-width: 1px)", "@media"}, {".m, .n", ".m,"}, {".last", ".last"}}) {
            const StyleDeclarationPtr item = model.withSelector(QString::fromLatin1(selector));
            ASSERT_TRUE(item) << selector;
            EXPECT_EQ(item->lineNumber(), lineOf(QString::fromLatin1(start))) << step << ": " << selector;
        }
        // A fresh read of the text says the same.
        const QList<StyleDeclarationPtr> fresh = StyleSheetParser::parseStyleSheet(text, nullptr, each.prefixes);
        for (const StyleDeclarationPtr &item : fresh) {
            if (item->type() != RuleType::Comment) {
                EXPECT_EQ(model.withSelector(item->selector())->lineNumber(), item->lineNumber()) << step << ": " << item->selector().toStdString();
            }
        }
    };
    const auto write = [&](const QString &selector, const QString &name, const QString &value) {
        model.property(selector, name)->setValue(value);
        model.withSelector(selector)->setModified(true);
        const StyleSheetWriter::Result result = StyleSheetWriter(each).write(model.list, source.get());
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        text = result.text;
        source = result.source;
        for (const StyleDeclarationPtr &item : model.list)
            item->setModified(false);
    };
    expectLines("as read");
    write(QStringLiteral(".top"), QStringLiteral("color"), QStringLiteral("blue"));
    expectLines("after an edit that moves no line");
    write(QStringLiteral(".m, .n"), QStringLiteral("top"), QStringLiteral("4px"));
    expectLines("after an edit inside the media block");
    const qsizetype lastLine = lineOf(QStringLiteral(".last"));
    model.withSelector(QStringLiteral(".top"))->properties().append(declared(QStringLiteral("margin"), QStringLiteral("0")));
    write(QStringLiteral(".top"), QStringLiteral("color"), QStringLiteral("green"));
    ASSERT_EQ(lineOf(QStringLiteral(".last")), lastLine + 1) << text.toStdString();
    expectLines("after an edit that adds a line before every rule");
}

TEST(SplicedEditsOfALongSheet, ASourceKeepsItsItemsWhileTheNextOneMovesThem)
{
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral(".r%1 {\n  top: 0;\n}\n").arg(i);
    const StyleSheetWriterSettings each = settings(false, {}, {});
    SheetModel model;
    model.read(text, each);
    const std::shared_ptr<StyleSheetSource> first = StyleSheetSource::read(text, model.list);
    std::shared_ptr<StyleSheetSource> source = first;
    // Longer, then as long, then one line more: each write starts from the last one's source.
    const QStringList values{QStringLiteral("12px"), QStringLiteral("13px"), QStringLiteral("1px;\n  left: 2px")};
    for (const QString &value : values) {
        model.property(QStringLiteral(".r150"), QStringLiteral("top"))->setValue(value);
        model.withSelector(QStringLiteral(".r150"))->setModified(true);
        if (value.contains(u'\n')) {
            // A value with a line break in it is refused: it would be two declarations.
            EXPECT_FALSE(StyleSheetWriter(each).write(model.list, source.get()).ok);
            model.property(QStringLiteral(".r150"), QStringLiteral("top"))->setValue(QStringLiteral("14px"));
        }
        const StyleSheetWriter::Result result = StyleSheetWriter(each).write(model.list, source.get());
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        for (const StyleDeclarationPtr &item : model.list)
            item->setModified(false);
        expectModelPointsInto(result.text, model.list);
        source = result.source;
    }
    // The first source still describes the text it was read from.
    const auto fresh = StyleSheetSource::read(text, StyleSheetParser::parseStyleSheet(text, nullptr, VendarPrefixSettings()));
    ASSERT_EQ(first->items().size(), fresh->items().size());
    for (qsizetype i = 0; i < first->items().size(); ++i) {
        EXPECT_EQ(first->items().at(i).range, fresh->items().at(i).range) << i;
        EXPECT_EQ(first->items().at(i).line, fresh->items().at(i).line) << i;
    }
    EXPECT_EQ(first->itemText(model.withSelector(QStringLiteral(".r150")).get())->properties.constFirst().value,
              QStringLiteral("0"));
    EXPECT_EQ(source->lineBreaks(), source->text().count(u'\n'));
}

// The rules panel's write step and its undo, without a page.
class PanelWriteBack : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        QFile css(folder.filePath(QStringLiteral("site.css")));
        ASSERT_TRUE(css.open(QIODevice::WriteOnly));
        original = sheetText();
        css.write(original.toUtf8());
        css.close();
        QVariantMap config = ProjectUtil::getProjectConfig(folder.path());
        config.insert(QStringLiteral("overrideCSS"), editsGoIntoTheText());
        ProjectUtil::saveProjectConfig(config, folder.path());
        ProjectUtil::setCurrentProjectPath(folder.path());
        root = std::make_unique<File>(folder.path(), true, nullptr);
        for (File *child : root->children()) {
            if (child->displayName() == QLatin1String("site.css"))
                sheet = child;
        }
        ASSERT_TRUE(sheet);
        File::setUndoManagerProvider([this] { return &undo; });
        panel.setWriteReserver([this](const TargetRef &target, const TargetRef &file, std::function<void()> write) {
            batcher.addOperation(Invocation::invocationWithSelector(target, QByteArrayLiteral("lazyWrite:"), {file}, std::move(write)),
                                 true, [this] { undo.reserveCloseGroupingAtEndOfRunLoop(); });
        });
        panel.awakeFromNib();
        panel.setStyleFiles({sheet});
    }
    void TearDown() override
    {
        File::setUndoManagerProvider({});
        ProjectUtil::resetForTesting();
    }
    virtual QString sheetText() const { return withLineEnds(QString::fromLatin1(kSheet), QStringLiteral("\r\n")); }
    virtual bool editsGoIntoTheText() const { return true; }
    // One edit of the model, written as the panel writes it, one undo step.
    void edit(const QString &selector, const std::function<void(const StyleDeclarationPtr &)> &change)
    {
        for (const StyleDeclarationPtr &item : panel.styleDeclarationsOf(sheet)) {
            if (item->selector() == selector) {
                undo.beginUndoGrouping();
                change(item);
                item->setModified(true);
                panel.applyContentToFile(sheet);
                batcher.execute();
                undo.endUndoGrouping();
                undo.loopEnd();
                return;
            }
        }
        FAIL() << selector.toStdString();
    }
    // A rule made by the panel after another (first when null), one undo step.
    void create(const QString &selector, const QString &after)
    {
        StyleDeclarationPtr afterAt;
        for (const StyleDeclarationPtr &item : panel.styleDeclarationsOf(sheet)) {
            if (item->selector() == after)
                afterAt = item;
        }
        undo.beginUndoGrouping();
        ASSERT_TRUE(panel.createSelector(selector, QStringLiteral("top: 1px;"), sheet, afterAt));
        batcher.execute();
        undo.endUndoGrouping();
        undo.loopEnd();
    }
    void setTop(const QString &selector, const QString &value)
    {
        edit(selector, [&value](const StyleDeclarationPtr &item) { item->properties().constFirst()->setValue(value); });
    }
    // The last rule's only declaration.
    void setLastRight(const QString &value)
    {
        edit(QStringLiteral(".last"), [&value](const StyleDeclarationPtr &item) { item->properties().constFirst()->setValue(value); });
    }
    QString text() const { return *sheet->currentContent(); }

    QTemporaryDir folder;
    std::unique_ptr<File> root;
    File *sheet = nullptr;
    QString original;
    InspectUndoManager undo;
    BalkInvocationManager batcher;
    CSSOutlineDelegate panel;
};

TEST_F(PanelWriteBack, UndoPutsBackTheBytesAndEditsAfterItLandInTheirPlaces)
{
    edit(QStringLiteral(".n"), [](const StyleDeclarationPtr &item) {
        item->properties().append(declared(QStringLiteral("bottom"), QStringLiteral("2px")));
    });
    const QString added = text();
    ASSERT_NE(added, original);
    setLastRight(QStringLiteral("9px"));
    EXPECT_EQ(changedPart(added, text()), std::make_pair(QStringLiteral("0"), QStringLiteral("9px")));
    expectModelPointsInto(text(), panel.styleDeclarationsOf(sheet));

    undo.undo();
    EXPECT_EQ(text(), added);
    undo.undo();
    EXPECT_EQ(text(), original);
    undo.redo();
    EXPECT_EQ(text(), added);
    undo.undo();
    ASSERT_EQ(text(), original);

    // The model and its text agree again after the undo: the next edit lands in its place alone.
    setLastRight(QStringLiteral("7px"));
    EXPECT_EQ(changedPart(original, text()), std::make_pair(QStringLiteral("0"), QStringLiteral("7px")));
    expectModelPointsInto(text(), panel.styleDeclarationsOf(sheet));
    undo.undo();
    EXPECT_EQ(text(), original);
}

// A sheet of several hundred rules: a write moves the runs of rules after
// an edit as a whole, and Undo and Redo move them back.
class LongSheetWriteBack : public PanelWriteBack, public ::testing::WithParamInterface<bool>
{
protected:
    QString sheetText() const override
    {
        QString text;
        for (int i = 0; i < 400; ++i)
            text += QStringLiteral(".r%1 {\n  top: 0;\n}\n").arg(i);
        return text;
    }
    bool editsGoIntoTheText() const override { return GetParam(); }

    // Each step's text, with the model checked against it; then every
    // undo and redo gives back those texts with the model in them.
    void checkAndRecord()
    {
        texts.append(text());
        expectModelPointsInto(text(), panel.styleDeclarationsOf(sheet));
    }
    // (A step that left the text as it was is undone on the way.)
    void undoAndRedoAll()
    {
        for (qsizetype step = texts.size() - 2; step >= 0; --step) {
            while (text() != texts.at(step) && undo.canUndo()) {
                undo.undo();
                expectModelPointsInto(text(), panel.styleDeclarationsOf(sheet));
            }
            ASSERT_EQ(text(), texts.at(step)) << step;
        }
        for (qsizetype step = 1; step < texts.size(); ++step) {
            while (text() != texts.at(step) && undo.canRedo()) {
                undo.redo();
                expectModelPointsInto(text(), panel.styleDeclarationsOf(sheet));
            }
            ASSERT_EQ(text(), texts.at(step)) << step;
        }
    }
    QStringList texts;
};

TEST_P(LongSheetWriteBack, RulesAfterAnEditOrANewRuleMoveWithItThroughUndoAndRedo)
{
    checkAndRecord();
    setTop(QStringLiteral(".r5"), QStringLiteral("120px"));
    checkAndRecord();
    create(QStringLiteral(".made"), QStringLiteral(".r2"));
    checkAndRecord();
    setTop(QStringLiteral(".r300"), QStringLiteral("1px 2px 3px"));
    checkAndRecord();
    setTop(QStringLiteral(".r5"), QStringLiteral("4px"));
    checkAndRecord();
    create(QStringLiteral(".later"), QStringLiteral(".r399"));
    checkAndRecord();
    setTop(QStringLiteral(".r150"), QStringLiteral("calc(1px + 2px)"));
    checkAndRecord();
    if (editsGoIntoTheText()) {
        // Every edit changed its rule's value alone.
        EXPECT_EQ(changedPart(texts.at(0), texts.at(1)), std::make_pair(QStringLiteral("0"), QStringLiteral("120px")));
        EXPECT_EQ(changedPart(texts.at(5), texts.at(6)), std::make_pair(QStringLiteral("0"), QStringLiteral("calc(1px + 2px)")));
    } else {
        // Only the rules made go into the text.
        EXPECT_EQ(texts.at(1), texts.at(0));
        EXPECT_NE(texts.at(2), texts.at(1));
        EXPECT_EQ(texts.at(6), texts.at(5));
    }
    // The text is edited where it stands: the file's snapshots still hold
    // the texts they were taken of, newest first.
    QStringList taken;
    for (const FileHistory &history : sheet->histories())
        taken.prepend(history.content());
    taken.removeDuplicates();
    QStringList before = texts.first(texts.size() - 1);
    before.removeDuplicates();
    EXPECT_EQ(taken, before);
    undoAndRedoAll();
    while (undo.canUndo())
        undo.undo();
    EXPECT_EQ(text(), original);
}

INSTANTIATE_TEST_SUITE_P(Edits, LongSheetWriteBack, ::testing::Bool(), [](const ::testing::TestParamInfo<bool> &info) {
    return std::string(info.param ? "WrittenIntoTheText" : "KeptOutOfTheText");
});

} // namespace StyleSheetWriterSpliceTest
