#pragma once

#include "SyntaxColoring.h"

#include <QHash>

// The colourer of scripts: keywords (also inside longer words), members after
// a dot, numbers, quoted strings and regular-expression literals, then block
// and line comments over everything. One instance serves every script view.
class JSSyntax : public SyntaxColoring
{
    Q_OBJECT

public:
    enum Style { Keyword = 1, Method, ValueNum, String, Comment };

    explicit JSSyntax(QObject *parent = nullptr);
    ~JSSyntax() override;

    // Builds the styles and the keyword table.
    void initializeSetting();

    // Keyword text -> its style, every entry the one keyword style.
    const QHash<QString, SyntaxStyle> &keyWordStyles() const { return m_keyWordStyles; }
    const SyntaxStyle &keywordStyle() const { return style(Keyword); }
    const SyntaxStyle &methodStyle() const { return style(Method); }
    const SyntaxStyle &valueNumStyle() const { return style(ValueNum); }
    const SyntaxStyle &commentStyle() const { return style(Comment); }

    // The passes, in order, over a text; a later one wins where they overlap.
    static SyntaxSpans colorSpans(const QString &text);
    // The 18 keywords in the order they are entered.
    static const QStringList &keywords();

private:
    QHash<QString, SyntaxStyle> m_keyWordStyles;
};
