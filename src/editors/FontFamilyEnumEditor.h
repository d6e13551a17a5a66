#pragma once

#include "EnumEditor.h"

#include <functional>

// "font-family" from a pop-up of the families the project's style sheets
// use, then the installed ones. The pop-up shows the text read without its
// quotes; that text is written back as it was until another family is
// chosen, which is written bare when it is made of identifiers and quoted
// otherwise.
class FontFamilyEnumEditor : public EnumEditor
{
    Q_OBJECT

public:
    explicit FontFamilyEnumEditor(QWidget *parent = nullptr);

    // The families the open projects' style sheets use; the shell installs it.
    static void setUsedFontFamiliesProvider(std::function<QStringList()> provider);

    void setProperty(const QString &property) override;
    void readStyle(StyleValueMap &map) override;
    void reset() override;
    std::optional<QString> value() const override;

    const QStringList &fontList() const { return m_fontList; }
    // Fills the pop-up: "-", then fontList(), the current title checked.
    void initFonts();
    int numberOfItemsInMenu() const { return int(m_fontList.size()); }

    // A family name as CSS writes it: bare when made of identifiers.
    static QString cssFamilyName(const QString &family);

private:
    QStringList m_fontList;
    // The text read and its shown form, kept until another family is chosen.
    std::optional<QString> m_readText;
    QString m_shownText;
};
