#include "ColorPalletViewController.h"

#include "ColorPalletTip.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/ColorPanel.h"
#include "stylesheet/ColorUtil.h"

#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

ColorPalletViewController::ColorPalletViewController(QObject *parent)
    : ViewController(parent)
{
    for (const QString &hex : ColorUtil::pantoneColors())
        m_colorList.append({{QStringLiteral("color"), ColorUtil::colorFromHexadecimalValue(hex).toQColor()}});
}

void ColorPalletViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("ColorPallet"));
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    auto *grid = new QGridLayout;
    grid->setSpacing(0);
    for (int i = 0; i < m_colorList.size(); ++i) {
        auto *tip = new ColorPalletTip(view);
        tip->setRepresentedObject(m_colorList[i]);
        grid->addWidget(tip, i / 14, i % 14);
        connect(tip, &ColorPalletTip::clicked, this, [this, i] { selectColorAt(i); });
        m_tips.append(tip);
    }
    layout->addLayout(grid);
    m_noColorButton = new QPushButton(QStringLiteral("No Color"), view);
    m_noColorButton->setCheckable(true);
    connect(m_noColorButton, &QPushButton::clicked, this, &ColorPalletViewController::noColor);
    layout->addWidget(m_noColorButton, 0, Qt::AlignLeft);
    view->resize(view->sizeHint());
    setView(view);
}

void ColorPalletViewController::onOpen()
{
    ColorPanel::sharedColorPanel().close();
    view();
}

void ColorPalletViewController::selectColorAt(int index)
{
    if (index < 0 || index >= m_colorList.size())
        return;
    view();
    for (int i = 0; i < m_tips.size(); ++i)
        m_tips[i]->setSelected(i == index);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("ColorPalletChanged"), this,
                                                             m_colorList[index]);
    m_noColorButton->setChecked(false);
}

void ColorPalletViewController::noColor()
{
    for (ColorPalletTip *tip : std::as_const(m_tips))
        tip->setSelected(false);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("ColorPalletChanged"), this);
}
