#include "SessionTest.h"

#include <QMap>
#include <QProcess>
#include <QRegularExpression>

#include <string>

namespace WindowPlacementTest {

namespace {

QString output(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(5000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The values of an X property as xprop prints them: "NAME(CARDINAL) = 1, 1, 20, 5".
QStringList values(const QStringList &arguments)
{
    const QString text = output(QStringLiteral("xprop"), arguments);
    const int start = text.indexOf(QRegularExpression(QStringLiteral("[=#]")));
    if (start < 0)
        return {};
    QStringList shown;
    for (const QString &part : text.mid(start + 1).split(QLatin1Char(',')))
        shown.append(part.trimmed());
    return shown;
}

QList<int> cardinals(const QStringList &arguments)
{
    QList<int> numbers;
    for (const QString &value : values(arguments)) {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (ok)
            numbers.append(number);
    }
    return numbers;
}

struct Framed
{
    QString title;
    // The window with the frame the window manager put around it; null
    // while the manager has not framed it.
    QRect frame;
};

// The program's windows that the window manager manages, as it frames
// them: each window's place on the X server grown by its frame extents.
QList<Framed> framedWindows(qint64 pid)
{
    QList<Framed> windows;
    for (const QString &id : values({QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")})) {
        if (cardinals({QStringLiteral("-id"), id, QStringLiteral("_NET_WM_PID")}) != QList<int>{int(pid)})
            continue;
        const QString info = output(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
        if (!info.contains(QStringLiteral("IsViewable")))
            continue;
        const auto number = [&info](const char *label) {
            const QRegularExpressionMatch match =
                QRegularExpression(QLatin1String(label) + QStringLiteral(":\\s*(-?\\d+)")).match(info);
            return match.hasMatch() ? match.captured(1).toInt() : 0;
        };
        Framed window;
        window.title = QRegularExpression(QStringLiteral("Window id: \\S+ \"([^\"]*)\"")).match(info).captured(1);
        const QList<int> extents = cardinals({QStringLiteral("-id"), id, QStringLiteral("_NET_FRAME_EXTENTS")});
        if (extents.size() == 4) {
            // Left, right, top and bottom.
            const QRect client(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
                               number("Height"));
            window.frame = client.marginsAdded(QMargins(extents[0], extents[2], extents[1], extents[3]));
        }
        windows.append(window);
    }
    return windows;
}

std::string text(const QList<Framed> &windows)
{
    QString shown;
    for (const Framed &window : windows) {
        shown += QStringLiteral("\"%1\" %2,%3 %4x%5; ")
                     .arg(window.title)
                     .arg(window.frame.x())
                     .arg(window.frame.y())
                     .arg(window.frame.width())
                     .arg(window.frame.height());
    }
    return shown.toStdString();
}

} // namespace

class WindowPlacement : public SessionTest
{
protected:
    // Waits until the main window and the inspector are framed, every window
    // of the program whole within the part of the screen windows may use.
    void expectFramesOnTheScreen()
    {
        QList<Framed> windows;
        const bool onScreen = session.waitFor(
            [&](const QJsonObject &) {
                const QList<int> area = cardinals({QStringLiteral("-root"), QStringLiteral("_NET_WORKAREA")});
                workArea = area.size() >= 4 ? QRect(area[0], area[1], area[2], area[3]) : QRect();
                windows = framedWindows(session.processId());
                QStringList titles;
                for (const Framed &window : windows) {
                    if (window.frame.isNull() || !workArea.contains(window.frame))
                        return false;
                    titles.append(window.title);
                }
                return titles.contains(QStringLiteral("Quillmark")) && titles.contains(QStringLiteral("Style Inspector"));
            },
            10000);
        EXPECT_TRUE(onScreen) << "work area " << workArea.width() << "x" << workArea.height() << ", windows "
                              << text(windows);
        for (const Framed &window : windows)
            frames.insert(window.title, window.frame);
    }

    // The part of the screen windows may use, and the frames last seen.
    QRect workArea;
    QMap<QString, QRect> frames;
};

TEST_F(WindowPlacement, EveryFrameLiesOnTheScreenAtFirstLaunchAfterARestartAndWithFramesSavedOnOtherScreens)
{
    {
        SCOPED_TRACE("first launch");
        expectFramesOnTheScreen();
    }
    {
        SCOPED_TRACE("after a restart");
        ASSERT_TRUE(session.quit());
        ASSERT_TRUE(session.launch(Session::Launch::Again)) << session.logTail().toStdString();
        expectFramesOnTheScreen();
    }

    // A session on a 1920x1080 screen left the main window low and tall on
    // it, and the inspector on a second screen to its right, now gone.
    session.stop();
    ASSERT_TRUE(session.setDefault(QStringLiteral("NSWindow Frame mainWindow"),
                           QStringLiteral("200.000000 0.000000 1618.000000 1060.000000 "
                                          "0.000000 0.000000 1920.000000 1080.000000")));
    ASSERT_TRUE(session.setDefault(QStringLiteral("NSWindow Frame StyleInspector"),
                           QStringLiteral("2100.000000 80.000000 300.000000 1000.000000 "
                                          "1920.000000 0.000000 1920.000000 1080.000000")));
    ASSERT_TRUE(session.launch(Session::Launch::Again)) << session.logTail().toStdString();
    SCOPED_TRACE("frames saved on other screens");
    expectFramesOnTheScreen();
}

// Quit on one screen and started on a smaller or a larger one, the windows
// that stood side by side at the top of the screen still do (#74).
TEST_F(WindowPlacement, WindowsSavedOnAScreenOfAnotherSizeStandSideBySideInTheirOrderFromTheTop)
{
    ASSERT_NO_FATAL_FAILURE(expectFramesOnTheScreen());
    const bool small = workArea.width() < 1600;
    session.stop();
    // As the program saves them on the other screen: docked at 1920x1080;
    // at the top of a 1280x800 one, shorter than the screen.
    const QString main = small ? QStringLiteral("0 0 1618 1080 0 0 1920 1080") : QStringLiteral("0 200 978 600 0 0 1280 800");
    const QString inspector = small ? QStringLiteral("1620 0 300 1080 0 0 1920 1080") : QStringLiteral("980 300 300 500 0 0 1280 800");
    ASSERT_TRUE(session.setDefault(QStringLiteral("NSWindow Frame mainWindow"), main));
    ASSERT_TRUE(session.setDefault(QStringLiteral("NSWindow Frame StyleInspector"), inspector));
    ASSERT_TRUE(session.launch(Session::Launch::Again)) << session.logTail().toStdString();
    ASSERT_NO_FATAL_FAILURE(expectFramesOnTheScreen());

    const QRect window = frames.value(QStringLiteral("Quillmark"));
    const QRect panel = frames.value(QStringLiteral("Style Inspector"));
    SCOPED_TRACE(text({{QStringLiteral("Quillmark"), window}, {QStringLiteral("Style Inspector"), panel}}));
    EXPECT_FALSE(window.intersects(panel));
    EXPECT_LT(window.right(), panel.left());
    EXPECT_EQ(window.top(), workArea.top());
    EXPECT_EQ(panel.top(), workArea.top());
    if (small) {
        // The panel keeps its width; the main window gives up the rest.
        EXPECT_EQ(panel.width(), 300);
        EXPECT_EQ(panel.right(), workArea.right());
    }
}

} // namespace WindowPlacementTest
