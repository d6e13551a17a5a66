// DomTreeDelegate: the page follows its text as a code view changes it.

#include "DomTreeDelegate.h"

#include "DOMNodeEx.h"

#include "foundation/InspectUndoManager.h"
#include "foundation/StringUtils.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/web/dom/DOMAttr.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLParser.h"
#include "workspace/File.h"

#include <utility>

namespace {

// Texts longer than this are not followed: the page is reloaded for them.
constexpr qsizetype kLongestFollowedText = 8 * 1024 * 1024;

struct Side
{
    const QString &text;
    const HTMLSourceMap &map;
};

QStringView sourceText(const Side &side, const DOMNode *node)
{
    const HTMLSourceRange *range = side.map.rangeOf(node);
    if (!range || !range->isValid() || range->end > side.text.size())
        return {};
    return QStringView(side.text).sliced(range->start, range->end - range->start);
}

// Nodes of the same kind and name: one can be made the other in place.
bool sameKind(const DOMNode *a, const DOMNode *b)
{
    if (a->nodeType() != b->nodeType())
        return false;
    if (!a->isElement())
        return true;
    const auto *x = static_cast<const DOMElement *>(a);
    const auto *y = static_cast<const DOMElement *>(b);
    return x->localName() == y->localName() && x->namespaceId() == y->namespaceId();
}

QList<const DOMNode *> childrenOf(const DOMNode *node)
{
    const DOMNode *parent = DOMNodeEx::contentParent(node);
    QList<const DOMNode *> children;
    for (int i = 0; i < parent->childCount(); ++i)
        children.append(parent->childAt(i));
    return children;
}

} // namespace

// Walks the text as paired and the text now side by side, and changes the
// page's nodes paired with the first where the second differs: a text or
// an attribute in place, keeping the nodes; children that came or went are
// made from the new text and put where they stand in it. Answers false for
// a change the page cannot take so (the parser moved nodes, the document's
// own parts changed).
class DomTreeDelegate::TextFollower
{
public:
    TextFollower(const HTMLSourcePairing &pairing, DOMDocument &live, Side before, Side after)
        : m_pairing(pairing), m_live(live), m_before(before), m_after(after)
    {
    }

    bool follow(const DOMNode *old, const DOMNode *now)
    {
        if (!sameKind(old, now))
            return false;
        DOMNode *live = liveOf(old);
        // What the page's scripts took away stays away.
        if (!live)
            return true;
        if (old->isCharacterData()) {
            if (old->nodeValue() != now->nodeValue())
                live->setNodeValue(now->nodeValue());
            return true;
        }
        if (old->isElement()
            && !followAttributes(static_cast<const DOMElement *>(old), static_cast<const DOMElement *>(now),
                                 static_cast<DOMElement *>(live)))
            return false;
        return followChildren(old, now, live);
    }

private:
    DOMNode *liveOf(const DOMNode *source) const
    {
        const qint64 id = m_pairing.liveIdOf(source);
        DOMNode *live = id ? m_live.nodeForId(id) : nullptr;
        // A node an edit took out of the page is not the page's.
        return live && live->isConnected() ? live : nullptr;
    }

    // False for a name the parser reads but the page's DOM takes no
    // attribute of (a stray quote in a start tag).
    static bool followAttributes(const DOMElement *old, const DOMElement *now, DOMElement *live)
    {
        for (int i = 0; i < old->attributeCount(); ++i) {
            const QString name = old->attributeAt(i)->name();
            if (!now->hasAttribute(name))
                live->removeAttribute(name);
        }
        for (int i = 0; i < now->attributeCount(); ++i) {
            const DOMAttr *attribute = now->attributeAt(i);
            const QString name = attribute->name();
            if ((!old->hasAttribute(name) || old->getAttribute(name) != attribute->value())
                && !live->setAttribute(name, attribute->value()))
                return false;
        }
        return true;
    }

    bool followChildren(const DOMNode *old, const DOMNode *now, DOMNode *live)
    {
        const QList<const DOMNode *> before = childrenOf(old);
        const QList<const DOMNode *> after = childrenOf(now);
        const auto same = [this](const DOMNode *a, const DOMNode *b) {
            const QStringView x = sourceText(m_before, a);
            return sameKind(a, b) && !x.isEmpty() && x == sourceText(m_after, b);
        };
        // The children whose text did not change, at both ends, stay as they are.
        const qsizetype shorter = std::min(before.size(), after.size());
        qsizetype head = 0;
        while (head < shorter && same(before.at(head), after.at(head)))
            ++head;
        qsizetype tail = 0;
        while (tail < shorter - head && same(before.at(before.size() - 1 - tail), after.at(after.size() - 1 - tail)))
            ++tail;
        const QList<const DOMNode *> gone = before.mid(head, before.size() - head - tail);
        const QList<const DOMNode *> came = after.mid(head, after.size() - head - tail);
        // As many of the same kinds: each is followed into.
        if (gone.size() == came.size()
            && std::equal(gone.cbegin(), gone.cend(), came.cbegin(), [](const DOMNode *a, const DOMNode *b) { return sameKind(a, b); })) {
            for (qsizetype i = 0; i < gone.size(); ++i) {
                if (!follow(gone.at(i), came.at(i)))
                    return false;
            }
            return true;
        }
        // Others: those that went are taken out, those that came made anew.
        if (!live->isElement() || live->nodeName().compare(QLatin1String("html"), Qt::CaseInsensitive) == 0)
            return false;
        for (const DOMNode *node : gone) {
            if (node->isElement()) {
                const QString name = static_cast<const DOMElement *>(node)->localName();
                if (name == QLatin1String("head") || name == QLatin1String("body"))
                    return false;
            }
        }
        DOMNode *parent = const_cast<DOMNode *>(DOMNodeEx::contentParent(live));
        // The new children are made from their text, which must lie in
        // order inside their parent's, as the parser read it there; a text
        // the parser moved in (the blanks after "</body>") from its characters.
        const HTMLSourceRange *within = m_after.map.rangeOf(now);
        if (!within || !within->isValid())
            return false;
        QString markup;
        qsizetype cursor = within->startTagEnd;
        for (const DOMNode *node : came) {
            const HTMLSourceRange *range = m_after.map.rangeOf(node);
            if (range && range->isValid() && range->start >= cursor && range->end <= within->endTagStart) {
                markup += QStringView(m_after.text).sliced(range->start, range->end - range->start);
                cursor = range->end;
            } else if (node->isText()) {
                markup += node->nodeValue().toHtmlEscaped();
            } else {
                return false;
            }
        }
        // What came stands before the first node after it that the page
        // shows; a text without a partner there (the blanks a reload leaves
        // last in the body) is passed over, and with none left it goes last.
        DOMNode *reference = nullptr;
        for (qsizetype i = before.size() - tail; i < before.size() && !markup.isEmpty(); ++i) {
            reference = liveOf(before.at(i));
            if (reference && reference->parentNode() == parent)
                break;
            reference = nullptr;
            if (!before.at(i)->isText())
                return false;
        }
        for (const DOMNode *node : gone) {
            if (DOMNode *shown = liveOf(node); shown && shown->parentNode() == parent)
                parent->removeChild(shown);
        }
        if (markup.isEmpty())
            return true;
        const auto *element = static_cast<const DOMElement *>(live);
        const std::shared_ptr<DOMDocumentFragment> fragment =
            HTMLParser::parseFragment(m_live, markup, element->localName(), element->namespaceId());
        if (!fragment)
            return false;
        const Result<void> inserted = reference ? parent->insertBefore(fragment.get(), reference) : parent->appendChild(fragment.get());
        return bool(inserted);
    }

    const HTMLSourcePairing &m_pairing;
    DOMDocument &m_live;
    Side m_before;
    Side m_after;
};

void DomTreeDelegate::watchReplays()
{
    InspectUndoManager *undo = undoManager();
    if (!undo || m_watchedManager == undo)
        return;
    m_watchedManager = undo;
    const auto noteVersion = [this] {
        m_versionBeforeReplay = m_indexFile ? std::optional<quint64>(m_indexFile->contentVersion()) : std::nullopt;
    };
    connect(undo, &InspectUndoManager::willUndoChange, this, noteVersion);
    connect(undo, &InspectUndoManager::willRedoChange, this, noteVersion);
    connect(undo, &InspectUndoManager::didUndoChange, this, &DomTreeDelegate::settleAfterReplay);
    connect(undo, &InspectUndoManager::didRedoChange, this, &DomTreeDelegate::settleAfterReplay);
}

void DomTreeDelegate::textChangedElsewhere(File *file)
{
    if (!file || file != m_indexFile)
        return;
    watchReplays();
    m_followPending = true;
    InspectUndoManager *undo = undoManager();
    // A step undone or redone is followed once it is back whole.
    if (undo && (undo->isUndoing() || undo->isRedoing()))
        return;
    followText();
}

bool DomTreeDelegate::followsTextForNodeGone(const DOMNode *node)
{
    InspectUndoManager *undo = undoManager();
    if (!node || node->isConnected() || !undo || !(undo->isUndoing() || undo->isRedoing()))
        return false;
    watchReplays();
    m_followPending = true;
    // The opposite step follows the text in its turn.
    if (m_indexFile)
        undo->prepareWithInvocationTarget(m_indexFile.data(), followMark(m_indexFile));
    return true;
}

void DomTreeDelegate::willReloadPage()
{
    InspectUndoManager *undo = undoManager();
    File *file = m_indexFile;
    if (!undo || !file || !m_document)
        return;
    // The nodes the steps hold go with the page; what the steps changed in
    // the file's text is what the page loaded anew shows (#84).
    const QPointer<DomTreeDelegate> guard(this);
    const QPointer<File> text(file);
    const TargetRef onText(file);
    const auto markOf = [this, onText, file](const TargetRef &target) {
        return target == onText ? followMark(file) : InspectUndoManager::Action();
    };
    const int kept = undo->keepStepsOnText([this](const TargetRef &target) { return target.owner() == this; }, markOf,
                                           [guard, text] {
                                               return guard && text && guard->m_indexFile == text && guard->isShownDocument()
                                                      && guard->isFilesOwnDocument();
                                           });
    if (kept > 0) {
        QM_DEBUG(QStringLiteral("%1 undo steps of the tree kept on the text of %2").arg(kept).arg(file->path()));
        // Every undo and redo from now on settles the page with its text,
        // the tree's own steps made after the reload among them.
        watchReplays();
    }
}

std::function<void()> DomTreeDelegate::followMark(File *file)
{
    return [guard = QPointer<DomTreeDelegate>(this), file = QPointer<File>(file)] {
        if (!guard || !file)
            return;
        if (InspectUndoManager *undo = undoManager())
            undo->prepareWithInvocationTarget(file.data(), guard->followMark(file));
        guard->textChangedElsewhere(file);
    };
}

bool DomTreeDelegate::pairsAllWritten(const HTMLSourcePairing &written) const
{
    // Every element the text held, or the tree wrote into it, must find its
    // place in the text written; one that does not would be written anew.
    // (Blanks a removal left in the page have no place there.)
    const std::function<bool(const DOMNode *)> paired = [&](const DOMNode *node) {
        if (node->isElement() && (m_pairing.sourceOf(node) || m_edits.givenOf(node)) && !written.sourceOf(node))
            return false;
        for (int i = 0; i < node->childCount(); ++i) {
            if (!paired(node->childAt(i)))
                return false;
        }
        return true;
    };
    return paired(m_document.get());
}

void DomTreeDelegate::settleAfterReplay()
{
    if (m_followPending) {
        followText();
        return;
    }
    // A step of the tree put the page and its text back together: they are
    // paired again as they now stand, nothing left to write. A step that
    // left the page's text alone (another file's) leaves the pairing too:
    // the tree's writes since stay in the page only as edits (#84).
    const std::optional<quint64> before = std::exchange(m_versionBeforeReplay, std::nullopt);
    File *file = m_indexFile;
    if (file && before && file->contentVersion() == *before)
        return;
    const std::optional<QString> text = file && m_document && m_pairing.sourceDocument() ? file->content() : std::nullopt;
    if (!text || !isShownDocument() || !isFilesOwnDocument())
        return;
    // Back at the text the page was paired with: the tree's writes since
    // are undone with it, the last one written included.
    if (*text != m_pairing.text())
        m_pairing.pairChanged(*text, *m_document, m_pairing);
    m_lastWrittenText.clear();
    m_treeMovedNodes = false;
    m_edits.clear();
    noteWrittenText(file);
    file->noteContentShown();
}

void DomTreeDelegate::followText()
{
    m_followPending = false;
    File *file = m_indexFile;
    if (!file || !m_document || !isShownDocument() || !isFilesOwnDocument())
        return;
    const std::optional<QString> text = file->content();
    if (!text || !m_pairing.isPaired() || !m_pairing.sourceDocument())
        return;
    // The tree's own writes since the pairing are in the page but not in
    // the text paired: the page is paired with the text that holds them, the
    // last it wrote, so that only the change since is laid over it (#84).
    if (m_treeMovedNodes && !m_lastWrittenText.isNull() && m_lastWrittenText != m_pairing.text()
        && m_lastWrittenText.size() <= kLongestFollowedText) {
        HTMLSourcePairing written;
        written.pairChanged(m_lastWrittenText, *m_document, m_pairing);
        if (!written.isPaired() || !pairsAllWritten(written)) {
            QM_INFO(QStringLiteral("the page of %1 could not be paired with the text the tree wrote; a reload shows the text")
                        .arg(file->path()));
            return;
        }
        m_pairing = written;
        m_treeMovedNodes = false;
        m_edits.forgetWritten();
    }
    if (*text == m_pairing.text()) {
        file->noteContentShown();
        return;
    }
    const QString before = m_pairing.text();
    if (text->size() > kLongestFollowedText || before.size() > kLongestFollowedText) {
        QM_INFO(QStringLiteral("%1 is too long for the page to follow each change of its text").arg(file->path()));
        return;
    }
    const HTMLSourcePairing::Parsed parsed = HTMLSourcePairing::parse(*text, m_document->scripting());
    const DOMElement *oldRoot = m_pairing.sourceDocument()->documentElement();
    const DOMElement *newRoot = parsed.document ? parsed.document->documentElement() : nullptr;
    if (!oldRoot || !newRoot || !parsed.map) {
        QM_INFO(QStringLiteral("the page cannot follow the text of %1").arg(file->path()));
        return;
    }
    bool followed = false;
    {
        TextFollower follower(m_pairing, *m_document, Side{before, m_pairing.sourceMap()}, Side{*text, *parsed.map});
        m_domModifyNow = true;
        followed = follower.follow(oldRoot, newRoot);
        m_domModifyNow = false;
    }
    // The page now stands for this text, every edit of it written: it is
    // paired with it anew.
    m_pairing.pairChanged(*text, parsed, *m_document, m_pairing);
    m_lastWrittenText.clear();
    m_treeMovedNodes = false;
    m_edits.clear();
    noteWrittenText(file);
    if (followed) {
        file->noteContentShown();
        QM_DEBUG(QStringLiteral("the page follows the text of %1").arg(file->path()));
    } else {
        const auto [prefix, suffix] = StringUtils::commonEnds(before, *text);
        QM_INFO(QStringLiteral("the page cannot take this change of the text of %1 in place (\"%2\" for \"%3\" at %4); a reload "
                               "shows it")
                    .arg(file->path(), text->mid(prefix, text->size() - prefix - suffix).left(80),
                         before.mid(prefix, before.size() - prefix - suffix).left(80))
                    .arg(prefix));
    }
}
