#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QVBoxLayout;

// A named place in the main interface that a controller fills with its view
// (the file tree, the preview, the DOM tree, the rules panel...). While it is
// empty it shows its name, faintly, in the middle.
class PanePlaceholder : public QWidget
{
    Q_OBJECT

public:
    PanePlaceholder(const QString &name, QWidget *parent = nullptr);
    ~PanePlaceholder() override;

    QString name() const { return objectName(); }

    QWidget *contentView() const { return m_contentView; }
    // Puts the view in the place, filling it; the place takes ownership. A
    // previous content view is deleted; null empties the place.
    void setContentView(QWidget *view);

    // The colour as on a light desktop; a dark one shows it turned over.
    void setBackground(const QColor &color);

private:
    QVBoxLayout *m_layout;
    QLabel *m_nameLabel;
    QPointer<QWidget> m_contentView;
};
