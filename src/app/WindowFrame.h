#pragma once

#include <QRect>
#include <QRectF>
#include <QString>

#include <optional>

// A window frame as the user defaults keep it ("NSWindow Frame mainWindow"):
// the text "x y w h sx sy sw sh", the window's frame and then its screen's,
// measured from the bottom-left corner of the primary screen with y growing
// upwards. Qt measures from the top-left corner with y growing downwards.
struct WindowFrame
{
    QRectF frame;
    QRectF screen;

    // Null for a text that is not eight numbers with a non-empty frame.
    static std::optional<WindowFrame> fromString(const QString &text);
    // Numbers as "%f", in the C locale.
    QString toString() const;

    // A Qt geometry, given the primary screen's geometry.
    static WindowFrame fromGeometry(const QRect &geometry, const QRect &screenGeometry, const QRect &primary);
    // The frame as a Qt geometry.
    QRect geometry(const QRect &primary) const;
    // A bottom-left rectangle as a Qt geometry, and back.
    static QRect flipped(const QRectF &rect, const QRect &primary);
    static QRectF unflipped(const QRect &geometry, const QRect &primary);
};
