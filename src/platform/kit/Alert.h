#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QAbstractButton;
class QMessageBox;
class QWidget;

// A modal question (the kit's alert) over QMessageBox. Buttons keep the order
// they were added in: the first answers FirstButtonReturn, the next
// SecondButtonReturn and so on, and the first is the default (Return) unless
// another is named with setDefaultButtonIndex(); a button titled
// "Cancel" answers Escape. An alert without buttons gets "OK". Where the
// desktop lays buttons out it follows its own convention (the default button
// rightmost on GNOME, leftmost on KDE and Windows).
class Alert
{
public:
    enum class Style { Warning = 0, Informational = 1, Critical = 2 };
    enum Response : int {
        FirstButtonReturn = 1000,
        SecondButtonReturn = 1001,
        ThirdButtonReturn = 1002,
    };
    // Answers of runAlertPanel().
    enum PanelReturn : int { DefaultReturn = 1, AlternateReturn = 0, OtherReturn = -1 };

    Alert();
    ~Alert();
    Alert(const Alert &) = delete;
    Alert &operator=(const Alert &) = delete;

    QString messageText() const { return m_messageText; }
    void setMessageText(const QString &text) { m_messageText = text; }
    QString informativeText() const { return m_informativeText; }
    void setInformativeText(const QString &text) { m_informativeText = text; }
    Style alertStyle() const { return m_style; }
    void setAlertStyle(Style style) { m_style = style; }

    // An empty title adds no button: a button without a label cannot be used.
    void addButtonWithTitle(const QString &title);
    QStringList buttonTitles() const { return m_buttons; }
    // The button that Return presses, by its place among the buttons added
    // (0 for the first, the default).
    int defaultButtonIndex() const { return m_defaultButton; }
    void setDefaultButtonIndex(int index) { m_defaultButton = index; }

    void setShowsSuppressionButton(bool shows) { m_showsSuppressionButton = shows; }
    bool showsSuppressionButton() const { return m_showsSuppressionButton; }
    // Whether the user ticked "Do not show this message again" (a
    // responder may tick it in the user's place).
    bool suppressionButtonChecked() const { return m_suppressionChecked; }
    void setSuppressionButtonChecked(bool checked) { m_suppressionChecked = checked; }

    // Shows the alert application-modally; answers the button's response.
    int runModal(QWidget *parent = nullptr);
    // Shows the alert modal to one window only; the handler gets the response.
    void beginSheetModalForWindow(QWidget *window, std::function<void(int response)> completionHandler);

    // The message box the alert shows, built from the current settings.
    std::unique_ptr<QMessageBox> makeMessageBox(QWidget *parent) const;

    // The panel form: a title, a message and up to three buttons (empty
    // titles are left out); answers DefaultReturn, AlternateReturn or
    // OtherReturn.
    static int runAlertPanel(const QString &title, const QString &message,
                             const QString &defaultButton, const QString &alternateButton = {},
                             const QString &otherButton = {});

    static void beep();

    // The one alert of a file that could not be written: its name in the
    // message, the reason and what follows from it (may be empty) below.
    static void runSaveFailure(const QString &fileName, const QString &reason, const QString &consequence = {},
                               QWidget *parent = nullptr);

    // Answers alerts in place of the user (tests, scripted runs); the
    // responder gets the alert and returns its response. Empty: ask the user.
    static void setResponder(std::function<int(Alert &)> responder);

private:
    int responseForButton(const QMessageBox &box, const QAbstractButton *clicked) const;

    QString m_messageText;
    QString m_informativeText;
    Style m_style = Style::Warning;
    QStringList m_buttons;
    int m_defaultButton = 0;
    bool m_showsSuppressionButton = false;
    bool m_suppressionChecked = false;
};
