#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The media list of a media rule, an import rule or a style sheet. Changes
// call the owner back so that it replays them. It is part of its owner: the
// owner's media() answers a handle that keeps the owner alive (see
// "Ownership" in DOMCSSRule.h).
class DOMMediaList
{
public:
    explicit DOMMediaList(QString mediaText = {}) : m_mediaText(std::move(mediaText)) {}

    QString mediaText() const { return m_mediaText; }
    void setMediaText(const QString &text);
    int length() const { return int(media().size()); }
    // Empty outside [0, length).
    QString item(int index) const { return media().value(index); }
    void appendMedium(const QString &medium);
    void deleteMedium(const QString &medium);

    // The engine's text, without calling back.
    void resetFromEngine(const QString &text) { m_mediaText = text; }
    void setChangedHandler(std::function<void(const QString &)> handler) { m_changed = std::move(handler); }

private:
    QStringList media() const;

    QString m_mediaText;
    std::function<void(const QString &)> m_changed;
};
