#pragma once

#include "editors/popover/StyleEditorView.h"
#include "platform/foundation/NotificationCenter.h"

#include <QLineEdit>
#include <QTest>

#include <memory>

// The popover editors as the rules panel hears them, and typing as a user does.
// Every "cssValueChanged" an editor posts.
class Posts
{
public:
    Posts()
    {
        NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("cssValueChanged"), nullptr,
                                                        [this](const Notification &n) {
                                                            values.append(n.userInfo.value(QStringLiteral("value")).toString());
                                                        });
    }
    ~Posts() { NotificationCenter::defaultCenter().removeObserver(this); }
    QString last() const { return values.value(values.size() - 1); }
    QStringList values;
};

template<typename Editor>
inline std::unique_ptr<Editor> opened(const QString &property, const QString &value)
{
    auto editor = std::make_unique<Editor>();
    editor->initialize(property, value);
    editor->show();
    return editor;
}

inline void typeInto(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
}

