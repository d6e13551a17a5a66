#include "ShadowParser.h"
#include "CSSValues_p.h"

#include "HexColorRecogniser.h"

#include "grammar/CPIdentifierRecogniser.h"
#include "grammar/CPKeywordRecogniser.h"
#include "grammar/CPLALR1Parser.h"
#include "grammar/CPNumberRecogniser.h"
#include "grammar/CPValue.h"
#include "grammar/CPWhiteSpaceRecogniser.h"
#include "grammar/GrammarLog.h"
#include "platform/foundation/Log.h"
#include "stylesheet/ColorUtil.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace {

std::optional<double> numberOf(const QVariant &value)
{
    const CPTokenPtr token = CPValue::token(value);
    if (!token || !token->isNumberToken())
        return std::nullopt;
    return static_cast<const CPNumberToken &>(*token).doubleValue();
}

// The number a channel sub-tree begins with.
std::optional<double> channelOf(const QVariant &value)
{
    const CPSyntaxTreePtr tree = CPValue::syntaxTree(value);
    if (!tree || tree->children().isEmpty())
        return std::nullopt;
    return numberOf(tree->children().first());
}

std::optional<LengthValue> lengthOf(const QVariantList &children, int index)
{
    if (index < 0 || index >= children.size() || children.at(index).metaType() != QMetaType::fromType<LengthValue>())
        return std::nullopt;
    return children.at(index).value<LengthValue>();
}

std::optional<RGBAColor> colorOf(const QVariantList &children, int index)
{
    if (index < 0 || index >= children.size() || children.at(index).metaType() != QMetaType::fromType<RGBAColor>())
        return std::nullopt;
    return children.at(index).value<RGBAColor>();
}

QString describe(const DropShadowList &shadows)
{
    QStringList layers;
    for (const DropShadowValuePtr &shadow : shadows)
        layers.append(shadow->stringValue());
    return u'(' + layers.join(QStringLiteral(", ")) + u')';
}

} // namespace

ShadowParser::ShadowParser(QString grammarPath, QStringList keywords, QHash<QString, ShadowForm> forms)
    : m_grammarPath(std::move(grammarPath)), m_keywords(std::move(keywords)), m_forms(std::move(forms))
{
}

ShadowParser::~ShadowParser() = default;

void ShadowParser::setUp()
{
    m_tokeniser = std::make_unique<CPTokeniser>();
    // Before the "#" keyword, so that a hex colour keeps all its digits.
    m_tokeniser->addTokenRecogniser(HexColorRecogniser::hexColorRecogniser());
    for (const char *keyword : {"#", ",", "(", ")"})
        m_tokeniser->addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword(QString::fromLatin1(keyword)));
    for (const QString &keyword : std::as_const(m_keywords))
        m_tokeniser->addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword(keyword, CSSValuesPrivate::nameCharacters()));
    m_tokeniser->addTokenRecogniser(CPIdentifierRecogniser::identifierRecogniser());
    m_tokeniser->addTokenRecogniser(CPNumberRecogniser::numberRecogniser());
    m_tokeniser->addTokenRecogniser(CPWhiteSpaceRecogniser::whiteSpaceRecogniser());
    m_tokeniser->setDelegate(this);

    // The tables of a grammar are built once per process: an editor makes a
    // new parser for each element it shows, and copies share the tables.
    static QHash<QString, std::shared_ptr<const CPLALR1Parser>> builtParsers;
    std::shared_ptr<const CPLALR1Parser> &built = builtParsers[m_grammarPath];
    if (!built) {
        QFile file(m_grammarPath);
        if (m_grammarPath.isEmpty() || !file.open(QIODevice::ReadOnly)) {
            QM_ERROR(QStringLiteral("Grammer Error:cannot read the grammar \"%1\"").arg(m_grammarPath));
            builtParsers.remove(m_grammarPath);
            return;
        }
        CPGrammarError error;
        const CPGrammarPtr grammar =
            CPGrammar::grammarWithStart(QStringLiteral("ShadowGroup"), QString::fromUtf8(file.readAll()), &error);
        if (!grammar) {
            QM_ERROR(QStringLiteral("Grammer Error:%1").arg(error.description));
            builtParsers.remove(m_grammarPath);
            return;
        }
        built = CPLALR1Parser::parserWithGrammar(grammar);
        if (!built) {
            QM_ERROR(QStringLiteral("Grammer Error:no LALR(1) tables for \"%1\"").arg(m_grammarPath));
            builtParsers.remove(m_grammarPath);
            return;
        }
    }
    m_grammar = built->grammar();
    m_parser = std::make_unique<CPLALR1Parser>(*built);
    m_parser->setDelegate(this);
}

std::optional<DropShadowList> ShadowParser::parse(const QString &text)
{
    if (!m_tokeniser)
        setUp();
    m_shadows = DropShadowList();
    m_rejection.clear();
    if (!m_parser)
        return std::nullopt;

    const std::unique_ptr<CPTokenStream> stream = m_tokeniser->tokenise(text);
    QVariant result = m_parser->parse(*stream);
    const bool parsed = result.isValid();
    CPValue::dispose(std::move(result));
    if (!m_rejection.isEmpty()) {
        qCWarning(lcGrammar, "Shadow value \"%s\" not taken: %s", qPrintable(text), qPrintable(m_rejection));
        m_shadows.clear();
        return std::nullopt;
    }
    if (!parsed) {
        m_shadows.clear();
        return std::nullopt;
    }
    qCDebug(lcGrammar, "%s", qPrintable(describe(m_shadows)));
    return std::exchange(m_shadows, DropShadowList());
}

bool ShadowParser::tokeniserShouldConsumeToken(CPTokeniser *, const CPTokenPtr &)
{
    // White space reaches the parser: the grammar says where blanks may stand.
    return true;
}

void ShadowParser::reject(const QString &reason)
{
    if (m_rejection.isEmpty())
        m_rejection = reason;
}

DropShadowValuePtr ShadowParser::shadowOf(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<DropShadowValuePtr>() ? value.value<DropShadowValuePtr>()
                                                                         : DropShadowValuePtr();
}

QVariant ShadowParser::fromShadow(const DropShadowValuePtr &shadow)
{
    return QVariant::fromValue(shadow);
}

std::optional<QVariant> ShadowParser::produceValue(const QString &, QVariantList &)
{
    return std::nullopt;
}

QVariant ShadowParser::parserDidProduceSyntaxTree(CPParser *, const CPSyntaxTreePtr &syntaxTree)
{
    const QString &name = syntaxTree->rule()->name();
    QVariantList &children = syntaxTree->children();
    auto child = [&children](int index) { return index < children.size() ? children.at(index) : QVariant(); };

    if (name == u"NamedColor")
        return namedColor(child(0));
    if (name == u"HexColor")
        return hexColor(child(0));
    if (name == u"RGB")
        return rgbColor(children, 3);
    if (name == u"RGBA")
        return rgbColor(children, 4);
    if (name == u"Color")
        return child(0);
    if (name == u"Length")
        return length(children);
    if (name == u"OffsetX" || name == u"OffsetY" || name == u"BlurRadius")
        return child(0);
    const auto form = m_forms.constFind(name);
    if (form != m_forms.constEnd())
        return shadow(children, *form);
    if (name == u"Shadow")
        return child(0);
    if (name == u"FollowShadow")
        return child(2);
    if (name == u"ShadowGroup")
        return shadowGroup(*syntaxTree);
    if (std::optional<QVariant> value = produceValue(name, children))
        return *value;
    return CPValue::fromSyntaxTree(syntaxTree);
}

QVariant ShadowParser::namedColor(const QVariant &child)
{
    const CPTokenPtr token = CPValue::token(child);
    if (!token || !token->isIdentifierToken())
        return {};
    // Colour names are case-insensitive in CSS; the colour table is lower case.
    const QString name = static_cast<const CPIdentifierToken &>(*token).identifier().toLower();
    // The colour table answers black for "currentcolor", which is no fixed
    // colour: writing it back as "#000000" would change the style.
    const std::optional<RGBAColor> color
        = name == u"currentcolor" ? std::nullopt : ColorUtil::createNSColorWithString(name);
    if (!color) {
        // Taking the layer without its colour would drop the name when the
        // editor writes the value back.
        reject(QStringLiteral("unknown colour \"%1\"").arg(name));
        return {};
    }
    return QVariant::fromValue(*color);
}

QVariant ShadowParser::hexColor(const QVariant &child)
{
    const CPTokenPtr token = CPValue::token(child);
    if (!token || !token->isQuotedToken())
        return {};
    const QString digits = static_cast<const CPQuotedToken &>(*token).content();
    const std::optional<RGBAColor> color = ColorUtil::createNSColorWithString(u'#' + digits);
    if (!color)
        return {};
    return QVariant::fromValue(*color);
}

QVariant ShadowParser::rgbColor(const QVariantList &children, int channels)
{
    QList<float> numbers;
    for (int i = 0; i < channels; ++i) {
        const std::optional<double> number = channelOf(children.value(3 + i));
        if (!number)
            return {};
        // Out-of-range channels are clamped, as CSS does; the colour texts
        // could not hold them.
        const double limit = i == 3 ? 1.0 : 255.0;
        numbers.append(float(std::clamp(*number, 0.0, limit)));
    }
    const std::optional<RGBAColor> color
        = channels == 4 ? ColorUtil::colorWithAlphaFromArray(numbers) : ColorUtil::colorFromArray(numbers);
    return color ? QVariant::fromValue(*color) : QVariant();
}

QVariant ShadowParser::length(const QVariantList &children)
{
    const std::optional<double> number = numberOf(children.value(0));
    if (!number)
        return {};
    if (!std::isfinite(*number)) {
        // "inf" is no CSS number; writing it back would break the style sheet.
        reject(QStringLiteral("length out of range"));
        return {};
    }
    LengthValue length{QVariant(*number), QString()};
    const QVariantList units = children.value(1).toList();
    if (units.size() == 1) {
        const CPSyntaxTreePtr unit = CPValue::syntaxTree(units.first());
        const CPTokenPtr keyword = unit && !unit->children().isEmpty() ? CPValue::token(unit->children().first())
                                                                     : CPTokenPtr();
        if (keyword && keyword->isKeywordToken())
            length.setUnit(static_cast<const CPKeywordToken &>(*keyword).keyword());
    }
    return QVariant::fromValue(length);
}

QVariant ShadowParser::shadow(const QVariantList &children, const ShadowForm &form)
{
    const std::optional<LengthValue> x = lengthOf(children, form.x);
    const std::optional<LengthValue> y = lengthOf(children, form.y);
    const std::optional<LengthValue> blur = lengthOf(children, form.blur);
    const std::optional<LengthValue> spread = lengthOf(children, form.spread);
    const std::optional<RGBAColor> color = colorOf(children, form.color);
    // A part the form names but could not be read would be lost on write-back.
    if (!x || !y || (form.blur >= 0 && !blur) || (form.spread >= 0 && !spread) || (form.color >= 0 && !color)) {
        reject(QStringLiteral("a layer part could not be read"));
        return {};
    }
    auto shadow = std::make_shared<DropShadowValue>();
    shadow->setInset(form.inset);
    shadow->setX(*x);
    shadow->setY(*y);
    shadow->setBlur(blur);
    shadow->setSpread(spread);
    shadow->setColor(color);
    return fromShadow(shadow);
}

QVariant ShadowParser::shadowGroup(const CPSyntaxTree &tree)
{
    qCDebug(lcGrammar, "%s", qPrintable(tree.description()));
    for (const QVariant &child : tree.children()) {
        if (child.typeId() == QMetaType::QVariantList) {
            for (const QVariant &element : child.toList()) {
                if (DropShadowValuePtr shadow = shadowOf(element))
                    m_shadows.append(shadow);
            }
        } else if (DropShadowValuePtr shadow = shadowOf(child)) {
            m_shadows.append(shadow);
        }
    }
    return QVariant(true);
}
