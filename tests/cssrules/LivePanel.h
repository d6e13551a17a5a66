#pragma once

#include "FileAt.h"
#include "TestPrinters.h"

#include "TestUtil.h"
#include "WebTestFixture.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "foundation/Invocation.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebPage.h"
#include "platform/web/engine/WebView.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

// The rules panel over a live page of a project folder: the page and its
// style sheets written into the folder, the folder a project with its
// settings, and the shared undo manager and write batcher of the program.
class LivePanel
{
public:
    LivePanel()
        : fixture(std::make_unique<WebTestFixture>(WebTestFixture::sharedView()))
    {
        File::setUndoManagerProvider([this] { return &undo; });
        panel.setWriteReserver([this](const TargetRef &target, const TargetRef &file, std::function<void()> write) {
            const Invocation invocation = Invocation::invocationWithSelector(target, QByteArrayLiteral("lazyWrite:"), {file},
                                                                             std::move(write));
            batcher.addOperation(invocation, true, [this] { undo.reserveCloseGroupingAtEndOfRunLoop(); });
        });
        panel.awakeFromNib();
        panel.view()->resize(420, 600);
        // The page reads the files of the whole project, as in the preview,
        // not only those of its own folder.
        fixture->view().webPage()->setReadableFolders([folder = fixture->folder()](const QUrl &) { return QStringList{folder}; });
    }
    ~LivePanel()
    {
        fixture->view().webPage()->setReadableFolders({});
        File::setUndoManagerProvider({});
        ProjectUtil::resetForTesting();
    }

    // Writes the files, makes the folder a project, and loads the page.
    bool load(const QList<std::pair<QString, QByteArray>> &files, const QString &page = QStringLiteral("index.html"),
              const QVariantMap &settings = {})
    {
        for (const auto &[name, content] : files)
            fixture->writeFile(name, content);
        QVariantMap config = ProjectUtil::getProjectConfig(fixture->folder());
        for (auto it = settings.cbegin(); it != settings.cend(); ++it)
            config.insert(it.key(), it.value());
        ProjectUtil::saveProjectConfig(config, fixture->folder());
        ProjectUtil::setCurrentProjectPath(fixture->folder());
        root = std::make_unique<File>(fixture->folder(), true, nullptr);
        QList<File *> sheets;
        for (const auto &[name, content] : files) {
            if (name.endsWith(QLatin1String(".css")))
                sheets.append(file(name));
        }
        if (!fixture->loadPage(page))
            return false;
        panel.setStyleFiles(sheets);
        // Linked sheets may still be on their way when the document is ready
        // (the page lists a sheet only once it has come, so both sides may
        // agree on none): waits for the page's load, which waits for its
        // sheets, and then until the mirror has as many rules as the page.
        const QString pageRules = QStringLiteral(
            "document.readyState !== 'complete' ? 'loading' : Array.from(document.styleSheets).map(function (s) "
            "{ try { return s.cssRules.length; } catch (e) { return -1; } }).join(',')");
        return TestUtil::waitUntil([&] {
            fixture->settle();
            QStringList mirrored;
            const DOMStyleSheetList &list = document()->styleSheets();
            for (int i = 0; i < list.length(); ++i)
                mirrored.append(QString::number(list.item(i)->isReadable() ? list.item(i)->cssRules().length() : -1));
            return mirrored.join(u',') == fixture->evaluate(pageRules).toString();
        }, 15000);
    }

    // Copies a folder's files (a template) and loads one of its pages, its
    // files a project; the panel is handed the sheets the page loaded from
    // the folder, as the preview hands them in.
    bool loadFolder(const QString &source, const QString &page)
    {
        const QDir from(source);
        QDirIterator it(source, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString relative = from.relativeFilePath(path);
            if (relative.startsWith(QLatin1String("node_modules/")) || relative.startsWith(QLatin1String(".git/")))
                continue;
            const QString target = fixture->folder() + u'/' + relative;
            QDir().mkpath(QFileInfo(target).absolutePath());
            QFile::copy(path, target);
        }
        if (!load({}, page))
            return false;
        QList<File *> sheets;
        for (const DOMCSSStyleSheetPtr &sheet : pageSheets()) {
            if (File *each = fileOfSheet(*sheet); each && !sheets.contains(each))
                sheets.append(each);
        }
        panel.setStyleFiles(sheets);
        panel.setPageDocument(document());
        return true;
    }
    // The page's sheets, imported ones after the sheet importing them.
    QList<DOMCSSStyleSheetPtr> pageSheets() const
    {
        QList<DOMCSSStyleSheetPtr> all;
        const std::function<void(const DOMCSSStyleSheetPtr &)> add = [&](const DOMCSSStyleSheetPtr &sheet) {
            all.append(sheet);
            const DOMCSSRuleList rules = sheet->isReadable() ? sheet->cssRules() : DOMCSSRuleList();
            for (int i = 0; i < rules.length(); ++i) {
                if (rules.item(i)->type() == DOMCSSRule::IMPORT_RULE && rules.item(i)->styleSheet())
                    add(rules.item(i)->styleSheet());
            }
        };
        const DOMStyleSheetList &list = document()->styleSheets();
        for (int i = 0; i < list.length(); ++i)
            add(list.item(i));
        return all;
    }
    // The file of the folder a sheet was read from; null for another's.
    File *fileOfSheet(const DOMCSSStyleSheet &sheet)
    {
        const QString path = QUrl(sheet.href()).adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment).toLocalFile();
        const QString relative = QDir(fixture->folder()).relativeFilePath(path);
        return path.isEmpty() || relative.startsWith(QLatin1String("..")) ? nullptr : file(relative);
    }
    // The page's sheets of the folder that the panel does not list, or
    // whose rules the page does not let be read.
    QStringList unlistedSheets()
    {
        QStringList unlisted;
        for (const DOMCSSStyleSheetPtr &sheet : pageSheets()) {
            File *each = fileOfSheet(*sheet);
            if (each && (panel.styleSheetWithFile(each) != sheet || !sheet->isReadable()))
                unlisted.append(sheet->href() + (sheet->isReadable() ? QString() : QStringLiteral(" (unreadable)")));
        }
        return unlisted;
    }

    File *file(const QString &name) { return fileAt(root.get(), name); }

    QString disk(const QString &name) const
    {
        QFile f(fixture->folder() + u'/' + name);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    DOMDocument *document() const { return fixture->mainFrame().document(); }
    DOMElement *element(const QString &id) const { return document()->getElementById(id); }

    // Lists the element's rules and waits until the list stands.
    bool select(DOMNode *element)
    {
        QSignalSpy built(&panel, &CSSOutlineDelegate::rebuilt);
        panel.updateRulesByElement(element);
        return !built.isEmpty() || built.wait(10000);
    }
    // Waits for the rebuild a commit asked for.
    bool settleRebuild()
    {
        QSignalSpy built(&panel, &CSSOutlineDelegate::rebuilt);
        return built.wait(3000) || true;
    }
    // Whether the deferred writes are done and the undo group closed, and
    // the panel has no deferred call of a moment later pending.
    bool writesDone() const
    {
        return batcher.operations().isEmpty() && !TestUtil::hasShortDelayedCall(&batcher)
            && !TestUtil::hasShortDelayedCall(&undo) && !TestUtil::hasShortDelayedCall(&panel);
    }
    // Waits for the deferred writes and the end of the undo group, and until
    // the page has answered what they sent it and what it reported is done.
    void settleWrites()
    {
        QDeadlineTimer deadline(30000);
        do {
            TestUtil::waitUntilSettled([this] { return writesDone(); }, int(deadline.remainingTime()));
            fixture->settle(int(qMax<qint64>(0, deadline.remainingTime())));
        } while (!writesDone() && !deadline.hasExpired());
    }

    // The root row whose name is the selector.
    CSSRulePtr ruleRow(const QString &selector, int nth = 0) const
    {
        for (const CSSRulePtr &row : panel.rules()) {
            if (row->displayName() == selector && nth-- == 0)
                return row;
        }
        return nullptr;
    }
    static CSSRulePtr declaration(const CSSRulePtr &rule, const QString &name)
    {
        for (const CSSRulePtr &child : rule ? rule->children() : QList<CSSRulePtr>()) {
            if (child->propName() == name)
                return child;
        }
        return nullptr;
    }
    // Selects the row in the outline, as a click would.
    bool selectRow(const CSSRulePtr &row)
    {
        OutlineViewEx *outline = panel.outline();
        const int index = outline->rowForItem(row.get());
        if (index < 0)
            return false;
        outline->selectRowIndexes({index}, false);
        return true;
    }

    // The list as text: each root row, then its declarations ("~" for one the
    // cascade overrides), a media block's rules one level deeper.
    QString dump() const
    {
        QString out;
        const std::function<void(const CSSRulePtr &, int)> row = [&](const CSSRulePtr &each, int depth) {
            const QString indent(depth * 2, u' ');
            if (!each->decLine().isNull() && !each->isRule()) {
                out += indent + (each->isFirstAssigned() ? QString() : QStringLiteral("~")) + each->propName() + QStringLiteral(": ")
                       + each->valueName() + u'\n';
                return;
            }
            if (each->computedStyleDec()) {
                out += indent + QStringLiteral("computed\n");
                return;
            }
            out += indent + each->displayName() + QStringLiteral(" [") + each->fileName() + QStringLiteral("]\n");
            for (const CSSRulePtr &child : each->children())
                row(child, depth + 1);
        };
        for (const CSSRulePtr &each : panel.rules())
            row(each, 0);
        return out;
    }

    std::unique_ptr<WebTestFixture> fixture;
    std::unique_ptr<File> root;
    InspectUndoManager undo;
    BalkInvocationManager batcher;
    CSSOutlineDelegate panel;
};

inline QString computedValue(WebTestFixture &fixture, const QString &id, const QString &property)
{
    fixture.settle();
    return fixture
        .evaluate(QStringLiteral("getComputedStyle(document.getElementById('%1')).getPropertyValue('%2')").arg(id, property))
        .toString();
}

// The value once the page shows it (transitions run to their end), or the last one seen.
inline QString settledComputedValue(WebTestFixture &fixture, const QString &id, const QString &property, const QString &expected)
{
    QString value;
    TestUtil::waitUntil([&] {
        value = computedValue(fixture, id, property);
        return value == expected;
    }, 3000);
    return value;
}

// What the page's first style sheet holds against what the engine makes of
// the text, each rule with its declarations in effect by name (but those of
// the name left out) and keyframes by key (the page appends new ones); empty
// when they agree.
inline QString pageSheetAgainstText(WebTestFixture &fixture, const QString &text, const QString &leftOut = QString())
{
    fixture.settle();
    const QString json = QString::fromUtf8(QJsonDocument(QJsonArray{text, leftOut}).toJson(QJsonDocument::Compact));
    return fixture
        .evaluate(QStringLiteral(
                      "(function (text, leftOut) {"
                      " var dump = function (rules, pad) { return Array.from(rules).map(function (r) {"
                      "  var inner = r.cssRules ? Array.from(r.cssRules) : [];"
                      "  if (r.type === CSSRule.KEYFRAMES_RULE) inner.sort(function (a, b) { return parseFloat(a.keyText) - parseFloat(b.keyText); });"
                      "  var out = pad + (r.selectorText !== undefined ? r.selectorText : r.keyText !== undefined ? r.keyText"
                      "   : r.cssText.split('{')[0].trim());"
                      "  if (r.style) out += ' { ' + Array.from(r.style).filter(function (n) { return n !== leftOut; }).sort().map(function (n) {"
                      "   return n + ': ' + r.style.getPropertyValue(n) + (r.style.getPropertyPriority(n) ? ' !important' : ''); }).join('; ') + ' }';"
                      "  if (inner.length) out += '\\n' + dump(inner, pad + '  ');"
                      "  return out; }).join('\\n'); };"
                      " var sheet = new CSSStyleSheet(); sheet.replaceSync(text);"
                      " var page = dump(document.styleSheets[0].cssRules, ''), file = dump(sheet.cssRules, '');"
                      " return page === file ? '' : 'page:\\n' + page + '\\nfile:\\n' + file; })(%1)")
                      .arg(json.mid(1, json.size() - 2)))
        .toString();
}
