// CSSOutlineDelegate: the write-back of an edited style sheet's text through
// the deferred-write batcher, and saving.

#include "CSSOutlineDelegate.h"

#include "CSSRule.h"
#include "StyleSheetSource.h"
#include "StyleSheetWriter.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "stylesheet/StyleSheetParser.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QScrollBar>

namespace {

// The ranges and lines of a model, to put back.
struct Layout
{
    QList<std::pair<StyleDeclarationPtr, std::pair<Range, qsizetype>>> items;

    static Layout of(const QList<StyleDeclarationPtr> &declarations)
    {
        Layout layout;
        for (const StyleDeclarationPtr &declaration : declarations)
            layout.items.append({declaration, {declaration->range(), declaration->lineNumber()}});
        return layout;
    }
    void restore() const
    {
        for (const auto &[declaration, where] : items) {
            declaration->setRange(where.first);
            declaration->setLineNumber(where.second);
        }
    }
};

} // namespace

// --- The model of a file --------------------------------------------------------------------

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
        m_watchedFiles.remove(file);
    });
}

void CSSOutlineDelegate::readAgain(File *file, const QString &why)
{
    const std::optional<QString> text = file->currentContent();
    const VendarPrefixSettings settings = CSSRule::prefixSettingsOf(file);
    const QList<StyleDeclarationPtr> declarations = StyleSheetParser::parseStyleSheet(text.value_or(QString()), file, settings);
    file->setStyleDeclarations(declarations);
    m_sources.insert(file, StyleSheetSource::read(text.value_or(QString()), declarations));
    if (!why.isEmpty())
        QM_INFO(QStringLiteral("%1: %2; its rules were read again").arg(file->path(), why));
    forgetWhenGone(file);
}

std::shared_ptr<StyleSheetSource> CSSOutlineDelegate::sourceOf(File *file)
{
    if (!file)
        return nullptr;
    const std::optional<QString> text = file->currentContent();
    const std::shared_ptr<StyleSheetSource> known = m_sources.value(file);
    const std::optional<QList<StyleDeclarationPtr>> &declarations = file->styleDeclarations();
    if (known && declarations && text && known->text() == *text && known->describes(*declarations))
        return known;
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
    readAgain(file, known ? QStringLiteral("its text changed outside the rules panel") : QString());
    if (known) {
        // The rows stand for items that are gone.
        clearAllCSSRuleCache();
        m_pairings.clear();
    }
    return m_sources.value(file);
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
        file->addHistory();
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
    QList<StyleDeclarationPtr> marked;
    for (const StyleDeclarationPtr &declaration : declarations) {
        if (declaration->isModified())
            marked.append(declaration);
    }
    if (marked.isEmpty())
        return true;

    const QVariantMap config = settingsOf(file);
    StyleSheetWriter writer(StyleSheetWriterSettings::fromConfig(config));
    writer.setTempKeyframeDeclarations(file->keyframesDeclarations());
    const Layout before = Layout::of(declarations);
    const StyleSheetWriter::Result result = writer.write(declarations, previous.get());
    if (!result.ok) {
        QM_ERROR(QStringLiteral("%1 was not written: %2").arg(file->path(), result.error));
        Alert alert;
        alert.setMessageText(QStringLiteral("The change to %1 could not be written.").arg(file->displayName()));
        alert.setInformativeText(QStringLiteral("The file keeps its text: %1.").arg(result.error));
        alert.addButtonWithTitle(QStringLiteral("OK"));
        alert.runModal(m_view);
        return false;
    }
    const StyleSheetWriterSettings &settings = writer.settings();
    const bool takesText = settings.overrideCSS || (!settings.hasSettings && !file->isLocalFile());
    if (!takesText) {
        // The text stays as it is: the model keeps describing it.
        before.restore();
        if (save) {
            for (const StyleDeclarationPtr &declaration : std::as_const(marked))
                declaration->setModified(false);
        }
        return true;
    }

    // The new text, with what Undo puts back beside it: the text through the
    // File's own inverse, the model's ranges and what the text holds here.
    const Layout after = Layout::of(declarations);
    const std::shared_ptr<StyleSheetSource> written = result.source;
    if (InspectUndoManager *undo = undoManager(); undo && written != previous) {
        QPointer<File> target = file;
        undo->prepareWithInvocationTarget(this, [this, target, before, after, previous, written, undo] {
            if (!target)
                return;
            before.restore();
            m_sources.insert(target.data(), previous);
            clearAllCSSRuleCache();
            // Its own inverse, for Redo.
            undo->prepareWithInvocationTarget(this, [this, target, after, written] {
                if (!target)
                    return;
                after.restore();
                m_sources.insert(target.data(), written);
                clearAllCSSRuleCache();
            });
        });
    }
    m_sources.insert(file, written);
    file->setLastContentChangeReason(File::RulesPanelChange);
    if (!file->setContent(result.text)) {
        // The user cancelled the edit (the file's encoding cannot hold it):
        // the file keeps its text, and the step that made the edit in the
        // page and the rules is undone.
        m_sources.insert(file, previous);
        before.restore();
        if (InspectUndoManager *undo = undoManager())
            undo->reserveUndoAtEndOfRunLoop();
        return false;
    }
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
    for (File *file : styleFiles())
        rewriteSytleFile(file, true);
    reloadRuleList(1);
}
