#pragma once

#include "SyntaxSpan.h"

#include <QRegularExpression>
#include <QString>

#include <optional>
#include <vector>

// What the colouring passes draw on: one style number per character of a
// text, where a later paint replaces an earlier one, read back as runs. It
// also finds a pass's matches. QtCore only, so a run can work on a copy of
// the text away from the interface.
class SyntaxPainter
{
public:
    struct Match
    {
        int start = 0;
        int length = 0;
        int end() const { return start + length; }
    };

    // The text is taken with every unpaired surrogate read as U+FFFD (one
    // unit for one, so places stay), which the pattern engine would refuse.
    explicit SyntaxPainter(const QString &text);

    const QString &text() const { return m_text; }
    int size() const { return int(m_text.size()); }

    // The range is clipped to the text.
    void paint(int start, int length, int style);
    void erase(int start, int length) { paint(start, length, 0); }

    // A pass's pattern, read as ICU reads it: \s, \w and \d are Unicode's,
    // and the dot stops at every line end unless `dotAll`. Nullopt, with a
    // DEBUG line naming the pass, when it does not compile.
    static std::optional<QRegularExpression> compile(const QString &pattern, const char *pass, bool dotAll = false);

    // Every match of the pattern in [from, to) of the text (the whole text
    // by default), left to right, none overlapping. Nullopt, with a DEBUG
    // line naming the pass, when the pattern does not compile or the engine
    // gives up (its match limit): the caller skips that pass.
    std::optional<std::vector<Match>> matches(const QString &pattern, const char *pass, bool dotAll = false) const;
    std::optional<std::vector<Match>> matches(const QRegularExpression &expression, const char *pass, int from = 0,
                                              int to = -1) const;

    // Numbers that end a name (the 1 of h1) are not numbers: whether the
    // character before `start` is an ASCII letter.
    bool followsLetter(int start) const;

    // The runs of the same style, unstyled ones left out, in text order.
    SyntaxSpans spans() const;

private:
    QString m_text;
    std::vector<quint8> m_styles;
};
