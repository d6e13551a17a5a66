#include "platform/kit/AttributedStringRBLHTMLAdditions.h"
#include "platform/kit/FontRBLFallbackAdditions.h"
#include "platform/kit/ViewRBLAlignmentAdditions.h"

#include <QFontDatabase>
#include <QTextCursor>
#include <QTextDocument>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace KitExtensionsTest {

using namespace FontRBLFallbackAdditions;
using namespace ViewRBLAlignmentAdditions;

const QString kMissing = QStringLiteral("No Such Family Anywhere");

// Two installed families, whatever this machine has.
QStringList installedFamilies()
{
    QStringList families;
    for (const QString &family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family) && families.size() < 2)
            families.append(family);
    }
    return families;
}

TEST(FontFallback, InstalledNameIsTheFontWithTheInstalledFallbacksAfterIt)
{
    const QStringList installed = installedFamilies();
    ASSERT_EQ(installed.size(), 2);
    const std::optional<QFont> font = rbl_fontWithName(installed[0], 13, {kMissing, installed[1]});
    ASSERT_TRUE(font);
    EXPECT_EQ(font->families(), (QStringList{installed[0], installed[1]}));
    EXPECT_EQ(font->pointSizeF(), 13.0);
}

TEST(FontFallback, MissingNameFallsToTheFirstInstalledFallback)
{
    const QStringList installed = installedFamilies();
    ASSERT_EQ(installed.size(), 2);
    const std::optional<QFont> font = rbl_fontWithName(kMissing, 9, {kMissing + "2", installed[1], installed[0]});
    ASSERT_TRUE(font);
    EXPECT_EQ(font->family(), installed[1]);
    EXPECT_EQ(font->families(), (QStringList{installed[1], installed[0]}));
}

TEST(FontFallback, NothingWhenNoNameIsInstalled)
{
    EXPECT_FALSE(rbl_fontWithName(kMissing, 12, {kMissing + "2"}));
    EXPECT_FALSE(rbl_fontWithName(kMissing, 12, {}));
}

TEST(HTMLToAttributedText, KeepsTextAndFormats)
{
    const auto text = AttributedStringRBLHTMLAdditions::rbl_attributedStringWithHTML(
        QStringLiteral("<meta charset=\"iso-8859-1\"><b>Grüße</b> and <a href=\"https://example.org\">link</a>"));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->toPlainText(), QStringLiteral("Grüße and link"));
    QTextDocument document;
    QTextCursor(&document).insertFragment(*text);
    QTextCursor bold(&document);
    bold.setPosition(2);
    EXPECT_EQ(bold.charFormat().fontWeight(), QFont::Bold);
    QTextCursor link(&document);
    link.setPosition(text->toPlainText().size());
    EXPECT_EQ(link.charFormat().anchorHref(), QStringLiteral("https://example.org"));
}

TEST(HTMLToAttributedText, EmptyTextGivesNothing)
{
    EXPECT_FALSE(AttributedStringRBLHTMLAdditions::rbl_attributedStringWithHTML(QString()));
}

TEST(BackingAlignedRect, EdgesMoveOntoDevicePixels)
{
    const QRectF rect(0.3, 0.3, 10.4, 10.4); // edges at 0.3 and 10.7
    EXPECT_EQ(backingAlignedRect(rect, 1.0, AlignmentOptions::allEdges(AlignEdge::Nearest)), QRectF(0, 0, 11, 11));
    EXPECT_EQ(backingAlignedRect(rect, 1.0, AlignmentOptions::allEdges(AlignEdge::Inward)), QRectF(1, 1, 9, 9));
    EXPECT_EQ(backingAlignedRect(rect, 1.0, AlignmentOptions::allEdges(AlignEdge::Outward)), QRectF(0, 0, 11, 11));
    // At twice the density the edges land on half points.
    EXPECT_EQ(backingAlignedRect(rect, 2.0, AlignmentOptions::allEdges(AlignEdge::Nearest)),
              QRectF(0.5, 0.5, 10, 10));
    AlignmentOptions mixed = AlignmentOptions::allEdges(AlignEdge::Outward);
    mixed.maxX = AlignEdge::Inward;
    EXPECT_EQ(backingAlignedRect(rect, 1.0, mixed), QRectF(0, 0, 10, 11));
    // Inward past the other edge: empty, not inverted.
    EXPECT_EQ(backingAlignedRect(QRectF(0.2, 0.2, 0.5, 0.5), 1.0, AlignmentOptions::allEdges(AlignEdge::Inward)),
              QRectF(1, 1, 0, 0));
}

TEST(BackingAlignedRect, ViewInAWindowAlignsInTheWindowsCoordinates)
{
    QWidget window;
    window.resize(200, 200);
    QWidget child(&window);
    child.setGeometry(10, 20, 100, 100);
    // Not shown yet: the widget's own coordinates at the screen's density.
    EXPECT_EQ(rbl_viewBackingAlignedRect(&child, QRectF(0.4, 0.6, 5, 5), {}), QRectF(0, 1, 5, 5));

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRectF aligned = rbl_viewBackingAlignedRect(&child, QRectF(0.4, 0.6, 5, 5), {});
    const qreal scale = window.windowHandle()->devicePixelRatio();
    const QRectF inWindow = aligned.translated(10, 20);
    EXPECT_DOUBLE_EQ(inWindow.left() * scale, std::round(inWindow.left() * scale));
    EXPECT_DOUBLE_EQ(inWindow.bottom() * scale, std::round(inWindow.bottom() * scale));
    EXPECT_NEAR(aligned.left(), 0.4, 0.5 / scale + 1e-9);
}

} // namespace KitExtensionsTest
