#pragma once

#include <QString>

#include <vector>

// One item of a style sheet as the scanner finds it: a block, a statement,
// a comment, or the text after the last rule. Indexes are UTF-16 units.
struct StyleSheetSpan
{
    enum class Kind : quint8 {
        Block,     // start is its "{"
        Statement, // start is its at-sign
        Namespace, // a namespace statement, kept in the form the model gives it
        Comment,   // start is the "/" that opens it
        Trailing,  // text after the last item that ends in no block or ";"
    };

    qsizetype start = 0;
    // Where the selector text begins (blocks and namespace statements): after
    // the previous item, or after the "{" of the enclosing block.
    qsizetype preludeStart = 0;
    // The "}" or ";" that ends the item, or where it stops without one.
    qsizetype contentEnd = 0;
    // Exclusive end of the item's range: past its "}" or ";".
    qsizetype rangeEnd = 0;
    // Index among the items of the enclosing at-rule block; -1 at the top level
    // and inside a style rule.
    qsizetype childIndex = -1;
    int type = 0;
    Kind kind = Kind::Block;
};

// The first pass of the style-sheet parser: finds blocks, statements and
// comments as CSS tokenising does. Strings, escapes, comments and url() are
// opaque, and (), [] and {} nest inside values and selectors. The children
// of any block at-rule (but "font-face") are items; a style rule's body is
// declarations, where nested rules and at-rules stay text of the body.
// Answers the spans in ascending order of start.
class StyleSheetScanner
{
public:
    explicit StyleSheetScanner(QStringView text)
        : m_text(text)
    {}

    std::vector<StyleSheetSpan> scan();

    // What the text got wrong, for one log line per sheet.
    struct Problems
    {
        int unclosedBlocks = 0;
        bool unclosedComment = false;
        bool tooDeep = false;
        bool unendedStatement = false;
        bool trailingText = false;
    };
    const Problems &problems() const { return m_problems; }

    // Nesting at-rule blocks deeper than this keep their inner blocks as text.
    static constexpr int s_maxItemDepth = 32;

private:
    enum class FrameKind : quint8 { Rules, Declarations };
    struct Frame
    {
        qsizetype span; // index of the block's span
        FrameKind kind;
        qsizetype children = 0;
    };
    enum class Prelude : quint8 { None, Qualified, AtRule };
    struct AtRuleTypes
    {
        int statementType;
        int blockType;
        FrameKind blockKind;
        bool isNamespace;
    };

    bool atRuleLevel() const { return m_frames.empty() || m_frames.back().kind == FrameKind::Rules; }
    qsizetype nextChildIndex();
    qsizetype skipComment(qsizetype i);
    void startAtRule(qsizetype i);
    void openBlock(qsizetype i);
    void endStatement(qsizetype contentEnd, qsizetype rangeEnd);
    void closeBlock(qsizetype contentEnd, qsizetype rangeEnd);
    void retypeInnermostBlock();
    void finish();

    QStringView m_text;
    std::vector<StyleSheetSpan> m_spans;
    std::vector<Frame> m_frames;
    // Closers of the brackets open inside the current item: ")", "]", "}".
    std::vector<char16_t> m_nest;
    Prelude m_prelude = Prelude::None;
    qsizetype m_preludeStart = 0;
    qsizetype m_preludeFirst = 0; // its first character that is no blank or comment
    AtRuleTypes m_atRule = {};
    Problems m_problems;
};
