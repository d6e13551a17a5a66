#include "FontFamilyEnumEditor.h"

#include "StyleValueMap.h"

#include "platform/kit/PopUpButton.h"

#include <QFontDatabase>
#include <QRegularExpression>

namespace {

std::function<QStringList()> &usedFontFamiliesProvider()
{
    static std::function<QStringList()> provider;
    return provider;
}

} // namespace

FontFamilyEnumEditor::FontFamilyEnumEditor(QWidget *parent)
    : EnumEditor(parent)
{
    getPopupButton()->setMenuWillOpen([this] { initFonts(); });
}

void FontFamilyEnumEditor::setUsedFontFamiliesProvider(std::function<QStringList()> provider)
{
    usedFontFamiliesProvider() = std::move(provider);
}

void FontFamilyEnumEditor::setProperty(const QString &property)
{
    // The menu holds families, not the property's keywords; it is filled
    // when it opens.
    AttributeEditor::setProperty(property);
    getPopupButton()->setObjectName(property);
    if (getPopupButton()->count() == 0)
        getPopupButton()->addItemsWithTitles({QStringLiteral("-")});
}

void FontFamilyEnumEditor::readStyle(StyleValueMap &map)
{
    const auto values = map.takeIfHeld({property()}, nullptr);
    if (!values)
        return;
    setImportant(values->first().important);
    m_readText = values->first().text;
    m_shownText = QString(values->first().text).remove(u'\'').remove(u'"');
    setValue(m_shownText);
}

void FontFamilyEnumEditor::reset()
{
    EnumEditor::reset();
    m_readText.reset();
    m_shownText.clear();
}

std::optional<QString> FontFamilyEnumEditor::value() const
{
    const std::optional<QString> chosen = EnumEditor::value();
    if (!chosen)
        return std::nullopt;
    if (m_readText && *chosen == m_shownText)
        return m_readText;
    return cssFamilyName(*chosen);
}

void FontFamilyEnumEditor::initFonts()
{
    m_fontList.clear();
    if (usedFontFamiliesProvider())
        m_fontList = usedFontFamiliesProvider()();
    m_fontList += QFontDatabase::families();
    const QString current = getPopupButton()->titleOfSelectedItem().remove(u'\'');
    PopUpButton *popup = getPopupButton();
    const QSignalBlocker blocker(popup);
    popup->clear();
    popup->addItemsWithTitles(QStringList{QStringLiteral("-")} + m_fontList);
    if (m_val)
        popup->setTitle(current);
    else
        popup->selectItemAtIndex(0);
}

QString FontFamilyEnumEditor::cssFamilyName(const QString &family)
{
    static const QRegularExpression identifier(QStringLiteral("^-?[_a-zA-Z\\x{80}-\\x{10FFFF}][-_a-zA-Z0-9\\x{80}-\\x{10FFFF}]*$"));
    const QStringList words = family.split(u' ', Qt::SkipEmptyParts);
    bool bare = !words.isEmpty();
    for (const QString &word : words) {
        if (!identifier.match(word).hasMatch() || word.startsWith(QStringLiteral("--"))) {
            bare = false;
            break;
        }
    }
    if (bare)
        return words.join(u' ');
    QString escaped = family;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return u'"' + escaped + u'"';
}
