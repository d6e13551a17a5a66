#include "TextFinder.h"

#include "CodeView.h"
#include "LargeTextView.h"
#include "LineNumberScrollView.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>

#include <algorithm>

namespace {

QIcon themeIcon(const char *name, QStyle::StandardPixmap fallback)
{
    const QString theme = QString::fromLatin1(name);
    if (QIcon::hasThemeIcon(theme))
        return QIcon::fromTheme(theme);
    return QApplication::style()->standardIcon(fallback);
}

// Return and Shift+Return in the search field go to the next and the
// previous match.
class ReturnKeys : public QObject
{
public:
    explicit ReturnKeys(TextFinder *finder)
        : QObject(finder)
        , m_finder(finder)
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                m_finder->performAction(key->modifiers() & Qt::ShiftModifier ? TextFinder::PreviousMatch
                                                                              : TextFinder::NextMatch);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TextFinder *m_finder; // Not owned: the parent.
};

} // namespace

TextFinder::TextFinder(QObject *parent)
    : QObject(parent)
{
    buildBar();
}

TextFinder::~TextFinder()
{
    // Without a container the bar is still ours. The container may be on its
    // way out (this finder is its child): only asked whether it is gone, as
    // it is no longer a scroll view by then.
    if (m_container.isNull())
        delete m_bar;
}

void TextFinder::buildBar()
{
    m_bar = new QWidget;
    m_bar->setObjectName(QStringLiteral("findBar"));
    m_bar->setAutoFillBackground(true);
    m_bar->setBackgroundRole(QPalette::Window);
    auto *layout = new QHBoxLayout(m_bar);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->setSpacing(4);
    m_field = new QLineEdit(m_bar);
    m_field->setPlaceholderText(tr("Find"));
    m_field->setClearButtonEnabled(true);
    m_field->installEventFilter(new ReturnKeys(this));
    m_status = new QLabel(m_bar);
    m_status->setForegroundRole(QPalette::PlaceholderText);
    m_previous = new QToolButton(m_bar);
    m_previous->setIcon(themeIcon("go-up", QStyle::SP_ArrowUp));
    m_previous->setToolTip(tr("Previous Match (Shift+Ctrl+G)"));
    m_previous->setAutoRaise(true);
    m_next = new QToolButton(m_bar);
    m_next->setIcon(themeIcon("go-down", QStyle::SP_ArrowDown));
    m_next->setToolTip(tr("Next Match (Ctrl+G)"));
    m_next->setAutoRaise(true);
    m_done = new QToolButton(m_bar);
    m_done->setText(tr("Done"));
    m_done->setToolTip(tr("Hide the Find Bar (Escape)"));
    m_done->setAutoRaise(true);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_status);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(m_done);

    connect(m_field, &QLineEdit::textEdited, this, [this] { searchStringDidChange(); });
    connect(m_previous, &QToolButton::clicked, this, [this] { performAction(PreviousMatch); });
    connect(m_next, &QToolButton::clicked, this, [this] { performAction(NextMatch); });
    connect(m_done, &QToolButton::clicked, this, [this] { performAction(HideFindInterface); });
}

void TextFinder::setClient(QPlainTextEdit *client)
{
    m_client = client;
}

void TextFinder::setLargeClient(LargeTextView *client)
{
    m_largeClient = client;
}

std::pair<int, int> TextFinder::clientSelection() const
{
    if (m_largeClient)
        return {m_largeClient->selectionStart(), m_largeClient->selectionEnd()};
    const QTextCursor selection = m_client->textCursor();
    return {selection.selectionStart(), selection.selectionEnd()};
}

LineNumberScrollView *TextFinder::findBarContainer() const
{
    return m_container;
}

void TextFinder::setFindBarContainer(LineNumberScrollView *container)
{
    m_container = container;
    if (!container)
        return;
    container->setFindBarView(m_bar);
    // The keys act while the keyboard is anywhere in the frame: the view or the bar.
    const auto add = [this, container](QList<QKeySequence> keys, Action action) {
        auto *item = new QAction(container);
        item->setShortcuts(keys);
        item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(item, &QAction::triggered, this, [this, action] { performAction(action); });
        container->addAction(item);
        return item;
    };
    add(QKeySequence::keyBindings(QKeySequence::Find), ShowFindInterface);
    add({QKeySequence(Qt::CTRL | Qt::Key_G), QKeySequence(Qt::Key_F3)}, NextMatch);
    add({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G), QKeySequence(Qt::SHIFT | Qt::Key_F3)}, PreviousMatch);
    // Escape only while the bar shows: otherwise it is the view's.
    m_escape = add({QKeySequence(Qt::Key_Escape)}, HideFindInterface);
    m_escape->setEnabled(false);
}

QString TextFinder::searchString() const
{
    return m_field->text();
}

void TextFinder::setSearchString(const QString &text)
{
    m_field->setText(text);
    searchStringDidChange();
}

QString TextFinder::statusText() const
{
    return m_status->text();
}

void TextFinder::performAction(Action action)
{
    if (!hasClient())
        return;
    switch (action) {
    case ShowFindInterface: {
        const auto [start, end] = clientSelection();
        m_searchStart = start;
        const QString selected = m_largeClient ? m_largeClient->selectedText() : m_client->textCursor().selectedText();
        if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator) && !selected.contains(u'\n')
            && !selected.contains(u'\r'))
            m_field->setText(selected);
        if (m_container)
            m_container->setFindBarVisible(true);
        if (m_escape)
            m_escape->setEnabled(true);
        m_field->setFocus(Qt::ShortcutFocusReason);
        m_field->selectAll();
        if (!m_field->text().isEmpty()) {
            const QString text = m_field->text();
            if (m_largeClient)
                showStatus(m_largeClient->text().matches(text, Qt::CaseInsensitive), start, end > start);
            else if (auto *code = qobject_cast<CodeView *>(m_client.data()))
                showStatus(matchesIn(code->string(), text), code->stringIndexOf(start), end > start);
            else
                showStatus(matchesIn(m_client->document()->toRawText(), text), start, end > start);
        }
        break;
    }
    case NextMatch:
        findMatch(clientSelection().second, false);
        break;
    case PreviousMatch:
        findMatch(clientSelection().first, true);
        break;
    case HideFindInterface:
        if (m_container)
            m_container->setFindBarVisible(false);
        if (m_escape)
            m_escape->setEnabled(false);
        if (m_largeClient)
            m_largeClient->setFocus(Qt::ShortcutFocusReason);
        else
            m_client->setFocus(Qt::ShortcutFocusReason);
        break;
    }
}

void TextFinder::searchStringDidChange()
{
    if (!hasClient() || !m_incremental)
        return;
    if (m_field->text().isEmpty()) {
        m_status->clear();
        return;
    }
    findMatch(m_searchStart, false);
}

bool TextFinder::findMatch(int from, bool backwards)
{
    const QString text = m_field->text();
    if (!hasClient() || text.isEmpty())
        return false;
    if (m_largeClient)
        return findLargeMatch(from, backwards);
    if (auto *code = qobject_cast<CodeView *>(m_client.data())) {
        // The file's text, in which a long line's slices are one line.
        const QString &all = code->string();
        const qsizetype at = findIn(all, text, code->stringIndexOf(from), backwards);
        if (at >= 0) {
            QTextCursor match = code->textCursor();
            match.setPosition(code->documentPositionOf(int(at)));
            match.setPosition(code->documentPositionOf(int(at + text.size())), QTextCursor::KeepAnchor);
            code->setTextCursor(match);
        }
        showStatus(matchesIn(all, text), int(at), at >= 0);
        return at >= 0;
    }
    QTextDocument *document = m_client->document();
    const QTextDocument::FindFlags flags = backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    QTextCursor match = document->find(text, from, flags);
    if (match.isNull()) {
        // Round the end of the text to its other end.
        QTextCursor wrap(document);
        wrap.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
        match = document->find(text, wrap, flags);
    }
    if (!match.isNull())
        m_client->setTextCursor(match);
    showStatus(matchesIn(document->toRawText(), text), match.isNull() ? -1 : match.selectionStart(), !match.isNull());
    return !match.isNull();
}

qsizetype TextFinder::findIn(const QString &all, const QString &text, int from, bool backwards)
{
    qsizetype at = -1;
    if (backwards) {
        at = from > 0 ? all.lastIndexOf(text, from - 1, Qt::CaseInsensitive) : -1;
        if (at < 0)
            at = all.lastIndexOf(text, -1, Qt::CaseInsensitive);
    } else {
        at = all.indexOf(text, from, Qt::CaseInsensitive);
        if (at < 0)
            at = all.indexOf(text, 0, Qt::CaseInsensitive);
    }
    return at;
}

bool TextFinder::findLargeMatch(int from, bool backwards)
{
    const QString text = m_field->text();
    const PieceText &all = m_largeClient->text();
    qsizetype at = -1;
    if (backwards) {
        at = from > 0 ? all.lastIndexOf(text, from - 1, Qt::CaseInsensitive) : -1;
        if (at < 0)
            at = all.lastIndexOf(text, all.size() - 1, Qt::CaseInsensitive);
    } else {
        at = all.indexOf(text, from, Qt::CaseInsensitive);
        if (at < 0)
            at = all.indexOf(text, 0, Qt::CaseInsensitive);
    }
    if (at >= 0)
        m_largeClient->select(int(at), int(at + text.size()));
    showStatus(all.matches(text, Qt::CaseInsensitive), int(at), at >= 0);
    return at >= 0;
}

QList<qsizetype> TextFinder::matchesIn(const QString &all, const QString &text)
{
    // Counted as the search steps: matches do not overlap.
    QList<qsizetype> found;
    for (qsizetype at = all.indexOf(text, 0, Qt::CaseInsensitive); at >= 0;
         at = all.indexOf(text, at + text.size(), Qt::CaseInsensitive))
        found.append(at);
    return found;
}

void TextFinder::showStatus(const QList<qsizetype> &matches, int matchStart, bool hasMatch)
{
    if (m_field->text().isEmpty()) {
        m_status->clear();
        return;
    }
    const int count = int(matches.size());
    const int current = hasMatch ? int(std::upper_bound(matches.cbegin(), matches.cend(), matchStart) - matches.cbegin()) : 0;
    if (count == 0)
        m_status->setText(tr("Not found"));
    else if (!hasMatch)
        m_status->setText(count == 1 ? tr("1 match") : tr("%1 matches").arg(count));
    else
        m_status->setText(tr("%1 of %2").arg(current).arg(count));
}
