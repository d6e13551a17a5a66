// AttributeStyleEditorViewController: the view, its three pages and their
// editors, the page chooser and putting the keyboard on a property.

#include "AttributeStyleEditorViewController.h"

#include "AlignEditor.h"
#include "BackgroundEditor.h"
#include "ComboEnumEditor.h"
#include "EnumEditor.h"
#include "FilterEditor.h"
#include "FontFamilyEnumEditor.h"
#include "FourLengthsEditor.h"
#include "LengthEditor.h"
#include "NumberStyleEditor.h"
#include "TransformEditor.h"

#include "platform/kit/SegmentedControl.h"

#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// The page of each property an editor holds; the rest is on page 0.
const QHash<QString, int> &pageOfProperty()
{
    static const QHash<QString, int> pages = {
        {QStringLiteral("border"), 1},      {QStringLiteral("border-radius"), 1},
        {QStringLiteral("background"), 1},  {QStringLiteral("background-color"), 1},
        {QStringLiteral("opacity"), 2},     {QStringLiteral("text-shadow"), 2},
        {QStringLiteral("box-shadow"), 2},  {QStringLiteral("filter"), 2},
        {QStringLiteral("-webkit-filter"), 2}, {QStringLiteral("transform"), 2},
        {QStringLiteral("-webkit-transform"), 2},
    };
    return pages;
}

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

void AttributeStyleEditorViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("EditorView"));
    view->resize(240, 385);
    buildPages(view);
    m_editorView = view;
    setView(view);
}

void AttributeStyleEditorViewController::buildPages(QWidget *view)
{
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    m_ruleListView = new QListWidget(view);
    m_ruleListView->setObjectName(QStringLiteral("ruleListView"));
    m_ruleListView->setMaximumHeight(80);
    m_ruleListView->hide();
    connect(m_ruleListView, &QListWidget::currentRowChanged, this, [this] { updateSelection(); });
    layout->addWidget(m_ruleListView);

    m_tabController = new SegmentedControl(view);
    m_tabController->setObjectName(QStringLiteral("tabController"));
    m_tabController->setSegmentCount(3);
    m_tabController->setLabel(QStringLiteral("Box"), 0);
    m_tabController->setLabel(QStringLiteral("Border"), 1);
    m_tabController->setLabel(QStringLiteral("Effects"), 2);
    m_tabController->setToolTip(QStringLiteral("Box and text"), 0);
    m_tabController->setToolTip(QStringLiteral("Border and background"), 1);
    m_tabController->setToolTip(QStringLiteral("Effects"), 2);
    for (int segment = 0; segment < 3; ++segment)
        m_tabController->setWidth(64, segment);
    m_tabController->setFocusPolicy(Qt::StrongFocus);
    m_tabController->setSelectedSegment(0);
    connect(m_tabController, &SegmentedControl::activated, this,
            [this] { changeTab(m_tabController->selectedSegment()); });
    auto *tabRow = new QHBoxLayout;
    tabRow->addStretch(1);
    tabRow->addWidget(m_tabController);
    tabRow->addStretch(1);
    layout->addLayout(tabRow);

    m_tabView = new QStackedWidget(view);
    m_tabView->setObjectName(QStringLiteral("tabView"));
    layout->addWidget(m_tabView, 1);

    QList<QFormLayout *> forms;
    for (int page = 0; page < 3; ++page) {
        auto *scroll = new QScrollArea(m_tabView);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto *content = new QWidget(scroll);
        auto *form = new QFormLayout(content);
        form->setContentsMargins(2, 2, 2, 2);
        form->setHorizontalSpacing(6);
        form->setVerticalSpacing(4);
        form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        form->setRowWrapPolicy(QFormLayout::DontWrapRows);
        scroll->setWidget(content);
        m_tabView->addWidget(scroll);
        m_pages.append(scroll);
        forms.append(form);
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
    m_filterEditor = new FilterEditor;
    m_transformEditor = new TransformEditor;

    // Page 0: box and text, in the order a designer reads a box.
    section(0, QStringLiteral("Layout"));
    add(0, QStringLiteral("Display"), m_displayEditor);
    add(0, QStringLiteral("Position"), m_positionEditor);
    add(0, QStringLiteral("Float"), m_floatEditor);
    add(0, QStringLiteral("Width"), m_widthEditor);
    add(0, QStringLiteral("Height"), m_heightEditor);
    add(0, QStringLiteral("Top"), m_topEditor);
    add(0, QStringLiteral("Right"), m_rightEditor);
    add(0, QStringLiteral("Bottom"), m_bottomEditor);
    add(0, QStringLiteral("Left"), m_leftEditor);
    add(0, QStringLiteral("Z-Index"), m_zIndexEditor);
    add(0, QStringLiteral("Margin"), m_marginEditor);
    add(0, QStringLiteral("Padding"), m_paddingEditor);
    section(0, QStringLiteral("Text"));
    add(0, QStringLiteral("Font"), m_fontFamilyEnumEditor);
    add(0, QStringLiteral("Size"), m_fontSizeEditor);
    add(0, QStringLiteral("Weight"), m_fontWeightEditor);
    add(0, QStringLiteral("Style"), m_fontStyleEditor);
    add(0, QStringLiteral("Line Height"), m_lineHeightEditor);
    add(0, QStringLiteral("Spacing"), m_letterSpacingEditor);
    add(0, QStringLiteral("Decoration"), m_textDecorationEditor);
    add(0, QStringLiteral("Align"), m_textAlignEditor);
    add(0, QStringLiteral("Color"), m_colorEditor);
    // Page 1: border and background.
    section(1, QStringLiteral("Border"));
    add(1, QStringLiteral("Radius"), m_borderRadiusEditor);
    section(1, QStringLiteral("Background"));
    add(1, QStringLiteral("Color"), m_backgroundEditor);
    // Page 2: effects.
    section(2, QStringLiteral("Effects"));
    add(2, QStringLiteral("Opacity"), m_opacityEditor);
    add(2, QStringLiteral("Filter"), m_filterEditor);
    add(2, QStringLiteral("Transform"), m_transformEditor);

    // The panel's order; the border and shadow slots are empty, so those
    // declarations pass through.
    m_editors = {m_displayEditor,  m_floatEditor,         m_positionEditor,  m_textDecorationEditor,
                 m_fontStyleEditor, m_fontFamilyEnumEditor, m_fontWeightEditor, m_textAlignEditor,
                 m_marginEditor,   m_paddingEditor,       m_borderRadiusEditor, nullptr,
                 m_widthEditor,    m_heightEditor,        m_leftEditor,      m_topEditor,
                 m_rightEditor,    m_bottomEditor,        m_zIndexEditor,    m_opacityEditor,
                 m_colorEditor,    m_fontSizeEditor,      m_lineHeightEditor, m_letterSpacingEditor,
                 nullptr,          nullptr,               m_backgroundEditor, m_filterEditor,
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
    if (property == u"filter")
        return m_filterEditor;
    if (property == u"transform")
        return m_transformEditor;
    return property == u"background-color" ? m_backgroundEditor : nullptr;
}

void AttributeStyleEditorViewController::focusWithProperty(const QString &property)
{
    initEditor();
    const int page = pageNumOfProperty(property);
    changeTab(page);
    AttributeEditor *editor = editorForProperty(property);
    if (!editor)
        return;
    m_pages[page]->ensureWidgetVisible(editor);
    if (QWidget *control = editor->firstControl())
        control->setFocus(Qt::OtherFocusReason);
}
