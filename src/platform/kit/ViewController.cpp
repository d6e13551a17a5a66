#include "ViewController.h"

#include <QWidget>

ViewController::ViewController(QObject *parent)
    : QObject(parent)
{
}

ViewController::~ViewController()
{
    delete m_view.data();
}

QWidget *ViewController::view()
{
    if (!m_view)
        loadView();
    return m_view;
}

void ViewController::setView(QWidget *view)
{
    if (m_view == view)
        return;
    if (m_view && !m_view->parentWidget())
        m_view->deleteLater();
    m_view = view;
}

void ViewController::loadView()
{
    setView(new QWidget);
}
