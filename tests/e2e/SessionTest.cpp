#include "SessionTest.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

#include <iostream>

namespace Shown {

bool titled(const QJsonObject &state, const char *title)
{
    return state.value(QStringLiteral("documentTitle")).toString() == QLatin1String(title)
           && state.value(QStringLiteral("treeRows")).toInt() > 0 && !state.value(QStringLiteral("loading")).toBool();
}

bool selected(const QJsonObject &state, const char *name)
{
    return state.value(QStringLiteral("selected")).toString().contains(QLatin1String(name));
}

bool showsRule(const QJsonObject &state, const char *selector, const char *file)
{
    for (const QJsonValue &rule : state.value(QStringLiteral("rules")).toArray()) {
        if (rule[QStringLiteral("selector")].toString() == QString::fromUtf8(selector)
            && rule[QStringLiteral("file")].toString().endsWith(QString::fromUtf8(file)))
            return true;
    }
    return false;
}

} // namespace Shown

void SessionTest::SetUp()
{
    ASSERT_TRUE(session.launch()) << session.logTail().toStdString();
}

void SessionTest::TearDown()
{
    if (HasFailure())
        session.reportFailure(QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name()));
}

void SessionTest::openSite(const char *page, const char *title)
{
    ASSERT_TRUE(session.addProject());
    ASSERT_TRUE(session.openPage(QString::fromLatin1(page)));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return Shown::titled(state, title); }));
}

void SessionTest::selectInTree(const char *row, const char *keys, const char *selectedName)
{
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QString::fromUtf8(row)));
    session.key(QString::fromLatin1(keys));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return Shown::selected(state, selectedName); }));
}

void SessionTest::addDeclaration(const char *typed, const char *row)
{
    ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("candidateTextField"), QStringLiteral("TextField"), 5000));
    session.type(QString::fromUtf8(typed));
    // Return commits the declaration; on a slow machine the first one may
    // only close the list of names that opened meanwhile.
    const auto added = [&] { return session.rows(QStringLiteral("cssRulesOutline")).contains(QString::fromUtf8(row)); };
    for (int attempt = 0; attempt < 3 && !added(); ++attempt) {
        session.key(QStringLiteral("Return"));
        session.waitFor([&](const QJsonObject &) { return added(); }, 3000);
    }
    ASSERT_TRUE(added()) << row;
}

void SessionTest::editLength(const char *row, const char *number, const char *edited)
{
    ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), QString::fromLatin1(row), 2));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("focus")] == QStringLiteral("size"); }));
    session.key(QStringLiteral("ctrl+a"));
    session.type(QString::fromLatin1(number));
    session.key(QStringLiteral("Return Escape"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return state[QStringLiteral("focus")] != QStringLiteral("size")
               && session.rows(QStringLiteral("cssRulesOutline")).contains(QString::fromLatin1(edited));
    }));
}

void SessionTest::saveAndExpect(const char *file, const QByteArray &expected)
{
    session.key(QStringLiteral("ctrl+s"));
    const QString relative = QString::fromLatin1(file);
    const auto saved = [&](const QJsonObject &) { return session.onDisk(relative) == expected; };
    // Keys sent while the window system moves the keyboard between the
    // program's windows (a loaded machine) may reach none: a user would
    // press again once the file still shows unsaved.
    if (!session.waitFor(saved, 5000) && !session.state()[QStringLiteral("unsaved")].toArray().isEmpty())
        session.key(QStringLiteral("ctrl+s"));
    EXPECT_TRUE(session.waitFor(saved))
        << session.onDisk(relative).toStdString();
    EXPECT_EQ(changed(), file);
}

void SessionTest::waitForRuleRow(const QString &row)
{
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return ruleRows().contains(row); }))
        << row.toStdString() << " not in " << ruleRows().join(u'|').toStdString();
}

QByteArray SessionTest::with(const QByteArray &text, const char *before, const char *after)
{
    QByteArray edited = text;
    const qsizetype at = edited.indexOf(before);
    EXPECT_GE(at, 0) << before;
    if (at >= 0)
        edited.replace(at, qsizetype(qstrlen(before)), after);
    return edited;
}

void SessionTest::chooseMenu(const char *menu, const char *item)
{
    const auto rectOf = [this](const char *title) {
        const QJsonObject answer =
            session.ask({{QStringLiteral("q"), QStringLiteral("menu")}, {QStringLiteral("title"), QString::fromLatin1(title)}});
        return std::pair(QRect(answer[QStringLiteral("x")].toInt(), answer[QStringLiteral("y")].toInt(),
                               answer[QStringLiteral("w")].toInt(), answer[QStringLiteral("h")].toInt()),
                         answer[QStringLiteral("enabled")].toBool());
    };
    const QRect title = rectOf(menu).first;
    ASSERT_FALSE(title.isEmpty()) << menu;
    session.click(title.center());
    std::pair<QRect, bool> entry;
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
        entry = rectOf(item);
        return state.contains(QStringLiteral("popup")) && !entry.first.isEmpty();
    })) << item;
    ASSERT_TRUE(entry.second) << item << " is disabled";
    session.click(entry.first.center());
}

QRect SessionTest::popoverWidget(const char *name)
{
    const QJsonObject answer = session.ask({{QStringLiteral("q"), QStringLiteral("widget")},
                                            {QStringLiteral("name"), QString::fromLatin1(name)},
                                            {QStringLiteral("inPopover"), true}});
    if (answer.contains(QStringLiteral("error")) || !answer[QStringLiteral("visible")].toBool())
        return {};
    return QRect(answer[QStringLiteral("x")].toInt(), answer[QStringLiteral("y")].toInt(), answer[QStringLiteral("w")].toInt(),
                 answer[QStringLiteral("h")].toInt());
}

void SessionTest::fillInPopover(const char *name, const char *text)
{
    QRect field;
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return (field = popoverWidget(name)).isValid(); })) << name;
    session.click(field.center());
    session.key(QStringLiteral("ctrl+a"));
    session.type(QString::fromLatin1(text));
}

void SessionTest::answer(const QString &title)
{
    for (int i = 0; i < 3; ++i) {
        const QString name = QStringLiteral("alertButton%1").arg(i);
        const QJsonObject button = session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), name}});
        if (button.value(QStringLiteral("text")).toString() == title) {
            ASSERT_TRUE(session.clickWidget(name));
            ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return !state.contains(QStringLiteral("modal")); }));
            return;
        }
    }
    FAIL() << "the question has no button " << title.toStdString();
}
