// CSSOutlineDelegate: the write-back of an edited style sheet's text through
// the deferred-write batcher, and saving.

#include "CSSOutlineDelegate.h"

#include "CSSRule.h"
#include "StyleSheetSource.h"
#include "StyleSheetWriter.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "stylesheet/StringCSSValue.h"
#include "stylesheet/StyleSheetParser.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/RBLPopover.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QScrollBar>

namespace {

// The ranges and lines of a model, to put back.
struct Layout
{
    QList<std::pair<StyleDeclarationPtr, std::pair<Range, qsizetype>>> items;
    // Runs of items that moved together, and by how much.
    QList<StyleSheetWriter::Result::Shift> shifted;

    // The items a write moved, with their place before it.
    static Layout movedBy(const StyleSheetWriter::Result &result)
    {
        Layout layout;
        layout.items = result.moved;
        layout.shifted = result.shifted;
        return layout;
    }
    bool isEmpty() const { return items.isEmpty() && shifted.isEmpty(); }
    // The same items with their place now.
    Layout now() const
    {
        Layout layout;
        for (const auto &[declaration, where] : items)
            layout.items.append({declaration, {declaration->range(), declaration->lineNumber()}});
        layout.shifted = shifted;
        for (StyleSheetWriter::Result::Shift &shift : layout.shifted) {
            shift.characters = -shift.characters;
            shift.lines = -shift.lines;
        }
        return layout;
    }
    // The moves first: an item placed on its own may move with an anchor as well.
    void restore() const
    {
        const auto moveBack = [](const StyleDeclarationPtr &declaration, const StyleSheetWriter::Result::Shift &shift) {
            const Range range = declaration->range();
            declaration->setRange({range.location - shift.characters, range.length});
            declaration->setLineNumber(declaration->lineNumber() - shift.lines);
        };
        for (const StyleSheetWriter::Result::Shift &shift : shifted) {
            for (const StyleDeclarationPtr &declaration : shift.declarations)
                moveBack(declaration, shift);
            for (const StyleSheetSource::Items::AnchoredRun &run : shift.runs) {
                if (run.anchor->joined == run.joined) {
                    run.anchor->characters -= shift.characters;
                    run.anchor->lines -= shift.lines;
                    continue;
                }
                // Items joined or left the anchor since: each moves back alone.
                for (const StyleSheetSource::ItemText &item : *run.items)
                    moveBack(item.declaration, shift);
            }
        }
        for (const auto &[declaration, where] : items) {
            declaration->setRange(where.first);
            declaration->setLineNumber(where.second);
        }
    }
};

// Whether the file's text is the one the source was made from, the very same.
bool holdsTextOf(File *file, const StyleSheetSource *source)
{
    const std::optional<QString> now = file->currentContent();
    return now && source && now->constData() == source->text().constData() && now->size() == source->text().size();
}

// Whether a write changes the file's text: around the change alone when the
// write knows what it kept of the text it was made from.
std::optional<File::UnchangedEnds> knownEnds(File *file, const StyleSheetSource *previous, const StyleSheetWriter::Result &result)
{
    return holdsTextOf(file, previous) ? result.unchangedEnds : std::nullopt;
}

bool changesText(File *file, const std::optional<File::UnchangedEnds> &ends, const QString &text)
{
    const std::optional<QString> now = file->currentContent();
    if (!ends || !now)
        return now != std::optional<QString>(text);
    const auto [start, end] = *ends;
    return now->size() != text.size()
           || QStringView(*now).sliced(start, now->size() - start - end) != QStringView(text).sliced(start, text.size() - start - end);
}

// Undo puts the places back, and registers the way back for Redo.
void registerItemPlaces(InspectUndoManager *undo, CSSOutlineDelegate *panel, const QPointer<File> &file, const Layout &undoTo,
                        const Layout &redoTo)
{
    undo->prepareWithInvocationTarget(panel, [undo, panel, file, undoTo, redoTo] {
        if (!file)
            return;
        undoTo.restore();
        registerItemPlaces(undo, panel, file, redoTo, undoTo);
    });
}

} // namespace

// --- The model of a file --------------------------------------------------------------------

bool CSSOutlineDelegate::writesMinified(File *file) const
{
    if (!file)
        return false;
    if (StyleSheetWriterSettings::fromConfig(settingsOf(file)).minify)
        return true;
    const std::optional<QString> text = file->currentContent();
    return text && StyleSheetWriter::isMinifiedText(*text);
}

QString CSSOutlineDelegate::valueForSheetOf(const CSSRulePtr &row, const QString &before, const QString &after) const
{
    if (!row || !writesMinified(row->relatedFile()))
        return after;
    return StringCSSValue::compactedEdit(before, after);
}

QVariantMap CSSOutlineDelegate::settingsOf(File *file) const
{
    if (!file)
        return {};
    // The file's own project: the settings follow the file, not whichever
    // project is current.
    if (file->isLocalFile())
        return file->rootProject().isEmpty() ? ProjectUtil::getCurrentProjectConfig()
                                             : ProjectUtil::getProjectConfig(file->rootProject());
    if (file->hasBypass()) {
        const QString local = file->bypassPath().toLocalFile();
        for (const auto &[path, config] : ProjectUtil::projectConfigsCache().asKeyValueRange()) {
            if (local.startsWith(path + u'/'))
                return config;
        }
    }
    return {};
}

void CSSOutlineDelegate::forgetWhenGone(File *file)
{
    if (m_watchedFiles.contains(file))
        return;
    m_watchedFiles.insert(file);
    connect(file, &QObject::destroyed, this, [this, file] {
        m_sources.remove(file);
        m_readAgainItems.remove(file);
        m_watchedFiles.remove(file);
    });
}

void CSSOutlineDelegate::readAgain(File *file, const QString &why)
{
    const std::optional<QString> text = file->currentContent();
    const VendarPrefixSettings settings = CSSRule::prefixSettingsOf(file);
    const QList<StyleDeclarationPtr> declarations = StyleSheetParser::parseStyleSheet(text.value_or(QString()), file, settings);
    const QList<StyleDeclarationPtr> before = file->styleDeclarations().value_or(QList<StyleDeclarationPtr>());
    keepLiveRulesOf(file, before);
    file->setStyleDeclarations(declarations);
    m_sources.insert(file, StyleSheetSource::read(text.value_or(QString()), declarations));
    // Each item before is found again where it stood: the rule the panel
    // shows, and the one chosen in the style-sheet manager, stay shown (#78).
    QHash<std::pair<int, QString>, QList<StyleDeclarationPtr>> read;
    for (const StyleDeclarationPtr &declaration : declarations)
        read[{declaration->type(), declaration->selector()}].append(declaration);
    QHash<std::pair<int, QString>, int> seen;
    QHash<const StyleDeclaration *, StyleDeclarationPtr> now;
    for (const StyleDeclarationPtr &declaration : before) {
        const std::pair<int, QString> key{declaration->type(), declaration->selector()};
        now.insert(declaration.get(), read.value(key).value(seen[key]++));
    }
    // Items of earlier models still held are followed on to this one.
    ReadAgainItems items;
    for (const auto &[earlier, then] : m_readAgainItems.value(file)) {
        const StyleDeclarationPtr held = then.lock();
        if (!earlier.expired() && held)
            items.append({earlier, now.value(held.get())});
    }
    for (const StyleDeclarationPtr &declaration : before)
        items.append({declaration, now.value(declaration.get())});
    m_readAgainItems.insert(file, items);
    for (StyleDeclarationPtr *shown : {&m_shownStyleDeclaration, &m_shownKeyframesRule, &m_shownKeyframe}) {
        if (*shown && now.contains(shown->get()))
            *shown = now.value(shown->get());
    }
    if (!why.isEmpty())
        QM_INFO(QStringLiteral("%1: %2; its rules were read again").arg(file->path(), why));
    forgetWhenGone(file);
}

void CSSOutlineDelegate::keepLiveRulesOf(const File *file, const QList<StyleDeclarationPtr> &readOver)
{
    m_liveRulesOfItems.removeIf([](const auto &entry) { return entry.value().item.expired() || entry.value().rule.expired(); });
    for (const StyleDeclarationPtr &item : readOver) {
        if (const DOMCSSRulePtr rule = item->type() == RuleType::Comment ? nullptr : pairedRuleOf(file, item.get()))
            keepLiveRule(item, rule);
    }
}

void CSSOutlineDelegate::keepLiveRule(const StyleDeclarationPtr &item, const DOMCSSRulePtr &rule)
{
    m_liveRulesOfItems.insert(item.get(), {item, rule});
}

StyleDeclarationPtr CSSOutlineDelegate::declarationReadAgain(const StyleDeclarationPtr &declaration) const
{
    if (!declaration)
        return nullptr;
    for (const ReadAgainItems &items : m_readAgainItems) {
        for (const auto &[before, now] : items) {
            if (before.lock() == declaration)
                return now.lock();
        }
    }
    return nullptr;
}

std::shared_ptr<StyleSheetSource> CSSOutlineDelegate::sourceOf(File *file)
{
    if (!file)
        return nullptr;
    watchUndoManager();
    const std::optional<QString> text = file->currentContent();
    const std::shared_ptr<StyleSheetSource> known = m_sources.value(file);
    const std::optional<QList<StyleDeclarationPtr>> &declarations = file->styleDeclarations();
    if (known && declarations && text && known->text() == *text && known->describes(*declarations))
        return known;
    if (known && declarations && text && known->describes(*declarations)) {
        // In the middle of an undo or redo text and model are put back one
        // after the other: the model is lined up once the step is done.
        if (InspectUndoManager *undo = undoManager(); undo && (undo->isUndoing() || undo->isRedoing()))
            return known;
        // The text an undo or redo put back: the model, put back too, is
        // lined up with it and keeps its objects.
        if (const std::shared_ptr<StyleSheetSource> lined = linedUp(file, *text, *declarations)) {
            m_sources.insert(file, lined);
            return lined;
        }
    }
    if (!text) {
        QM_INFO(QStringLiteral("%1 has no text that could be read; its rules are not listed").arg(file->path()));
        file->setStyleDeclarations(QList<StyleDeclarationPtr>());
        m_sources.insert(file, std::make_shared<StyleSheetSource>());
        return m_sources.value(file);
    }
    if (!known && declarations) {
        // Parsed elsewhere: taken as it is when its ranges fit the text.
        const auto fits = std::all_of(declarations->cbegin(), declarations->cend(), [&text](const StyleDeclarationPtr &d) {
            const Range range = d->range();
            if (range.end() > text->size())
                return false;
            if (d->type() == RuleType::Comment)
                return text->mid(range.location, 2) == QLatin1String("/*");
            return !d->hasBody() || d->type() == RuleType::Other || text->at(range.location) == u'{';
        });
        if (fits) {
            m_sources.insert(file, StyleSheetSource::read(*text, *declarations));
            forgetWhenGone(file);
            return m_sources.value(file);
        }
    }
    QString why;
    if (known)
        why = known->text() == *text ? QStringLiteral("its rules were dropped outside the rules panel")
                                     : QStringLiteral("its text changed outside the rules panel");
    readAgain(file, why);
    if (known) {
        // The rows stand for items that are gone.
        clearAllCSSRuleCache();
        m_pairings.clear();
        relistReadAgain();
    }
    return m_sources.value(file);
}

void CSSOutlineDelegate::relistReadAgain()
{
    // Rows of gone items would take no edit (#78).
    if (std::exchange(m_relistPending, true))
        return;
    DelayedPerform::atEndOfTurn(this, [this] {
        m_relistPending = false;
        reloadRuleList(1);
    });
}

std::shared_ptr<StyleSheetSource> CSSOutlineDelegate::linedUp(File *file, const QString &text,
                                                             const QList<StyleDeclarationPtr> &declarations) const
{
    StyleSheetWriter writer(StyleSheetWriterSettings::fromConfig(settingsOf(file)));
    writer.setTempKeyframeDeclarations(file);
    StyleSheetWriter::Result result = writer.lineUp(text, declarations);
    if (!result.ok) {
        QM_INFO(QStringLiteral("%1: the rules do not line up with its text: %2").arg(file->path(), result.error));
        return nullptr;
    }
    return result.source;
}

bool CSSOutlineDelegate::keepsRulesOf(File *file)
{
    if (!file)
        return false;
    const std::shared_ptr<StyleSheetSource> known = m_sources.value(file);
    const std::optional<QString> text = file->currentContent();
    const std::optional<QList<StyleDeclarationPtr>> &declarations = file->styleDeclarations();
    if (!known || !text || !declarations || known->text() != *text || !known->describes(*declarations))
        return false;
    // A model holding an edit its text does not (one kept out of the text,
    // or one still waiting to be written) does not line up, and goes.
    StyleSheetWriter writer(StyleSheetWriterSettings::fromConfig(settingsOf(file)));
    writer.setTempKeyframeDeclarations(file);
    const StyleSheetWriter::Result lined = writer.lineUp(*text, *declarations);
    if (!lined.ok)
        return false;
    m_sources.insert(file, lined.source);
    return true;
}

void CSSOutlineDelegate::watchUndoManager()
{
    InspectUndoManager *undo = undoManager();
    if (!undo || m_watchedUndoManager == undo)
        return;
    if (m_watchedUndoManager)
        disconnect(m_watchedUndoManager, nullptr, this, nullptr);
    m_watchedUndoManager = undo;
    connect(undo, &InspectUndoManager::didUndoChange, this, &CSSOutlineDelegate::realignAfterUndo);
    connect(undo, &InspectUndoManager::didRedoChange, this, &CSSOutlineDelegate::realignAfterUndo);
}

void CSSOutlineDelegate::realignAfterUndo()
{
    // Every sheet whose text the step put back; the rows stand for the same
    // items as before.
    const QList<const File *> files = m_sources.keys();
    for (const File *each : files) {
        File *file = const_cast<File *>(each);
        const std::shared_ptr<StyleSheetSource> known = m_sources.value(file);
        if (known && file->currentContent() != std::optional<QString>(known->text()))
            sourceOf(file);
    }
}

void CSSOutlineDelegate::registerWrittenSources(File *file, const std::shared_ptr<StyleSheetSource> &undoTo,
                                                const std::shared_ptr<StyleSheetSource> &redoTo)
{
    // A text that keeps edits out is no view of the model: what it holds is
    // put back with it.
    QPointer<File> target = file;
    if (InspectUndoManager *undo = undoManager())
        undo->prepareWithInvocationTarget(this, [this, target, undoTo, redoTo] {
            if (!target)
                return;
            m_sources.insert(target.data(), undoTo);
            registerWrittenSources(target, redoTo, undoTo);
        });
}

QList<StyleDeclarationPtr> CSSOutlineDelegate::styleDeclarationsOf(File *file)
{
    if (!file)
        return {};
    sourceOf(file);
    return file->styleDeclarations().value_or(QList<StyleDeclarationPtr>());
}

// --- Writing ------------------------------------------------------------------------------------------

void CSSOutlineDelegate::applyContentToFile(File *file)
{
    InspectUndoManager *undo = undoManager();
    if (!file || (undo && (undo->isUndoing() || undo->isRedoing())))
        return;
    m_savedRulesScrollPoint = QPointF(m_outlineView->horizontalScrollBar()->value(), m_outlineView->verticalScrollBar()->value());
    QPointer<File> target = file;
    const auto write = [this, target] {
        if (target)
            lazyWrite(target);
    };
    if (m_writeReserver)
        m_writeReserver(TargetRef(this), TargetRef(file), write);
    else
        write();
}

void CSSOutlineDelegate::lazyWrite(File *file)
{
    if (!file->textView())
        file->addHistory(FileHistory::Occasion::RulesEdit);
    rewriteSytleFile(file, false);
    // The poster is the panel itself (the shell tells its edits by that address).
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("refreshFileContent"), dynamic_cast<const void *>(this),
                                                             {{QStringLiteral("file"), QVariant::fromValue(file)}});
    const int selected = m_outlineView->selectedRow();
    m_outlineView->reloadData();
    if (selected >= 0 && selected < m_outlineView->numberOfRows())
        m_outlineView->selectRowIndexes({selected}, false);
    m_outlineView->verticalScrollBar()->setValue(int(m_savedRulesScrollPoint.y()));
}

bool CSSOutlineDelegate::rewriteSytleFile(File *file, bool save)
{
    clearAllCSSRuleCache();
    if (!file)
        return true;
    const std::shared_ptr<StyleSheetSource> previous = sourceOf(file);
    const QList<StyleDeclarationPtr> declarations = file->styleDeclarations().value_or(QList<StyleDeclarationPtr>());
    const QList<StyleDeclarationPtr> marked = previous ? previous->markedOf(declarations) : QList<StyleDeclarationPtr>();
    if (marked.isEmpty()) {
        // A text put back by Undo after a save is saved as the rules panel
        // left it, marks or none.
        if (save && file->isModified() && (file->isLocalFile() ? StyleSheetWriterSettings::fromConfig(settingsOf(file)).overrideCSS : true))
            return saveFile(file);
        return true;
    }

    const QVariantMap config = settingsOf(file);
    StyleSheetWriter writer(StyleSheetWriterSettings::fromConfig(config));
    writer.setTempKeyframeDeclarations(file);
    const StyleSheetWriterSettings &settings = writer.settings();
    const bool takesText = settings.overrideCSS || (!settings.hasSettings && !file->isLocalFile());
    const StyleSheetWriter::Result result =
        writer.write(declarations, previous.get(), StyleSheetWriter::Written::Everything,
                     takesText && holdsTextOf(file, previous.get()) ? StyleSheetWriter::NewText::Middle
                                                                    : StyleSheetWriter::NewText::Whole);
    const Layout before = Layout::movedBy(result);
    if (!result.ok) {
        QM_ERROR(QStringLiteral("%1 was not written: %2").arg(file->path(), result.error));
        before.restore();
        // The edit is taken back from the page and the model as well: they
        // never hold what the text cannot.
        InspectUndoManager *undo = undoManager();
        const bool refused = !save && undo && undo->canUndo();
        Alert alert;
        alert.setMessageText(QStringLiteral("The change to %1 could not be written.").arg(file->displayName()));
        alert.setInformativeText(refused ? QStringLiteral("The change is undone and the file keeps its text: %1.").arg(result.error)
                                         : QStringLiteral("The file keeps its text: %1.").arg(result.error));
        alert.addButtonWithTitle(QStringLiteral("OK"));
        alert.runModal(m_view);
        if (refused)
            undo->reserveRefusalAtEndOfRunLoop();
        return false;
    }
    if (!takesText) {
        // Edits stay out of the text; the rules and blocks the panel created
        // go in, and the text's view of the model follows them.
        before.restore();
        const StyleSheetWriter::Result gained = writer.write(declarations, previous.get(), StyleSheetWriter::Written::GainedItems);
        const Layout moved = Layout::movedBy(gained);
        if (!gained.ok) {
            moved.restore();
            QM_ERROR(QStringLiteral("%1: the rules created could not be written: %2").arg(file->path(), gained.error));
        } else if (previous && gained.text != previous->text()) {
            InspectUndoManager *undo = undoManager();
            if (undo) {
                registerWrittenSources(file, previous, gained.source);
                registerItemPlaces(undo, this, file, moved, moved.now());
            }
            m_sources.insert(file, gained.source);
            file->setLastContentChangeReason(File::RulesPanelChange);
            if (!file->setContent(gained.text)) {
                m_sources.insert(file, previous);
                moved.restore();
                if (undo)
                    undo->reserveRefusalAtEndOfRunLoop();
                return false;
            }
            Q_EMIT styleSheetWritten(file);
        } else {
            moved.restore();
        }
        if (save) {
            for (const StyleDeclarationPtr &declaration : std::as_const(marked))
                declaration->setModified(false);
        }
        return true;
    }

    // The File keeps the inverse of its text (the changed middle only) and
    // the edits theirs; beside them Undo puts back the places of the items
    // the text moved, so that the model describes the text while the step is
    // undone. Once it is done the model is lined up with the text again
    // (realignAfterUndo()). A write that changes no text is no step.
    watchUndoManager();
    bool edited = false;
    bool letGo = false;
    // A write of the text it has already (a save after the write-back)
    // changes no list of rules (#81).
    bool changed = true;
    if (result.middle) {
        const auto [prefix, suffix] = *result.unchangedEnds;
        const qsizetype removed = previous->text().size() - prefix - suffix;
        changed = removed > 0 || !result.middle->isEmpty();
        if (InspectUndoManager *undo = undoManager();
            undo && !before.isEmpty() && QStringView(previous->text()).sliced(prefix, removed) != *result.middle)
            registerItemPlaces(undo, this, file, before, before.now());
        // The last source lets go of the text while the File edits it where
        // it stands, when nothing else holds that source.
        m_sources.insert(file, result.source);
        letGo = previous.use_count() == 1;
        if (letGo)
            previous->dropText();
        file->setLastContentChangeReason(File::RulesPanelChange);
        const std::shared_ptr<StyleSheetSource> &written = result.source;
        edited = file->editContent(prefix, removed, *result.middle, [&written](const QString &text) { written->giveText(text); });
    } else {
        const std::optional<File::UnchangedEnds> ends = knownEnds(file, previous.get(), result);
        changed = changesText(file, ends, result.text);
        if (InspectUndoManager *undo = undoManager(); undo && changed) {
            if (!before.isEmpty())
                registerItemPlaces(undo, this, file, before, before.now());
        }
        m_sources.insert(file, result.source);
        file->setLastContentChangeReason(File::RulesPanelChange);
        edited = ends ? file->setContent(result.text, *ends) : file->setContent(result.text);
    }
    if (!edited) {
        // The user cancelled the edit (the file's encoding cannot hold it):
        // the file keeps its text, and the step that made the edit in the
        // page and the rules is undone.
        if (letGo)
            previous->giveText(file->currentContent().value_or(QString()));
        m_sources.insert(file, previous);
        before.restore();
        if (InspectUndoManager *undo = undoManager())
            undo->reserveRefusalAtEndOfRunLoop();
        return false;
    }
    if (changed)
        Q_EMIT styleSheetWritten(file);

    const bool writes = save && (file->isLocalFile() ? settings.overrideCSS : file->isModified());
    if (!writes)
        return true;
    if (!saveFile(file))
        return false;
    // The marks stay until the text is on disk.
    for (const StyleDeclarationPtr &declaration : std::as_const(marked))
        declaration->setModified(false);
    return true;
}

bool CSSOutlineDelegate::saveFile(File *file)
{
    if (!file->save()) {
        Alert::runSaveFailure(file->displayName(), file->lastSaveError(),
                              QStringLiteral("The change is kept; the file stays marked as modified."), m_view);
        return false;
    }
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("saveFileContent"), dynamic_cast<const void *>(this),
                                                             {{QStringLiteral("file"), QVariant::fromValue(file)}});
    reloadRuleList(1);
    if (InspectUndoManager *undo = undoManager())
        undo->reserveCloseGroupingAtEndOfRunLoop();
    return true;
}

void CSSOutlineDelegate::saveDocument()
{
    // An open value editor commits its edit as it closes: the save holds it (#72).
    if (m_editStyle && m_editStyle->isShown())
        closeStyleEditor();
    File::runPendingWrites();
    // The list is built again once, after every file.
    holdReloads();
    for (File *file : styleFiles())
        rewriteSytleFile(file, true);
    reloadRuleList(1);
    releaseReloads();
}
