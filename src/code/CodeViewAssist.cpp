// CodeView's code assist: what the caret is in, the popup under it, and
// writing the chosen item with the punctuation around it.

#include "CodeView.h"

#include "CodeAssistContext.h"
#include "CodeAssistScanner.h"
#include "MarkUpElement.h"
#include "ReferenceView.h"

#include "interfaces/FileViewControllerInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/kit/OutlineView.h"
#include "stylesheet/ColorUtil.h"
#include "stylesheet/WebCoreObjects.h"
#include "toolkit/RBLPopover.h"

#include <QFontMetrics>

namespace {

CodeAssistContext &context()
{
    return CodeAssistContext::shared();
}

QChar charAt(const QString &text, qsizetype index)
{
    return index >= 0 && index < text.size() ? text.at(index) : QChar();
}

bool endsWithAny(const QString &text, std::initializer_list<char16_t> characters)
{
    if (text.isEmpty())
        return false;
    for (char16_t c : characters) {
        if (text.back() == c)
            return true;
    }
    return false;
}

} // namespace

CodeAssistContext &CodeAssistContext::shared()
{
    static CodeAssistContext s_context;
    return s_context;
}

ReferenceView *CodeView::popup() const
{
    return m_popup;
}

void CodeView::setPopup(ReferenceView *popup)
{
    m_popup = popup;
}

RBLPopover *CodeView::popover() const
{
    return m_popover;
}

void CodeView::setPopover(RBLPopover *popover)
{
    m_popover = popover;
}

bool CodeView::isPopupShownHere() const
{
    return context().popupShown && m_popup && m_popup->tv() == this;
}

int CodeView::caretLocation() const
{
    return stringIndexOf(textCursor().selectionStart());
}

void CodeView::setCaretLocation(int location)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(documentPositionOf(std::clamp(location, 0, int(string().size()))));
    setTextCursor(cursor);
}

void CodeView::replaceStringRange(int start, int end, const QString &text)
{
    QTextCursor cursor(document());
    cursor.setPosition(documentPositionOf(start));
    cursor.setPosition(documentPositionOf(end), QTextCursor::KeepAnchor);
    cursor.insertText(text);
    setTextCursor(cursor);
}

bool CodeView::isFrontView() const
{
    // Only the view the list was made for takes its row: after a jump the
    // style sheet is in front, and a class name must not land in it.
    if (!m_popup || m_popup->tv() != this)
        return false;
    return !m_fileviewController || (m_file && m_fileviewController->mainFile() == m_file.data());
}

// --- Scans ---------------------------------------------------------------------------

QString CodeView::getHeadForInsertionPoint() const
{
    return CodeAssistScanner::headForInsertionPoint(string(), caretLocation());
}

QString CodeView::getParent(int caret) const
{
    return CodeAssistScanner::parentTagText(string(), caret);
}

QString CodeView::getSuggetion() const
{
    return CodeAssistScanner::word(string(), caretLocation());
}

QString CodeView::getSuggetionForCodeType4() const
{
    return CodeAssistScanner::cssWord(string(), caretLocation());
}

QString CodeView::getSuggetion2() const
{
    return CodeAssistScanner::valueWord(string(), caretLocation());
}

void CodeView::detectCode()
{
    CodeAssistContext &c = context();
    c.caretLocation = caretLocation();
    const bool styleSheet = m_file && m_file->displayName().contains(QLatin1String(".css"));
    const CodeAssistScanner::Classification found = CodeAssistScanner::classify(string(), c.caretLocation, styleSheet);
    c.codeType = found.codeType;
    c.currentTag = found.currentTag;
    c.attributeName = found.attributeName;
    c.tagText = found.tagText;
    c.parentTag = found.parentTag;
}

// --- The popup -----------------------------------------------------------------------

void CodeView::popupReferenceWindow()
{
    CodeAssistContext &c = context();
    if (c.codeType < 0 || !m_popup)
        return;
    c.caretLocation = caretLocation();
    const QString word = getSuggetion();

    switch (c.codeType) {
    case CodeAssistContext::TagNames:
        m_popup->setHtmlNodeList(word);
        break;
    case CodeAssistContext::AttributeNames:
        if (c.attributeName.trimmed() == QLatin1String("style"))
            m_popup->setHtmlNodeAttrubuteList(c.currentTag, c.attributeName, getSuggetionForCodeType4(), c.tagText);
        else
            m_popup->setHtmlNodeAttrubuteList(c.currentTag, c.attributeName, word, c.tagText);
        break;
    case CodeAssistContext::PropertyNames:
        m_popup->setCSSDeclarationList(getSuggetionForCodeType4());
        break;
    case CodeAssistContext::ScriptItems:
        return;
    default:
        break;
    }

    QSizeF size(100, 20);
    if (m_popup->assistType() == 2) {
        size = QSizeF(100, 40);
        m_popup->setColorWellColor(ColorUtil::colorFromHexadecimalValue(QStringLiteral("#") + word).toQColor());
        m_popup->activateColorWell(true);
    } else if (m_popup->assistType() == 1) {
        const QFontMetrics metrics(menloFont(11.0));
        int width = 0;
        for (const QString &entry : m_popup->original()) {
            const int advance = metrics.horizontalAdvance(entry);
            if (advance > width)
                width = advance + 150;
        }
        size = QSizeF(width, std::min<qsizetype>(18 * m_popup->original().size(), 180));
    }

    c.popupShown = true;
    m_popup->setTv(this);
    if (m_popover) {
        // A shown popover only moves; a list of another size needs it anew.
        if (m_popover->isShown() && m_popover->contentSize() != size)
            m_popover->close();
        m_popover->setContentSize(size);
        // Under the line typed in, its left edge at the caret: the popover
        // centres itself on the rectangle, so the rectangle starts at the
        // caret and is as wide as the list.
        QTextCursor caret(document());
        caret.setPosition(documentPositionOf(c.caretLocation));
        const QRect glyph = cursorRect(caret);
        m_popover->showRelativeToRect(QRectF(glyph.left(), glyph.top(), std::max(1.0, size.width()),
                                             std::max(12, glyph.height())),
                                      viewport(), RectEdge::Below);
    }
}

void CodeView::closePopup()
{
    CodeAssistContext &c = context();
    if (c.keepAssisting) {
        DelayedPerform::cancel(this, "research", {});
        DelayedPerform::perform(this, "research", {}, 0.01, [this] { research(); });
        return;
    }
    if (c.popupShown)
        hidePopupNow();
}

void CodeView::hidePopupNow()
{
    CodeAssistContext &c = context();
    c.popupShown = false;
    c.listNavigation = false;
    c.keepAssisting = false;
    if (m_popover)
        m_popover->close();
    if (m_popup)
        m_popup->activateColorWell(false);
}

void CodeView::research()
{
    const int caret = caretLocation();
    context().caretLocation = caret;
    const QChar before = charAt(string(), caret - 1);
    if (caret == 0 || caret >= string().size() || before == u'>' || before == u'\t' || before == u' '
        || before == u'\n' || before == u':' || before == u';') {
        hidePopupNow();
        return;
    }
    detectCode();
    if (context().codeType < 0) {
        hidePopupNow();
        return;
    }
    popupReferenceWindow();
}

void CodeView::forceClose()
{
    hidePopupNow();
    if (isFrontView())
        writeCode();
}

void CodeView::outlineClicked()
{
    if (isFrontView())
        setFocus(Qt::OtherFocusReason);
}

void CodeView::changeColor(const QColor &color)
{
    if (!context().popupShown || !m_popup || m_popup->assistType() != 2)
        return;
    m_popup->setColorWellColor(color);
    writeCode();
}

void CodeView::doSaveAndRefreshAfterDelay()
{
    DelayedPerform::cancel(this, "doSaveAndRefreshAfterDelay", {});
    DelayedPerform::perform(this, "doSaveAndRefreshAfterDelay", {}, 0.25, [this] {
        detectCode();
        writeCode();
    });
}

void CodeView::moveListSelection(bool down, bool command)
{
    CodeAssistContext &c = context();
    OutlineView *list = m_popup->referenceOutlineView();
    c.listNavigation = true;
    const int row = list->selectedRow();
    const int count = list->numberOfRows();
    int next = row;
    if (down && row + 1 < count)
        next = row + 1;
    else if (!down && row >= 1)
        next = row - 1;
    if (next != row && next >= 0) {
        list->selectRowIndexes({next}, false);
        list->scrollRowToVisible(next);
    }
    if (command && c.codeType >= 2)
        doSaveAndRefreshAfterDelay();
    DelayedPerform::cancel(this, "initVericalMove", {});
    DelayedPerform::perform(this, "initVericalMove", {}, 0.1, [] { context().listNavigation = false; });
}

// --- Writing the chosen item ---------------------------------------------------------------

void CodeView::writeCode()
{
    if (!m_popup)
        return;
    MarkUpElement colour;
    const MarkUpElement *item = nullptr;
    if (m_popup->assistType() == 2) {
        colour.setCode(ColorUtil::hexadecimalValue(RGBAColor::fromQColor(m_popup->colorWellColor())));
        item = &colour;
    } else {
        item = m_popup->selectedElement();
    }
    if (!item || item->code().isNull())
        return;
    const QString code = item->code();
    const bool tagItem = item->codeType() == CodeAssistContext::TagNames;

    // At the start of the text, where this view's caret stood before.
    int caret = caretLocation();
    if (caret < 1)
        caret = std::min(m_previousCaretLocation, int(string().size()));
    if (caret < 1)
        return;
    setCaretLocation(caret);

    const QString &text = string();
    QString word = getSuggetion();
    const int length = int(text.size());
    const QChar b = charAt(text, caret - 1 - word.size());
    const QChar a = caret + 1 - word.size() < length ? charAt(text, caret - word.size()) : QChar();
    const bool bBlank = b == u' ';
    const bool aBlank = a == u' ';
    const bool aEnds = a == u'"' || a == u'>' || a == u'/';

    QString insert;
    QString closing;
    int stepBack = 0;
    if (bBlank && aBlank) {
        replaceStringRange(caret, caret, code);
        updateSyntaxColor();
        return;
    }
    if (!bBlank && aBlank) {
        insert = u' ' + code;
    } else if (bBlank && !aBlank) {
        if (aEnds) {
            insert = code;
        } else if (tagItem) {
            insert = u'<' + code;
            closing = getCloseTag(charAt(text, caret), code);
        } else {
            insert = code;
        }
    } else if (aEnds) {
        insert = word.isEmpty() ? code : u' ' + code;
    } else if (!tagItem) {
        insert = code;
    } else {
        insert = b == u'<' ? code : u'<' + code;
        if (!WebCoreObjects::shouldClose(code)) {
            closing = QStringLiteral(">");
        } else if (length <= caret + 1) {
            closing = QStringLiteral("></") + code + u'>';
        } else {
            closing = getCloseTag(charAt(text, caret), code);
            stepBack = int(closing.size()) - 1;
        }
    }

    if (item->codeType() == CodeAssistContext::PropertyValues) {
        word = getSuggetion2();
        const QChar next = charAt(text, caret);
        if (next != u';' && next != u' ')
            insert = code + u';';
    }

    const int start = caret - int(word.size());
    replaceStringRange(start, caret, insert);
    if (!closing.isEmpty())
        replaceStringRange(caretLocation(), caretLocation(), closing);
    if (endsWithAny(insert, {u'"', u';'}))
        setCaretLocation(start + int(insert.size()) - 1);
    if (endsWithAny(insert, {u':'})) {
        detectCode();
        popupReferenceWindow();
    }
    if (stepBack > 0)
        setCaretLocation(caretLocation() - stepBack);
    updateSyntaxColor();
}
