#pragma once

#include "CSSRule.h"

#include "platform/kit/OutlineDataSource.h"

#include <QFrame>
#include <QList>
#include <QPointer>
#include <QStringList>

#include <functional>

class File;
class OutlineView;
struct Notification;

// The small list of candidate values shown under the value field of the
// declaration being typed: the page's animation names, the project's images
// as url() paths relative to the rule's style sheet, the project's font
// families, and the property's keywords. Typing narrows the keywords; moving
// through the list previews a value ("cssValueChanged"), a click commits it
// ("cssValueCommit"). It never takes the keyboard from the value field. The
// rules panel owns it, places it and fills it (CSSOutlineDelegate::showCSSRef).
class LightReferenceView : public QFrame, public OutlineDataSource
{
    Q_OBJECT

public:
    // Each row is this high, in pixels.
    static constexpr int kRowHeight = 18;

    explicit LightReferenceView(QWidget *parent = nullptr);
    ~LightReferenceView() override;

    // Observes "valueInputDidEdit"; once only.
    void awakeFromNib();

    OutlineView *refList() const { return m_refList; }
    const QStringList &elements() const { return m_elements; }
    CSSRulePtr inputRule() const { return m_inputRule; }
    bool isImportant() const { return m_isImportant; }
    QList<File *> projectImages() const;
    void setProjectImages(const QList<File *> &images);
    const QList<CSSRulePtr> &animationRules() const { return m_animationRules; }
    void setAnimationRules(const QList<CSSRulePtr> &rules) { m_animationRules = rules; }
    // The font families the project's style sheets use (AppDelegate::getUsedFontFamilies).
    void setUsedFontFamilies(std::function<QStringList()> families) { m_usedFontFamilies = std::move(families); }

    // Fills the list for a declaration row and selects its current value.
    void setSource(const CSSRulePtr &rule);
    // Narrows the keywords to those that begin with the typed text.
    void valueInputDidEdit(const Notification &notification);
    // The value goes to the row and, announced, to the page.
    void postChangeValue(const QString &value);
    // The row under a click commits its value; below the last row nothing.
    void didClickRow(int row);
    // Up and Down typed in the value field.
    void selectPreviousRow();
    void selectNextRow();
    int selectedRow() const;

    // "url(...)" of each image, relative to the style sheet (percent-escaped).
    static QStringList imageCandidates(const QList<File *> &images, File *styleFile);

    // OutlineDataSource: a flat list of the candidates.
    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *outlineView, void *item) override;
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;

private:
    QString sentValue(const QString &candidate) const;
    void reloadList();
    void selectionDidChange();
    void selectAndShow(int row);

    OutlineView *m_refList = nullptr; // Owned (child).
    QStringList m_elements;
    CSSRulePtr m_inputRule;
    bool m_isImportant = false;
    QList<QPointer<File>> m_projectImages;
    QList<CSSRulePtr> m_animationRules;
    std::function<QStringList()> m_usedFontFamilies;
    bool m_awoken = false;
    // Set while the list is reloaded: the view's own selection changes are no choice.
    bool m_reloading = false;
};
