// CSSOutlineDelegate: the pop-up of the page's style sheets and the filter
// of the panel by style sheet, which the style-sheet manager keeps.

#include "CSSOutlineDelegate.h"

#include "interfaces/StyleSheetsManagerDelegateInterface.h"
#include "workspace/File.h"

#include <QMenu>
#include <QPointer>
#include <QToolButton>

void CSSOutlineDelegate::rebuildStyleSheetsMenu()
{
    QMenu *menu = m_styleSheetsButton->menu();
    menu->clear();
    // The filter is the manager's: without it the items cannot filter.
    const bool filterable = m_styleSheetsManagerDelegate != nullptr;
    QAction *all = menu->addAction(QStringLiteral("All Style Sheets"));
    all->setEnabled(filterable);
    connect(all, &QAction::triggered, this, [this] { resetSelectedStyleSheet(); });
    menu->addSeparator();
    for (File *file : getSortedStyleFiles()) {
        QAction *item = menu->addAction(file->displayName());
        item->setEnabled(filterable);
        item->setData(QVariant::fromValue(file));
        connect(item, &QAction::triggered, this, [this, guard = QPointer<File>(file)] {
            if (guard)
                filterByCSSFile(guard.data());
        });
    }
    Q_EMIT styleSheetsMenuRebuilt();
}

void CSSOutlineDelegate::resetSelectedStyleSheet()
{
    doChangeOutlineSource(MediaKind);
    if (m_styleSheetsManagerDelegate)
        m_styleSheetsManagerDelegate->setFileFilter(nullptr);
    updateStyleSheetsLabel();
}

void CSSOutlineDelegate::filterByCSSFile(File *file)
{
    if (!m_styleSheetsManagerDelegate)
        return;
    m_styleSheetsManagerDelegate->setFileFilter(file);
    m_lastFilterFileNames.clear();
    for (File *filtered : m_styleSheetsManagerDelegate->filterFiles())
        m_lastFilterFileNames.append(filtered->displayName());
    updateStyleSheetsLabel();
    reloadRuleList(0);
}

void CSSOutlineDelegate::updateCSSFileFilter()
{
    if (!m_styleSheetsManagerDelegate)
        return;
    // The sheets of the new page with the names filtered before.
    m_styleSheetsManagerDelegate->setFileFilter(nullptr);
    for (File *file : styleFiles()) {
        if (m_lastFilterFileNames.contains(file->displayName()) && !m_styleSheetsManagerDelegate->filterFiles().contains(file))
            m_styleSheetsManagerDelegate->setFileFilter(file);
    }
    updateStyleSheetsLabel();
}

void CSSOutlineDelegate::updateStyleSheetsLabel()
{
    const QString names = m_lastFilterFileNames.join(QStringLiteral(", "));
    m_styleSheetsButton->setText(names.isEmpty() ? QStringLiteral("All Sheets")
                                                 : m_styleSheetsButton->fontMetrics().elidedText(names, Qt::ElideRight, 90));
    m_styleSheetsButton->setToolTip(names.isEmpty() ? QStringLiteral("Shows the rules of one style sheet only")
                                                    : QStringLiteral("The rules of %1 only").arg(names));
}
