// AttributeStyleEditorViewController: the view, its four pages and their
// editors, the page chooser and putting the keyboard on a property.

#include "AttributeStyleEditorViewController.h"

#include "AlignEditor.h"
#include "BackgroundEditor.h"
#include "BorderEditor.h"
#include "ComboEnumEditor.h"
#include "EnumEditor.h"
#include "FilterEditor.h"
#include "FontFamilyEnumEditor.h"
#include "FourLengthsEditor.h"
#include "LengthEditor.h"
#include "NumberStyleEditor.h"
#include "ShadowEditor.h"
#include "TransformEditor.h"

#include "platform/kit/SegmentedControl.h"
#include "platform/kit/WheelFocusGuard.h"

#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The page of each property an editor holds; the rest is on page 0.
const QHash<QString, int> &pageOfProperty()
{
    static const QHash<QString, int> pages = {
        {QStringLiteral("border"), 1},      {QStringLiteral("border-radius"), 1},
        {QStringLiteral("background"), 2},  {QStringLiteral("background-color"), 2},
        {QStringLiteral("text-shadow"), 2}, {QStringLiteral("box-shadow"), 2},
        {QStringLiteral("opacity"), 3},     {QStringLiteral("filter"), 3},
        {QStringLiteral("-webkit-filter"), 3}, {QStringLiteral("transform"), 3},
        {QStringLiteral("-webkit-transform"), 3},
    };
    return pages;
}

// A form of editors on the widget, their labels at the right.
QFormLayout *editorForm(QWidget *content)
{
    auto *form = new QFormLayout(content);
    form->setContentsMargins(2, 2, 2, 2);
    form->setHorizontalSpacing(6);
    form->setVerticalSpacing(4);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    return form;
}

// The widget in the middle of a row of its own.
QHBoxLayout *centredRow(QWidget *widget)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(widget);
    row->addStretch(1);
    return row;
}

// The height of a form's rows down to its `editors`-th labelled editor,
// the titles above them included.
int formHeightShowingEditors(const QFormLayout *form, int editors)
{
    const QMargins margins = form->contentsMargins();
    int height = margins.top() + margins.bottom();
    bool first = true;
    for (int row = 0; row < form->rowCount() && editors > 0; ++row) {
        const QLayoutItem *label = form->itemAt(row, QFormLayout::LabelRole);
        const QLayoutItem *field = form->itemAt(row, QFormLayout::FieldRole);
        const QLayoutItem *spanning = form->itemAt(row, QFormLayout::SpanningRole);
        int rowHeight = 0;
        for (const QLayoutItem *item : {label, field, spanning}) {
            if (item && !item->isEmpty())
                rowHeight = std::max(rowHeight, item->sizeHint().height());
        }
        if (rowHeight == 0)
            continue;
        height += rowHeight + (first ? 0 : std::max(0, form->verticalSpacing()));
        first = false;
        if (label && field)
            --editors;
    }
    return height;
}

// The panel's pages. A pane that shows the panel asks for the height of the
// shown page's first five editors; the rest scroll.
class EditorPageStack : public QStackedWidget
{
public:
    using QStackedWidget::QStackedWidget;

    QSize sizeHint() const override
    {
        QSize hint = QStackedWidget::sizeHint();
        if (const int height = heightShowingEditors(5); height > 0)
            hint.setHeight(height);
        return hint;
    }

    // None when the page shown is no form.
    int heightShowingEditors(int editors) const
    {
        const auto *page = qobject_cast<const QScrollArea *>(currentWidget());
        const auto *form = page && page->widget() ? qobject_cast<const QFormLayout *>(page->widget()->layout()) : nullptr;
        return form ? 2 * page->frameWidth() + formHeightShowingEditors(form, editors) : 0;
    }
};

QLabel *sectionTitle(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 0.9);
    label->setFont(font);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

QWidget *AttributeStyleEditorViewController::pageArea() const
{
    return m_tabView;
}

int AttributeStyleEditorViewController::pageHeightShowingEditors(int editors) const
{
    const auto *pages = static_cast<const EditorPageStack *>(m_tabView);
    return pages ? pages->heightShowingEditors(editors) : 0;
}

void AttributeStyleEditorViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("EditorView"));
    view->resize(240, 385);
    buildPages(view);
    // Scrolling the pages never changes a value under the pointer.
    WheelFocusGuard::guard(view);
    m_editorView = view;
    setView(view);
}

void AttributeStyleEditorViewController::buildPages(QWidget *view)
{
    // Little room above and below the tabs and pages: a short pane shows
    // its editors rather than margins.
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(4);

    m_ruleListView = new QListWidget(view);
    m_ruleListView->setObjectName(QStringLiteral("ruleListView"));
    m_ruleListView->setMaximumHeight(80);
    m_ruleListView->hide();
    connect(m_ruleListView, &QListWidget::currentRowChanged, this, [this] { updateSelection(); });
    layout->addWidget(m_ruleListView);

    const QStringList pageNames{QStringLiteral("Box"), QStringLiteral("Border"), QStringLiteral("Background"),
                                QStringLiteral("Effects")};
    m_tabController = new SegmentedControl(view);
    m_tabController->setObjectName(QStringLiteral("tabController"));
    m_tabController->setSegmentCount(int(pageNames.size()));
    // Four names across the popover's width: each as wide as its name.
    for (int segment = 0; segment < pageNames.size(); ++segment) {
        m_tabController->setLabel(pageNames[segment], segment);
        m_tabController->setWidth(m_tabController->fontMetrics().horizontalAdvance(pageNames[segment]) + 10, segment);
    }
    m_tabController->setToolTip(QStringLiteral("Box and text"), 0);
    m_tabController->setToolTip(QStringLiteral("Border and corners"), 1);
    m_tabController->setToolTip(QStringLiteral("Background and shadows"), 2);
    m_tabController->setToolTip(QStringLiteral("Opacity, filter and transform"), 3);
    m_tabController->setFocusPolicy(Qt::StrongFocus);
    m_tabController->setSelectedSegment(0);
    connect(m_tabController, &SegmentedControl::activated, this,
            [this] { changeTab(m_tabController->selectedSegment()); });
    layout->addLayout(centredRow(m_tabController));

    m_tabView = new EditorPageStack(view);
    m_tabView->setObjectName(QStringLiteral("tabView"));
    layout->addWidget(m_tabView, 1);

    // The forms the editors go on: the box page, the border page's two, the
    // background page's two, and the effects page.
    enum Form { BoxForm, SidesForm, RadiusForm, ColorForm, ShadowForm, EffectsForm };
    QList<QFormLayout *> forms;
    for (int page = 0; page < pageNames.size(); ++page) {
        auto *scroll = new QScrollArea(m_tabView);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto *content = new QWidget(scroll);
        scroll->setWidget(content);
        m_tabView->addWidget(scroll);
        m_pages.append(scroll);
        if (page == 1 || page == 2) {
            // The border and background pages choose among pages of their own.
            auto *column = new QVBoxLayout(content);
            column->setContentsMargins(0, 2, 0, 0);
            column->setSpacing(4);
            auto *chooser = new SegmentedControl(content);
            auto *stack = new QStackedWidget(content);
            const QStringList names = page == 1 ? QStringList{QStringLiteral("Sides"), QStringLiteral("Radius")}
                                                : QStringList{QStringLiteral("Color"), QStringLiteral("Shadow")};
            chooser->setObjectName(page == 1 ? QStringLiteral("borderController") : QStringLiteral("backgroundController"));
            chooser->setSegmentCount(int(names.size()));
            for (int segment = 0; segment < names.size(); ++segment) {
                chooser->setLabel(names[segment], segment);
                chooser->setWidth(64, segment);
                auto *subPage = new QWidget(stack);
                forms.append(editorForm(subPage));
                stack->addWidget(subPage);
            }
            chooser->setFocusPolicy(Qt::StrongFocus);
            connect(chooser, &SegmentedControl::activated, this, [this, chooser] {
                changeSubPage(chooser, chooser->selectedSegment());
            });
            column->addLayout(centredRow(chooser));
            column->addWidget(stack);
            column->addStretch(1);
            (page == 1 ? m_borderController : m_backgroundController) = chooser;
            m_subPages.insert(chooser, stack);
            changeSubPage(chooser, 0);
        } else {
            forms.append(editorForm(content));
        }
    }

    const auto add = [&forms](int page, const QString &label, QWidget *editor) {
        QFormLayout *form = forms[page];
        auto *content = form->parentWidget();
        editor->setParent(content);
        form->addRow(label, editor);
    };
    const auto section = [&forms](int page, const QString &title) {
        QFormLayout *form = forms[page];
        form->addRow(sectionTitle(title, form->parentWidget()));
    };
    // The compound editors take the whole width, under their title.
    const auto addWide = [&forms](int page, const QString &title, QWidget *editor) {
        QFormLayout *form = forms[page];
        auto *label = new QLabel(title, form->parentWidget());
        label->setBuddy(editor);
        form->addRow(label);
        editor->setParent(form->parentWidget());
        editor->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        form->addRow(editor);
    };

    m_displayEditor = new EnumEditor;
    m_floatEditor = new EnumEditor;
    m_positionEditor = new EnumEditor;
    m_textDecorationEditor = new EnumEditor;
    m_fontStyleEditor = new EnumEditor;
    m_fontFamilyEnumEditor = new FontFamilyEnumEditor;
    m_fontWeightEditor = new ComboEnumEditor;
    m_textAlignEditor = new AlignEditor;
    m_marginEditor = new FourLengthsEditor;
    m_paddingEditor = new FourLengthsEditor;
    m_borderRadiusEditor = new FourLengthsEditor;
    m_widthEditor = new LengthEditor;
    m_heightEditor = new LengthEditor;
    m_leftEditor = new LengthEditor;
    m_topEditor = new LengthEditor;
    m_rightEditor = new LengthEditor;
    m_bottomEditor = new LengthEditor;
    m_zIndexEditor = new NumberStyleEditor;
    m_opacityEditor = new NumberStyleEditor;
    m_colorEditor = new ColorEditor;
    m_fontSizeEditor = new LengthEditor;
    m_lineHeightEditor = new LengthEditor;
    m_letterSpacingEditor = new LengthEditor;
    m_backgroundEditor = new BackgroundEditor;
    m_borderEditor = new BorderEditor;
    m_filterEditor = new FilterEditor;
    m_textShadowEditor = new ShadowEditor;
    m_boxShadowEditor = new ShadowEditor;
    m_transformEditor = new TransformEditor;

    // Page 0: box and text, in the order a designer reads a box.
    section(BoxForm, QStringLiteral("Layout"));
    add(BoxForm, QStringLiteral("Display"), m_displayEditor);
    add(BoxForm, QStringLiteral("Position"), m_positionEditor);
    add(BoxForm, QStringLiteral("Float"), m_floatEditor);
    add(BoxForm, QStringLiteral("Width"), m_widthEditor);
    add(BoxForm, QStringLiteral("Height"), m_heightEditor);
    add(BoxForm, QStringLiteral("Top"), m_topEditor);
    add(BoxForm, QStringLiteral("Right"), m_rightEditor);
    add(BoxForm, QStringLiteral("Bottom"), m_bottomEditor);
    add(BoxForm, QStringLiteral("Left"), m_leftEditor);
    add(BoxForm, QStringLiteral("Z-Index"), m_zIndexEditor);
    add(BoxForm, QStringLiteral("Margin"), m_marginEditor);
    add(BoxForm, QStringLiteral("Padding"), m_paddingEditor);
    section(BoxForm, QStringLiteral("Text"));
    add(BoxForm, QStringLiteral("Font"), m_fontFamilyEnumEditor);
    add(BoxForm, QStringLiteral("Size"), m_fontSizeEditor);
    add(BoxForm, QStringLiteral("Weight"), m_fontWeightEditor);
    add(BoxForm, QStringLiteral("Style"), m_fontStyleEditor);
    add(BoxForm, QStringLiteral("Line Height"), m_lineHeightEditor);
    add(BoxForm, QStringLiteral("Spacing"), m_letterSpacingEditor);
    add(BoxForm, QStringLiteral("Decoration"), m_textDecorationEditor);
    add(BoxForm, QStringLiteral("Align"), m_textAlignEditor);
    add(BoxForm, QStringLiteral("Color"), m_colorEditor);
    // Page 1: the border's sides, and its corners.
    addWide(SidesForm, QStringLiteral("Border"), m_borderEditor);
    add(RadiusForm, QStringLiteral("Radius"), m_borderRadiusEditor);
    // Page 2: the background's colour, and the shadows.
    add(ColorForm, QStringLiteral("Color"), m_backgroundEditor);
    addWide(ShadowForm, QStringLiteral("Text Shadow"), m_textShadowEditor);
    addWide(ShadowForm, QStringLiteral("Box Shadow"), m_boxShadowEditor);
    // Page 3: effects.
    add(EffectsForm, QStringLiteral("Opacity"), m_opacityEditor);
    addWide(EffectsForm, QStringLiteral("Filter"), m_filterEditor);
    addWide(EffectsForm, QStringLiteral("Transform"), m_transformEditor);

    // The panel's order.
    m_editors = {m_displayEditor,  m_floatEditor,         m_positionEditor,  m_textDecorationEditor,
                 m_fontStyleEditor, m_fontFamilyEnumEditor, m_fontWeightEditor, m_textAlignEditor,
                 m_marginEditor,   m_paddingEditor,       m_borderRadiusEditor, m_borderEditor,
                 m_widthEditor,    m_heightEditor,        m_leftEditor,      m_topEditor,
                 m_rightEditor,    m_bottomEditor,        m_zIndexEditor,    m_opacityEditor,
                 m_colorEditor,    m_fontSizeEditor,      m_lineHeightEditor, m_letterSpacingEditor,
                 m_textShadowEditor, m_boxShadowEditor,   m_backgroundEditor, m_filterEditor,
                 m_transformEditor};
    resetEditors();
}

int AttributeStyleEditorViewController::pageNumOfProperty(const QString &property) const
{
    return pageOfProperty().value(property, 0);
}

int AttributeStyleEditorViewController::currentPage() const
{
    return m_tabView ? m_tabView->currentIndex() : 0;
}

void AttributeStyleEditorViewController::changeTab(int page)
{
    view();
    if (page < 0 || page >= m_tabView->count())
        return;
    for (int segment = 0; segment < m_tabController->segmentCount(); ++segment)
        m_tabController->setSelected(segment == page, segment);
    m_tabView->setCurrentIndex(page);
}

void AttributeStyleEditorViewController::changeSubPage(SegmentedControl *chooser, int subPage)
{
    QStackedWidget *stack = m_subPages.value(chooser);
    if (!stack || subPage < 0 || subPage >= stack->count())
        return;
    for (int segment = 0; segment < chooser->segmentCount(); ++segment)
        chooser->setSelected(segment == subPage, segment);
    // The page is as tall as the inner page shown, not as the tallest.
    for (int page = 0; page < stack->count(); ++page)
        stack->widget(page)->setSizePolicy(QSizePolicy::Preferred, page == subPage ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    stack->setCurrentIndex(subPage);
    stack->updateGeometry();
}

int AttributeStyleEditorViewController::subPage(SegmentedControl *chooser) const
{
    const QStackedWidget *stack = m_subPages.value(chooser);
    return stack ? stack->currentIndex() : -1;
}

void AttributeStyleEditorViewController::showSubPageOf(const QWidget *editor)
{
    for (auto it = m_subPages.cbegin(); it != m_subPages.cend(); ++it) {
        for (int page = 0; page < it.value()->count(); ++page) {
            if (it.value()->widget(page)->isAncestorOf(editor))
                changeSubPage(it.key(), page);
        }
    }
}

AttributeEditor *AttributeStyleEditorViewController::editorForProperty(const QString &property) const
{
    for (AttributeEditor *editor : m_editors) {
        if (editor && editor->property() == property)
            return editor;
    }
    // A longhand of a shorthand editor, the background colour.
    for (AttributeEditor *editor : m_editors) {
        if (auto *sides = qobject_cast<FourLengthsEditor *>(editor); sides && sides->properties().contains(property))
            return editor;
    }
    if (property.startsWith(QLatin1String("border-")) && !property.contains(QLatin1String("radius")))
        return m_borderEditor;
    if (property == u"filter")
        return m_filterEditor;
    if (property == u"transform")
        return m_transformEditor;
    return property == u"background-color" ? m_backgroundEditor : nullptr;
}

void AttributeStyleEditorViewController::focusWithProperty(const QString &property)
{
    initEditor();
    int page = pageNumOfProperty(property);
    AttributeEditor *editor = editorForProperty(property);
    // A longhand shows the page of the editor that holds it ("border-top").
    for (int i = 0; editor && i < m_pages.size(); ++i) {
        if (m_pages[i]->isAncestorOf(editor))
            page = i;
    }
    changeTab(page);
    if (!editor)
        return;
    showSubPageOf(editor);
    editor->showControlsOf(property);
    m_pages[page]->ensureWidgetVisible(editor);
    if (QWidget *control = editor->firstControl())
        control->setFocus(Qt::OtherFocusReason);
}
