#include "Alert.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

namespace {
std::function<int(Alert &)> &responder()
{
    static std::function<int(Alert &)> s_responder;
    return s_responder;
}
} // namespace

Alert::Alert() = default;
Alert::~Alert() = default;

void Alert::addButtonWithTitle(const QString &title)
{
    if (!title.isEmpty())
        m_buttons.append(title);
}

std::unique_ptr<QMessageBox> Alert::makeMessageBox(QWidget *parent) const
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(QApplication::applicationDisplayName());
    box->setText(m_messageText);
    box->setInformativeText(m_informativeText);
    switch (m_style) {
    case Style::Warning: box->setIcon(QMessageBox::Warning); break;
    case Style::Informational: box->setIcon(QMessageBox::Information); break;
    case Style::Critical: box->setIcon(QMessageBox::Critical); break;
    }
    const QStringList titles = m_buttons.isEmpty() ? QStringList{QStringLiteral("OK")} : m_buttons;
    QPushButton *escape = nullptr;
    for (int i = 0; i < titles.size(); ++i) {
        const bool cancel = titles[i] == QLatin1String("Cancel");
        QPushButton *button = box->addButton(titles[i], cancel ? QMessageBox::RejectRole
                                                               : QMessageBox::AcceptRole);
        button->setObjectName(QStringLiteral("alertButton%1").arg(i));
        if (i == m_defaultButton || (i == 0 && (m_defaultButton < 0 || m_defaultButton >= titles.size())))
            box->setDefaultButton(button);
        if (cancel && !escape)
            escape = button;
    }
    if (escape)
        box->setEscapeButton(escape);
    else if (titles.size() == 1)
        box->setEscapeButton(box->defaultButton());
    if (m_showsSuppressionButton)
        box->setCheckBox(new QCheckBox(QStringLiteral("Do not show this message again")));
    return box;
}

int Alert::responseForButton(const QMessageBox &box, const QAbstractButton *clicked) const
{
    const int count = m_buttons.isEmpty() ? 1 : int(m_buttons.size());
    for (int i = 0; i < count; ++i) {
        if (box.findChild<QAbstractButton *>(QStringLiteral("alertButton%1").arg(i)) == clicked)
            return FirstButtonReturn + i;
    }
    // Closed some other way: as Escape would, else the last button.
    if (const QAbstractButton *escape = box.escapeButton())
        return responseForButton(box, escape);
    return FirstButtonReturn + count - 1;
}

int Alert::runModal(QWidget *parent)
{
    if (responder())
        return responder()(*this);
    std::unique_ptr<QMessageBox> box = makeMessageBox(parent);
    box->setWindowModality(Qt::ApplicationModal);
    box->exec();
    m_suppressionChecked = box->checkBox() && box->checkBox()->isChecked();
    return responseForButton(*box, box->clickedButton());
}

void Alert::beginSheetModalForWindow(QWidget *window, std::function<void(int)> completionHandler)
{
    if (responder()) {
        const int response = responder()(*this);
        if (completionHandler)
            completionHandler(response);
        return;
    }
    // The box belongs to the window while it is shown: the alert itself may
    // be gone before the user answers.
    QMessageBox *box = makeMessageBox(window).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    const QStringList titles = m_buttons;
    QObject::connect(box, &QMessageBox::finished, box,
                     [box, titles, handler = std::move(completionHandler)] {
                         Alert copy;
                         for (const QString &title : titles)
                             copy.addButtonWithTitle(title);
                         const int response = copy.responseForButton(*box, box->clickedButton());
                         if (handler)
                             handler(response);
                     });
    box->open();
}

int Alert::runAlertPanel(const QString &title, const QString &message, const QString &defaultButton,
                         const QString &alternateButton, const QString &otherButton)
{
    Alert alert;
    alert.setMessageText(title);
    alert.setInformativeText(message);
    QList<int> answers;
    for (const auto &[buttonTitle, answer] :
         {std::pair{defaultButton, int(DefaultReturn)}, std::pair{alternateButton, int(AlternateReturn)},
          std::pair{otherButton, int(OtherReturn)}}) {
        if (buttonTitle.isEmpty())
            continue;
        alert.addButtonWithTitle(buttonTitle);
        answers.append(answer);
    }
    if (answers.isEmpty())
        answers.append(DefaultReturn);
    const int index = alert.runModal() - FirstButtonReturn;
    return answers.value(index, DefaultReturn);
}

void Alert::runSaveFailure(const QString &fileName, const QString &reason, const QString &consequence,
                           QWidget *parent)
{
    Alert alert;
    alert.setAlertStyle(Style::Critical);
    alert.setMessageText(QStringLiteral("\"%1\" could not be saved.").arg(fileName));
    QString details = reason.trimmed();
    if (!details.isEmpty() && !details.endsWith(QLatin1Char('.')))
        details += QLatin1Char('.');
    if (!consequence.isEmpty())
        details += (details.isEmpty() ? QString() : QStringLiteral("\n\n")) + consequence;
    alert.setInformativeText(details);
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.runModal(parent ? parent : QApplication::activeWindow());
}

void Alert::beep()
{
    QApplication::beep();
}

void Alert::setResponder(std::function<int(Alert &)> answer)
{
    responder() = std::move(answer);
}
