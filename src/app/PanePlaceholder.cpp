#include "PanePlaceholder.h"

#include "platform/kit/DesktopColors.h"

#include <QLabel>
#include <QVBoxLayout>

PanePlaceholder::PanePlaceholder(const QString &name, QWidget *parent)
    : QWidget(parent)
    , m_layout(new QVBoxLayout(this))
    , m_nameLabel(new QLabel(name, this))
{
    setObjectName(name);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_nameLabel->setAlignment(Qt::AlignCenter);
    QFont font = m_nameLabel->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    m_nameLabel->setFont(font);
    QPalette palette = m_nameLabel->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Disabled, QPalette::WindowText));
    m_nameLabel->setPalette(palette);
    m_layout->addWidget(m_nameLabel);
}

PanePlaceholder::~PanePlaceholder() = default;

void PanePlaceholder::setContentView(QWidget *view)
{
    if (m_contentView == view)
        return;
    delete m_contentView;
    m_contentView = view;
    m_nameLabel->setVisible(!view);
    if (view)
        m_layout->addWidget(view);
}

void PanePlaceholder::setBackground(const QColor &color)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, DesktopColors::adapted(color, palette));
    setPalette(palette);
    setAutoFillBackground(true);
}
