#include "AttributeStyleEditorViewController.h"

#include "AttributeEditor.h"
#include "ComboEnumEditor.h"
#include "FourLengthsEditor.h"
#include "MouseGesture.h"
#include "NoEditor.h"
#include "NumberStyleEditor.h"
#include "StyleValueMap.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/CSSRule.h"
#include "foundation/InspectUndoManager.h"
#include "platform/kit/ColorPanel.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMMutationEvent.h"
#include "workspace/File.h"

#include <QColorDialog>
#include <QListWidget>
#include <QTimer>
#include <QWidget>

namespace {

const QString kStyle = QStringLiteral("style");

} // namespace

AttributeStyleEditorViewController::AttributeStyleEditorViewController(QObject *parent)
    : ViewController(parent)
{
}

AttributeStyleEditorViewController::~AttributeStyleEditorViewController()
{
    stopObserving();
    NotificationCenter::defaultCenter().removeObserver(this);
    qDeleteAll(m_originals);
}

void AttributeStyleEditorViewController::initEditor()
{
    if (m_initialized)
        return;
    m_initialized = true;
    view();
    for (AttributeEditor *editor : std::as_const(m_editors)) {
        if (editor)
            m_editorSet.insert(editor);
    }
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("AttributeEditorValueChanged"), nullptr,
                                                    [this](const Notification &notification) {
                                                        if (m_editorSet.contains(notification.object))
                                                            valueChanged();
                                                    });
    // An edit the DOM tree refused (the file does not hold the element) or
    // the rules panel refused (no sheet's text holds the rule) left the
    // object as it was: so does the panel.
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("StyleAttributeEditRefused"), nullptr,
                                                    [this](const Notification &notification) {
                                                        if ((m_element && notification.object == m_element.get())
                                                            || (m_rule && notification.object == m_rule.get()))
                                                            showObject();
                                                    });
    connect(&MouseGesture::shared(), &MouseGesture::released, this, [this] {
        // After the release has reached its widget: a stepper's last step
        // comes with it.
        if (m_gestureStart)
            QTimer::singleShot(0, this, &AttributeStyleEditorViewController::endGesture);
    });
    // The colours a choice in the colour panel passes through are one step (#78).
    connect(&ColorPanel::sharedColorPanel(), &ColorPanel::choiceEnded, this,
            &AttributeStyleEditorViewController::endGesture);
    if (InspectUndoManager *undo = File::sharedUndoManager()) {
        connect(undo, &InspectUndoManager::didUndoChange, this, &AttributeStyleEditorViewController::reReadIfChanged);
        connect(undo, &InspectUndoManager::didRedoChange, this, &AttributeStyleEditorViewController::reReadIfChanged);
    }
    clearStyledObject();
}

void AttributeStyleEditorViewController::setStyledObject(DOMNode *element)
{
    initEditor();
    // A gesture still open is the old object's edit: recorded, as the page
    // shows it already.
    endGesture();
    stopObserving();
    m_rule.reset();
    m_element = element && element->isElement() ? element->shared_from_this() : nullptr;
    if (m_element) {
        // The "style" attribute changed by anyone else (undo, the attribute
        // inspector, a page script) is read again.
        m_element->addEventListener(DOMEventType::attrModified, this, [this](const DOMMutationEvent &event) {
            if (event.target == m_element.get() && event.attrName == kStyle)
                reReadIfChanged();
        });
    }
    showObject();
}

void AttributeStyleEditorViewController::setRulesPanel(CSSOutlineDelegate *rules)
{
    setRuleTextProvider([guard = QPointer<CSSOutlineDelegate>(rules)](const DOMCSSRulePtr &rule) -> std::optional<QString> {
        const CSSRulePtr row = guard ? guard->cssRuleByDOMCSSStyleRule(rule) : nullptr;
        const StyleDeclarationPtr declaration = row ? row->styleDeclaration() : nullptr;
        if (!declaration)
            return std::nullopt;
        return declaration->generateBody();
    });
}

void AttributeStyleEditorViewController::setStyledObject(const DOMCSSRulePtr &rule)
{
    initEditor();
    endGesture();
    stopObserving();
    m_element.reset();
    m_rule = rule;
    showObject();
}

void AttributeStyleEditorViewController::clearStyledObject()
{
    endGesture();
    stopObserving();
    m_element.reset();
    m_rule.reset();
    showObject();
}

void AttributeStyleEditorViewController::stopObserving()
{
    if (m_element)
        m_element->removeEventListeners(this);
    m_gestureStart.reset();
}

QString AttributeStyleEditorViewController::currentObjectText() const
{
    if (m_element)
        return static_cast<DOMElement *>(m_element.get())->getAttribute(kStyle);
    if (m_rule) {
        if (m_ruleTextProvider) {
            if (const std::optional<QString> text = m_ruleTextProvider(m_rule))
                return *text;
        }
        if (const DOMCSSStyleDeclarationPtr style = m_rule->style())
            return style->cssText();
    }
    return {};
}

void AttributeStyleEditorViewController::showObject()
{
    resetEditors();
    const QString text = currentObjectText();
    QM_DEBUG(text.left(200));
    m_originalCSSText = text;
    m_preCSSText = text;
    setStyleValue(text);
    m_editorsText = valueFromEditors();
    if (QWidget *panel = ViewController::view())
        panel->setEnabled(hasStyledObject());
}

void AttributeStyleEditorViewController::reReadIfChanged()
{
    // The receivers of an announcement change the object: that is no change
    // made elsewhere.
    if (!hasStyledObject() || m_gestureStart || m_announcing)
        return;
    if (currentObjectText() != m_preCSSText)
        showObject();
}

void AttributeStyleEditorViewController::resetEditors()
{
    static const QList<QString> properties = {
        QStringLiteral("display"),        QStringLiteral("float"),          QStringLiteral("position"),
        QStringLiteral("text-decoration"), QStringLiteral("font-style"),    QStringLiteral("font-family"),
        QStringLiteral("font-weight"),    QStringLiteral("text-align"),     QStringLiteral("margin"),
        QStringLiteral("padding"),        QStringLiteral("border-radius"),  QStringLiteral("border"),
        QStringLiteral("width"),          QStringLiteral("height"),         QStringLiteral("left"),
        QStringLiteral("top"),            QStringLiteral("right"),          QStringLiteral("bottom"),
        QStringLiteral("z-index"),        QStringLiteral("opacity"),        QStringLiteral("color"),
        QStringLiteral("font-size"),      QStringLiteral("line-height"),    QStringLiteral("letter-spacing"),
        QStringLiteral("text-shadow"),    QStringLiteral("box-shadow"),     QStringLiteral("background"),
        QStringLiteral("-webkit-filter"), QStringLiteral("-webkit-transform"),
    };
    for (int i = 0; i < m_editors.size(); ++i) {
        AttributeEditor *editor = m_editors[i];
        if (!editor)
            continue;
        editor->setProperty(properties[i]);
        if (auto *sides = qobject_cast<FourLengthsEditor *>(editor))
            sides->setProperties(StyleValueMap::splitLonghands(properties[i]));
        editor->reset();
    }
    m_fontWeightEditor->setValidValues({QStringLiteral("normal"), QStringLiteral("bold"), QStringLiteral("bolder"),
                                        QStringLiteral("lighter"), QStringLiteral("100"), QStringLiteral("200"),
                                        QStringLiteral("300"), QStringLiteral("400"), QStringLiteral("500"),
                                        QStringLiteral("600"), QStringLiteral("700"), QStringLiteral("800"),
                                        QStringLiteral("900")});
    m_zIndexEditor->setIsInteger(true);
    qDeleteAll(m_originals);
    m_originals.clear();
    m_asRead.clear();
}

void AttributeStyleEditorViewController::setStyleValue(const QString &cssText)
{
    StyleValueMap map = StyleValueMap::fromStyleText(cssText);
    if (map.isEmpty())
        return;
    for (AttributeEditor *editor : std::as_const(m_editors)) {
        if (!editor)
            continue;
        QList<bool> takenBefore;
        for (const StyleValueMap::Declaration &entry : map.declarations())
            takenBefore.append(entry.taken);
        editor->readStyle(map);
        QStringList written;
        for (qsizetype i = 0; i < map.declarations().size(); ++i) {
            const StyleValueMap::Declaration &entry = map.declarations().at(i);
            if (entry.taken && !takenBefore.at(i) && !entry.raw)
                written.append(entry.name + u':' + entry.writtenValue + u';');
        }
        m_asRead.insert(editor, {editor->styleRepresentation(), written.join(u' ')});
    }
    const QList<StyleValueMap::Declaration> left = map.remaining();
    if (!left.isEmpty()) {
        QStringList names;
        for (qsizetype i = 0; i < left.size() && i < 20; ++i)
            names.append(left[i].name);
        QM_DEBUG(QStringLiteral("NoEditors: %1 (%2)").arg(names.join(QStringLiteral(", "))).arg(left.size()));
    }
    m_originals.reserve(left.size());
    for (const StyleValueMap::Declaration &entry : left) {
        auto *passThrough = new NoEditor;
        passThrough->setProperty(entry.name);
        passThrough->setValue(entry.writtenValue);
        m_originals.append(passThrough);
    }
}

QString AttributeStyleEditorViewController::valueFromEditors() const
{
    QStringList parts;
    for (const NoEditor *original : m_originals) {
        if (const std::optional<QString> text = original->styleRepresentation())
            parts.append(*text);
    }
    for (const AttributeEditor *editor : m_editors) {
        if (!editor)
            continue;
        const std::optional<QString> text = editor->styleRepresentation();
        // An editor whose value is what it read writes the declarations as they were.
        const auto asRead = m_asRead.constFind(editor);
        if (asRead != m_asRead.cend() && asRead->representation == text) {
            if (!asRead->written.isEmpty())
                parts.append(asRead->written);
            continue;
        }
        if (text)
            parts.append(*text);
    }
    return parts.join(u' ');
}

void AttributeStyleEditorViewController::valueChanged()
{
    if (!hasStyledObject())
        return;
    const QString text = valueFromEditors();
    if (text == m_preCSSText || text == m_editorsText)
        return;
    const QString old = m_preCSSText;
    const QString editedFrom = m_editorsText;
    m_preCSSText = text;
    m_editorsText = text;
    if (m_gestureStart || isGestureHeld()) {
        if (!m_gestureStart) {
            m_gestureStart = old;
            m_gestureEditorsStart = editedFrom;
        }
        announce(Stage::Change, text, old, editedFrom);
        return;
    }
    announce(Stage::End, text, old, editedFrom);
}

bool AttributeStyleEditorViewController::isGestureHeld() const
{
    // A colour chosen in the shared colour panel, until the choice is made;
    // a button held on the panel's controls or in a popover opened from the
    // panel (a palette); a press elsewhere (a drag in another pane) is no
    // gesture of the panel.
    if (ColorPanel::sharedColorPanel().isReporting())
        return true;
    const MouseGesture &gesture = MouseGesture::shared();
    if (!m_editorView || !gesture.isButtonHeld())
        return false;
    if (gesture.isButtonHeldIn(m_editorView))
        return true;
    const QWidget *pressed = gesture.pressedWidget();
    const QWidget *window = pressed ? pressed->window() : nullptr;
    if (!window)
        return false;
    if (window == static_cast<const QWidget *>(ColorPanel::sharedColorPanel().dialog()))
        return true;
    for (const QWidget *w = window->parentWidget(); w; w = w->parentWidget()) {
        if (w == m_editorView->window())
            return true;
    }
    return false;
}

void AttributeStyleEditorViewController::endGesture()
{
    if (!m_gestureStart)
        return;
    const QString start = *m_gestureStart;
    m_gestureStart.reset();
    if (!hasStyledObject() || m_preCSSText == start)
        return;
    // The receivers record one step from the text before the gesture.
    announce(Stage::Change, start, m_preCSSText, m_editorsText);
    announce(Stage::End, m_preCSSText, start, m_gestureEditorsStart);
}

void AttributeStyleEditorViewController::valueCommit()
{
    if (!hasStyledObject())
        return;
    const QString text = valueFromEditors();
    if (text != m_originalCSSText)
        announce(Stage::End, text, m_originalCSSText, m_originalCSSText);
}

void AttributeStyleEditorViewController::announce(Stage stage, const QString &styleValue, const QString &oldValue,
                                                  const QString &editedFrom)
{
    QVariantMap info{{QStringLiteral("styleValue"), styleValue}, {QStringLiteral("oldValue"), oldValue}};
    QString name;
    if (m_element) {
        info.insert(QStringLiteral("element"), QVariant::fromValue(m_element.get()));
        info.insert(QStringLiteral("editedFrom"), editedFrom);
        name = stage == Stage::Change ? QStringLiteral("StyleAttributeEditChange") : QStringLiteral("StyleAttributeEditEnd");
    } else {
        info.insert(QStringLiteral("rule"), QVariant::fromValue(m_rule));
        name = stage == Stage::Change ? QStringLiteral("StyleEditChange") : QStringLiteral("StyleEditEnd");
    }
    // A receiver may show another object in this panel; the element stays alive meanwhile.
    const DOMNodePtr keep = m_element;
    const bool wasAnnouncing = m_announcing;
    m_announcing = true;
    NotificationCenter::defaultCenter().postNotificationName(name, nullptr, info);
    m_announcing = wasAnnouncing;
}

void AttributeStyleEditorViewController::setRules(const QList<DOMCSSRulePtr> &rules, DOMNode *element)
{
    view();
    if (element && m_rulesElement.get() == element)
        return;
    m_rulesElement = element && element->isElement() ? element->shared_from_this() : nullptr;
    m_cssRules = rules;
    m_ruleListView->clear();
    if (m_rulesElement)
        m_ruleListView->addItem(QStringLiteral("Style Attribute"));
    for (const DOMCSSRulePtr &rule : rules)
        m_ruleListView->addItem(rule && rule->type() == 1 ? rule->selectorText() : QStringLiteral("other"));
    m_ruleListView->setVisible(m_ruleListView->count() > 0);
    updateSelection();
}

void AttributeStyleEditorViewController::updateSelection()
{
    int row = m_ruleListView->currentRow();
    if (row < 0) {
        clearStyledObject();
        return;
    }
    if (m_rulesElement) {
        if (row == 0) {
            setStyledObject(m_rulesElement.get());
            return;
        }
        --row;
    }
    if (row < m_cssRules.size())
        setStyledObject(m_cssRules[row]);
}
