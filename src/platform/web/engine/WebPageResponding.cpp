// WebPage: whether the page's renderer answers. A page whose script never
// stops (a loop, a dialog after every other) holds its renderer, and with it
// every load of the tab: it is asked a question every second, said not to
// respond after kAnswerMs without an answer, and ended before the next load,
// reload or step in the history goes ahead.

#include "WebPage.h"

#include "DevToolsConnection.h"

#include "platform/foundation/Log.h"

namespace {

// More dialogs than this answered unseen while one question waits for the
// renderer: the page does nothing but ask.
constexpr int kDialogsInAQuestion = 20;

} // namespace

bool WebPage::showsDocument() const
{
    return isAttached() && m_documentShown && !m_rendererGone;
}

bool WebPage::rendererIsSilent() const
{
    // The question goes through the browser: one that said nothing at all
    // since it was asked (stopped, or hung) holds the answer up, not the
    // renderer, and is replaced for it (ChromiumProcess). An answer may
    // also wait among what was read and not handled yet.
    DevToolsConnection *browser = connection();
    if (!browser)
        return false;
    browser->readWaiting();
    return browser->msSinceBrowserWrote() < m_questionAsked.elapsed() && !browser->hasUnhandledMessages();
}

void WebPage::askIfResponding()
{
    // A page waiting for the user's answer to its dialog is no page that
    // does not respond.
    if (!m_dialogType.isEmpty())
        return;
    // Where no page's script runs now (the browser's page about a failed
    // load came in place of the page asked), the question is moot.
    if (!showsDocument()) {
        if (m_questionAsked.isValid()) {
            ++m_questions;
            endQuestion(true);
        }
        return;
    }
    if (m_questionAsked.isValid()) {
        if (m_questionAsked.elapsed() >= kAnswerMs && rendererIsSilent())
            setResponding(false);
        return;
    }
    const int question = ++m_questions;
    m_questionAsked.start();
    // The cheapest question the renderer's main thread must answer itself.
    sendToSession(m_session, QStringLiteral("Runtime.evaluate"), {{QStringLiteral("expression"), QStringLiteral("0")}},
                  [this, question](const QJsonObject &, const QString &) {
                      if (question != m_questions)
                          return;
                      // A page asking dialog after dialog, answered unseen,
                      // answers in between but does nothing else.
                      endQuestion(std::exchange(m_dialogsUnseen, 0) < kDialogsInAQuestion);
                  });
}

void WebPage::endQuestion(bool responding)
{
    m_questionAsked.invalidate();
    setResponding(responding);
    if (auto then = std::exchange(m_afterAnswer, {}))
        then();
}

void WebPage::setResponding(bool responding)
{
    if (responding == m_responding)
        return;
    m_responding = responding;
    if (!responding)
        QM_INFO(QStringLiteral("the page %1 does not respond").arg(m_url.toString()));
    Q_EMIT respondingChanged(responding);
}

void WebPage::whenResponding(std::function<void()> then)
{
    if (!m_respondingCheck->isActive())
        m_respondingCheck->start(kAskEveryMs);
    if (!showsDocument()) {
        m_afterAnswer = {};
        then();
        return;
    }
    if (!m_responding) {
        m_afterAnswer = {};
        endRenderer(std::move(then));
        return;
    }
    // The last load asked for is the one that goes ahead.
    const bool waiting = bool(m_afterAnswer);
    m_afterAnswer = std::move(then);
    if (waiting)
        return;
    askIfResponding();
    const int question = m_questions;
    QTimer::singleShot(std::max<qint64>(0, kAnswerMs - m_questionAsked.elapsed()), this,
                       [this, question] { answerTimeOut(question); });
}

void WebPage::answerTimeOut(int question)
{
    if (question != m_questions || !m_questionAsked.isValid() || !m_afterAnswer)
        return;
    // The answer was held up by a dialog (the user's time does not count).
    if (const qint64 waited = m_questionAsked.elapsed(); waited < kAnswerMs) {
        QTimer::singleShot(kAnswerMs - waited, this, [this, question] { answerTimeOut(question); });
        return;
    }
    if (!rendererIsSilent()) {
        QTimer::singleShot(kAskEveryMs, this, [this, question] { answerTimeOut(question); });
        return;
    }
    setResponding(false);
    endRenderer(std::exchange(m_afterAnswer, {}));
}

void WebPage::stopUnresponsivePage()
{
    m_afterAnswer = {};
    if (m_rendererGone)
        return;
    endRenderer([this] { Q_EMIT stoppedUnresponsive(); });
}

void WebPage::endRenderer(std::function<void()> then)
{
    QM_INFO(QStringLiteral("the renderer of %1 did not answer within %2 s: it is ended").arg(m_url.toString()).arg(kAnswerMs / 1000));
    m_endingRenderer = true;
    m_endWaitRanOut = false;
    m_loadedWhileEnding = false;
    m_questionAsked.invalidate();
    ++m_questions;
    // The crash is answered once the renderer is gone (as an error); a
    // browser that does not answer at all does not hold the load either.
    auto once = std::make_shared<std::function<void()>>(std::move(then));
    const auto goOn = [this, once] {
        m_rendererGone = true;
        setResponding(true);
        if (auto then = std::exchange(*once, {}))
            then();
    };
    sendToSession(m_session, QStringLiteral("Page.crash"), {}, [goOn](const QJsonObject &, const QString &) { goOn(); });
    QTimer::singleShot(kAnswerMs, this, [this, once, goOn] {
        // What goes ahead now may still reach the renderer before its end.
        if (*once)
            m_endWaitRanOut = true;
        goOn();
    });
}
