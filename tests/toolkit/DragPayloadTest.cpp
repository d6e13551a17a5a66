#include "TestPrinters.h"

#include "toolkit/DragPayload.h"

#include <QDataStream>
#include <QMimeData>

#include <gtest/gtest.h>

TEST(DragPayload, AnElementNameAndASnippetComeBackAsWritten)
{
    QMimeData mime;
    DragPayload::setDomNodeDragCopy(&mime, QStringLiteral("a href"));
    EXPECT_TRUE(mime.hasFormat(QStringLiteral("DomNodeDragCopy")));
    EXPECT_EQ(DragPayload::domNodeDragCopy(&mime), QVariant(QStringLiteral("a href")));

    const QVariantMap snippet{{QStringLiteral("title"), QStringLiteral("Card")},
                              {QStringLiteral("content"), QStringLiteral("<div class=\"card\"></div>")}};
    DragPayload::setDomNodeDragCopy(&mime, snippet);
    EXPECT_EQ(DragPayload::domNodeDragCopy(&mime), QVariant(snippet));
}

TEST(DragPayload, DataOfAnyOtherShapeIsRefused)
{
    EXPECT_EQ(DragPayload::decodeDomNodeDragCopy(QByteArray()), std::nullopt);
    EXPECT_EQ(DragPayload::decodeDomNodeDragCopy(QByteArray("\x00\x00\x00\x0a\x00", 5)), std::nullopt);
    EXPECT_EQ(DragPayload::decodeDomNodeDragCopy(DragPayload::encodeDomNodeDragCopy(42)), std::nullopt);
    const QByteArray whole = DragPayload::encodeDomNodeDragCopy(QStringLiteral("section"));
    EXPECT_EQ(DragPayload::decodeDomNodeDragCopy(whole.left(whole.size() - 3)), std::nullopt);
    QMimeData empty;
    EXPECT_EQ(DragPayload::domNodeDragCopy(&empty), std::nullopt);
    EXPECT_EQ(DragPayload::domNodeDragCopy(nullptr), std::nullopt);
}

TEST(DragPayload, ARuleTravelsAsUtf8TextAndADeclarationAsNone)
{
    QMimeData mime;
    EXPECT_EQ(DragPayload::cssRuleDrag(&mime), std::nullopt);
    DragPayload::setCSSRuleDrag(&mime, QStringLiteral(".caf\u00e9 { content: \"\u2192\"; }"));
    EXPECT_EQ(mime.data(QStringLiteral("CSSRuleDrag")), QStringLiteral(".caf\u00e9 { content: \"\u2192\"; }").toUtf8());
    EXPECT_EQ(DragPayload::cssRuleDrag(&mime), QStringLiteral(".caf\u00e9 { content: \"\u2192\"; }"));
    DragPayload::setCSSRuleDrag(&mime, QString());
    EXPECT_EQ(DragPayload::cssRuleDrag(&mime), QString());
}
