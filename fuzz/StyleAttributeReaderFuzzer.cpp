// Arbitrary style text through the style-attribute panel's reading: the
// declarations map and every editor's readStyle, then the text the panel
// writes back. What the panel writes must read back to itself, and so must
// what the transform, filter and shadow-layer readers write.

#include "editors/AttributeStyleEditorViewController.h"
#include "editors/FilterValue.h"
#include "editors/StyleValueMap.h"
#include "editors/TransformValue.h"
#include "editors/popover/ShadowLayerReader.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

QApplication *s_app = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLoggingCategory::setFilterRules(QStringLiteral("quillmark.*=false"));
    s_app = new QApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    static const DOMElementPtr element = document->createElement(QStringLiteral("div"));
    static AttributeStyleEditorViewController *panel = [] {
        auto *controller = new AttributeStyleEditorViewController;
        controller->initEditor();
        return controller;
    }();
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const StyleValueMap map = StyleValueMap::fromStyleText(text);
    for (const StyleValueMap::Declaration &declaration : map.declarations())
        map.lookup(declaration.name.toLower());

    TransformValue transform;
    transform.read(text);
    const QString transformText = transform.write();
    TransformValue transformAgain;
    transformAgain.read(transformText);
    if (transformAgain.write() != transformText)
        __builtin_trap();
    FilterValue filter;
    filter.read(text);
    FilterValue filterAgain;
    filterAgain.read(filter.write());
    if (filterAgain.debugDump() != filter.debugDump() || filterAgain.write() != filter.write())
        __builtin_trap();

    for (const DropShadowPropPtr &layer : ShadowLayerReader::read(text)) {
        layer->createCSSValueStrng();
        const QList<DropShadowPropPtr> again = ShadowLayerReader::read(layer->stringValue());
        if (again.size() != 1)
            __builtin_trap();
        again.first()->createCSSValueStrng();
        if (again.first()->stringValue() != layer->stringValue())
            __builtin_trap();
    }

    element->setAttribute(QStringLiteral("style"), text);
    panel->setStyledObject(element.get());
    const QString written = panel->valueFromEditors();
    // Text without strings, escapes, groups or comments splits exactly at
    // ";", so the panel's own text reads back unchanged.
    static const QString special = QStringLiteral("'\"\\()[]{}/");
    bool plain = true;
    for (const QChar c : text) {
        if (special.contains(c) || c.unicode() < 0x20) {
            plain = false;
            break;
        }
    }
    if (plain) {
        element->setAttribute(QStringLiteral("style"), written);
        panel->setStyledObject(element.get());
        if (panel->valueFromEditors() != written)
            __builtin_trap();
    }
    document->replayLog().clear();
    return 0;
}
