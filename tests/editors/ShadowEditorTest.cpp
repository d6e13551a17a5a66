#include "TestPrinters.h"

#include "editors/ShadowEditor.h"
#include "editors/StepNumberTextField.h"
#include "editors/StyleValueMap.h"
#include "foundation/InspectUndoManager.h"
#include "platform/kit/PopUpButton.h"
#include "workspace/File.h"

#include <QListWidget>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// A box-shadow editor reading a style, with its own undo manager.
struct ShadowHarness
{
    explicit ShadowHarness(const QString &style)
    {
        File::setUndoManagerProvider([this] { return &undo; });
        editor.setProperty(QStringLiteral("box-shadow"));
        editor.reset();
        StyleValueMap map = StyleValueMap::fromStyleText(style);
        editor.readStyle(map);
    }
    ~ShadowHarness() { File::setUndoManagerProvider({}); }

    InspectUndoManager undo;
    ShadowEditor editor;
};

} // namespace

TEST(ShadowEditor, SelectingALayerShowsItAndAUnitChangesThatLayerOnly)
{
    ShadowHarness h(QStringLiteral("box-shadow: 1px 2px 3px 4px red, inset 5em 6em blue"));
    ASSERT_EQ(h.editor.listView()->count(), 2);
    EXPECT_FALSE(h.editor.offsetHInput()->isEnabled());
    h.editor.listView()->setCurrentRow(1);
    EXPECT_TRUE(h.editor.offsetHInput()->isEnabled());
    EXPECT_EQ(h.editor.offsetHInput()->text(), QStringLiteral("5"));
    EXPECT_EQ(h.editor.unitButton()->titleOfSelectedItem(), QStringLiteral("em"));
    h.editor.listView()->setCurrentRow(0);
    const int index = h.editor.unitButton()->findText(QStringLiteral("rem"));
    h.editor.unitButton()->setCurrentIndex(index);
    Q_EMIT h.editor.unitButton()->activated(index);
    EXPECT_EQ(h.editor.value(), QStringLiteral("1rem 2rem 3rem 4rem #ff0000, inset 5em 6em #0000ff"));
}

TEST(ShadowEditor, LayerStepsAreSkippedOnceAnotherObjectIsShown)
{
    ShadowHarness h{QString()};
    h.editor.addButton()->click();
    ASSERT_EQ(h.editor.shadows().size(), 1);
    h.undo.loopEnd();
    h.undo.undo();
    EXPECT_TRUE(h.editor.shadows().isEmpty());
    h.undo.redo();
    EXPECT_EQ(h.editor.shadows().size(), 1);

    // The panel shows another element: the step no longer touches the list.
    h.editor.reset();
    StyleValueMap other = StyleValueMap::fromStyleText(QStringLiteral("box-shadow: 2px 2px #000"));
    h.editor.readStyle(other);
    h.undo.undo();
    ASSERT_EQ(h.editor.shadows().size(), 1);
    EXPECT_EQ(h.editor.value(), QStringLiteral("2px 2px #000000"));
}
