// DomTreeDelegate: writing the page back into its file, and saving it.

#include "DomTreeDelegate.h"

#include "HTMLSourceWriter.h"
#include "LayoutSpace.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QFileInfo>
#include <QHash>

void DomTreeDelegate::applyContentToFile()
{
    if (InspectUndoManager *undo = undoManager(); undo && (undo->isUndoing() || undo->isRedoing()))
        return;
    File *file = m_indexFile;
    if (!file || !writesTo(file))
        return;
    const QPointer<File> guard(file);
    const auto write = [this, guard] { lazyWrite(guard); };
    if (m_writeReserver)
        m_writeReserver(TargetRef(this), TargetRef(file), write);
    else
        write();
}

void DomTreeDelegate::writeFileNow()
{
    if (InspectUndoManager *undo = undoManager(); undo && (undo->isUndoing() || undo->isRedoing()))
        return;
    lazyWrite(m_indexFile);
}

std::optional<QVariantMap> DomTreeDelegate::writeSettingsFor(File *file) const
{
    if (!file)
        return std::nullopt;
    // A local file, or the local copy of a remote one, is written as its
    // project allows.
    if (file->isLocalFile() || file->hasBypass()) {
        const QString project = projectPathOf(file);
        const QVariantMap config = project.isEmpty() ? QVariantMap() : ProjectUtil::getProjectConfig(project);
        if (!config.value(ProjectUtil::kOverrideHTML).toBool())
            return std::nullopt;
        return config;
    }
    // A remote page is written whatever the setting says, under the settings
    // of the project whose site it is; without one, with no rules at all.
    const QString project = projectPathOf(file);
    return project.isEmpty() ? QVariantMap() : ProjectUtil::getProjectConfig(project);
}

bool DomTreeDelegate::loadWriteSettings(File *file)
{
    const std::optional<QVariantMap> config = writeSettingsFor(file);
    if (!config)
        return false;
    // A file whose text could not be read keeps its bytes.
    if (!file->currentContent()) {
        QM_ERROR(QStringLiteral("%1 has no text that could be read; the page is not written into it").arg(file->path()));
        return false;
    }
    m_projectConfig = *config;
    m_generator.setIgnoreOptions(ProjectUtil::ignoreOptionWithProjectConfig(m_projectConfig));
    return true;
}

bool DomTreeDelegate::writesTo(File *file) const
{
    // The page may have gone between an edit and its write: the text of a
    // document no longer shown is never written, least of all into the
    // file of the page that came after it.
    if (file == m_indexFile && isShownDocument() && isFilesOwnDocument())
        return true;
    QM_ERROR(QStringLiteral("%1 is not written: the page edited is no longer shown").arg(file->path()));
    return false;
}

void DomTreeDelegate::lazyWrite(File *file)
{
    if (!file || !writesTo(file))
        return;
    if (!loadWriteSettings(file))
        return;
    const std::optional<QString> text = writtenText(false, m_projectConfig.value(ProjectUtil::kMinifyHTML).toBool());
    if (!text)
        return;
    if (!file->setContent(*text)) {
        // The user cancelled the edit (the file's encoding cannot hold it):
        // the page takes it back too.
        if (InspectUndoManager *undo = undoManager())
            undo->reserveUndoAtEndOfRunLoop();
        return;
    }
    m_lastWrittenText = *text;
    noteWrittenText(file);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("refreshFileContent"), this,
                                                             {{QStringLiteral("file"), QVariant::fromValue(file)}});
    if (InspectUndoManager *undo = undoManager())
        undo->reserveCloseGroupingAtEndOfRunLoop();
    Q_EMIT wroteFile(file);
}

void DomTreeDelegate::saveHTML()
{
    if (m_domNodeList.isEmpty()) {
        QM_DEBUG(QStringLiteral("do not save. initializing"));
        return;
    }
    // An edit whose write-back waits for its turn is saved with the rest.
    File::runPendingWrites();
    File *file = m_indexFile;
    if (!file || !file->isModified() || !writesTo(file))
        return;
    if (!loadWriteSettings(file))
        return;
    checkIgnore();
    const bool minify = m_projectConfig.value(ProjectUtil::kMinifyHTML).toBool();
    const bool format = m_projectConfig.value(ProjectUtil::kFormatJavaScript).toBool() && !minify;
    const std::optional<QString> text = writtenText(format, minify);
    if (!text)
        return;
    if (!file->setContent(*text)) {
        if (InspectUndoManager *undo = undoManager())
            undo->reserveUndoAtEndOfRunLoop();
        return;
    }
    m_lastWrittenText = *text;
    noteWrittenText(file);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("saveFileContent"), this,
                                                             {{QStringLiteral("file"), QVariant::fromValue(file)}});
    if (InspectUndoManager *undo = undoManager())
        undo->reserveCloseGroupingAtEndOfRunLoop();
}

void DomTreeDelegate::saveOutlineview()
{
    saveHTML();
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("htmlHasSavedByCommand"), this);
}

QString DomTreeDelegate::generateContentWithFormat(bool format, bool minify) const
{
    return m_generator.generateContentWithFormat(m_document.get(), m_domNodeList, format, minify);
}

QString DomTreeDelegate::concatNodeTree(const DOMNodeEx *row, bool format, bool minify, bool ignore) const
{
    return m_generator.concatNodeTree(row, format, minify, ignore);
}

QString DomTreeDelegate::authorsText(const QList<const DOMNodeEx *> &rows)
{
    QList<const DOMNode *> nodes;
    for (const DOMNodeEx *row : rows) {
        if (row && row->node())
            nodes.append(row->node());
    }
    std::optional<QStringList> texts;
    if (m_document && m_indexFile && !nodes.isEmpty()) {
        m_generator.setTextEncoding(m_indexFile->textEncoding());
        ensurePairing();
        // Every element is copied, whatever the ignore marks keep out of the file.
        HTMLSourceWriter::Settings settings;
        settings.generator = &m_generator;
        texts = HTMLSourceWriter::textsOf(m_pairing, *m_document, m_edits, settings, nodes);
    }
    QString html;
    if (texts) {
        for (const QString &text : std::as_const(*texts)) {
            if (!text.isEmpty())
                html += QLatin1Char('\n') + text;
        }
    } else {
        // A page whose file could not be paired has only its rows to give.
        for (const DOMNodeEx *row : rows)
            html += concatNodeTree(row, true, false, false);
    }
    return LayoutSpace::withoutCommonIndent(html);
}

void DomTreeDelegate::pairWithFile()
{
    m_writtenTexts.clear();
    m_lastWrittenText.clear();
    m_treeMovedNodes = false;
    const std::optional<QString> text = m_document && m_indexFile ? m_indexFile->currentContent() : std::nullopt;
    if (!text) {
        m_pairing.clear();
        return;
    }
    // What was paired keeps its partner where the text did not change.
    m_pairing.pairChanged(*text, *m_document, m_pairing);
    noteWrittenText(m_indexFile);
    if (!m_pairing.isPaired())
        QM_INFO(QStringLiteral("the text of %1 could not be paired with the page shown").arg(m_indexFile->path()));
}

void DomTreeDelegate::ensurePairing()
{
    if (!m_indexFile || !m_document)
        return;
    const std::optional<QString> text = m_indexFile->currentContent();
    if (!text)
        return;
    if (m_pairing.sourceDocument() && m_writtenTexts.contains({m_indexFile->contentVersion(), qHash(*text)}))
        return;
    // Something else changed the text (the code view, the disk): it holds
    // everything written so far, and is paired anew.
    const bool repairing = m_pairing.sourceDocument() != nullptr;
    if (repairing)
        QM_INFO(QStringLiteral("the text of %1 was changed elsewhere; it is paired with the page again").arg(m_indexFile->path()));
    pairWithFile();
    if (repairing)
        m_edits.forgetWritten();
}

std::optional<QString> DomTreeDelegate::writtenText(bool format, bool minify)
{
    m_generator.setTextEncoding(m_indexFile ? m_indexFile->textEncoding() : 0);
    ensurePairing();
    HTMLSourceWriter::Settings settings;
    settings.generator = &m_generator;
    settings.fileRules = HTMLSourceWriter::withoutDefaultRules(m_generator.ignoreOptions());
    settings.headerIgnoreOption = m_projectConfig.value(ProjectUtil::kHeaderIgnoreOption).toStringList();
    settings.format = format;
    std::optional<QString> text;
    if (m_document)
        text = HTMLSourceWriter::write(m_pairing, *m_document, m_edits, settings);
    if (!text) {
        // Never the live page in its place: that is what scripts made of it.
        refuseWrite();
        return std::nullopt;
    }
    // The minified page is made from the file's text with the edits in it.
    if (minify)
        text = m_generator.minifiedText(*text, format);
    m_edits.markWritten();
    return text;
}

void DomTreeDelegate::noteWrittenText(File *file)
{
    if (const std::optional<QString> text = file ? file->content() : std::nullopt)
        m_writtenTexts.insert({file->contentVersion(), qHash(*text)});
}

void DomTreeDelegate::refuseWrite()
{
    const QString path = m_indexFile ? m_indexFile->path() : QString();
    QM_ERROR(QStringLiteral("the edit could not be placed in the text of %1; the file is left as it is").arg(path));
    if (m_refusedWriteText == m_pairing.text() && m_refusedWritePath == path)
        return;
    m_refusedWriteText = m_pairing.text();
    m_refusedWritePath = path;
    Alert alert;
    alert.setMessageText(QStringLiteral("The edit is not written into %1").arg(QFileInfo(path).fileName()));
    alert.setInformativeText(
        QStringLiteral("The text of %1 could not be matched with the page shown, so the edit could not be placed in "
                       "it. The file is left as it is; the edit stays in the page and can be undone.")
            .arg(path));
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.runModal();
}
