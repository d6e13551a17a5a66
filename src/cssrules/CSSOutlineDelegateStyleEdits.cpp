// CSSOutlineDelegate: edits of a whole rule from the style-attribute panel
// ("StyleEditChange" while it edits, "StyleEditEnd" when a change is done),
// the width and height shown while the preview's box overlay is resized, and
// the end of a value picked in the code-assist list.

#include "CSSOutlineDelegate.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QRectF>
#include <QRegularExpression>

namespace {

using Entries = QList<std::pair<QString, QString>>;

DOMCSSRulePtr ruleOf(const Notification &notification)
{
    return notification.userInfo.value(QStringLiteral("rule")).value<DOMCSSRulePtr>();
}

} // namespace

void CSSOutlineDelegate::cssValueEnterd(const Notification &)
{
    doCloseStyleEditor();
    m_outlineView->setFocus();
}

// --- Declaration-block text ----------------------------------------------------------------------------

std::optional<Entries> CSSOutlineDelegate::declarationEntries(const QString &text)
{
    // The pieces between the ";" that end declarations: not those inside
    // quotes, brackets ("url(a;b)") or comments.
    QStringList pieces;
    QString piece;
    int depth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'"' || c == u'\'') {
            qsizetype close = i + 1;
            while (close < text.size() && text.at(close) != c) {
                if (text.at(close) == u'\\')
                    ++close;
                ++close;
            }
            if (close >= text.size())
                return std::nullopt;
            piece += text.mid(i, close - i + 1);
            i = close;
        } else if (c == u'/' && i + 1 < text.size() && text.at(i + 1) == u'*') {
            const qsizetype close = text.indexOf(QLatin1String("*/"), i + 2);
            if (close < 0)
                return std::nullopt;
            i = close + 1;
        } else if (c == u'(' || c == u'[') {
            ++depth;
            piece += c;
        } else if (c == u')' || c == u']') {
            if (--depth < 0)
                return std::nullopt;
            piece += c;
        } else if (c == u';' && depth == 0) {
            pieces.append(piece);
            piece.clear();
        } else if (c == u'{' || c == u'}') {
            return std::nullopt;
        } else {
            piece += c;
        }
    }
    if (depth != 0)
        return std::nullopt;
    pieces.append(piece);

    // Each piece at its first ":" (a value may hold more: "url(http://...)").
    Entries entries;
    for (const QString &each : std::as_const(pieces)) {
        if (each.trimmed().isEmpty())
            continue;
        const qsizetype colon = each.indexOf(u':');
        const QString name = colon < 0 ? QString() : each.left(colon).trimmed();
        if (name.isEmpty() || name.contains(QRegularExpression(QStringLiteral("\\s"))))
            return std::nullopt;
        entries.append({name, each.mid(colon + 1)});
    }
    return entries;
}

// --- Whole-rule edits ---------------------------------------------------------------------------------

void CSSOutlineDelegate::styleEditEnd(const Notification &notification)
{
    const DOMCSSRulePtr rule = ruleOf(notification);
    const CSSRulePtr row = rule ? cssRuleByDOMCSSStyleRule(rule) : nullptr;
    if (!row || !row->styleDeclaration()) {
        refuseStyleEdit(rule, notification.userInfo.value(QStringLiteral("oldValue")).toString());
        return;
    }
    styleChanged(row, notification.userInfo.value(QStringLiteral("styleValue")).toString(),
                 notification.userInfo.value(QStringLiteral("oldValue")).toString());
}

void CSSOutlineDelegate::styleChanged(const CSSRulePtr &rule, const QString &value, const QString &oldValue)
{
    const std::optional<Entries> parsed = declarationEntries(value);
    if (!parsed) {
        QM_INFO(QStringLiteral("The style \"%1\" could not be read; the rule was left alone").arg(value));
        return;
    }
    const StyleDeclarationPtr declaration = rule->styleDeclaration();
    // The rule's declarations in the page's text, in order: switched-off
    // ones are not there, so the text cannot have dropped them.
    QList<CSSRulePtr> declarations;
    for (const CSSRulePtr &child : rule->children()) {
        const CSSPropertyPtr property = child->property();
        if (property && !property->isRemoved() && property->isEnabled())
            declarations.append(child);
    }
    // The n-th declaration of a name in the text is the n-th of the rule.
    const auto nthOf = [&declarations](const QString &name, int nth) -> CSSRulePtr {
        for (const CSSRulePtr &child : declarations) {
            if (child->property()->property() == name && nth-- == 0)
                return child;
        }
        return nullptr;
    };
    const auto countBefore = [](const Entries &entries, qsizetype end, const QString &name) {
        return int(std::count_if(entries.cbegin(), entries.cbegin() + end, [&name](const auto &e) { return e.first == name; }));
    };

    // What changed: the entries whose value differs from the text before
    // (the page's own serialisation, which need not be the file's), or,
    // without that text, from the rule's declarations.
    QList<std::pair<CSSRulePtr, QString>> changed;
    QList<CSSRulePtr> dropped;
    Entries added;
    const std::optional<Entries> before = oldValue.isEmpty() ? std::nullopt : declarationEntries(oldValue);
    if (before) {
        QList<bool> matched(before->size(), false);
        for (qsizetype i = 0; i < parsed->size(); ++i) {
            const auto &[name, written] = parsed->at(i);
            qsizetype was = -1;
            for (qsizetype j = 0; j < before->size() && was < 0; ++j) {
                if (!matched.at(j) && before->at(j).first == name)
                    was = j;
            }
            if (was < 0) {
                added.append(parsed->at(i));
                continue;
            }
            matched[was] = true;
            if (before->at(was).second.trimmed() != written.trimmed()) {
                if (const CSSRulePtr child = nthOf(name, countBefore(*before, was, name)))
                    changed.append({child, written.trimmed()});
            }
        }
        for (qsizetype j = 0; j < before->size(); ++j) {
            if (!matched.at(j)) {
                if (const CSSRulePtr child = nthOf(before->at(j).first, countBefore(*before, j, before->at(j).first)))
                    dropped.append(child);
            }
        }
    } else {
        // Each declaration takes the first entry of its name still unmatched,
        // so that two of one name ("background" with a fallback) keep theirs.
        added = *parsed;
        for (const CSSRulePtr &child : std::as_const(declarations)) {
            const CSSPropertyPtr property = child->property();
            const auto match = std::find_if(added.begin(), added.end(),
                                            [&](const auto &entry) { return entry.first == property->property(); });
            if (match == added.end()) {
                dropped.append(child);
                continue;
            }
            const QString written = match->second.trimmed();
            added.erase(match);
            if (written != property->value().trimmed())
                changed.append({child, written});
        }
    }
    if (changed.isEmpty() && dropped.isEmpty() && added.isEmpty())
        return;

    InspectUndoManager *undo = undoManager();
    if (undo)
        undo->setActionName(QStringLiteral("Change Style"));
    // What the panel writes follows the layout of the sheet (#66).
    for (const auto &[child, written] : std::as_const(changed))
        commitCSSValueChange(child, valueForSheetOf(rule, child->property()->value(), written), false);
    for (const CSSRulePtr &child : std::as_const(dropped))
        setDeclarationEntryRemoved(declaration, child->property(), true, QString());
    for (const auto &[name, written] : std::as_const(added))
        doAddDeclaration(declaration, name, valueForSheetOf(rule, QString(), written.trimmed()));
    // The edit is one step under its own name; the write-back joins it and closes it.
    if (undo)
        undo->setActionName(QStringLiteral("Change Style"));

    const std::weak_ptr<CSSRule> weak = rule;
    DelayedPerform::cancel(this, "applyStyleChanged", QVariant::fromValue(quintptr(rule.get())));
    DelayedPerform::perform(this, "applyStyleChanged", QVariant::fromValue(quintptr(rule.get())), 0.0, [this, weak] {
        if (const CSSRulePtr held = weak.lock())
            applyStyleChanged(held);
    });
    applyContentToFile(declaration->parentFile());
}

void CSSOutlineDelegate::refuseStyleEdit(const DOMCSSRulePtr &rule, const QString &oldValue)
{
    // A rule that stands in no rule of a style sheet's text (one nested in
    // another rule, one of a style element, one a page's script made)
    // cannot take the edit: it is refused aloud, and the panel that made it
    // shows the rule again (#77).
    QM_INFO(QStringLiteral("A style edit of a rule no style sheet's text holds was refused"));
    Alert alert;
    alert.setMessageText(QStringLiteral("The style of \"%1\" could not be changed.").arg(rule ? rule->selectorText() : oldValue));
    alert.setInformativeText(QStringLiteral("The rule stands in no rule of a style sheet file the rules panel writes: it is "
                                            "nested in another rule, in a style element of the page, or made by a script."));
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.runModal(m_view);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("StyleAttributeEditRefused"), rule.get());
}

void CSSOutlineDelegate::applyStyleChanged(const CSSRulePtr &rule)
{
    // The outline lets go of the old rows before they go.
    retire(rule->children());
    rule->reloadChildren();
    m_outlineView->reloadItem(rule.get(), true);
    reloadRuleList(2);
}

void CSSOutlineDelegate::styleEditChanged(const Notification &notification)
{
    // While the panel edits, only the page and the rows follow: the file
    // takes the text when the edit ends ("StyleEditEnd"), with undo.
    const DOMCSSRulePtr rule = ruleOf(notification);
    if (!rule || !rule->style())
        return;
    const QString value = notification.userInfo.value(QStringLiteral("styleValue")).toString();
    const std::optional<Entries> parsed = declarationEntries(value);
    if (!parsed) {
        QM_INFO(QStringLiteral("The style \"%1\" could not be read; the page was left alone").arg(value));
        return;
    }
    const CSSRulePtr row = cssRuleByDOMCSSStyleRule(rule);
    // The page follows only an edit the file can take: the end refuses the others.
    if (!row || !row->styleDeclaration())
        return;
    rule->style()->setCssText(value);
    if (row->styleDeclaration())
        row->styleDeclaration()->setModified(true);
    for (const CSSRulePtr &child : row->children()) {
        for (const auto &[name, written] : *parsed) {
            if (child->propName() == name)
                child->setValueName2(written.trimmed());
        }
    }
    m_outlineView->reloadItem(row.get(), true);
}

// --- The box resized ---------------------------------------------------------------------------------

void CSSOutlineDelegate::elementResized(const Notification &notification)
{
    const CSSRulePtr selected = getSelectedCSSRule();
    if (!selected)
        return;
    const QRectF box = notification.userInfo.value(QStringLiteral("elementRect")).toRectF();
    const auto dimension = [this](const char *key) { return m_boxDimension.value(QString::fromLatin1(key)).toDouble(); };
    const double width = box.width() - dimension("padding-left") - dimension("padding-right") - dimension("border-left-width")
                         - dimension("border-right-width");
    const double height = box.height() - dimension("padding-top") - dimension("padding-bottom") - dimension("border-top-width")
                          - dimension("border-bottom-width");

    // The rows first, so that the rule takes the new size to the page.
    void *parentItem = m_outlineView->parentForItem(selected.get());
    const CSSRulePtr parent = rowOf(parentItem);
    const QList<CSSRulePtr> siblings = parent ? parent->children() : m_rules;
    for (const CSSRulePtr &sibling : siblings) {
        if (sibling->propName() == QLatin1String("width"))
            sibling->setValueName2(QString::asprintf("%.0fpx", width));
        else if (sibling->propName() == QLatin1String("height"))
            sibling->setValueName2(QString::asprintf("%.0fpx", height));
    }
    changeStyleByRule(selected->ownerRule() ? selected->ownerRule() : selected);
    const int index = m_outlineView->rowForItem(selected.get());
    if (parentItem)
        m_outlineView->reloadItem(parentItem, true);
    else
        m_outlineView->viewport()->update();
    if (index >= 0)
        m_outlineView->selectRowIndexes({index}, false);
}
