#pragma once

#include "TestPrinters.h"

#include "cssrules/StyleSheetSource.h"
#include "cssrules/StyleSheetWriter.h"
#include "stylesheet/StyleComment.h"
#include "stylesheet/StyleSheetParser.h"
#include "workspace/File.h"

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace WriterTestUtil {

inline QString readData(const QString &name)
{
    QFile file(QStringLiteral(QUILLMARK_TEST_DATA "/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The lines that differ, marked "-" (expected) and "+" (actual), for a readable failure.
inline QString lineDiff(const QString &expected, const QString &actual)
{
    const QStringList a = expected.split(u'\n');
    const QStringList b = actual.split(u'\n');
    QString out;
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const QString left = i < a.size() ? a.at(i) : QStringLiteral("<none>");
        const QString right = i < b.size() ? b.at(i) : QStringLiteral("<none>");
        if (left != right)
            out += QStringLiteral("line %1\n- %2\n+ %3\n").arg(i + 1).arg(left, right);
    }
    return out;
}

// The text against data/NAME; with QUILLMARK_UPDATE_GOLDEN set the file is written instead.
inline void expectGolden(const QString &name, const QString &actual)
{
    if (qEnvironmentVariableIsSet("QUILLMARK_UPDATE_GOLDEN")) {
        QFile out(QStringLiteral(QUILLMARK_TEST_DATA "/") + name);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(actual.toUtf8());
        return;
    }
    const QString expected = readData(name);
    EXPECT_EQ(expected.toStdString(), actual.toStdString()) << "differs from " << name.toStdString() << ":\n"
                                << lineDiff(expected, actual).toStdString();
}

// A declaration as the rules panel makes one: switched on.
inline CSSPropertyPtr declared(const QString &name, const QString &value)
{
    auto property = std::make_shared<CSSProperty>(name, value);
    property->setEnabled(true);
    property->setVisible(true);
    return property;
}

// A style sheet's model in a bare File, read from text with the settings'
// vendor prefixes, or built item by item.
struct SheetModel
{
    File file;
    QList<StyleDeclarationPtr> list;

    void read(const QString &text, const StyleSheetWriterSettings &settings)
    {
        list = StyleSheetParser::parseStyleSheet(text, &file, settings.prefixes);
        file.setStyleDeclarations(list);
    }
    StyleDeclarationPtr add(int type, const QString &selector, const QList<std::pair<QString, QString>> &properties = {},
                            bool inBraket = false)
    {
        auto item = std::make_shared<StyleDeclaration>();
        item->setType(type);
        item->setSelector(selector);
        item->setInBraket(inBraket);
        item->setParentFile(&file);
        QList<CSSPropertyPtr> made;
        for (const auto &[name, value] : properties) {
            made.append(declared(name, value));
        }
        item->setProperties(made);
        list.append(item);
        file.setStyleDeclarations(list);
        return item;
    }
    StyleDeclarationPtr addComment(const QString &text)
    {
        auto comment = std::make_shared<StyleComment>();
        comment->setCommentBody(text);
        comment->setParentFile(&file);
        list.append(comment);
        file.setStyleDeclarations(list);
        return comment;
    }
    StyleDeclarationPtr withSelector(const QString &selector) const
    {
        for (const StyleDeclarationPtr &item : list) {
            if (item->selector() == selector)
                return item;
        }
        return nullptr;
    }
    CSSPropertyPtr property(const QString &selector, const QString &name) const
    {
        const StyleDeclarationPtr item = withSelector(selector);
        for (const CSSPropertyPtr &property : item ? item->properties() : QList<CSSPropertyPtr>()) {
            if (property->property() == name)
                return property;
        }
        return nullptr;
    }
};

// Settings as a project's dictionary holds them.
inline StyleSheetWriterSettings settings(bool minify, const QStringList &prefixesOn, const QStringList &prefixed)
{
    QVariantList entries;
    for (const char *prefix : {"-webkit", "-moz", "-o", "-ms"})
        entries.append(QVariantMap{{QStringLiteral("prefix"), QString::fromLatin1(prefix)},
                                   {QStringLiteral("on"), prefixesOn.contains(QString::fromLatin1(prefix))}});
    QVariantMap properties;
    for (const QString &name : prefixed)
        properties.insert(name, true);
    return StyleSheetWriterSettings::fromConfig({{QStringLiteral("overrideCSS"), true},
                                                 {QStringLiteral("minifyCSS"), minify},
                                                 {QStringLiteral("vendarPrefix"), entries},
                                                 {QStringLiteral("vendarPrefixProperties"), properties}});
}

// The text of a model read from text, written back after edit() changed it.
inline QString writtenAfter(const QString &text, const StyleSheetWriterSettings &settings,
                            const std::function<void(SheetModel &)> &edit)
{
    SheetModel model;
    model.read(text, settings);
    const auto source = StyleSheetSource::read(text, model.list);
    edit(model);
    const StyleSheetWriter::Result result = StyleSheetWriter(settings).write(model.list, source.get());
    EXPECT_TRUE(result.ok) << result.error.toStdString();
    return result.text;
}

} // namespace WriterTestUtil
