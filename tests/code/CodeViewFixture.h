#pragma once

#include "TestUtil.h"

#include "code/CodeView.h"
#include "foundation/InspectUndoManager.h"
#include "workspace/File.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// The text of a view with "|" at the caret, or "[" and "]" around a selection.
inline QString markedText(const QPlainTextEdit &view)
{
    const QTextCursor cursor = view.textCursor();
    QString text = view.toPlainText();
    if (!cursor.hasSelection())
        return text.insert(cursor.position(), u'|');
    text.insert(cursor.selectionEnd(), u']');
    return text.insert(cursor.selectionStart(), u'[');
}

// A project folder on disk whose files are shown, one at a time, in a code
// view that has the keyboard focus, with an undo manager of its own standing
// in for the application's.
class CodeViewFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        File::setUndoManagerProvider([this] { return &undo; });
        view.resize(500, 300);
        view.show();
        view.activateWindow();
        view.setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    }

    void TearDown() override { File::setUndoManagerProvider({}); }

    // A file of the project with that text, shown with the caret at the
    // first "|" of the text (which is taken out), else at the end.
    File *open(const QString &name, QString text)
    {
        const qsizetype caret = text.indexOf(u'|');
        if (caret >= 0)
            text.remove(caret, 1);
        File *shown = openBytes(name, text.toUtf8());
        if (shown && caret >= 0)
            select(int(caret));
        return shown;
    }

    // A file of the project (in "<folder>/site", the test's folder unless
    // given) with exactly these bytes, shown with the caret at the end.
    File *openBytes(const QString &name, const QByteArray &bytes, const QString &folder = {})
    {
        const QString site = (folder.isEmpty() ? dir.path() : folder) + QStringLiteral("/site");
        EXPECT_TRUE(TestUtil::writeFile(site + QLatin1Char('/') + name, bytes));
        root = std::make_unique<File>(site, true, nullptr);
        File *shown = nullptr;
        for (File *child : root->children()) {
            if (child->displayName() == name)
                shown = child;
        }
        EXPECT_TRUE(shown);
        if (!shown)
            return nullptr;
        // Opened a while ago: what is typed now is an edit.
        shown->setOpenDate(shown->openDate().addSecs(-10));
        view.setFile(shown);
        view.setString(shown->currentContent());
        select(int(view.string().size()));
        return shown;
    }

    void select(int start, int end = -1)
    {
        QTextCursor cursor = view.textCursor();
        cursor.setPosition(start);
        cursor.setPosition(end < 0 ? start : end, QTextCursor::KeepAnchor);
        view.setTextCursor(cursor);
    }

    QString marked() const { return markedText(view); }

    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&view, key, modifiers);
    }

    // Lets the event loop end its turn, which closes the open undo group.
    static void endTurn() { TestUtil::spin(5); }

    InspectUndoManager undo;
    QTemporaryDir dir;
    std::unique_ptr<File> root;
    CodeView view;
};
