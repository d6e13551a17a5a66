#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The border declarations of one style as the author wrote them ("border",
// the side shorthands, "border-style"/"-width"/"-color" and the twelve
// longhands, in their order), and what sets each side's style, width and
// colour. A part is read where it can be; a var() or another text that
// cannot be read is kept as written and answered as unknown. An edit goes
// into the declaration that sets the part, in the author's text; sides that
// declaration also sets but the edit does not touch get a declaration of
// their own after the others. A name the style already has is never
// declared a second time. Widget-free, so that it is tested on its own.
class BorderDeclarations
{
public:
    enum class Part { Style, Width, Color };
    static constexpr int kPartCount = 3;
    // Sides as bits, top first.
    static constexpr int kAllSides = 0xf;

    // One part of one side.
    struct PartText
    {
        enum class State { Absent, Known, Unknown };
        State state = State::Absent;
        // As written. An unknown part that is not located stands in the
        // texts of its declaration that were not read (a var() that may hold
        // several parts), and text is those texts.
        QString text;
        bool located = true;

        bool operator==(const PartText &other) const = default;
    };
    using SideText = std::array<PartText, kPartCount>;

    // A part set to a text, or removed.
    struct Edit
    {
        Part part = Part::Style;
        std::optional<QString> text;
    };

    // Whether the name (lower case) is one of the border declarations held.
    static bool isBorderName(const QString &name);
    // "none", "hidden", "dotted" ... "outset".
    static const QStringList &styleKeywords();
    // "thin", "medium", "thick".
    static const QStringList &widthKeywords();
    // Whether a text reads as that part ("solid", "1px", "thin", "#fff").
    static bool isPartText(Part part, const QString &text);

    // Appends a declaration as written: its value without the priority and
    // the priority's text as written after it (" !important"), or empty.
    // A name that is no border declaration is kept and written as it came.
    void append(const QString &name, const QString &value, const QString &priority);
    // No border declaration (only those kept as they came, if any).
    bool hasBorders() const;
    bool isEmpty() const { return m_declarations.isEmpty(); }

    // What each part of a side (0 top to 3 left) is set to.
    SideText side(int side) const;

    // Sets parts of the sides (bits); the texts of parts not named stay.
    void edit(int sides, const QList<Edit> &edits);
    // The sides have no border: the declarations that set only them go, and
    // sides still given a style by others get "none".
    void removeSides(int sides);
    // Every border declaration goes; one "border" of the side's texts takes
    // their place, when its parts can all be written (else nothing changes
    // and false is answered).
    bool replaceWithOneBorder(int side);

    // "name:value;" of each declaration, joined by one blank.
    QString text() const;

private:
    enum class Kind { Shorthand, PartList, SidePart, Kept };
    struct Token
    {
        QString text;
        qsizetype at = 0;
        std::optional<Part> part;
        bool known = false;
    };
    struct Declaration
    {
        QString name;
        QString value;
        QString priority;
        Kind kind = Kind::Kept;
        int sides = 0;
        Part part = Part::Style;
        QList<Token> tokens;
        // Shorthand: texts that could not be read nor located.
        QStringList unlocated;
        bool important() const { return !priority.isEmpty(); }
    };
    struct Source
    {
        int declaration = -1;
        int token = -1;
    };

    static void parse(Declaration &declaration);
    Source sourceOf(int side, Part part) const;
    PartText textOf(const Source &source) const;
    // The sides whose part comes from the declaration.
    int sidesFrom(int declaration, Part part) const;
    bool canEditInPlace(int declaration, Part part, int sides) const;
    void editInPlace(int declaration, Part part, int sides, const std::optional<QString> &text);
    // The side's parts in the order its shorthand wrote them, then the others.
    QList<Part> orderOf(int side) const;
    // The side's value as one shorthand would write it, with the edits;
    // nothing when a part may be inside a var() or the parts' priorities differ.
    struct FullText
    {
        QString value;
        bool important = false;
        bool operator==(const FullText &other) const = default;
    };
    std::optional<FullText> fullText(int side, const QList<Edit> &edits) const;
    bool isImportant(const Source &source) const;
    bool hasName(const QString &name) const;
    void add(const QString &name, const QString &value, bool important);

    QList<Declaration> m_declarations;
};
