#pragma once

#include "CSSRule.h"

#include <QRect>

class QPainter;
class QStyleOptionViewItem;

// The menu button at the end of a rule row: the row whose menu it opens and
// its tag (a keyframe's button has tag 1 and opens the keyframe menu). The
// rules outline's cell draws it on every rule row that has a menu and hands
// it to the panel when it is clicked; its frame is in the outline's viewport.
class CSSRuleEditButton
{
public:
    CSSRuleEditButton() = default;
    CSSRuleEditButton(CSSRulePtr rule, int tag, const QRect &frame)
        : m_rule(std::move(rule))
        , m_tag(tag)
        , m_frame(frame)
    {
    }

    CSSRulePtr rule() const { return m_rule; }
    void setRule(const CSSRulePtr &rule) { m_rule = rule; }
    int tag() const { return m_tag; }
    QRect frame() const { return m_frame; }

    // Whether a row shows the button: a rule, block or keyframe row that is
    // neither the browser's nor the computed style.
    static bool isShownOn(const CSSRule &row);
    // The tag of the row's button.
    static int tagOf(const CSSRule &row);
    // The button's place in a row's cell: a square at the right end.
    static QRect frameInCell(const QRect &cell);
    // Draws the button of a row in its cell.
    static void paint(QPainter *painter, const QStyleOptionViewItem &option);

private:
    CSSRulePtr m_rule;
    int m_tag = 0;
    QRect m_frame;
};
