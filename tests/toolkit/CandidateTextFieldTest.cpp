#include "toolkit/CandidateTextField.h"
#include "toolkit/RBLPopover.h"
#include "toolkit/RBLPopoverWindow.h"

#include "platform/kit/OutlineView.h"
#include "platform/kit/TextField.h"

#include "TestUtil.h"

#include <QDir>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>

namespace {

// Candidates as strings, filtered by the predicate the field's delegate gives.
class StringCandidates : public CandidateDataSource
{
public:
    explicit StringCandidates(const QStringList &all)
    {
        for (const QString &candidate : all)
            m_all.push_back(candidate);
        refilter();
    }

    void setPredicate(CandidatePredicate predicate) override
    {
        m_predicate = std::move(predicate);
        refilter();
    }
    CandidatePredicate predicate() const override { return m_predicate; }
    QVariant candidateForItem(void *item) const override
    {
        return item ? QVariant(*static_cast<const QString *>(item)) : QVariant();
    }
    int numberOfChildrenOfItem(OutlineView *, void *item) override
    {
        return item ? 0 : int(m_shown.size());
    }
    void *childOfItem(OutlineView *, int index, void *) override { return m_shown[size_t(index)]; }
    bool isItemExpandable(OutlineView *, void *) override { return false; }
    QVariant objectValueForTableColumn(OutlineView *, int, void *item, int role) override
    {
        return role == Qt::DisplayRole ? candidateForItem(item) : QVariant();
    }

private:
    void refilter()
    {
        m_shown.clear();
        for (QString &candidate : m_all) {
            if (!m_predicate || m_predicate(candidate))
                m_shown.push_back(&candidate);
        }
    }

    std::deque<QString> m_all;
    std::vector<QString *> m_shown;
    CandidatePredicate m_predicate;
};

class CandidateTextFieldTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.setGeometry(100, 100, 320, 240);
        field = new CandidateTextField(&window);
        field->setGeometry(20, 20, 200, 24);
        useCandidates({"border", "border-top", "border-left", "color", "background"});
        window.show();
        window.activateWindow();
        field->textField()->setFocus();
        TestUtil::waitUntil([&] { return field->textField()->hasFocus(); }, 1000);
    }

    void useCandidates(const QStringList &candidates, bool contains = false)
    {
        source = std::make_unique<StringCandidates>(candidates);
        CandidateTextFieldDelegate delegate;
        delegate.dataSource = [this] { return source.get(); };
        delegate.predicate = [this, contains]() -> CandidatePredicate {
            const QString typed = field->stringValue().left(field->textField()->selectionStart() >= 0
                                                                ? field->textField()->selectionStart()
                                                                : field->stringValue().size());
            return [typed, contains](const QVariant &candidate) {
                const QString text = candidate.toString();
                return contains ? text.contains(typed) : text.startsWith(typed, Qt::CaseInsensitive);
            };
        };
        field->setDelegate(delegate);
    }

    TextField *text() const { return field->textField(); }
    bool dropDownShown() const { return field->popover() && field->popover()->isShown(); }
    void type(const QString &keys) { QTest::keyClicks(text(), keys); }
    void key(Qt::Key k) { QTest::keyClick(text(), k); }

    std::unique_ptr<StringCandidates> source;
    QWidget window;
    CandidateTextField *field = nullptr;
};

TEST_F(CandidateTextFieldTest, CompletesToTheCommonPrefixWithTheCompletedPartSelected)
{
    type("bor");
    EXPECT_EQ(text()->text(), QStringLiteral("border"));
    EXPECT_EQ(text()->selectedText(), QStringLiteral("der"));
    EXPECT_EQ(text()->selectionStart(), 3);
    EXPECT_TRUE(dropDownShown());
    EXPECT_EQ(field->table()->numberOfRows(), 3);
    EXPECT_EQ(field->table()->selectedRow(), 0);
    // Typing on replaces the completion.
    type("der-t");
    EXPECT_EQ(text()->text(), QStringLiteral("border-top"));
    EXPECT_EQ(text()->selectedText(), QStringLiteral("op"));
}

TEST_F(CandidateTextFieldTest, BackspaceDoesNotCompleteAgainUntilTheNextCharacter)
{
    type("bor");
    key(Qt::Key_Backspace);
    EXPECT_EQ(text()->text(), QStringLiteral("bor"));
    EXPECT_FALSE(text()->hasSelectedText());
    EXPECT_FALSE(field->ignoreChangeText());
    type("d");
    EXPECT_EQ(text()->text(), QStringLiteral("border"));
    EXPECT_EQ(text()->selectedText(), QStringLiteral("er"));
}

TEST_F(CandidateTextFieldTest, ABackspaceThatDeletesNothingDoesNotSwallowTheNextCompletion)
{
    key(Qt::Key_Backspace);
    EXPECT_FALSE(field->ignoreChangeText());
    type("c");
    EXPECT_EQ(text()->text(), QStringLiteral("color"));
}

TEST_F(CandidateTextFieldTest, CandidatesWithoutACommonPrefixLeaveTheTypedText)
{
    useCandidates({"border", "background", "bottom"});
    type("b");
    EXPECT_EQ(text()->text(), QStringLiteral("b"));
    EXPECT_FALSE(text()->hasSelectedText());
    EXPECT_EQ(field->table()->numberOfRows(), 3);
}

TEST_F(CandidateTextFieldTest, APrefixThatDoesNotContinueTheTypedTextChangesNothing)
{
    // Found by containment, the candidates share "bor", which does not begin
    // with what was typed.
    useCandidates({"border", "bore"}, true);
    type("or");
    EXPECT_EQ(text()->text(), QStringLiteral("or"));
    EXPECT_EQ(field->table()->numberOfRows(), 2);
}

TEST_F(CandidateTextFieldTest, EmptyingTheTextClosesTheDropDownAndClearsTheFilter)
{
    type("co");
    ASSERT_TRUE(dropDownShown());
    text()->selectAll();
    key(Qt::Key_Backspace);
    EXPECT_EQ(text()->text(), QString());
    EXPECT_FALSE(dropDownShown());
    EXPECT_FALSE(source->predicate());
    EXPECT_EQ(field->table()->numberOfRows(), 5);
}

TEST_F(CandidateTextFieldTest, DownOpensTheListThenMovesToTheLastRowAndStays)
{
    key(Qt::Key_Down);
    ASSERT_TRUE(dropDownShown());
    EXPECT_EQ(field->table()->selectedRow(), -1);
    for (int i = 0; i < 7; ++i)
        key(Qt::Key_Down);
    EXPECT_EQ(field->table()->selectedRow(), 4);
    EXPECT_EQ(text()->text(), QStringLiteral("background"));
    key(Qt::Key_Up);
    EXPECT_EQ(text()->text(), QStringLiteral("color"));
    for (int i = 0; i < 7; ++i)
        key(Qt::Key_Up);
    EXPECT_EQ(field->table()->selectedRow(), 0);
    EXPECT_EQ(field->labelForObject(), QStringLiteral("border"));
}

TEST_F(CandidateTextFieldTest, ReturnWithAnEmptyTextOpensTheListInsteadOfCommitting)
{
    int committed = 0;
    QObject::connect(field, &CandidateTextField::activated, field, [&] { ++committed; });
    key(Qt::Key_Return);
    EXPECT_TRUE(dropDownShown());
    EXPECT_EQ(committed, 0);
}

TEST_F(CandidateTextFieldTest, ReturnClosesTheListFirstThenCommitsAndClears)
{
    QStringList committed;
    QObject::connect(field, &CandidateTextField::activated, field,
                     [&] { committed << field->stringValue(); });
    type("col");
    ASSERT_TRUE(dropDownShown());
    key(Qt::Key_Return);
    EXPECT_FALSE(dropDownShown());
    EXPECT_TRUE(committed.isEmpty());
    EXPECT_EQ(text()->text(), QStringLiteral("color"));
    key(Qt::Key_Return);
    EXPECT_EQ(committed, QStringList{"color"});
    EXPECT_EQ(text()->text(), QString());
}

TEST_F(CandidateTextFieldTest, ReturnCommitsAtOnceWhenSetToCommitWithTheSelection)
{
    field->setCommitWithEnterSelection(true);
    QStringList committed;
    QObject::connect(field, &CandidateTextField::activated, field,
                     [&] { committed << field->stringValue(); });
    type("back");
    key(Qt::Key_Return);
    EXPECT_EQ(committed, QStringList{"background"});
    EXPECT_FALSE(dropDownShown());
}

TEST_F(CandidateTextFieldTest, EscapeClosesTheShownListAndIsLeftToTheFieldOtherwise)
{
    type("bo");
    ASSERT_TRUE(dropDownShown());
    EXPECT_TRUE(field->doCommandBySelector(TextCommand::CancelOperation));
    EXPECT_FALSE(dropDownShown());
    EXPECT_FALSE(field->doCommandBySelector(TextCommand::CancelOperation));
}

TEST_F(CandidateTextFieldTest, ADelegateWithoutAPredicateNeitherFiltersNorCompletes)
{
    CandidateTextFieldDelegate delegate;
    delegate.dataSource = [this] { return source.get(); };
    field->setDelegate(delegate);
    type("bor");
    EXPECT_EQ(text()->text(), QStringLiteral("bor"));
    EXPECT_FALSE(dropDownShown());
}

TEST_F(CandidateTextFieldTest, TypingStaysInTheFieldWhileTheListIsShown)
{
    type("b");
    ASSERT_TRUE(dropDownShown());
    TestUtil::spin(20);
    EXPECT_TRUE(text()->hasFocus());
    EXPECT_EQ(field->table()->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(field->popover()->popoverWindow()->canBecomeKeyWindow());
}

TEST_F(CandidateTextFieldTest, RendersTheFieldAndItsDropDownOffscreen)
{
    type("bor");
    ASSERT_TRUE(dropDownShown());
    const QImage fieldImage = window.grab().toImage();
    const QImage dropDownImage = field->popover()->popoverWindow()->grab().toImage();
    ASSERT_FALSE(fieldImage.isNull());
    ASSERT_FALSE(dropDownImage.isNull());
    EXPECT_EQ(dropDownImage.size(), QSize(202, 152) * dropDownImage.devicePixelRatio());
    // The corners outside the rounded outline are transparent, the middle is not.
    EXPECT_EQ(qAlpha(dropDownImage.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(dropDownImage.pixel(dropDownImage.width() / 2, dropDownImage.height() / 2)), 255);
    const QString folder = QDir::temp().filePath(QStringLiteral("quillmark-toolkit-shots"));
    QDir().mkpath(folder);
    EXPECT_TRUE(fieldImage.save(folder + QStringLiteral("/candidate-field.png")));
    EXPECT_TRUE(dropDownImage.save(folder + QStringLiteral("/candidate-dropdown.png")));
}

} // namespace

namespace {

TEST(CandidateTextField, LabelsACandidateByItselfOrByItsTitle)
{
    EXPECT_EQ(CandidateTextField::labelOfCandidate(QStringLiteral("color")), QStringLiteral("color"));
    const QVariantMap snippet{{QStringLiteral("title"), QStringLiteral("clearfix")}};
    EXPECT_EQ(CandidateTextField::labelOfCandidate(snippet), QStringLiteral("clearfix"));
    QObject object;
    object.setProperty("title", QStringLiteral("flex"));
    EXPECT_EQ(CandidateTextField::labelOfCandidate(QVariant::fromValue(&object)), QStringLiteral("flex"));
}

} // namespace
