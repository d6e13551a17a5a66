#include "TestPrinters.h"
#include "PanelTestSupport.h"

#include "editors/BorderEditor.h"
#include "editors/ComboEnumEditor.h"
#include "editors/EnumEditor.h"
#include "editors/FilterEditor.h"
#include "editors/FourLengthsEditor.h"
#include "editors/LengthEditor.h"
#include "editors/NumberField.h"
#include "editors/NumberStyleEditor.h"
#include "editors/QuickColorPicker.h"
#include "editors/ShadowEditor.h"
#include "editors/StepNumberTextField.h"
#include "editors/TransformEditor.h"
#include "platform/kit/ColorPanel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/Stepper.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace StylePanelRoundTripTest {

namespace {

struct RoundTrip
{
    QString name;
    QString in;
    QString change;
    QString out;
};

QList<RoundTrip> readRoundTrips()
{
    QFile file(QStringLiteral(QUILLMARK_TEST_DATA "/roundtrips.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<RoundTrip> cases;
    RoundTrip current;
    const auto flush = [&] {
        if (!current.name.isEmpty())
            cases.append(current);
        current = {};
    };
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'#'))
            continue;
        if (line.trimmed().isEmpty()) {
            flush();
            continue;
        }
        const qsizetype colon = line.indexOf(u':');
        const QString key = line.left(colon);
        const QString value = line.mid(colon + 1).trimmed();
        if (key == u"name")
            current.name = value;
        else if (key == u"in")
            current.in = value;
        else if (key == u"change")
            current.change = value;
        else if (key == u"out")
            current.out = value;
    }
    flush();
    return cases;
}

void enterInto(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->selectAll();
    field->setText(text);
    QTest::keyClick(field, Qt::Key_Return);
}

// Carries out one "change:" line on the panel.
bool perform(PanelHarness &harness, const QString &change)
{
    const QStringList words = change.split(u' ');
    const QString property = words.value(0);
    AttributeEditor *editor = harness.panel.editorForProperty(property);
    if (!editor)
        return false;
    const QString verb = words.value(1);
    const QString argument = words.mid(2).join(u' ');
    if (verb == u"=") {
        if (auto *combo = qobject_cast<ComboEnumEditor *>(editor)) {
            combo->combo()->setEditText(argument);
            combo->valueChanged();
            return true;
        }
        auto *field = qobject_cast<QLineEdit *>(editor->firstControl());
        if (!field)
            return false;
        enterInto(field, argument);
        return true;
    }
    if (verb.startsWith(QStringLiteral("side"))) {
        auto *sides = qobject_cast<FourLengthsEditor *>(editor);
        if (!sides)
            return false;
        enterInto(sides->valueInput(verb.mid(4).toInt() - 1), words.mid(3).join(u' '));
        return true;
    }
    if (verb == u"unit") {
        PopUpButton *units = nullptr;
        if (auto *length = qobject_cast<LengthEditor *>(editor))
            units = length->unitButton();
        else if (auto *sides = qobject_cast<FourLengthsEditor *>(editor))
            units = sides->unitButton();
        else if (auto *transform = qobject_cast<TransformEditor *>(editor))
            units = transform->translateUnit();
        if (!units)
            return false;
        const int index = units->findText(argument);
        units->setCurrentIndex(index);
        Q_EMIT units->activated(index);
        return true;
    }
    if (verb == u"pick") {
        auto *pop = qobject_cast<EnumEditor *>(editor);
        if (!pop)
            return false;
        PopUpButton *button = pop->getPopupButton();
        int index = button->findText(argument);
        if (index < 0) {
            button->addItem(argument);
            index = button->count() - 1;
        }
        button->setCurrentIndex(index);
        Q_EMIT button->activated(index);
        return true;
    }
    if (verb == u"arrow") {
        auto *field = qobject_cast<QLineEdit *>(editor->firstControl());
        if (!field)
            return false;
        // The arrows step only while the field has the focus.
        field->window()->show();
        field->activateWindow();
        field->setFocus();
        if (!QTest::qWaitFor([field] { return field->hasFocus(); }))
            return false;
        QTest::keyClick(field, argument == u"up" ? Qt::Key_Up : Qt::Key_Down);
        return true;
    }
    if (verb == u"step") {
        Stepper *stepper = nullptr;
        if (auto *length = qobject_cast<LengthEditor *>(editor))
            stepper = length->stepper();
        else if (auto *number = qobject_cast<NumberStyleEditor *>(editor))
            stepper = number->stepper();
        if (!stepper)
            return false;
        QTest::mouseClick(argument == u"up" ? stepper->upButton() : stepper->downButton(), Qt::LeftButton);
        TestUtil::spin(10);
        return true;
    }
    if (auto *shadow = qobject_cast<ShadowEditor *>(editor)) {
        if (verb == u"add") {
            shadow->addButton()->click();
            return true;
        }
        shadow->listView()->setCurrentRow(words.value(2).toInt());
        if (verb == u"delete") {
            shadow->removeButton()->click();
            return true;
        }
        if (verb == u"blur") {
            enterInto(shadow->blurInput(), words.mid(4).join(u' '));
            return true;
        }
        if (verb == u"x") {
            enterInto(shadow->offsetHInput(), words.mid(4).join(u' '));
            return true;
        }
        return false;
    }
    if (verb == u"field") {
        auto *transform = qobject_cast<TransformEditor *>(editor);
        if (!transform)
            return false;
        enterInto(transform->field(TransformValue::Field(words.value(2).toInt())), words.mid(4).join(u' '));
        return true;
    }
    if (verb == u"clear") {
        auto *transform = qobject_cast<TransformEditor *>(editor);
        if (!transform)
            return false;
        if (argument == u"rotate")
            transform->clearRotate();
        else if (argument == u"translate")
            transform->clearTranslate();
        else
            return false;
        return true;
    }
    if (verb == u"slider") {
        auto *filter = qobject_cast<FilterEditor *>(editor);
        if (!filter)
            return false;
        for (int f = 0; f < FilterValue::FunctionCount; ++f) {
            if (FilterValue::functionName(FilterValue::Function(f)) == words.value(2)) {
                QSlider *slider = filter->slider(FilterValue::Function(f));
                slider->setValue(words.value(4).toInt());
                return true;
            }
        }
        return false;
    }
    if (verb == u"unlock" || verb == u"lock") {
        if (auto *border = qobject_cast<BorderEditor *>(editor)) {
            border->lockButton()->click();
            return true;
        }
        auto *sides = qobject_cast<FourLengthsEditor *>(editor);
        if (!sides)
            return false;
        sides->lockButton()->click();
        return true;
    }
    if (auto *border = qobject_cast<BorderEditor *>(editor);
        border && (verb == u"style" || verb == u"width" || verb == u"colour")) {
        const QStringList directions{"all", "top", "right", "bottom", "left"};
        const auto direction = BorderEditor::Direction(directions.indexOf(words.value(2)));
        if (direction < 0)
            return false;
        const BorderEditor::Controls &controls = border->controls(direction);
        if (verb == u"width") {
            enterInto(controls.widthInput, words.mid(4).join(u' '));
            return true;
        }
        if (verb == u"colour") {
            controls.colorPicker->colorPickerButton()->click();
            ColorPanel::sharedColorPanel().dialog()->setCurrentColor(QColor(words.value(3)));
            ColorPanel::sharedColorPanel().close();
            return true;
        }
        const int index = controls.styleSelector->findText(words.value(3));
        controls.styleSelector->setCurrentIndex(index);
        Q_EMIT controls.styleSelector->activated(index);
        return true;
    }
    if (verb == u"colour") {
        auto *picker = editor->findChild<QuickColorPicker *>();
        if (!picker)
            return false;
        picker->colorPickerButton()->click();
        ColorPanel::sharedColorPanel().dialog()->setCurrentColor(QColor(argument));
        ColorPanel::sharedColorPanel().close();
        return true;
    }
    return false;
}

} // namespace

TEST(StylePanelRoundTrip, EachGoldenCaseAnnouncesExactlyTheExpectedText)
{
    const QList<RoundTrip> cases = readRoundTrips();
    ASSERT_GE(cases.size(), 30);
    for (const RoundTrip &roundTrip : cases) {
        SCOPED_TRACE(roundTrip.name.toStdString());
        PanelHarness harness;
        harness.show(roundTrip.in);
        for (const QString &change : roundTrip.change.split(QStringLiteral(" then ")))
            ASSERT_TRUE(perform(harness, change)) << change.toStdString();
        ASSERT_FALSE(harness.posts.isEmpty());
        EXPECT_EQ(harness.lastEnd(), roundTrip.out);
        EXPECT_EQ(harness.posts.last().first, QStringLiteral("StyleAttributeEditEnd"));
        EXPECT_EQ(harness.posts.first().second.value(QStringLiteral("oldValue")).toString(), roundTrip.in);
    }
}

} // namespace StylePanelRoundTripTest
