// ReferenceView's values from files: the class names of the page's style
// sheets, the project's files, and the jump to a class's rule.

#include "ReferenceView.h"

#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/FileViewControllerInterface.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

#include <QCollator>
#include <QMimeDatabase>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTextBlock>

QStringList ReferenceView::loadedStyleRules()
{
    QStringList names;
    m_originalFiles.clear();
    if (!m_cssOutlineDelegate)
        return names;
    QSet<QString> seen;
    for (File *file : m_cssOutlineDelegate->styleFiles()) {
        if (!file)
            continue;
        // What the sheet holds now, unsaved edits included; the File is
        // only read.
        std::optional<QString> content = file->content();
        if (!content)
            content = file->getContentOfPath();
        if (!content) {
            QM_INFO(QStringLiteral("%1 has no text: no class names are offered").arg(file->path()));
            m_originalFiles.clear();
            return {};
        }
        const QStringView text(*content);
        qsizetype lineStart = 0;
        while (lineStart <= text.size()) {
            qsizetype lineEnd = lineStart;
            while (lineEnd < text.size() && text.at(lineEnd) != u'\n' && text.at(lineEnd) != u'\r')
                ++lineEnd;
            const QStringView line = text.mid(lineStart, lineEnd - lineStart);
            lineStart = lineEnd + 1;
            // From the line's start to the last "{" on it.
            const qsizetype brace = line.lastIndexOf(u'{');
            if (brace < 0 || !line.startsWith(u'.'))
                continue;
            for (QStringView part : line.left(brace + 1).split(u',')) {
                part = part.trimmed();
                const qsizetype blank = part.indexOf(u' ');
                QStringView word = blank < 0 ? part : part.left(blank);
                if (!word.startsWith(u'.') || word.contains(u':'))
                    continue;
                word = word.mid(1);
                if (word.endsWith(u'{'))
                    word.chop(1);
                const QString name = word.toString();
                if (name.isEmpty() || seen.contains(name))
                    continue;
                seen.insert(name);
                names << name;
                m_originalFiles << file;
            }
        }
    }
    return names;
}

QStringList ReferenceView::projectFiles(FileKind kind)
{
    QStringList found;
    File *root = m_projectRoot ? m_projectRoot() : nullptr;
    if (!root)
        return found;
    static const QMimeDatabase mimes;
    // Depth first; each entry is the path below the root.
    const std::function<void(File *, const QString &)> walk = [&](File *folder, const QString &prefix) {
        for (File *child : folder->children()) {
            const QString name = child->displayName();
            bool taken = false;
            switch (kind) {
            case FileKind::Image:
                taken = mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name().startsWith(QLatin1String("image/"));
                break;
            case FileKind::Script:
                taken = name.contains(QLatin1String(".js"));
                if (taken)
                    QM_DEBUG(name);
                break;
            case FileKind::StyleSheet:
                taken = name.contains(QLatin1String(".css"));
                break;
            }
            if (taken)
                found << prefix + name;
            if (!child->isLeaf())
                walk(child, prefix + name + u'/');
        }
    };
    walk(root, QString());
    QCollator collator;
    std::sort(found.begin(), found.end(), [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    return found;
}

QStringList ReferenceView::getImages()
{
    return projectFiles(FileKind::Image);
}

QStringList ReferenceView::getJSFiles()
{
    return projectFiles(FileKind::Script);
}

QStringList ReferenceView::getStyleSheets()
{
    return projectFiles(FileKind::StyleSheet);
}

void ReferenceView::jumpButtonClicked(const JumpButton &button)
{
    jumpToCSS(button.file(), button.index());
}

void ReferenceView::jumpToCSS(File *file, int index)
{
    if (m_attributeName != QLatin1String("class") || m_originalFiles.isEmpty() || !file)
        return;
    if (m_fileViewController) {
        m_fileViewController->viewFile(file);
        QPlainTextEdit *view = m_fileViewController->mainTextView();
        if (view && index >= 0 && index < m_original.size()) {
            // The class's own name, not a pattern: "." and the escaped name,
            // not followed by more of a name.
            const QRegularExpression rule(QStringLiteral("\\.") + QRegularExpression::escape(m_original.at(index))
                                          + QStringLiteral("(?![\\w-])"));
            const QRegularExpressionMatch match = rule.match(view->toPlainText());
            if (match.hasMatch()) {
                QTextCursor cursor(view->document());
                cursor.setPosition(int(match.capturedStart()));
                cursor.setPosition(int(match.capturedEnd()), QTextCursor::KeepAnchor);
                view->setTextCursor(cursor);
                // The rule's line about 50 points below the top.
                const int lineHeight = std::max(1, view->fontMetrics().lineSpacing());
                const int block = cursor.block().blockNumber();
                view->verticalScrollBar()->setValue(std::max(0, block - 50 / lineHeight));
            }
        }
    }
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("forceClose"), this);
}
