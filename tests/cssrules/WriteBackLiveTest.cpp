#include "LivePanel.h"

#include "platform/kit/Alert.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray bootstrapBytes()
{
    QFile file(QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kBootstrapPage = "<!DOCTYPE html><link rel=stylesheet href=bootstrap.css><link rel=stylesheet href=extra.css>"
                                  "<a class='btn btn-primary' id=b href='#'>Go</a>";

// The lines of b that differ from a, by number.
QList<int> differingLines(const QString &a, const QString &b)
{
    const QStringList left = a.split(u'\n');
    const QStringList right = b.split(u'\n');
    QList<int> lines;
    for (qsizetype i = 0; i < std::max(left.size(), right.size()); ++i) {
        if (left.value(i) != right.value(i))
            lines.append(int(i));
    }
    return lines;
}

// Commits the value of the rule's declaration, as Return does.
void commit(LivePanel &live, const QString &selector, const QString &name, const QString &value)
{
    const CSSRulePtr row = LivePanel::declaration(live.ruleRow(selector), name);
    ASSERT_TRUE(row) << selector.toStdString() << " " << name.toStdString() << "\n" << live.dump().toStdString();
    ASSERT_TRUE(live.selectRow(row));
    live.panel.commitCSSValueChange(row, value, true);
    live.settleWrites();
}

class BootstrapWriteBack : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bytes = bootstrapBytes();
        if (bytes.isEmpty())
            GTEST_SKIP() << "libjs-bootstrap5 is not installed";
        ASSERT_TRUE(live.load({{QStringLiteral("bootstrap.css"), bytes},
                               {QStringLiteral("extra.css"), ".x  {  top : 0 }\n/* kept */\n"},
                               {QStringLiteral("index.html"), kBootstrapPage}}));
        ASSERT_TRUE(live.select(live.element(QStringLiteral("b"))));
        sheet = live.file(QStringLiteral("bootstrap.css"));
        original = QString::fromUtf8(bytes);
    }

    QString text() const { return *sheet->currentContent(); }

    LivePanel live;
    QByteArray bytes;
    QString original;
    File *sheet = nullptr;
};

} // namespace

TEST_F(BootstrapWriteBack, CommitUndoRedoChangeOneDeclarationAndUndoRestoresTheBytes)
{
    commit(live, QStringLiteral(".btn-primary"), QStringLiteral("--bs-btn-bg"), QStringLiteral("#123456"));
    const QList<int> changed = differingLines(original, text());
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(text().split(u'\n').at(changed.first()), QStringLiteral("  --bs-btn-bg: #123456;"));
    EXPECT_EQ(settledComputedValue(*live.fixture, QStringLiteral("b"), QStringLiteral("background-color"), QStringLiteral("rgb(18, 52, 86)")),
              QStringLiteral("rgb(18, 52, 86)"));
    // One edit, one undo step.
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("CSS Value Change - --bs-btn-bg"));
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_FALSE(live.undo.canUndo());
    EXPECT_EQ(settledComputedValue(*live.fixture, QStringLiteral("b"), QStringLiteral("background-color"), QStringLiteral("rgb(13, 110, 253)")),
              QStringLiteral("rgb(13, 110, 253)"));
    live.undo.redo();
    EXPECT_EQ(differingLines(original, text()), changed);
    EXPECT_EQ(settledComputedValue(*live.fixture, QStringLiteral("b"), QStringLiteral("background-color"), QStringLiteral("rgb(18, 52, 86)")),
              QStringLiteral("rgb(18, 52, 86)"));
}

TEST_F(BootstrapWriteBack, UndoRedoAndUndoOfAValueKeepTheRulesAndTheBytes)
{
    const QList<StyleDeclarationPtr> items = live.panel.styleDeclarationsOf(sheet);
    commit(live, QStringLiteral(".btn-primary"), QStringLiteral("--bs-btn-bg"), QStringLiteral("#123456"));
    live.undo.undo();
    live.undo.redo();
    live.undo.undo();
    EXPECT_EQ(text(), original);
    // The rules the panel had, not a new reading of the text.
    EXPECT_EQ(live.panel.styleDeclarationsOf(sheet), items);
    live.undo.redo();
    ASSERT_TRUE(live.select(live.element(QStringLiteral("b"))));
    commit(live, QStringLiteral(".btn"), QStringLiteral("--bs-btn-padding-x"), QStringLiteral("2rem"));
    while (live.undo.canUndo())
        live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(live.panel.styleDeclarationsOf(sheet), items);
}

TEST_F(BootstrapWriteBack, AnEditAfterAnUndoneOneMovesNothingElse)
{
    commit(live, QStringLiteral(".btn-primary"), QStringLiteral("--bs-btn-bg"), QStringLiteral("#123456"));
    live.undo.undo();
    ASSERT_EQ(text(), original);
    ASSERT_TRUE(live.select(live.element(QStringLiteral("b"))));
    commit(live, QStringLiteral(".btn"), QStringLiteral("--bs-btn-padding-x"), QStringLiteral("2rem"));
    const QList<int> changed = differingLines(original, text());
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(text().split(u'\n').at(changed.first()), QStringLiteral("  --bs-btn-padding-x: 2rem;"));
}

TEST_F(BootstrapWriteBack, UndoBeforeTheWriteLeavesModelPageAndTextAgreeing)
{
    const CSSRulePtr row = LivePanel::declaration(live.ruleRow(QStringLiteral(".btn-primary")), QStringLiteral("--bs-btn-bg"));
    ASSERT_TRUE(row && live.selectRow(row));
    live.panel.commitCSSValueChange(row, QStringLiteral("#123456"), true);
    // Undone before the batch ran.
    live.undo.undo();
    live.settleWrites();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(row->property()->value(), QStringLiteral("#0d6efd"));
    EXPECT_EQ(settledComputedValue(*live.fixture, QStringLiteral("b"), QStringLiteral("background-color"), QStringLiteral("rgb(13, 110, 253)")),
              QStringLiteral("rgb(13, 110, 253)"));
}

TEST_F(BootstrapWriteBack, SavingWritesTheEditedSheetAndLeavesTheOthersByteIdentical)
{
    const QString extraPath = live.fixture->folder() + QStringLiteral("/extra.css");
    const QDateTime extraStamp = QFileInfo(extraPath).lastModified();
    commit(live, QStringLiteral(".btn-primary"), QStringLiteral("--bs-btn-bg"), QStringLiteral("#123456"));
    EXPECT_EQ(live.disk(QStringLiteral("bootstrap.css")), original);
    live.panel.saveDocument();
    EXPECT_EQ(live.disk(QStringLiteral("bootstrap.css")), text());
    EXPECT_EQ(differingLines(original, live.disk(QStringLiteral("bootstrap.css"))).size(), 1);
    EXPECT_EQ(live.disk(QStringLiteral("extra.css")), QStringLiteral(".x  {  top : 0 }\n/* kept */\n"));
    EXPECT_EQ(QFileInfo(extraPath).lastModified(), extraStamp);
    for (const StyleDeclarationPtr &item : *sheet->styleDeclarations())
        EXPECT_FALSE(item->isModified());
}

TEST_F(BootstrapWriteBack, AFailedSaveAlertsAndKeepsTheMarks)
{
    commit(live, QStringLiteral(".btn-primary"), QStringLiteral("--bs-btn-bg"), QStringLiteral("#123456"));
    QStringList alerts;
    Alert::setResponder([&alerts](const Alert &alert) {
        alerts.append(alert.messageText());
        return int(Alert::FirstButtonReturn);
    });
    // A folder where the file was: nothing can be written there.
    const QString path = live.fixture->folder() + QStringLiteral("/bootstrap.css");
    QFile::remove(path);
    QDir().mkpath(path);
    live.panel.saveDocument();
    Alert::setResponder({});
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts.first().contains(QLatin1String("bootstrap.css")));
    bool marked = false;
    for (const StyleDeclarationPtr &item : *sheet->styleDeclarations())
        marked = marked || item->isModified();
    EXPECT_TRUE(marked);
}

TEST_F(BootstrapWriteBack, TextChangedOutsideThePanelIsReadAgainBeforeAWrite)
{
    commit(live, QStringLiteral(".btn-primary"), QStringLiteral("--bs-btn-bg"), QStringLiteral("#123456"));
    // The code view changes the text.
    QString edited = text();
    edited.prepend(QStringLiteral("/* mine */\n"));
    sheet->setContent(edited);
    ASSERT_TRUE(live.select(live.element(QStringLiteral("b"))));
    commit(live, QStringLiteral(".btn"), QStringLiteral("--bs-btn-padding-x"), QStringLiteral("2rem"));
    EXPECT_TRUE(text().startsWith(QLatin1String("/* mine */\n")));
    EXPECT_TRUE(text().contains(QLatin1String("  --bs-btn-bg: #123456;")));
    EXPECT_TRUE(text().contains(QLatin1String("  --bs-btn-padding-x: 2rem;")));
    EXPECT_EQ(differingLines(edited, text()).size(), 1);
}
