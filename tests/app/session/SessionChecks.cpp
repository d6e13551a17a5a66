#include "SessionChecks.h"

#include "ProjectCopy.h"
#include "SessionShell.h"

#include "app/AppDelegate.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "domtree/DOMNodeEx.h"
#include "domtree/DomInfoDelegate.h"
#include "domtree/DomTreeDelegate.h"
#include "platform/web/dom/DOMAttr.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLParser.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"
#include "workspace/File.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>

#include <functional>

namespace {

// The attributes the sequence gives elements start so: they are followed in
// page, mirror and file alike.
const QLatin1String s_markPrefix("data-qs");

void walkElements(const DOMNode *node, const std::function<void(const DOMElement &)> &visit)
{
    for (const DOMNode *child = node ? node->firstChild() : nullptr; child; child = child->nextSibling()) {
        if (child->isElement()) {
            visit(*static_cast<const DOMElement *>(child));
            walkElements(child, visit);
        }
    }
}

// The elements by name, those the filter takes; drawings (icon libraries
// draw theirs by script) and the elements scripts add to a page's head
// (scripts, styles, links) are not counted.
QMap<QString, int> countsOf(const DOMDocument *document, const std::function<bool(const DOMElement &)> &counted = {})
{
    static const QStringList uncounted{QStringLiteral("script"), QStringLiteral("style"), QStringLiteral("link"), QStringLiteral("meta")};
    QMap<QString, int> counts;
    const std::function<void(const DOMNode *)> walk = [&](const DOMNode *node) {
        for (const DOMNode *child = node ? node->firstChild() : nullptr; child; child = child->nextSibling()) {
            if (!child->isElement())
                continue;
            const auto &element = *static_cast<const DOMElement *>(child);
            if (element.localName() == QLatin1String("svg"))
                continue;
            if (!uncounted.contains(element.localName()) && (!counted || counted(element)))
                ++counts[element.localName()];
            walk(child);
        }
    };
    walk(document);
    return counts;
}

QStringList marksOf(const DOMDocument *document, const std::function<bool(const DOMElement &)> &counted = {})
{
    QStringList marks;
    walkElements(document, [&](const DOMElement &element) {
        if (counted && !counted(element))
            return;
        for (int i = 0; i < element.attributeCount(); ++i) {
            if (element.attributeAt(i)->name().startsWith(s_markPrefix))
                marks.append(element.localName() + u' ' + element.attributeAt(i)->name() + u'=' + element.attributeAt(i)->value());
        }
    });
    marks.sort();
    return marks;
}

QString firstLines(const QString &text, int lines = 6)
{
    const QStringList all = text.split(u'\n');
    return all.size() <= lines ? text : all.mid(0, lines).join(u'\n') + QStringLiteral("\n...");
}

// The page's sheets against what the engine makes of their files' texts, by
// file path: the rules only one side holds, each with its declarations in
// effect, inside its blocks.
const char *const s_sheetsScript = R"JS((function (files) {
  var lines = function (rules, prefix, out) {
    Array.from(rules).forEach(function (r) {
      var head = r.selectorText !== undefined ? r.selectorText : r.keyText !== undefined ? r.keyText : r.cssText.split('{')[0].trim();
      var line = prefix + head;
      if (r.style) line += ' { ' + Array.from(r.style).sort().map(function (n) {
        return n + ': ' + r.style.getPropertyValue(n) + (r.style.getPropertyPriority(n) ? ' !important' : ''); }).join('; ') + ' }';
      out.push(line);
      if (r.cssRules) lines(r.cssRules, prefix + head + ' > ', out);
    });
    return out;
  };
  var only = function (a, b) {
    var count = new Map();
    b.forEach(function (x) { count.set(x, (count.get(x) || 0) + 1); });
    return a.filter(function (x) { var n = count.get(x) || 0; if (n) { count.set(x, n - 1); return false; } return true; });
  };
  var result = {};
  Array.from(document.styleSheets).forEach(function (s) {
    if (!s.href) return;
    var path;
    try { path = decodeURIComponent(new URL(s.href).pathname); } catch (e) { return; }
    if (!(path in files)) return;
    var page;
    try { page = lines(s.cssRules, '', []); } catch (e) { result[path] = 'unreadable'; return; }
    var sheet = new CSSStyleSheet();
    sheet.replaceSync(files[path]);
    var file = lines(sheet.cssRules, '', []);
    var a = only(page, file), b = only(file, page);
    // A rule on both sides is shown by the declarations that differ.
    var body = function (x) { var i = x.indexOf(' { '); return i < 0 ? [x, []] : [x.slice(0, i), x.slice(i + 3, -2).split('; ')]; };
    if (a.length === 1 && b.length === 1 && body(a[0])[0] === body(b[0])[0]) {
      var pa = body(a[0])[1], pb = body(b[0])[1], head = body(a[0])[0];
      a = [head + ' { ' + only(pa, pb).join('; ') + ' }'];
      b = [head + ' { ' + only(pb, pa).join('; ') + ' }'];
    }
    result[path] = (result[path] ? result[path] + '\n' : '') + (a.length || b.length
      ? 'only in the page: ' + a.join(' | ') + '\nonly in the file: ' + b.join(' | ') : '');
  });
  return JSON.stringify(result);
})(%1))JS";

const char *const s_marksScript = R"JS(Array.from(document.querySelectorAll('*')).flatMap(function (e) {
  return Array.from(e.attributes).filter(function (a) { return a.name.indexOf('data-qs') === 0; })
    .map(function (a) { return e.localName + ' ' + a.name + '=' + a.value; }); }).sort().join('\n'))JS";

} // namespace

SessionChecks::SessionChecks(SessionShell &shell, ProjectCopy &copy)
    : m_shell(shell)
    , m_copy(copy)
{
}

void SessionChecks::noteCandidate(File *file)
{
    if (file && !m_candidates.contains(file))
        m_candidates.append(file);
}

void SessionChecks::takeElementsBaseline()
{
    m_countsBaseline = elementCounts();
}

void SessionChecks::takeBaseline(File *page)
{
    m_page = page;
    noteCandidate(page);
    for (File *sheet : m_shell.rules->styleFiles())
        noteCandidate(sheet);
    m_sheetsBaseline = sheetsDump();
    m_countsBaseline = elementCounts();
}

QString SessionChecks::held(const QString &what, const QString &disagreement)
{
    if (disagreement.isEmpty()) {
        ++m_held;
        return {};
    }
    return what + QStringLiteral(": ") + disagreement;
}

QString SessionChecks::checkAll()
{
    for (File *sheet : m_shell.rules->styleFiles())
        noteCandidate(sheet);
    updateTouched();
    for (const auto &check : {&SessionChecks::panelsShowPage, &SessionChecks::pageAgainstText, &SessionChecks::sheetsAgainstTexts,
                              &SessionChecks::onlyEditedFilesChanged, &SessionChecks::layoutsKept}) {
        if (const QString wrong = (this->*check)(); !wrong.isEmpty())
            return wrong;
    }
    return {};
}

void SessionChecks::updateTouched()
{
    for (File *file : std::as_const(m_candidates)) {
        const std::optional<QString> text = file->currentContent();
        if (text && *text != QString::fromUtf8(m_copy.originalBytes(file->path())))
            m_touched.insert(file->path());
    }
}

QStringList SessionChecks::touchedFiles() const
{
    QStringList files(m_touched.cbegin(), m_touched.cend());
    files.sort();
    return files;
}

std::optional<QMap<QString, int>> SessionChecks::elementCounts()
{
    const DOMDocument *mirror = m_shell.document();
    const std::optional<QString> text = m_page ? m_page->currentContent() : std::nullopt;
    if (!mirror || !text)
        return std::nullopt;
    // The page's elements the DOM tree holds to be in the text: what its
    // scripts made is left out.
    const QMap<QString, int> inPage = countsOf(mirror, [this](const DOMElement &element) { return m_shell.tree->isInFileText(&element); });
    const QMap<QString, int> inFile = countsOf(HTMLParser::parseDocument(*text).get());
    QMap<QString, int> differ;
    QStringList names = inPage.keys() + inFile.keys();
    for (const QString &name : std::as_const(names)) {
        // What scripts made or took away: how many more the page holds.
        if (const int more = inPage.value(name) - inFile.value(name))
            differ.insert(name, more);
    }
    return differ;
}

namespace {

QString described(const std::optional<QMap<QString, int>> &counts)
{
    if (!counts)
        return QStringLiteral("no page");
    QStringList parts;
    for (auto it = counts->cbegin(); it != counts->cend(); ++it)
        parts.append(QStringLiteral("%1 %2%3").arg(it.key(), it.value() > 0 ? QStringLiteral("+") : QString()).arg(it.value()));
    return parts.join(QStringLiteral("; "));
}

// Whether each kind differs as much as at load or less, the same way: the
// user took out an element with what scripts had made of it (a table whose
// rows a script had taken out), and may put it back.
bool withinBaseline(const QMap<QString, int> &now, const QMap<QString, int> &baseline)
{
    QStringList names = now.keys() + baseline.keys();
    return std::all_of(names.cbegin(), names.cend(), [&](const QString &name) {
        const int is = now.value(name);
        const int was = baseline.value(name);
        return is == was || (was > 0 ? is >= 0 && is < was : is <= 0 && is > was);
    });
}

} // namespace

QString SessionChecks::pageAgainstText()
{
    const std::optional<QString> text = m_page ? m_page->currentContent() : std::nullopt;
    if (!m_shell.document() || !text)
        return held(QStringLiteral("the page"), QStringLiteral("no page is shown"));
    // The elements the user made or took out: as many of each kind as the
    // text makes, apart from what the page's scripts did at load.
    if (const std::optional<QMap<QString, int>> counts = elementCounts(); counts != m_countsBaseline) {
        if (!counts || !m_countsBaseline || !withinBaseline(*counts, *m_countsBaseline))
            return held(QStringLiteral("the page's elements against its text"),
                        QStringLiteral("elements the page holds beyond its text now: %1\nat load: %2").arg(described(counts), described(m_countsBaseline)));
    }
    // The attributes the user gave: alike in the mirror and the page, and
    // on the elements the text holds alike in the text. A page script that
    // copies an element at load copies its attributes too.
    const QStringList mirrored = marksOf(m_shell.document());
    const QStringList inText = marksOf(m_shell.document(), [this](const DOMElement &element) { return m_shell.tree->isInFileText(&element); });
    const QStringList written = marksOf(HTMLParser::parseDocument(*text).get());
    if (inText != written)
        return held(QStringLiteral("the edited attributes"),
                    QStringLiteral("mirror: %1\nfile: %2").arg(inText.join(u','), written.join(u',')));
    const std::optional<QVariant> shown = m_shell.evaluate(QString::fromLatin1(s_marksScript));
    if (!shown)
        return held(QStringLiteral("the page"), QStringLiteral("the page did not answer"));
    const QString inPage = shown->toString();
    if (inPage != mirrored.join(u'\n'))
        return held(QStringLiteral("the edited attributes"), QStringLiteral("mirror: %1\npage: %2").arg(mirrored.join(u','), inPage));
    return held({}, {});
}

QString SessionChecks::sheetsDump()
{
    QJsonObject files;
    for (File *sheet : m_shell.rules->styleFiles()) {
        if (const std::optional<QString> text = sheet->currentContent())
            files.insert(sheet->path(), *text);
    }
    const QString json = QString::fromUtf8(QJsonDocument(files).toJson(QJsonDocument::Compact));
    const std::optional<QVariant> answer = m_shell.evaluate(QString::fromLatin1(s_sheetsScript).arg(json));
    return answer ? answer->toString() : QStringLiteral("no answer");
}

QString SessionChecks::sheetsAgainstTexts()
{
    // A replayed animation stops in the page for a moment: the sheets are
    // given that moment to come back.
    QString now;
    SessionShell::waitUntil([&] {
        now = sheetsDump();
        return sameSheets(now);
    }, 3000);
    return sameSheets(now) ? held({}, {}) : sheetsDisagreement(now);
}

bool SessionChecks::sameSheets(const QString &now)
{
    if (now == m_sheetsBaseline)
        return true;
    QJsonObject before = QJsonDocument::fromJson(m_sheetsBaseline.toUtf8()).object();
    const QJsonObject after = QJsonDocument::fromJson(now.toUtf8()).object();
    if (after.isEmpty() && !before.isEmpty())
        return false;
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (before.contains(it.key()) && before.value(it.key()) != it.value())
            return false;
    }
    // A sheet the preview came to know since the load is held to what it
    // showed then.
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (!before.contains(it.key()))
            before.insert(it.key(), it.value());
    }
    m_sheetsBaseline = QString::fromUtf8(QJsonDocument(before).toJson(QJsonDocument::Compact));
    return true;
}

QString SessionChecks::sheetsDisagreement(const QString &now)
{
    const QJsonObject before = QJsonDocument::fromJson(m_sheetsBaseline.toUtf8()).object();
    const QJsonObject after = QJsonDocument::fromJson(now.toUtf8()).object();
    if (after.isEmpty() && !before.isEmpty())
        return held(QStringLiteral("the page's sheets"), QStringLiteral("the page did not answer: ") + now.left(300));
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (before.contains(it.key()) && before.value(it.key()) != it.value())
            return held(QStringLiteral("the page's sheet ") + m_copy.relativeOf(it.key()) + QStringLiteral(" against its text"),
                        firstLines(it.value().toString()).left(1500)
                            + QStringLiteral("\n(at load: %1)").arg(firstLines(before.value(it.key()).toString()).left(600)));
    }
    return held(QStringLiteral("the page's sheets"), now.left(300));
}

QString SessionChecks::panelsShowPage()
{
    DOMDocument *document = m_shell.document();
    ExWebView *view = m_shell.preview->webview();
    if (!document || !view || view->mainFrameDocument() != document)
        return held(QStringLiteral("the panels"), QStringLiteral("the DOM tree does not hold the document the preview shows"));
    if (m_shell.tree->indexFile() != m_page)
        return held(QStringLiteral("the panels"), QStringLiteral("the DOM tree names another file"));
    if (const DOMNodeEx *inspected = m_shell.tree->domInfoDelegate()->inspectedNode(); inspected && inspected->node()
        && inspected->node()->ownerDocument() != document)
        return held(QStringLiteral("the Attributes pane"), QStringLiteral("it shows an element of another document"));
    if (const DOMElement *shown = m_shell.rules->lastSelectedElement(); shown && shown->ownerDocument() != document)
        return held(QStringLiteral("the rules panel"), QStringLiteral("it shows an element of another document"));
    return held({}, {});
}

QString SessionChecks::onlyEditedFilesChanged()
{
    for (const QString &changed : m_copy.changedOnDisk()) {
        // The program's own settings of the project, kept in its root.
        const QString relative = m_copy.relativeOf(changed);
        if (relative == QLatin1String(".kem") || relative == QLatin1String(".quillmark_config"))
            continue;
        if (!m_touched.contains(changed))
            return held(QStringLiteral("the files"), m_copy.relativeOf(changed) + QStringLiteral(" changed on disk but was not edited"));
    }
    return held({}, {});
}

QString SessionChecks::layoutsKept()
{
    for (File *file : std::as_const(m_candidates)) {
        if (!m_touched.contains(file->path()))
            continue;
        const QString broken = layoutBrokenBy(QString::fromUtf8(m_copy.originalBytes(file->path())), file->currentContent().value_or(QString()));
        if (!broken.isEmpty())
            return held(QStringLiteral("the layout of ") + m_copy.relativeOf(file->path()), broken);
    }
    return held({}, {});
}

QString SessionChecks::layoutBrokenBy(const QString &original, const QString &changed)
{
    // Line breaks: a file written with CRLF gets no bare LF, and one without gets no CRLF.
    const qsizetype crlf = original.count(QLatin1String("\r\n"));
    const qsizetype lf = original.count(u'\n');
    if (lf > 0 && crlf == lf && changed.count(u'\n') != changed.count(QLatin1String("\r\n")))
        return QStringLiteral("a bare LF line break in a file written with CRLF");
    if (crlf == 0 && changed.contains(QLatin1String("\r\n")))
        return QStringLiteral("a CRLF line break in a file written with LF");
    // Indentation: the new lines are indented with what the file indents
    // with (tabs or spaces), in steps of its unit of spaces.
    static const QRegularExpression leading(QStringLiteral("^([ \\t]+)\\S"));
    bool tabs = false;
    bool spaces = false;
    int unit = 0;
    const QStringList before = original.split(QRegularExpression(QStringLiteral("\\r?\\n")));
    for (const QString &line : before) {
        const QRegularExpressionMatch match = leading.match(line);
        if (!match.hasMatch())
            continue;
        const QString indent = match.captured(1);
        // A comment's continued lines (" * ...") say nothing.
        if (line.mid(indent.size()).startsWith(u'*'))
            continue;
        if (indent.contains(u'\t'))
            tabs = true;
        else {
            spaces = true;
            unit = unit == 0 ? int(indent.size()) : std::min(unit, int(indent.size()));
        }
    }
    if (tabs == spaces)
        return {};
    const QSet<QString> old(before.cbegin(), before.cend());
    for (const QString &line : changed.split(QRegularExpression(QStringLiteral("\\r?\\n")))) {
        if (old.contains(line))
            continue;
        const QRegularExpressionMatch match = leading.match(line);
        if (!match.hasMatch() || line.mid(match.captured(1).size()).startsWith(u'*'))
            continue;
        const QString indent = match.captured(1);
        if (tabs && indent.contains(u' '))
            return QStringLiteral("a new line indented with spaces in a file indented with tabs: ") + line.trimmed().left(80);
        // A text's continued lines keep the indentation their author gave them.
        const QString rest = line.mid(indent.size());
        const bool markup = rest.startsWith(u'<') || rest.contains(u'{') || rest.contains(u';') || rest.startsWith(u'}');
        if (spaces && (indent.contains(u'\t') || (markup && unit > 1 && indent.size() % unit != 0)))
            return QStringLiteral("a new line indented otherwise than the file's %1 spaces: \"%2\"").arg(unit).arg(line.left(80));
    }
    return {};
}
