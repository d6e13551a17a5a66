#pragma once

#include "TestUtil.h"

#include "editors/AttributeEditor.h"
#include "editors/AttributeStyleEditorViewController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <memory>

// The style-attribute panel over one element of a document of its own, with
// every announcement it makes recorded. The receivers are not there: the
// element's "style" attribute changes only where a test says so.
class PanelHarness
{
public:
    PanelHarness()
        : document(DOMDocument::create())
    {
        auto body = document->createElement(QStringLiteral("div"));
        document->appendChild(body);
        element = body;
        panel.initEditor();
        panel.view()->resize(240, 385);
        for (const char *name : {"StyleAttributeEditChange", "StyleAttributeEditEnd", "StyleEditChange", "StyleEditEnd"}) {
            const QString notification = QString::fromLatin1(name);
            NotificationCenter::defaultCenter().addObserver(&m_observer, notification, nullptr,
                                                            [this, notification](const Notification &n) {
                                                                posts.append({notification, n.userInfo});
                                                            });
        }
    }
    ~PanelHarness() { NotificationCenter::defaultCenter().removeObserver(&m_observer); }

    // Shows a style text in the panel.
    void show(const QString &style)
    {
        if (style.isEmpty())
            element->removeAttribute(QStringLiteral("style"));
        else
            element->setAttribute(QStringLiteral("style"), style);
        panel.setStyledObject(element.get());
        posts.clear();
    }
    template<typename T>
    T *editor(const QString &property) const
    {
        return qobject_cast<T *>(panel.editorForProperty(property));
    }
    // The last End announcement's style text, or nothing.
    QString lastEnd() const
    {
        for (auto it = posts.crbegin(); it != posts.crend(); ++it) {
            if (it->first.endsWith(QStringLiteral("EditEnd")))
                return it->second.value(QStringLiteral("styleValue")).toString();
        }
        return QStringLiteral("<none>");
    }
    QStringList names() const
    {
        QStringList list;
        for (const auto &post : posts)
            list.append(post.first);
        return list;
    }

    std::shared_ptr<DOMDocument> document;
    std::shared_ptr<DOMElement> element;
    AttributeStyleEditorViewController panel;
    QList<std::pair<QString, QVariantMap>> posts;

private:
    QObject m_observer;
};
