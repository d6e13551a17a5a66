#include "CSSSelectorValidator.h"
#include "CSSValues_p.h"

#include "grammar/CPIdentifierRecogniser.h"
#include "grammar/CPKeywordRecogniser.h"
#include "grammar/CPLALR1Parser.h"
#include "grammar/CPNumberRecogniser.h"
#include "grammar/CPQuotedRecogniser.h"
#include "grammar/CPWhiteSpaceRecogniser.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

namespace {

// Punctuation, longer operators before their prefixes.
const char *const s_punctuation[] = {".", "#", ",", "(", ")", "[", "]", "~=", "|=", "^=",
                                     "$=", "*=", "+", "-", ">", "~", "=", "|", "*", ":"};

// Names taken as keywords when no letter, digit, "-" or "_" follows; longer
// names before the names that are their prefixes. "link" stands twice: the
// first entry is the one that matches.
const char *const s_elementNames[] = {
    "abbr", "acronym", "address", "applet", "article", "area", "aside", "audio", "a", "basefont", "base",
    "bdi", "bdo", "bgsound", "big", "blockquote", "body", "br", "button", "b", "canvas", "caption", "center",
    "cite", "code", "colgroup", "col", "command", "content", "datalist", "dd", "del", "details", "dfn",
    "dialog", "dir", "div", "dl", "dt", "embed", "em", "fieldset", "figcaption", "figure", "font", "footer",
    "form", "frameset", "frame", "h1", "h2", "h3", "h4", "h5", "h6", "header", "head", "hgroup", "hr", "html",
    "iframe", "image", "img", "input", "ins", "intent", "isindex", "i", "kbd", "keygen", "label", "layer",
    "legend", "link", "listing", "li", "map", "mark", "marquee", "menu", "meta", "meter", "nav", "nobr",
    "noembed", "noframes", "nolayer", "noscript", "object", "ol", "optgroup", "option", "output", "param",
    "plaintext", "pre", "progress", "p", "q", "rp", "rt", "ruby", "samp", "script", "section", "select",
    "shadow", "small", "source", "span", "strike", "strong", "style", "sub", "summary", "sup", "s", "table",
    "tbody", "td", "textarea", "tfoot", "th", "time", "thead", "title", "track", "tr", "tt", "ul", "u", "var",
    "video", "wbr", "webkitinnerimage", "webkitshadowcontent", "svg", "xmp"
};
const char *const s_svgElementNames[] = {
    "rect", "path", "polygon", "circle", "ellipse", "polyline", "line", "text", "tspan", "g",
    "lineargradient", "radialgradient", "stop", "defs", "marker", "use", "symbol", "animatecolor",
    "animatemotion", "animatetransform", "animate", "pattern", "mask", "clippath", "filter", "foreignobject"
};
const char *const s_pseudoNames[] = {
    "root", "link", "visited", "active", "hover", "focus", "first-letter", "first-line", "first-child",
    "before", "after", "empty", "target", "enabled", "disabled", "checked", "last-child", "nth-first-child",
    "nth-first-of-type", "nth-last-of-type", "nth-only-child", "nth-only-of-type", "first-of-type",
    "only-child", "only-of-type", "lang", "nth-child", "nth-last-child", "nth-of-type", "not"
};

// Only ASCII letters are folded: every other character keeps its place, so
// error ranges refer to the text as the user typed it (a full Unicode
// lower-casing may change the length, "\u0130" becoming two characters).
QString asciiLower(const QString &text)
{
    QString lower = text;
    for (QChar &c : lower) {
        if (c.unicode() >= u'A' && c.unicode() <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return lower;
}

} // namespace

QString CSSSelectorValidator::initializedNotificationName()
{
    return QStringLiteral("cssValidatorInitialized");
}

CSSSelectorValidator *CSSSelectorValidator::getInstance()
{
    // A function-local static is created exactly once, also when two threads
    // ask at the same time.
    static CSSSelectorValidator *const s_instance = [] {
        auto *validator = new CSSSelectorValidator;
        // Set-up must not run on while the program's statics are destroyed.
        qAddPostRoutine([] { getInstance()->m_queue.waitForDone(); });
        return validator;
    }();
    return s_instance;
}

CSSSelectorValidator::CSSSelectorValidator(QString grammarPath, std::function<void()> beforeSetup)
    : m_grammarPath(std::move(grammarPath)), m_beforeSetup(std::move(beforeSetup))
{
    // A serial queue: one thread at most, so set-up runs once, alone.
    m_queue.setMaxThreadCount(1);
    if (QCoreApplication *application = QCoreApplication::instance())
        m_queue.moveToThread(application->thread());
    m_queue.start([this] {
        if (m_beforeSetup)
            m_beforeSetup();
        setup();
        m_ready.store(true, std::memory_order_release);
        QCoreApplication *application = QCoreApplication::instance();
        if (!application) {
            QM_ERROR(QStringLiteral("no application to announce the selector validator"));
            return;
        }
        QMetaObject::invokeMethod(
            application,
            [] { NotificationCenter::defaultCenter().postNotificationName(initializedNotificationName()); },
            Qt::QueuedConnection);
    });
}

CSSSelectorValidator::~CSSSelectorValidator()
{
    m_queue.waitForDone();
}

void CSSSelectorValidator::setup()
{
    auto tokeniser = std::make_unique<CPTokeniser>();
    for (const char *keyword : s_punctuation)
        tokeniser->addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword(QString::fromLatin1(keyword)));
    auto addNames = [&tokeniser](const char *const *begin, const char *const *end) {
        for (const char *const *name = begin; name != end; ++name)
            tokeniser->addTokenRecogniser(
                CPKeywordRecogniser::recogniserForKeyword(QString::fromLatin1(*name), CSSValuesPrivate::nameCharacters()));
    };
    addNames(std::begin(s_elementNames), std::end(s_elementNames));
    addNames(std::begin(s_svgElementNames), std::end(s_svgElementNames));
    addNames(std::begin(s_pseudoNames), std::end(s_pseudoNames));
    tokeniser->addTokenRecogniser(CPIdentifierRecogniser::identifierRecogniser());
    tokeniser->addTokenRecogniser(CPQuotedRecogniser::quotedRecogniserWithStartQuote(
        QStringLiteral("\""), QStringLiteral("\""), QStringLiteral("\\"), QStringLiteral("String")));
    tokeniser->addTokenRecogniser(CPQuotedRecogniser::quotedRecogniserWithStartQuote(
        QStringLiteral("'"), QStringLiteral("'"), QStringLiteral("\\"), QStringLiteral("String")));
    tokeniser->addTokenRecogniser(CPNumberRecogniser::numberRecogniser());
    tokeniser->addTokenRecogniser(CPWhiteSpaceRecogniser::whiteSpaceRecogniser());
    tokeniser->setDelegate(this);
    m_tokeniser = std::move(tokeniser);

    const QString path = m_grammarPath.isEmpty()
        ? Bundle::pathForResource(QStringLiteral("css"), QStringLiteral("grammar"))
        : m_grammarPath;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        QM_ERROR(QStringLiteral("Grammer Error:cannot read the grammar \"%1\"").arg(path));
        return;
    }
    CPGrammarError error;
    m_grammar
        = CPGrammar::grammarWithStart(QStringLiteral("SelectorsGroup"), QString::fromUtf8(file.readAll()), &error);
    if (!m_grammar) {
        QM_ERROR(QStringLiteral("Grammer Error:%1").arg(error.description));
        return;
    }
    m_parser = CPLALR1Parser::parserWithGrammar(m_grammar);
    if (!m_parser) {
        QM_ERROR(QStringLiteral("Grammer Error:no LALR(1) tables for \"%1\"").arg(path));
        return;
    }
    m_parser->setDelegate(this);
    QM_DEBUG(QStringLiteral("Selector Validator Ready"));
}

QVariant CSSSelectorValidator::parse(const QString &selector)
{
    m_errors.clear();
    if (!isReady() || !m_parser)
        return {};
    const std::unique_ptr<CPTokenStream> stream = m_tokeniser->tokenise(asciiLower(selector));
    return m_parser->parse(*stream);
}

bool CSSSelectorValidator::tokeniserShouldConsumeToken(CPTokeniser *, const CPTokenPtr &)
{
    // White space reaches the parser: it is the descendant combinator.
    return true;
}

std::optional<CPRecoveryAction> CSSSelectorValidator::parserDidEncounterErrorOnInputExpecting(
    CPParser *, CPTokenStream *inputStream, const QSet<QString> &)
{
    const CPTokenPtr token = inputStream->peekToken();
    if (!token)
        return std::nullopt;
    QM_DEBUG(QStringLiteral("Parse Error On [%1]:%2-%3")
                 .arg(token->name())
                 .arg(token->characterNumber())
                 .arg(token->length()));
    m_errors.append({token->name(), Range{token->characterNumber(), token->length()}});
    return CPRecoveryAction::recoveryActionDeletingCurrentToken();
}
