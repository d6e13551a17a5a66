#pragma once

#include <QString>

// An error from reading grammar text: code 1 for a syntax error, code 2 for a
// misuse of tags, in the domain "CPEBNFParserErrorDomain".
struct CPGrammarError {
    enum Code { SyntaxError = 1, TagError = 2 };

    QString domain;
    int code = 0;
    QString description;

    bool isValid() const { return code != 0; }
};
