#pragma once

#include "FakeRulesPanel.h"
#include "TestPrinters.h"

#include "app/AppDelegate.h"
#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/DomTreeDelegateInterface.h"
#include "interfaces/ExWebViewInterface.h"
#include "interfaces/FileViewControllerInterface.h"
#include "interfaces/ProjectDelegateInterface.h"
#include "interfaces/StyleSheetsManagerDelegateInterface.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"

#include <QRectF>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

// Stand-ins for the controllers of the later subsystems: each records what it
// was asked.

class FakePreview : public ExWebViewInterface
{
public:
    QWidget widget;
    int state = DetectOff;
    bool overlayShown = false;
    QRectF element; // Where the page has an element.
    QRectF covered; // Where a message bar covers the page.
    QStringList calls;
    QString address;

    QWidget *view() override { return &widget; }
    int detectState() const override { return state; }
    void setDetectState(int value) override { state = value; calls << QStringLiteral("setDetectState"); }
    bool isDetectViewShown() const override { return overlayShown; }
    void showDetectLayer() override { overlayShown = true; calls << QStringLiteral("showDetectLayer"); }
    void hideDetectLayer() override { overlayShown = false; calls << QStringLiteral("hideDetectLayer"); }
    void displayElementMenu() override { calls << QStringLiteral("displayElementMenu"); }
    void showRelatedElementsBounds(const QList<DOMNodePtr> &) override { calls << QStringLiteral("showRelatedElementsBounds"); }
    void hideRelatedElementsBounds() override { calls << QStringLiteral("hideRelatedElementsBounds"); }
    void scrollIntoView(DOMNode *) override { calls << QStringLiteral("scrollIntoView"); }
    bool hasElementAtPoint(const QPointF &point) const override { return element.contains(point); }
    bool isPageShownAt(const QPointF &point) const override { return !covered.contains(point); }
    QImage captureImage() override { return {}; }
    QString mainFrameURL() const override { return address; }
};

class FakeProjectController : public ProjectDelegateInterface
{
public:
    FakePreview *preview = nullptr;
    QWidget *tree = nullptr;
    bool modified = false;
    int modifiedCount = 1; // how many files, while modified
    // What saving does to the modified state; by default it clears it.
    std::function<void()> onSave;
    // What saving answers: a line for each file it could not save.
    QStringList saveFailures;
    QStringList calls;

    ExWebViewInterface *webview() override { return preview; }
    QWidget *finderView() override { return tree; }
    File *lastPreviewedFile() override { return nullptr; }
    void setLastPreviewedFile(File *) override {}
    void setIgnoreOpenFile(bool) override {}
    File *clickedFile() override { return nullptr; }
    File *selectedFile() override { return nullptr; }
    QList<File *> projects() const override { return {}; }
    File *searchFileInProjects(const QString &) const override { return nullptr; }
    File *searchDirectory(const QString &, const QList<File *> &) const override { return nullptr; }
    bool hasModified() override { return modified; }
    int modifiedFileCount() override { return modified ? modifiedCount : 0; }
    QStringList saveOnQuit() override
    {
        calls << QStringLiteral("saveOnQuit");
        if (onSave)
            onSave();
        else
            modified = false;
        return saveFailures;
    }
    void confirmDownloadTurtorialProject() override { calls << QStringLiteral("confirmDownloadTurtorialProject"); }
    void reloadProjectConfigView() override { calls << QStringLiteral("reloadProjectConfigView"); }
    void fileNameTextFieldDisable(bool disable) override
    {
        calls << (disable ? QStringLiteral("fileNameTextFieldDisable:YES") : QStringLiteral("fileNameTextFieldDisable:NO"));
    }
    void updateDetectLayer() override {}
    void clearDetectLayer() override { calls << QStringLiteral("clearDetectLayer"); }
    void doSetPreviewWithLastIndex() override {}
    void detectLockDownHandler(QMouseEvent *) override { calls << QStringLiteral("detectLockDownHandler"); }
    void detectLockCommitHandler(QMouseEvent *) override { calls << QStringLiteral("detectLockCommitHandler"); }
};

class FakeDomTree : public DomTreeDelegateInterface
{
public:
    QWidget outline;
    QStringList calls;
    QWidget *outlineView() override { return &outline; }
    void escapeEdit() override {}
    void reselectNodeWithClickedNode(QMouseEvent *) override { calls << QStringLiteral("reselectNodeWithClickedNode"); }
    PathControl *dombreadcramb() override { return nullptr; }
};

class FakeStyleManager : public StyleSheetsManagerDelegateInterface
{
public:
    QWidget selectors;
    int reselected = 0;
    QWidget *selectorListView() override { return &selectors; }
    void reselectSelectorWithClickedSelector() override { ++reselected; }
    void setInChange(bool) override {}
    void refreshSelectorList() override {}
    QList<File *> filterFiles() override { return {}; }
    void clearFileFilter() override {}
    void setFileFilter(File *) override {}
    void selectItemFromRule(const std::shared_ptr<StyleDeclaration> &) override {}
};

// Answers every alert with the button of the given title and remembers the
// alerts' texts and buttons.
class AlertAnswers
{
public:
    explicit AlertAnswers(QStringList answers)
        : m_answers(std::move(answers))
    {
        Alert::setResponder([this](const Alert &alert) {
            messages << alert.messageText();
            informativeTexts << alert.informativeText();
            buttons << alert.buttonTitles().join(QLatin1Char('|'));
            const QString answer = m_answers.isEmpty() ? QStringLiteral("Cancel") : m_answers.takeFirst();
            // "Return" presses the default button, as the key does.
            const int index = answer == QLatin1String("Return") ? alert.defaultButtonIndex()
                                                                : int(alert.buttonTitles().indexOf(answer));
            EXPECT_GE(index, 0) << "no button " << answer.toStdString();
            return Alert::FirstButtonReturn + index;
        });
    }
    ~AlertAnswers() { Alert::setResponder({}); }

    QStringList messages;
    QStringList informativeTexts;
    QStringList buttons;

private:
    QStringList m_answers;
};

// A fresh application delegate over user defaults without the keys the shell
// writes; the interface is loaded and, unless told otherwise, launching has
// finished.
class ShellTest : public ::testing::Test
{
protected:
    static void clearDefaults()
    {
        UserDefaults &defaults = UserDefaults::standardUserDefaults();
        for (const char *key : {"firstLaunch", "inspectorVisible", "NSWindow Frame mainWindow",
                                "NSWindow Frame StyleInspector", "lastLeftPaneWidth", "lastCenterPaneWidth",
                                "lastLeftPaneHeight", "lastCenterPaneHeight", "lastRightPaneHeight",
                                "lastKeyframePaneHeight", "lastAttributePaneHeight", "lastStyleAttributePaneHeight",
                                "lastLeftBottomPaneWidth", "lastRightBottomPaneWidth", "lastStyleListPaneHeight"})
            defaults.removeObjectForKey(QString::fromLatin1(key));
        defaults.synchronize();
    }

    void SetUp() override
    {
        clearDefaults();
        AppDelegate::initialize();
    }

    void TearDown() override
    {
        delegate.reset();
        clearDefaults();
    }

    // Builds the delegate; the project controller is installed before the
    // interface loads, as the interface file does.
    void launch(bool finish = true)
    {
        delegate = std::make_unique<AppDelegate>();
        delegate->setProjectController(&project);
        delegate->loadInterface();
        if (finish)
            delegate->applicationDidFinishLaunching();
    }

    MainInterface &ui() { return delegate->ui(); }

    FakeProjectController project;
    std::unique_ptr<AppDelegate> delegate;
};
