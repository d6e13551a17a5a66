#include "StyleEditorViewController.h"

#include "BackgrouImageEditor.h"
#include "ColorEditorView.h"
#include "DropShadowView.h"
#include "NumberEditor.h"
#include "SingleSizeEditorView.h"
#include "StyleEditorView.h"
#include "TextShadowView.h"
#include "TimeEditorView.h"
#include "TransformOriginEditorView.h"
#include "TransformStyleEditor.h"
#include "WebkitFilterView.h"

#include "platform/foundation/Log.h"

#include <QHash>
#include <QVBoxLayout>

namespace {

const QString kNoEditor = QStringLiteral("noEditor");

struct TableRow
{
    QStringList properties;
    QString type;
};

// The first row naming the property wins.
const QList<TableRow> &editorTable()
{
    static const QList<TableRow> table = {
        {{QStringLiteral("background-image")}, QStringLiteral("backgroundImage")},
        {{QStringLiteral("text-shadow")}, QStringLiteral("textShadow")},
        {{QStringLiteral("box-shadow")}, QStringLiteral("dropShadow")},
        {{QStringLiteral("filter")}, QStringLiteral("filter")},
        {{QStringLiteral("perspective"), QStringLiteral("opacity"), QStringLiteral("box-flex"), QStringLiteral("box-flex-group"),
          QStringLiteral("box-ordinal-group"), QStringLiteral("z-index"), QStringLiteral("stop-opacity"),
          QStringLiteral("stroke-opacity"), QStringLiteral("fill-opacity"), QStringLiteral("stroke-miterlimit")},
         QStringLiteral("number")},
        {{QStringLiteral("transform")}, QStringLiteral("degree")},
        {{QStringLiteral("animation-duration"), QStringLiteral("animation-delay")}, QStringLiteral("time")},
        {{QStringLiteral("font-size"), QStringLiteral("line-height"), QStringLiteral("letter-spacing"),
          QStringLiteral("border-width"), QStringLiteral("border-radius"), QStringLiteral("border-bottom-width"),
          QStringLiteral("border-image-width"), QStringLiteral("border-left-width"), QStringLiteral("border-top-width"),
          QStringLiteral("border-right-width"), QStringLiteral("border-bottom-left-radius"),
          QStringLiteral("border-bottom-right-radius"), QStringLiteral("border-top-left-radius"),
          QStringLiteral("border-top-right-radius"), QStringLiteral("margin"), QStringLiteral("margin-bottom"),
          QStringLiteral("margin-top"), QStringLiteral("margin-left"), QStringLiteral("margin-right"),
          QStringLiteral("max-height"), QStringLiteral("max-width"), QStringLiteral("min-height"),
          QStringLiteral("min-width"), QStringLiteral("outline-width"), QStringLiteral("padding"),
          QStringLiteral("padding-bottom"), QStringLiteral("padding-top"), QStringLiteral("padding-left"),
          QStringLiteral("padding-right"), QStringLiteral("left"), QStringLiteral("right"), QStringLiteral("top"),
          QStringLiteral("bottom"), QStringLiteral("width"), QStringLiteral("height"),
          QStringLiteral("border-horizontal-spacing"), QStringLiteral("border-vertical-spacing"),
          QStringLiteral("marquee-increment"), QStringLiteral("mask-box-image-outset"), QStringLiteral("text-indent"),
          QStringLiteral("background-position-x"), QStringLiteral("background-position-y"),
          QStringLiteral("stroke-width")},
         QStringLiteral("singleSize")},
        {{QStringLiteral("color"), QStringLiteral("background-color"), QStringLiteral("border-color"),
          QStringLiteral("border-top-color"), QStringLiteral("border-left-color"), QStringLiteral("border-bottom-color"),
          QStringLiteral("border-right-color"), QStringLiteral("fill"), QStringLiteral("stroke"),
          QStringLiteral("stop-color"), QStringLiteral("tap-highlight-color")},
         QStringLiteral("color")},
        {{QStringLiteral("transform-origin")}, QStringLiteral("transformOrigin")},
    };
    return table;
}

using EditorFactory = std::function<StyleEditorView *()>;

// The editors built so far, by type.
const QHash<QString, EditorFactory> &editorFactories()
{
    static const QHash<QString, EditorFactory> factories = {
        {QStringLiteral("color"), [] { return new ColorEditorView; }},
        {QStringLiteral("singleSize"), [] { return new SingleSizeEditorView; }},
        {QStringLiteral("time"), [] { return new TimeEditorView; }},
        {QStringLiteral("number"), [] { return new NumberEditor; }},
        {QStringLiteral("degree"), [] { return new TransformStyleEditor; }},
        {QStringLiteral("filter"), [] { return new WebkitFilterView; }},
        {QStringLiteral("transformOrigin"), [] { return new TransformOriginEditorView; }},
        {QStringLiteral("textShadow"), [] { return new TextShadowView; }},
        {QStringLiteral("dropShadow"), [] { return new DropShadowView; }},
        {QStringLiteral("backgroundImage"), [] { return new BackgrouImageEditor; }},
    };
    return factories;
}

} // namespace

StyleEditorViewController::StyleEditorViewController(QObject *parent) : QObject(parent)
{
}

StyleEditorViewController::~StyleEditorViewController()
{
    delete m_view.data();
}

QString StyleEditorViewController::tableTypeByProp(const QString &property)
{
    for (const TableRow &row : editorTable()) {
        if (row.properties.contains(property))
            return row.type;
    }
    return kNoEditor;
}

QString StyleEditorViewController::typeByProp(const QString &property) const
{
    const QString type = tableTypeByProp(property);
    return editorFactories().contains(type) ? type : kNoEditor;
}

bool StyleEditorViewController::isEditable(const QString &property) const
{
    return typeByProp(property) != kNoEditor;
}

StyleEditorView *StyleEditorViewController::getEditorViewByType(const QString &type) const
{
    const EditorFactory factory = editorFactories().value(type);
    return factory ? factory() : nullptr;
}

QWidget *StyleEditorViewController::view()
{
    if (!m_view) {
        m_view = new QWidget;
        m_view->setObjectName(QStringLiteral("styleEditorPopover"));
        auto *layout = new QVBoxLayout(m_view);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    return m_view;
}

void StyleEditorViewController::initializeEditorView(const QString &property, const QString &value)
{
    const QString type = typeByProp(property);
    // The editor of the last opening goes, whatever comes next.
    delete m_editor.data();
    StyleEditorView *editor = getEditorViewByType(type);
    if (!editor) {
        QM_DEBUG(QStringLiteral("no popover editor of the type %1 (%2)").arg(type, property));
        return;
    }
    editor->initialize(property, value);
    editor->setDelegate(this);
    QWidget *holder = view();
    holder->layout()->addWidget(editor);
    m_editor = editor;
    holder->setFixedSize(editor->size());
}
