#pragma once

#include <QString>

#include <optional>

// The namespaces a page mirror meets. Elements and attributes keep their
// namespace as one of these ids; Other keeps the URI text beside it.
enum class DOMNamespace : quint8 { None, HTML, SVG, MathML, XLink, XML, XMLNS, Other };

namespace DOMNamespaces {

inline const QString html = QStringLiteral("http://www.w3.org/1999/xhtml");
inline const QString svg = QStringLiteral("http://www.w3.org/2000/svg");
inline const QString mathml = QStringLiteral("http://www.w3.org/1998/Math/MathML");
inline const QString xlink = QStringLiteral("http://www.w3.org/1999/xlink");
inline const QString xml = QStringLiteral("http://www.w3.org/XML/1998/namespace");
inline const QString xmlns = QStringLiteral("http://www.w3.org/2000/xmlns/");

// The id of a namespace URI; an empty or null URI is None.
DOMNamespace fromUri(const QString &uri);
// The URI of a known id; empty for None and Other.
QString uri(DOMNamespace ns);

} // namespace DOMNamespaces

class DOMNames
{
public:
    // A namespace and qualified name split and checked as the DOM's
    // "validate and extract" does it.
    struct QualifiedName
    {
        DOMNamespace ns = DOMNamespace::None;
        QString namespaceURI;
        QString prefix;
        QString localName;
    };
    // Null with a message ("InvalidCharacterError: ...", "NamespaceError: ...") when refused.
    static std::optional<QualifiedName> validateAndExtract(const QString &namespaceURI, const QString &qualifiedName,
                                                           QString *error = nullptr);

    // The XML Name production.
    static bool isValidName(const QString &name);
    // A Name with at most one colon, neither first nor last.
    static bool isValidQualifiedName(const QString &name);
};
