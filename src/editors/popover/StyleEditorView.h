#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <utility>

class StepNumberTextField;

// The base of every popover editor of one declaration's value. The
// controller hands it the property and the value text (initialize()), which
// it reads into its controls (parseValue(), the subclass's hook); every
// change the user makes goes out as "cssValueChanged" {"value"}, with
// " !important" again when the value had it (notifyChange()). An editor
// never writes to the page or the model itself, and posts nothing until a
// control changes.
class StyleEditorView : public QWidget
{
    Q_OBJECT

public:
    explicit StyleEditorView(const QString &type, QWidget *parent = nullptr);

    // The editor type the view stands for ("color", "singleSize", ...).
    QString type() const { return objectName(); }

    // The one entry point: keeps the property and the value (without
    // "!important", lower case), then parseValue().
    void initialize(const QString &propName, const QString &value);
    virtual void parseValue() {}
    void notifyChange(const QString &text);
    // As notifyChange(), posting "cssValueCommit".
    void notifyCommit(const QString &text);

    QString propName() const { return m_propName; }
    QString value() const { return m_value; }
    // The value as it was given, without "!important" and the blanks
    // around it, in its own case: what an editor keeps of the parts it
    // does not change.
    QString writtenValue() const { return m_writtenValue; }
    bool isImportant() const { return m_isImportant; }
    QObject *delegate() const { return m_delegate; }
    void setDelegate(QObject *delegate) { m_delegate = delegate; }

    // The number a text begins with ("12.5" of "12.5px"), and in length the
    // count of its characters; nothing when it begins with none.
    static std::optional<double> leadingNumber(const QString &text, qsizetype *length = nullptr);
    // The count of digits after the point of a number text ("1.25" gives 2).
    static int decimalsOf(const QString &number);
    // A number in C-locale digits with at most the decimals, trailing zeros
    // dropped ("1.60" gives "1.6", "12.0" gives "12").
    static QString formatNumber(double number, int maxDecimals);
    // A number with an optional unit, nothing else ("-2.5em", ".5", "10%");
    // the unit as written. Nothing for any other text.
    static std::optional<std::pair<double, QString>> numberWithUnit(const QString &text);
    // Whether a length unit ("px", "rem", "%"), in any case.
    static bool isLengthUnit(const QString &unit);

protected:
    void setValue(const QString &value) { m_value = value; }
    // A number field of the editor, named for tests and screen readers;
    // each change of its text calls textChanged. When editing ends on a
    // text that reads() does not take, the field is marked (FieldMark).
    StepNumberTextField *makeNumberField(const QString &name, const QString &accessibleName, int width,
                                         std::function<void()> textChanged,
                                         std::function<bool(const QString &)> reads = {});

private:
    void post(const QString &name, const QString &text);

    QString m_propName;
    QString m_value;
    QString m_writtenValue;
    bool m_isImportant = false;
    QObject *m_delegate = nullptr; // Not owned.
};
