#pragma once

#include "stylesheet/StyleDeclaration.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QTimer>

#include <memory>

class PatchingDrawingView;
class PatchingDrawingWindow;
class QMimeData;

// The class-patching button of a class rule's row in the style-sheet manager.
// Dragging from it onto an element (in the DOM tree or the preview) adds the
// rule's class to the element; the drop target does the edit. The button
// only offers the class selector, as a copy, under the one drag type
// "com.tarnwel.quillmark.ClassSelectorPatching". It never sends clicked().
//
// While the drag lasts a line is drawn over the screen from the button to the
// pointer, where the window system lets a window cover the screen (X11).
//
// The list sets showButton (the rule matches an element) and the rule for
// each row, then calls resetUpImage(). Do not disable the button to mark it
// inert: a disabled widget gets no press, so it could not be dragged.
class PatchingButton : public QAbstractButton
{
    Q_OBJECT

public:
    // The images: "up" for a rule that matches, "none" for one that matches
    // nothing, "down" while the pointer is over the button.
    enum class State { Up, None, Down };

    explicit PatchingButton(QWidget *parent = nullptr);
    ~PatchingButton() override;

    bool showButton() const { return m_showButton; }
    void setShowButton(bool showButton);
    StyleDeclarationPtr styleDeclaration() const { return m_styleDeclaration; }
    void setStyleDeclaration(const StyleDeclarationPtr &styleDeclaration);

    State imageState() const { return m_imageState; }
    // Shows "up" when showButton is set, else "none".
    void resetUpImage();
    void updateDrawing();

    // The text a drag carries for a rule's selector: every "::" made ":",
    // then what comes before the first ":" (".btn:hover::before" gives ".btn").
    static QString patchingSelector(const QString &selector);
    // The drag's data for a rule's selector (the caller owns it); null when
    // the selector does not come down to a single class, such as ".a.b",
    // "#menu" or ".a,.b", which would give the element a class the rule does
    // not match.
    static QMimeData *mimeDataForSelector(const QString &selector);
    // Whether a rule's selector comes down to a single class.
    static bool patchesClass(const QString &selector);

    // "PatchingButton_up_Template.pdf" and its siblings.
    static QString imageName(State state);
    // The image of a state in the palette's text colour, for cells that paint
    // the button without a live one. Null when the art is missing.
    static QPixmap image(State state, const QPalette &palette, qreal devicePixelRatio);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void setImageState(State state);
    // The overlay of a drag about to begin; false where none can be shown.
    bool beginLine();
    void endLine();

    std::unique_ptr<PatchingDrawingWindow> m_drawingWindow; // The last drag's overlay.
    PatchingDrawingView *m_drawingView = nullptr;           // Owned by m_drawingWindow.
    QTimer m_followTimer;
    StyleDeclarationPtr m_styleDeclaration;
    bool m_showButton = false;
    State m_imageState = State::None;
};
