// PreviewDelegate: element detection. With detection on, the element under
// the pointer becomes the selected element and the overlay follows it; a
// click locks the element under it (the main window routes the click here),
// selects it in the DOM tree and lists its rules; Escape leaves detection.

#include "PreviewDelegate.h"

#include "BackgroundView.h"
#include "ExWebView.h"

#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/PreviewDomTreeInterface.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/web/dom/DOMElement.h"

#include <QAbstractButton>
#include <QMouseEvent>
#include <QPointer>

void PreviewDelegate::doDetectPreview(bool on)
{
    if (!m_webview)
        return;
    if (on) {
        m_webview->showDetectLayer();
        m_webview->setDetectState(ExWebViewInterface::HoverDetect);
        if (m_cssOutlineDelegate)
            m_cssOutlineDelegate->resetCategorySelector();
    } else {
        m_webview->setDetectState(ExWebViewInterface::DetectOff);
        m_webview->unsetCursor();
    }
    updateDetectButtonState();
    if (m_window) {
        m_window->raise();
        m_window->activateWindow();
    }
}

void PreviewDelegate::detectPreview(QAbstractButton *button)
{
    doDetectPreview(button && button->isChecked());
}

bool PreviewDelegate::isDetectButtonOn() const
{
    return m_webview && m_webview->detectState() == ExWebViewInterface::HoverDetect;
}

void PreviewDelegate::updateDetectButtonState()
{
    const bool hovering = isDetectButtonOn();
    for (QAbstractButton *button : {m_detectButton.data(), m_detectButton2.data()}) {
        if (button)
            button->setChecked(hovering);
    }
    if (hovering)
        m_webview->setFocus(Qt::OtherFocusReason);
    else if (m_webview)
        m_webview->unsetCursor();
}

DOMNode *PreviewDelegate::selectedElement() const
{
    return m_webview ? m_webview->selectedElement() : nullptr;
}

DOMNode *PreviewDelegate::pickableElement(DOMNode *node) const
{
    return m_domTreeDelegate && node ? m_domTreeDelegate->getPaticulerElement(node) : node;
}

void PreviewDelegate::webViewMouseDidMoveOverElement(DOMNode *node, Qt::KeyboardModifiers)
{
    if (!m_webview)
        return;
    DOMNode *element = pickableElement(node);
    if (element && element == selectedElement()) {
        setDetectCursor();
        return;
    }
    if (m_webview->detectState() != ExWebViewInterface::HoverDetect || !element)
        return;
    m_webview->setSelectedElement(element->shared_from_this());
    m_webview->drawDetectLayer(element);
    setDetectCursor();
}

void PreviewDelegate::setDetectCursor()
{
    if (m_webview && m_webview->detectState() == ExWebViewInterface::HoverDetect)
        m_webview->setCursor(Qt::PointingHandCursor);
}

void PreviewDelegate::detectLockDownHandler(QMouseEvent *event)
{
    updateDetectButtonState();
    if (!event || !m_webview) {
        lockElement(selectedElement());
        return;
    }
    // The element under the click is asked anew: the answer to the last move
    // may not have come yet, or may be of another point.
    QPointer<PreviewDelegate> guard(this);
    const DOMNodePtr hovered = m_webview->sharedSelectedElement();
    m_webview->elementAtPoint(m_webview->mapFromGlobal(event->globalPosition()), [guard, hovered](const DOMNodePtr &node) {
        if (!guard || !guard->m_webview || guard->m_webview->detectState() != ExWebViewInterface::ElementLocked)
            return;
        DOMNode *element = guard->pickableElement(node.get());
        if (!element) {
            guard->lockElement(hovered.get());
            return;
        }
        if (element != guard->selectedElement() || guard->m_webview->detectView()->element() != element) {
            guard->m_webview->setSelectedElement(element->shared_from_this());
            guard->m_webview->drawDetectLayer(element);
        }
        guard->lockElement(element);
    });
}

void PreviewDelegate::lockElement(DOMNode *element)
{
    if (m_domTreeDelegate)
        m_domTreeDelegate->selectNode(element);
    if (m_domTreeDelegate)
        m_domTreeDelegate->reloadSelectedRow();
    if (m_cssOutlineDelegate)
        m_cssOutlineDelegate->updateRulesByElement(element);
    // The click's element is known: what waited for the pick may change the
    // page's layout now (the full-size preview leaves, #79).
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("elementPicked"), this);
}

void PreviewDelegate::detectLockCommitHandler(QMouseEvent *)
{
}

bool PreviewDelegate::elementIsEditable() const
{
    const DOMNode *element = selectedElement();
    if (!element)
        return false;
    if (element->nodeName() == QLatin1String("#text"))
        return true;
    return element->childCount() == 1 && element->firstChild()->isText();
}

void PreviewDelegate::clearDetectLayer()
{
    if (m_webview) {
        m_webview->setSelectedElement(nullptr);
        m_webview->hideDetectLayer();
    }
    if (m_domTreeDelegate)
        m_domTreeDelegate->selectNode(nullptr);
}

void PreviewDelegate::clearDetectLayerWithNode(DOMNode *node)
{
    // A text node stands for its parent.
    const auto element = [](DOMNode *candidate) {
        return candidate && candidate->isText() ? candidate->parentNode() : candidate;
    };
    if (element(node) == element(selectedElement())) {
        if (m_webview)
            m_webview->setSelectedElement(node ? node->shared_from_this() : nullptr);
        return;
    }
    clearDetectLayer();
    if (m_cssOutlineDelegate)
        m_cssOutlineDelegate->updateRulesByElement(nullptr);
}

void PreviewDelegate::updateDetectLayer()
{
    if (m_webview)
        m_webview->redrawWithLastDimnsiton();
}

void PreviewDelegate::webViewDidScroll()
{
    updateDetectLayer();
}

void PreviewDelegate::invalidateElementInformation()
{
    setElementInformation(selectedElement());
}

bool PreviewDelegate::includeInRect(const QRectF &rect, const QPointF &point)
{
    return point.x() > rect.x() && point.x() < rect.x() + rect.width() && point.y() > rect.y()
        && point.y() < rect.y() + rect.height();
}

void PreviewDelegate::setElementInformation(DOMNode *element)
{
    if (m_webview && m_webview->detectState() == ExWebViewInterface::HoverDetect && m_cssOutlineDelegate)
        m_cssOutlineDelegate->updateRulesByElement(element);
}

void PreviewDelegate::createAllRuleList(DOMElement *element, const QString &presudeElement,
                                        QList<DOMMatchedRule> &allRules)
{
    DOMDocument *document = m_webview ? m_webview->mainFrameDocument() : nullptr;
    if (!document || !element)
        return;
    allRules += document->getMatchedCSSRules(element, presudeElement, false);
}
