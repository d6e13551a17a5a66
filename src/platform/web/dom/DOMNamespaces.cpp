#include "DOMNamespaces.h"

DOMNamespace DOMNamespaces::fromUri(const QString &uri)
{
    if (uri.isEmpty())
        return DOMNamespace::None;
    if (uri == html)
        return DOMNamespace::HTML;
    if (uri == svg)
        return DOMNamespace::SVG;
    if (uri == xlink)
        return DOMNamespace::XLink;
    if (uri == mathml)
        return DOMNamespace::MathML;
    if (uri == xml)
        return DOMNamespace::XML;
    if (uri == xmlns)
        return DOMNamespace::XMLNS;
    return DOMNamespace::Other;
}

QString DOMNamespaces::uri(DOMNamespace ns)
{
    switch (ns) {
    case DOMNamespace::HTML:
        return html;
    case DOMNamespace::SVG:
        return svg;
    case DOMNamespace::MathML:
        return mathml;
    case DOMNamespace::XLink:
        return xlink;
    case DOMNamespace::XML:
        return xml;
    case DOMNamespace::XMLNS:
        return xmlns;
    case DOMNamespace::None:
    case DOMNamespace::Other:
        break;
    }
    return {};
}

namespace {

bool isNameStartChar(char32_t c)
{
    return c == U':' || (c >= U'A' && c <= U'Z') || c == U'_' || (c >= U'a' && c <= U'z')
        || (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF)
        || (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D)
        || (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF)
        || (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameChar(char32_t c)
{
    return isNameStartChar(c) || c == U'-' || c == U'.' || (c >= U'0' && c <= U'9') || c == 0xB7
        || (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

} // namespace

bool DOMNames::isValidName(const QString &name)
{
    if (name.isEmpty())
        return false;
    bool first = true;
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name.at(i).unicode();
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= name.size() || !name.at(i + 1).isLowSurrogate())
                return false;
            c = QChar::surrogateToUcs4(name.at(i), name.at(i + 1));
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            return false;
        }
        if (first ? !isNameStartChar(c) : !isNameChar(c))
            return false;
        first = false;
    }
    return true;
}

bool DOMNames::isValidQualifiedName(const QString &name)
{
    if (!isValidName(name))
        return false;
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return true;
    if (colon == 0 || colon == name.size() - 1 || name.indexOf(QLatin1Char(':'), colon + 1) >= 0)
        return false;
    // The local part must start a name on its own.
    return isValidName(name.mid(colon + 1));
}

std::optional<DOMNames::QualifiedName> DOMNames::validateAndExtract(const QString &namespaceURI,
                                                                    const QString &qualifiedName, QString *error)
{
    const auto fail = [&](const QString &message) -> std::optional<QualifiedName> {
        if (error)
            *error = message;
        return std::nullopt;
    };
    if (!isValidQualifiedName(qualifiedName))
        return fail(QStringLiteral("InvalidCharacterError: \"%1\" is not a valid name").arg(qualifiedName));
    QualifiedName name;
    name.ns = DOMNamespaces::fromUri(namespaceURI);
    name.namespaceURI = namespaceURI;
    const qsizetype colon = qualifiedName.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        name.prefix = qualifiedName.left(colon);
        name.localName = qualifiedName.mid(colon + 1);
    } else {
        name.localName = qualifiedName;
    }
    const QString namespaceError =
        QStringLiteral("NamespaceError: \"%1\" does not fit the namespace \"%2\"").arg(qualifiedName, namespaceURI);
    if (!name.prefix.isEmpty() && name.ns == DOMNamespace::None)
        return fail(namespaceError);
    if (name.prefix == QLatin1String("xml") && name.ns != DOMNamespace::XML)
        return fail(namespaceError);
    const bool xmlnsName = qualifiedName == QLatin1String("xmlns") || name.prefix == QLatin1String("xmlns");
    if (xmlnsName != (name.ns == DOMNamespace::XMLNS))
        return fail(namespaceError);
    return name;
}
