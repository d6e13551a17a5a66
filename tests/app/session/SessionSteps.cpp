#include "SessionSteps.h"

#include "SessionChecks.h"
#include "SessionShell.h"
#include "TestUtil.h"

#include "app/AppDelegate.h"
#include "app/FileViewController.h"
#include "app/EXWindow.h"
#include "app/MainInterface.h"
#include "code/CodeView.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/CSSRule.h"
#include "domtree/DOMNodeEx.h"
#include "domtree/DomInfoDelegate.h"
#include "domtree/DomTreeDelegate.h"
#include "domtree/DomTreeOutlineView.h"
#include "foundation/InspectUndoManager.h"
#include "platform/kit/DraggingInfo.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebPage.h"
#include "preview/BackgroundView.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"
#include "stylesheet/CSSProperty.h"
#include "stylesheet/StyleDeclaration.h"
#include "workspace/File.h"

#include <QEventLoop>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace {

// Elements a user does not pick or move: the document's frame and what is
// not drawn.
bool isFrameOrHidden(const DOMElement *element)
{
    static const QStringList skipped{QStringLiteral("html"), QStringLiteral("head"), QStringLiteral("body"), QStringLiteral("script"),
                                     QStringLiteral("style"), QStringLiteral("link"), QStringLiteral("meta"), QStringLiteral("title"),
                                     QStringLiteral("template"), QStringLiteral("noscript"), QStringLiteral("base")};
    return skipped.contains(element->localName());
}

bool isInside(const DOMNode *node, const DOMNode *ancestor)
{
    for (; node; node = node->parentNode()) {
        if (node == ancestor)
            return true;
    }
    return false;
}

} // namespace

SessionSteps::SessionSteps(SessionShell &shell, SessionChecks &checks, File *page, quint32 seed, Typing typing)
    : m_shell(shell)
    , m_checks(checks)
    , m_page(page)
    , m_random(seed)
    , m_typing(typing)
{
}

QString SessionSteps::step(int index)
{
    Q_UNUSED(index)
    m_clearedHistory = false;
    m_reloaded = false;
    m_failure.clear();
    // Edits more often than the rest; typing only when asked for.
    switch (pick(21)) {
    case 0: return pickInTree();
    case 1: return pickInPreview();
    case 2:
    case 3: return editValue();
    case 4: return switchDeclaration();
    case 5: return addDeclaration();
    case 6: return addRule();
    case 7: return renameKeyframe();
    case 8:
    case 9: return editAttribute();
    case 10: return removeElement();
    case 11: return pasteElement();
    case 12: return dragElement();
    case 13: return m_typing == Typing::Yes ? typeInCode(false) : QString();
    case 14: return m_typing == Typing::Yes ? typeInCode(true) : QString();
    case 15: return save();
    case 16: return reload();
    case 17:
    case 18: return undoOrRedo(false);
    default: return undoOrRedo(true);
    }
}

QString SessionSteps::describe(const DOMElement *element)
{
    QString text = element->localName();
    if (const QString id = element->getAttribute(QStringLiteral("id")); !id.isEmpty())
        text += u'#' + id;
    else if (const QString classes = element->getAttribute(QStringLiteral("class")).simplified(); !classes.isEmpty())
        text += u'.' + classes.section(u' ', 0, 0);
    return text;
}

QList<DOMElement *> SessionSteps::elements() const
{
    QList<DOMElement *> found;
    DOMDocument *document = m_shell.document();
    if (!document || !document->body())
        return found;
    const std::function<void(DOMNode *)> walk = [&](DOMNode *node) {
        for (DOMNode *child = node->firstChild(); child; child = child->nextSibling()) {
            if (!child->isElement())
                continue;
            auto *element = static_cast<DOMElement *>(child);
            if (isFrameOrHidden(element) || element->namespaceURI().contains(QLatin1String("svg")))
                continue;
            if (m_shell.tree->searchDomNodeFromRoot(element) && m_shell.tree->isInFileText(element) && m_shell.tree->canEdit(element))
                found.append(element);
            walk(element);
        }
    };
    walk(document->body());
    return found;
}

bool SessionSteps::select(DOMElement *element)
{
    m_shell.tree->selectNode(element);
    const bool shown = SessionShell::waitUntil([&] {
        const DOMNodeEx *inspected = m_shell.tree->domInfoDelegate()->inspectedNode();
        return inspected && inspected->node() == element && m_shell.rules->lastSelectedElement() == element;
    }, 20000);
    if (!shown)
        m_failure = QStringLiteral("the Attributes pane and the rules panel did not show %1 chosen in the DOM tree").arg(describe(element));
    return shown;
}

QString SessionSteps::pickInTree()
{
    DOMElement *element = pickFrom(elements());
    if (!element)
        return {};
    select(element);
    return QStringLiteral("pick %1 in the DOM tree").arg(describe(element));
}

QString SessionSteps::pickInPreview()
{
    ExWebView *view = m_shell.preview->webview();
    QWidget *window = m_shell.delegate.ui().window;
    QList<const DOMNode *> candidates;
    for (DOMElement *element : elements())
        candidates.append(element);
    if (!view || !window || candidates.isEmpty())
        return {};
    // The boxes asked for in one question, then a point over one in view.
    bool known = false;
    view->prefetchBoxes(candidates, [&known] { known = true; });
    SessionShell::waitUntil([&] { return known; }, 10000);
    QList<const DOMNode *> inView;
    for (const DOMNode *element : std::as_const(candidates)) {
        const QRectF rect = view->knownRectWithElement(element).value_or(QRectF());
        if (rect.width() > 6 && rect.height() > 6 && rect.center().y() > 4 && rect.center().y() < view->height() - 10
            && rect.center().x() > 4 && rect.center().x() < view->width() - 10)
            inView.append(element);
    }
    if (inView.isEmpty())
        return {};
    const DOMNode *target = pickFrom(inView);
    const QPoint point = view->mapTo(window, view->knownRectWithElement(target)->center().toPoint());
    QWindow *handle = window->windowHandle();
    m_shell.delegate.ui().detectButton->click();
    bool hovered = false;
    const QMetaObject::Connection over = QObject::connect(view, &ExWebView::mouseDidMoveOverElement, view, [&hovered] { hovered = true; });
    QTest::mouseMove(handle, point - QPoint(1, 1));
    QTest::mouseMove(handle, point);
    SessionShell::waitUntil([&] { return hovered; }, 10000);
    QObject::disconnect(over);
    DOMNode *element = view->detectView()->element();
    if (!hovered || !element || !element->isElement()) {
        // Pick mode left as it was found.
        if (m_shell.preview->isDetectButtonOn())
            m_shell.delegate.ui().detectButton->click();
        return QStringLiteral("pick in the preview: nothing under the pointer");
    }
    QTest::mouseClick(handle, Qt::LeftButton, {}, point);
    if (!SessionShell::waitUntil([&] { return m_shell.rules->lastSelectedElement() == element; }, 20000))
        m_failure = QStringLiteral("the rules panel did not show %1 picked in the preview").arg(describe(static_cast<DOMElement *>(element)));
    return QStringLiteral("pick %1 in the preview").arg(describe(static_cast<DOMElement *>(element)));
}

QList<File *> SessionSteps::sheets() const
{
    return m_shell.rules->styleFiles();
}

QList<CSSRulePtr> SessionSteps::declarationRows() const
{
    const QList<File *> files = sheets();
    QList<CSSRulePtr> found;
    const std::function<void(const QList<CSSRulePtr> &)> walk = [&](const QList<CSSRulePtr> &rows) {
        for (const CSSRulePtr &row : rows) {
            if (row->property() && !row->isRule()) {
                const CSSRulePtr owner = row->ownerRule();
                const int kind = owner && owner->styleDeclaration() ? owner->styleDeclaration()->type() : RuleType::Other;
                if ((kind == RuleType::Style || kind == RuleType::MediaStyle || kind == RuleType::Keyframe) && !row->isShortHandChild()
                    && owner->relatedFile()
                    && files.contains(owner->relatedFile()) && m_shell.rules->domCSSRuleByStyleDeclaration(owner->styleDeclaration()))
                    found.append(row);
            } else if (!row->property()) {
                walk(row->children());
            }
        }
    };
    walk(m_shell.rules->rules());
    return found;
}

QString SessionSteps::valueFor(const QString &name)
{
    if (name.contains(QLatin1String("color")))
        return pickFrom(QStringList{QStringLiteral("green"), QStringLiteral("#123456"), QStringLiteral("rgb(1, 2, 3)")});
    static const QStringList lengths{QStringLiteral("margin"), QStringLiteral("padding"), QStringLiteral("top"), QStringLiteral("left"),
                                     QStringLiteral("width"), QStringLiteral("height"), QStringLiteral("font-size"),
                                     QStringLiteral("line-height"), QStringLiteral("border-radius")};
    for (const QString &length : lengths) {
        if (name.startsWith(length))
            return QString::number(pick(30)) + QStringLiteral("px");
    }
    if (name == QLatin1String("opacity"))
        return QStringLiteral("0.%1").arg(pick(9) + 1);
    return pickFrom(QStringList{QStringLiteral("inherit"), QStringLiteral("initial"), QStringLiteral("unset")});
}

QString SessionSteps::editValue()
{
    const CSSRulePtr row = pickFrom(declarationRows());
    if (!row)
        return {};
    const QString name = row->propName();
    const QString value = valueFor(name);
    const QString selector = row->ownerRule()->styleDeclaration()->selector();
    if (row->ownerRule()->styleDeclaration()->type() == RuleType::Keyframe)
        m_shell.rules->commitKeyframeStyleChange(row, value);
    else
        m_shell.rules->commitCSSValueChange(row, value, true);
    return QStringLiteral("value %1 { %2: %3 }").arg(selector, name, value);
}

QList<CSSRulePtr> SessionSteps::styleRuleRows() const
{
    QList<CSSRulePtr> found;
    for (const CSSRulePtr &row : declarationRows()) {
        if (row->ownerRule()->styleDeclaration()->type() != RuleType::Keyframe)
            found.append(row);
    }
    return found;
}

QString SessionSteps::switchDeclaration()
{
    const CSSRulePtr row = pickFrom(styleRuleRows());
    if (!row)
        return {};
    const bool on = !row->property()->isEnabled();
    const QString selector = row->ownerRule()->styleDeclaration()->selector();
    m_shell.rules->commitStyleEnabled(row, on);
    return QStringLiteral("switch %1 { %2 } %3").arg(selector, row->propName(), on ? QStringLiteral("on") : QStringLiteral("off"));
}

QString SessionSteps::addDeclaration()
{
    const CSSRulePtr row = pickFrom(styleRuleRows());
    if (!row)
        return {};
    const StyleDeclarationPtr rule = row->ownerRule()->styleDeclaration();
    const QString name = pickFrom(QStringList{QStringLiteral("top"), QStringLiteral("color"), QStringLiteral("opacity"),
                                              QStringLiteral("margin-left"), QStringLiteral("-webkit-user-select")});
    const QString value = name.endsWith(QLatin1String("user-select")) ? QStringLiteral("text") : valueFor(name);
    m_shell.rules->doAddDeclaration(rule, name, value);
    return QStringLiteral("add %1 { %2: %3 }").arg(rule->selector(), name, value);
}

QString SessionSteps::addRule()
{
    const QList<File *> files = sheets();
    File *sheet = pickFrom(files);
    if (!sheet || !sheet->styleDeclarations())
        return {};
    QList<StyleDeclarationPtr> topLevel;
    for (const StyleDeclarationPtr &d : *sheet->styleDeclarations()) {
        if (!d->isRemoved() && !d->isInBraket() && d->type() == RuleType::Style)
            topLevel.append(d);
    }
    const StyleDeclarationPtr anchor = pick(4) == 0 ? nullptr : pickFrom(topLevel);
    const QString selector = QStringLiteral(".qs-rule-%1").arg(++m_made);
    m_shell.rules->createSelector(selector, pick(2) ? QStringLiteral("top: 1px;") : QString(), sheet, anchor);
    return QStringLiteral("add rule %1 to %2 after %3")
        .arg(selector, sheet->displayName(), anchor ? anchor->selector() : QStringLiteral("the start"));
}

QString SessionSteps::renameKeyframe()
{
    QList<std::pair<File *, StyleDeclarationPtr>> blocks;
    for (File *sheet : sheets()) {
        for (const StyleDeclarationPtr &d : sheet->styleDeclarations().value_or(QList<StyleDeclarationPtr>())) {
            if (!d->isRemoved() && d->type() == RuleType::Keyframes && m_shell.rules->domCSSRuleByStyleDeclaration(d))
                blocks.append({sheet, d});
        }
    }
    if (blocks.isEmpty())
        return {};
    const auto [sheet, block] = blocks.at(pick(int(blocks.size())));
    const QList<StyleDeclarationPtr> keyframes = sheet->getMediaChildren(*block);
    QStringList keys;
    for (const StyleDeclarationPtr &keyframe : keyframes)
        keys.append(CSSOutlineDelegate::normalizedKeyText(keyframe->selector()));
    const StyleDeclarationPtr keyframe = pickFrom(keyframes);
    QStringList free;
    for (const QString &key : {QStringLiteral("13%"), QStringLiteral("37%"), QStringLiteral("61%"), QStringLiteral("87%")}) {
        if (!keys.contains(key))
            free.append(key);
    }
    if (!keyframe || free.isEmpty() || keyframe->selector().contains(u','))
        return {};
    const QString key = pickFrom(free);
    const QString old = keyframe->selector();
    m_shell.rules->changeKeyframeNameIn(block, keyframe, CSSOutlineDelegate::createNewKeyframe(key));
    return QStringLiteral("rename keyframe %1 of %2 to %3").arg(old, block->selector(), key);
}

QString SessionSteps::editAttribute()
{
    DOMElement *element = pickFrom(elements());
    if (!element || !select(element))
        return {};
    DomInfoDelegate *inspector = m_shell.tree->domInfoDelegate();
    const QString name = QStringLiteral("data-qs-%1").arg(pick(3));
    const QString value = QStringLiteral("v%1").arg(++m_made);
    inspector->attrName()->setText(name);
    inspector->attrValue()->setText(value);
    inspector->addAttr();
    return QStringLiteral("attribute %1=\"%2\" on %3").arg(name, value, describe(element));
}

QString SessionSteps::removeElement()
{
    DOMElement *element = pickFrom(elements());
    if (!element || !select(element))
        return {};
    const QString what = describe(element);
    m_shell.tree->removeNode();
    return QStringLiteral("remove %1").arg(what);
}

QString SessionSteps::pasteElement()
{
    const QList<DOMElement *> all = elements();
    DOMElement *copied = pickFrom(all);
    DOMElement *target = pickFrom(all);
    if (!copied || !target || !select(copied))
        return {};
    const QString what = describe(copied);
    m_shell.tree->copy();
    if (!select(target))
        return {};
    m_shell.tree->paste();
    return QStringLiteral("copy %1, paste at %2").arg(what, describe(target));
}

QString SessionSteps::dragElement()
{
    const QList<DOMElement *> all = elements();
    DOMElement *moved = pickFrom(all);
    if (!moved)
        return {};
    QList<DOMElement *> places;
    for (DOMElement *element : all) {
        static const QStringList holders{QStringLiteral("div"), QStringLiteral("section"), QStringLiteral("main"), QStringLiteral("article")};
        if (holders.contains(element->localName()) && !isInside(element, moved))
            places.append(element);
    }
    DOMElement *into = pickFrom(places);
    DOMNodeEx *from = m_shell.tree->searchDomNodeFromRoot(moved);
    DOMNodeEx *onto = into ? m_shell.tree->searchDomNodeFromRoot(into) : nullptr;
    if (!from || !onto)
        return {};
    QMimeData mime;
    if (!m_shell.tree->writeItems(m_shell.tree->outline(), {from}, &mime))
        return {};
    DraggingInfo drag;
    drag.pasteboard = &mime;
    drag.source = m_shell.tree->outline();
    drag.sourceOperationMask = Qt::CopyAction | Qt::MoveAction;
    const QString what = QStringLiteral("drag %1 into %2").arg(describe(moved), describe(into));
    if (m_shell.tree->validateDrop(m_shell.tree->outline(), drag, onto, -1) == Qt::IgnoreAction) {
        m_shell.tree->draggingExited();
        return what + QStringLiteral(" (refused)");
    }
    m_shell.tree->acceptDrop(m_shell.tree->outline(), drag, onto, -1);
    return what;
}

QString SessionSteps::typeInCode(bool sheet)
{
    File *file = sheet ? pickFrom(sheets()) : m_page;
    if (!file || !m_shell.chooseInFileTree(file))
        return {};
    m_checks.noteCandidate(file);
    CodeView *view = nullptr;
    if (!SessionShell::waitUntil([&] {
            view = m_shell.viewer->mainCodeView();
            return view && view->file() == file && view->string() == file->currentContent().value_or(QString());
        }, 20000)) {
        m_failure = QStringLiteral("the code view did not show %1 chosen in the file tree").arg(file->displayName());
        return QStringLiteral("type into %1").arg(file->displayName());
    }
    view->setFocus();
    view->moveCursor(QTextCursor::End);
    // A comment typed, one slip taken back with Backspace and one with Delete.
    const QString mark = QStringLiteral("qs%1").arg(++m_made);
    const QString typed = sheet ? QStringLiteral("/*%1zw*/").arg(mark) : QStringLiteral("<!--%1zw-->").arg(mark);
    QTest::keyClicks(view, typed);
    for (int i = 0; i < (sheet ? 2 : 3); ++i)
        QTest::keyClick(view, Qt::Key_Left);
    QTest::keyClick(view, Qt::Key_Backspace);
    QTest::keyClick(view, Qt::Key_Left);
    QTest::keyClick(view, Qt::Key_Delete);
    SessionShell::processEvents();
    // The code pane shows the page again.
    m_shell.chooseInFileTree(m_page);
    return QStringLiteral("type %1 into the code of %2").arg(sheet ? QStringLiteral("/*%1*/").arg(mark) : QStringLiteral("<!--%1-->").arg(mark),
                                                         file->displayName());
}

QString SessionSteps::save()
{
    const int before = m_shell.loads;
    bool loadsAgain = false;
    const QMetaObject::Connection started = QObject::connect(m_shell.preview->webview()->webPage(), &WebPage::loadStarted,
                                                             [&loadsAgain] { loadsAgain = true; });
    m_shell.delegate.save();
    // A saved text the page could not follow is loaded again at the next turn.
    SessionShell::waitUntil([&] { return !TestUtil::hasShortDelayedCall(m_shell.projects); }, 5000);
    QObject::disconnect(started);
    if (loadsAgain)
        waitForReload(before);
    return QStringLiteral("save");
}

QString SessionSteps::reload()
{
    const int before = m_shell.loads;
    m_shell.preview->reloadPage();
    waitForReload(before);
    return QStringLiteral("reload");
}

void SessionSteps::waitForReload(int loadsBefore)
{
    if (!SessionShell::waitUntil([&] { return m_shell.loads > loadsBefore && m_shell.isShowing(m_page); }, 60000))
        m_failure = QStringLiteral("the page was not shown again after a reload");
    m_shell.settle();
    m_checks.takeElementsBaseline();
    m_clearedHistory = !m_shell.undo->canUndo() && !m_shell.undo->canRedo();
    m_reloaded = true;
}

QString SessionSteps::undoOrRedo(bool redo)
{
    InspectUndoManager *undo = m_shell.undo;
    if (redo ? !undo->canRedo() : !undo->canUndo())
        return {};
    const QString name = redo ? undo->redoActionName() : undo->undoActionName();
    redo ? undo->redo() : undo->undo();
    return QStringLiteral("%1 %2").arg(redo ? QStringLiteral("redo") : QStringLiteral("undo"), name);
}
