#pragma once

#include <QScrollArea>

class OutlineView;
class QLabel;

// A scroll view that knows the file tree and the image view beside it.
class ScrollViewEx : public QScrollArea
{
    Q_OBJECT

public:
    using QScrollArea::QScrollArea;
    ~ScrollViewEx() override;

    OutlineView *finderView() const { return m_finderView; }
    void setFinderView(OutlineView *view) { m_finderView = view; }
    QLabel *imageView() const { return m_imageView; }
    void setImageView(QLabel *view) { m_imageView = view; }

private:
    OutlineView *m_finderView = nullptr; // Not owned.
    QLabel *m_imageView = nullptr;       // Not owned.
};
