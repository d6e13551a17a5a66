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


// Values no editor should trip over: empty, keywords, broken brackets, a
// thousand functions, and random strings of the given characters.
inline QStringList awkwardValues(const QString &alphabet, const QString &function, quint32 seed)
{
    QString many;
    for (int i = 0; i < 1000; ++i)
        many += function.arg(i);
    QStringList values = {QString(), QStringLiteral("none"), QStringLiteral("!important"), QStringLiteral("))(("),
                          QStringLiteral("-"), QStringLiteral("."), QStringLiteral("1e999px 1e999px"),
                          QStringLiteral("translate(calc(1px + (2px)))"), QStringLiteral("left left left left"),
                          QStringLiteral("--5px"), QString(QChar(0xd800)), many};
    for (int i = 0; i < 200; ++i) {
        QString text;
        for (int j = 0; j < 16; ++j) {
            seed = seed * 1103515245u + 12345u;
            text += alphabet.at(int((seed >> 16) % alphabet.size()));
        }
        values.append(text);
    }
    return values;
}
