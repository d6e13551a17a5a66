#pragma once

#include "platform/kit/Shadow.h"

#include <QMap>
#include <QStyledItemDelegate>

#include <optional>

// A text cell that draws its text with a shadow chosen by the cell's
// background style (light for a plain row, dark for a selected one); the
// style 4294967295 holds the shadow of every style without its own.
class RBLShadowedTextFieldCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    enum BackgroundStyle : quint32 { Light = 0, Dark = 1, Raised = 2, Lowered = 3 };
    static constexpr quint32 s_anyStyle = 4294967295u;

    explicit RBLShadowedTextFieldCell(QObject *parent = nullptr);
    ~RBLShadowedTextFieldCell() override;

    // A missing shadow removes the style's entry.
    void setShadow(const std::optional<Shadow> &shadow, quint32 backgroundStyle);
    const QMap<quint32, Shadow> &backgroundStylesToShadows() const { return m_backgroundStylesToShadows; }
    // The shadow a style draws with: its own, else the one for any style.
    std::optional<Shadow> shadowForBackgroundStyle(quint32 backgroundStyle) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    QMap<quint32, Shadow> m_backgroundStylesToShadows;
};
