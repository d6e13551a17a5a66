#include "Session.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPixmap>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>

#include <chrono>
#include <iostream>
#include <signal.h>
#include <unistd.h>
#include <thread>

namespace {

const QString kFixture = QStringLiteral(QUILLMARK_E2E_DATA "/site");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !QFile::copy(source, target))
            return false;
    }
    return true;
}

QRect rectFrom(const QJsonObject &answer)
{
    if (answer.contains(QStringLiteral("error")))
        return {};
    return {answer.value(QStringLiteral("x")).toInt(), answer.value(QStringLiteral("y")).toInt(),
            answer.value(QStringLiteral("w")).toInt(), answer.value(QStringLiteral("h")).toInt()};
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

Session::Session()
{
    copyTree(kFixture, projectPath());
    QDirIterator it(projectPath(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        m_fixture.emplace(path.mid(projectPath().size() + 1), readAll(path));
    }
}

Session::~Session()
{
    stop();
}

void Session::stop()
{
    const qint64 browser = isRunning() ? state().value(QStringLiteral("browserPid")).toInteger() : 0;
    m_probe.abort();
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished(5000);
    }
    // The browser dies with the program; its helpers may write on for a
    // moment, and the scratch folder goes only when they are gone.
    if (browser > 0) {
        ::kill(pid_t(-browser), SIGKILL);
        for (int i = 0; i < 100 && ::kill(pid_t(-browser), 0) == 0; ++i)
            sleepMs(20);
    }
}

QString Session::defaultsPath() const
{
    return m_scratch.filePath(QStringLiteral("home/.config/Quillmark/Quillmark.plist"));
}

bool Session::launch(Launch launch)
{
    if (!start())
        return false;
    if (launch == Launch::Asking)
        return waitFor([](const QJsonObject &state) { return state.contains(QStringLiteral("modal")); });
    // A new home is a first launch: its tutorial panel is dismissed.
    if (launch == Launch::First) {
        if (!waitForModal())
            return false;
        key(QStringLiteral("Escape"));
    }
    if (launch == Launch::FirstWithQuestion)
        return waitFor([](const QJsonObject &state) {
            return state.contains(QStringLiteral("modal")) && state.value(QStringLiteral("panesPlaced")).toBool();
        }, 10000);
    return waitForMainWindow();
}

bool Session::setDefault(const QString &key, const QVariant &value) const
{
    QFile file(defaultsPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QString plist = QString::fromUtf8(file.readAll());
    file.close();
    const QString entry = value.typeId() == QMetaType::QString
        ? QStringLiteral("<key>%1</key>\n\t<string>%2</string>").arg(key, value.toString())
        : QStringLiteral("<key>%1</key>\n\t<real>%2</real>").arg(key).arg(value.toDouble());
    const QRegularExpression saved(
        QStringLiteral("<key>%1</key>\\s*<(string|real)>[^<]*</(string|real)>").arg(QRegularExpression::escape(key)));
    if (plist.contains(saved))
        plist.replace(saved, entry);
    else if (const qsizetype end = plist.lastIndexOf(QStringLiteral("</dict>")); end >= 0)
        plist.insert(end, entry + QLatin1Char('\n'));
    else
        return false;
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(plist.toUtf8()) > 0;
}

bool Session::quit()
{
    key(QStringLiteral("alt+F4"));
    return answerQuestion(QStringLiteral("quit Quillmark"), QStringLiteral("alertButton0")) // Quit
        && waitForEnd();
}

bool Session::answerQuestion(const QString &words, const QString &button)
{
    const auto asking = [&](const QJsonObject &state) {
        return state.value(QStringLiteral("modalText")).toString().contains(words);
    };
    // Shown and active, as a user sees it before clicking.
    if (!waitFor([&](const QJsonObject &state) { return asking(state) && state.value(QStringLiteral("modalActive")).toBool(); },
                 20000))
        return false;
    // On a loaded machine the window manager may still be placing the alert
    // as the click comes, and the click misses it: a user clicks again while
    // it stays up.
    for (int attempt = 0; attempt < 5; ++attempt) {
        clickWidget(button);
        if (waitFor([&](const QJsonObject &state) { return !asking(state); }, 3000))
            return true;
    }
    return false;
}

bool Session::waitForEnd()
{
    if (!m_program.waitForFinished(20000))
        return false;
    m_probe.abort();
    return true;
}

bool Session::start()
{
    const QString home = m_scratch.filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("QUILLMARK_PROBE"), m_scratch.filePath(QStringLiteral("probe")));
    for (auto it = m_environment.cbegin(); it != m_environment.cend(); ++it)
        environment.insert(it.key(), it.value());
    m_program.setProcessEnvironment(environment);
    m_program.setWorkingDirectory(m_scratch.path());
    m_program.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    if (m_obeyFilePermissions && ::geteuid() == 0) {
        // Root's override of file permissions leaves the program's bounding
        // set, and with it the effective set of what it and its browser run.
        m_program.start(QStringLiteral("setpriv"), {QStringLiteral("--bounding-set=-dac_override,-dac_read_search"),
                                                    QStringLiteral("--inh-caps=-dac_override,-dac_read_search"),
                                                    QStringLiteral("--"), QStringLiteral(QUILLMARK_BINARY)});
    } else {
        m_program.start(QStringLiteral(QUILLMARK_BINARY), {});
    }
    if (!m_program.waitForStarted(10000))
        return false;

    QElapsedTimer clock;
    clock.start();
    while (m_probe.state() != QLocalSocket::ConnectedState) {
        if (clock.elapsed() > 30000 || !isRunning())
            return false;
        m_probe.connectToServer(m_scratch.filePath(QStringLiteral("probe")));
        if (!m_probe.waitForConnected(200))
            sleepMs(100);
    }
    // A scenario that relies on permissions holds only when they do.
    if (m_obeyFilePermissions && !obeysFilePermissions()) {
        std::cerr << "the program runs with root's override of file permissions\n";
        return false;
    }
    return true;
}

bool Session::obeysFilePermissions() const
{
    // The capabilities of the running program, as the kernel keeps them.
    QFile status(QStringLiteral("/proc/%1/status").arg(processId()));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromLatin1(status.readAll());
    const QRegularExpression uid(QStringLiteral("^Uid:\\s+(\\d+)\\s+(\\d+)"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch ids = uid.match(text);
    if (ids.hasMatch() && ids.captured(1) != QLatin1String("0") && ids.captured(2) != QLatin1String("0"))
        return true;
    // CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH are bits 1 and 2.
    constexpr quint64 kOverride = (1u << 1) | (1u << 2);
    for (const char *set : {"CapInh", "CapPrm", "CapEff", "CapBnd", "CapAmb"}) {
        const QRegularExpression line(QStringLiteral("^%1:\\s+([0-9a-f]+)").arg(QLatin1String(set)),
                                      QRegularExpression::MultilineOption);
        const QRegularExpressionMatch found = line.match(text);
        if (!found.hasMatch() || (found.captured(1).toULongLong(nullptr, 16) & kOverride))
            return false;
    }
    return true;
}

bool Session::waitForMainWindow()
{
    // The keys go to the main window again once it is active; when the
    // window manager leaves it without focus, a user clicks into it (its
    // status line, where a click does nothing else).
    const auto active = [](const QJsonObject &state) {
        return !state.contains(QStringLiteral("modal")) && state.contains(QStringLiteral("activeWindow"))
            && state.value(QStringLiteral("panesPlaced")).toBool();
    };
    for (int attempt = 0; attempt < 4 && !waitFor(active, 5000); ++attempt) {
        if (!state().contains(QStringLiteral("modal")))
            clickWidget(QStringLiteral("loadStatusTextField"));
    }
    return waitFor(active, 1000) && widget(QStringLiteral("webview")).isValid();
}

bool Session::waitForModal()
{
    // A user clicks into a panel before typing (its name field), and again
    // when the first click came before the panel was there.
    if (!waitFor([](const QJsonObject &state) { return state.contains(QStringLiteral("modal")); }, 10000))
        return false;
    for (int attempt = 0; attempt < 5; ++attempt) {
        clickWidget(QStringLiteral("fileNameEdit"));
        if (waitFor([](const QJsonObject &state) { return state.value(QStringLiteral("modalActive")).toBool(); }, 2000))
            return true;
    }
    return false;
}

bool Session::isRunning() const
{
    return m_program.state() == QProcess::Running;
}

QString Session::logTail(int lines) const
{
    const QString log = QString::fromUtf8(
        readAll(m_scratch.filePath(QStringLiteral("home/.local/state/Quillmark/Quillmark.log"))));
    return log.split(QLatin1Char('\n')).mid(qMax(0, int(log.count(QLatin1Char('\n'))) - lines)).join(QLatin1Char('\n'));
}

QJsonObject Session::ask(const QJsonObject &question)
{
    if (m_probe.state() != QLocalSocket::ConnectedState)
        return {{QStringLiteral("error"), QStringLiteral("the program is gone")}};
    m_probe.write(QJsonDocument(question).toJson(QJsonDocument::Compact) + '\n');
    m_probe.flush();
    QElapsedTimer clock;
    clock.start();
    while (!m_probe.canReadLine()) {
        if (clock.elapsed() > 15000 || !m_probe.waitForReadyRead(1000)) {
            if (m_probe.state() != QLocalSocket::ConnectedState || clock.elapsed() > 15000)
                return {{QStringLiteral("error"), QStringLiteral("no answer")}};
        }
    }
    return QJsonDocument::fromJson(m_probe.readLine()).object();
}

bool Session::waitFor(const std::function<bool(const QJsonObject &state)> &condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    do {
        if (condition(state()))
            return true;
        sleepMs(50);
    } while (clock.elapsed() < timeoutMs && isRunning());
    return condition(state());
}

QRect Session::widget(const QString &objectName)
{
    const QJsonObject answer = ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), objectName}});
    if (!answer.value(QStringLiteral("visible")).toBool())
        return {};
    return rectFrom(answer);
}

QRect Session::row(const QString &viewName, const QString &text)
{
    return rectFrom(ask({{QStringLiteral("q"), QStringLiteral("row")},
                         {QStringLiteral("view"), viewName},
                         {QStringLiteral("text"), text}}));
}

QRect Session::element(const QString &selector)
{
    return rectFrom(ask({{QStringLiteral("q"), QStringLiteral("element")}, {QStringLiteral("selector"), selector}}));
}

QStringList Session::rows(const QString &viewName)
{
    QStringList shown;
    const QJsonArray rows = ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), viewName}})
                                .value(QStringLiteral("rows"))
                                .toArray();
    for (const QJsonValue &row : rows)
        shown.append(row.toString());
    return shown;
}

void Session::run(const QStringList &arguments)
{
    QProcess::execute(QStringLiteral("xdotool"), arguments);
}

void Session::moveTo(const QPoint &point)
{
    // xdotool's --sync waits for a move, and there is none to where the
    // pointer already is.
    if (point == m_pointer)
        return;
    run({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(point.x()), QString::number(point.y())});
    m_pointer = point;
}

void Session::click(const QPoint &point, int count)
{
    moveTo(point);
    run({QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(count), QStringLiteral("--delay"),
         QStringLiteral("80"), QStringLiteral("1")});
}

void Session::drag(const QPoint &from, const QPoint &to)
{
    // Each step waits until the program has answered a question after it:
    // a drag and drop starts its own loop on the first move and takes the
    // place of the drop from the moves it sees after that.
    const auto step = [this](const QPoint &point) {
        moveTo(point);
        ask({{QStringLiteral("q"), QStringLiteral("undo")}});
    };
    moveTo(from);
    run({QStringLiteral("mousedown"), QStringLiteral("1")});
    step(from + (to - from) / 2);
    step(to + QPoint(0, 1));
    step(to);
    run({QStringLiteral("mouseup"), QStringLiteral("1")});
}

void Session::wheel(const QPoint &point, int notches)
{
    moveTo(point);
    // Button 5 is a notch down.
    run({QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(notches), QStringLiteral("--delay"),
         QStringLiteral("60"), QStringLiteral("5")});
}

void Session::key(const QString &keys)
{
    run(QStringList{QStringLiteral("key"), QStringLiteral("--clearmodifiers")} + keys.split(QLatin1Char(' ')));
}

void Session::type(const QString &text)
{
    run({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

void Session::resizeWindow(const QString &title, const QSize &size)
{
    run({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
         QString::number(processId()), QStringLiteral("--name"),
         u'^' + QRegularExpression::escape(title) + u'$', QStringLiteral("windowsize"), QStringLiteral("%1"),
         QString::number(size.width()), QString::number(size.height())});
}

bool Session::clickWidget(const QString &objectName, int count)
{
    const QRect rect = widget(objectName);
    if (!rect.isValid())
        return false;
    click(rect.center(), count);
    return true;
}

bool Session::clickUntilFocused(const QString &objectName, const QString &focusName, int timeoutMs)
{
    return waitFor([&](const QJsonObject &state) {
        if (state[QStringLiteral("focus")] == focusName)
            return true;
        clickWidget(objectName);
        return false;
    }, timeoutMs);
}

bool Session::clickRow(const QString &viewName, const QString &text, int count)
{
    // A row may be shown a moment after the edit that makes it, and move
    // when a row above it changes (a page's script sets an attribute after
    // the load): a user clicks where it has come to rest.
    QRect rect;
    QElapsedTimer still;
    still.start();
    const bool rested = waitFor([&](const QJsonObject &) {
        const QRect now = row(viewName, text);
        if (now != rect) {
            rect = now;
            still.restart();
        }
        return rect.isValid() && still.elapsed() >= 250;
    }, 10000);
    if (!rested)
        return false;
    const auto doubleClicks = [this] { return state().value(QStringLiteral("doubleClicks")).toInt(); };
    const int before = count == 2 ? doubleClicks() : 0;
    click(rect.center(), count);
    // On a loaded machine the two clicks may reach the window too far apart
    // to make a double click; a user would click twice again.
    if (count == 2 && !waitFor([&](const QJsonObject &now) {
            return now.value(QStringLiteral("doubleClicks")).toInt() > before;
        }, 5000))
        click(rect.center(), count);
    return true;
}

bool Session::fill(const QString &objectName, const QString &text)
{
    if (!clickWidget(objectName))
        return false;
    key(QStringLiteral("ctrl+a"));
    type(text);
    return true;
}

bool Session::addProject()
{
    return addProject(projectPath());
}

bool Session::addProject(const QString &folder)
{
    key(QStringLiteral("ctrl+shift+o"));
    if (!waitForModal())
        return false;
    // The folder panel takes a typed path, in its name field: on a loaded
    // machine the keyboard can be elsewhere in the panel, so the field is
    // clicked until it has the keys, and the path typed again until the
    // field shows it whole.
    bool typed = false;
    for (int attempt = 0; attempt < 3 && !typed; ++attempt) {
        // The panel may give the keyboard to its sidebar after the click.
        const auto fieldHasKeys = [](const QJsonObject &state) {
            return state.value(QStringLiteral("focus")).toString() == QLatin1String("fileNameEdit");
        };
        if (!waitFor(fieldHasKeys, 500)) {
            clickWidget(QStringLiteral("fileNameEdit"));
            if (!waitFor(fieldHasKeys, 2000))
                continue;
        }
        key(QStringLiteral("ctrl+a"));
        type(folder);
        typed = waitFor([&](const QJsonObject &state) { return state.value(QStringLiteral("focusText")).toString() == folder; },
                        3000);
    }
    if (!typed)
        return false;
    key(QStringLiteral("Return"));
    // The panel is gone; an alert about what the project holds may be up.
    const QString name = QFileInfo(folder).fileName();
    return waitFor([&](const QJsonObject &state) {
        return (!state.contains(QStringLiteral("modal")) || state.contains(QStringLiteral("modalText")))
            && rows(QStringLiteral("finderView")).contains(name);
    });
}

bool Session::openPage(const QString &fileName)
{
    return clickRow(QStringLiteral("finderView"), fileName, 2);
}

QString Session::projectPath() const
{
    return m_scratch.filePath(QStringLiteral("site"));
}

QByteArray Session::original(const QString &relative) const
{
    const auto found = m_fixture.find(relative);
    return found == m_fixture.end() ? QByteArray() : found->second;
}

QByteArray Session::onDisk(const QString &relative) const
{
    return readAll(projectPath() + QLatin1Char('/') + relative);
}

QString Session::makeProject(const QString &name, const std::map<QString, QByteArray> &files) const
{
    const QString folder = m_scratch.filePath(name);
    for (const auto &[relative, bytes] : files) {
        const QString path = folder + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return {};
    }
    return folder;
}

bool Session::writeOnDisk(const QString &relative, const QByteArray &bytes) const
{
    QFile file(projectPath() + QLatin1Char('/') + relative);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QStringList Session::changedFiles() const
{
    QStringList changed;
    std::map<QString, QByteArray> now;
    QDirIterator it(projectPath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        now.emplace(path.mid(projectPath().size() + 1), readAll(path));
    }
    for (const auto &[path, bytes] : m_fixture) {
        const auto found = now.find(path);
        if (found == now.end())
            changed.append(QStringLiteral("gone: ") + path);
        else if (found->second != bytes)
            changed.append(path);
    }
    for (const auto &[path, bytes] : now) {
        // The program keeps a project's settings in the folder.
        if (path == QLatin1String(".quillmark_config") || path == QLatin1String(".kem"))
            continue;
        if (!m_fixture.count(path))
            changed.append(QStringLiteral("new: ") + path);
    }
    return changed;
}

QPoint Session::whereShown(const QColor &colour, const QRect &within) const
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QImage shot = screen->grabWindow(0).toImage();
    const auto near = [](int a, int b) { return qAbs(a - b) <= 8; };
    QRect found;
    for (int y = qMax(0, within.top()); y <= qMin(shot.height() - 1, within.bottom()); ++y) {
        for (int x = qMax(0, within.left()); x <= qMin(shot.width() - 1, within.right()); ++x) {
            const QColor pixel = shot.pixelColor(x, y);
            if (near(pixel.red(), colour.red()) && near(pixel.green(), colour.green()) && near(pixel.blue(), colour.blue()))
                found |= QRect(x, y, 1, 1);
        }
    }
    return found.isNull() ? QPoint() : found.center();
}

void Session::reportFailure(const QString &name)
{
    const QString folder = QStringLiteral(QUILLMARK_E2E_SHOTS);
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (screenshot(path))
        std::cerr << "the screen: " << path.toStdString() << '\n';
    std::cerr << "the program's state: " << QJsonDocument(state()).toJson().toStdString() << "its log:\n"
              << logTail().toStdString() << '\n';
}

bool Session::screenshot(const QString &path) const
{
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen && screen->grabWindow(0).save(path, "PNG");
}
