#include "QtPrinters.h"
#include "TSpinFloatEdit.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The two fields of the settings dialog: track length and STOPP lockout.
struct Field
{
    int digits;
    double min, max;
};
constexpr Field Length{2, 0.1, 999};
constexpr Field Lockout{1, 0, 600};

void Configure(TSpinFloatEdit& edit, const Field& f)
{
    edit.SetMax(f.max);
    edit.SetMin(f.min);
    edit.SetDigits(f.digits);
    edit.SetIncrement(0.1);
}

// A field in a shown, active window with a second widget to move the focus to.
struct FocusRig
{
    FocusRig()
    {
        Configure(*edit, Length);
        edit->move(0, 0);
        other->move(0, 40);
        window.show();
        QApplication::setActiveWindow(&window);
        other->setFocus(Qt::TabFocusReason);
    }
    QWidget window;
    TSpinFloatEdit* edit = new TSpinFloatEdit(&window);
    QLineEdit* other = new QLineEdit(&window);
};

} // namespace

TEST(TSpinFloatEdit, TypedCharactersKeepTheTextANumberInRange)
{
    struct Case
    {
        Field field;
        const char* text;
        int selStart, selLength; // selLength 0: the cursor at selStart
        const char* typed;
        const char* expected;
        const char* selectedAfter;
    };
    const Case cases[] = {
        {Length, "1,00", 4, 0, "5", "1,00", ""},  // a third decimal
        {Length, "1,00", 4, 0, ",", "1,00", ""},  // no number
        {Length, "1", 1, 0, ",", "1,", ""},       // a separator may end the text while typing
        {Length, "1,", 2, 0, "5", "1,5", ""},
        {Length, "", 0, 0, ",", "0,0", "0"},
        {Length, "", 0, 0, "-", "-0", "0"},
        {Length, "-0", 1, 1, "5", "-0", "0"},     // -5 is below 0,1
        {Lockout, "600,0", 0, 5, "7", "7", ""},
        {Lockout, "600", 3, 0, "0", "600", ""},   // 6000 is above 600
        {Lockout, "1", 1, 0, "E", "1", ""},
        {Lockout, "1", 1, 0, "e", "1", ""},       // "1e" is no number
        {Lockout, "12", 1, 0, "e", "1e2", ""},    // 100
        {Lockout, "5", 1, 0, "a", "5", ""},
        {Lockout, "5", 1, 0, " ", "5", ""},
        {{0, 0, 100}, "5", 1, 0, ",", "5", ""},   // no decimals at all
        {Lockout, "1,5", 3, 0, "\b", "1,", ""},   // control characters pass
    };
    for (const Case& c : cases) {
        TSpinFloatEdit edit;
        Configure(edit, c.field);
        edit.setText(QString::fromUtf8(c.text));
        if (c.selLength > 0)
            edit.setSelection(c.selStart, c.selLength);
        else
            edit.setCursorPosition(c.selStart);
        const QChar typed = QChar::fromLatin1(c.typed[0]);
        const Qt::Key key = typed == u'\b' ? Qt::Key_Backspace : Qt::Key(typed.toUpper().unicode());
        QKeyEvent press(QEvent::KeyPress, key, typed == u'E' ? Qt::ShiftModifier : Qt::NoModifier, QString(typed));
        QApplication::sendEvent(&edit, &press);
        EXPECT_EQ(edit.text(), QString::fromUtf8(c.expected)) << c.text << " + '" << c.typed << "'";
        EXPECT_EQ(edit.selectedText(), QString::fromUtf8(c.selectedAfter)) << c.text << " + '" << c.typed << "'";
    }
}

TEST(TSpinFloatEdit, ValueReadsClampsAndWrites)
{
    TSpinFloatEdit edit;
    EXPECT_EQ(edit.text(), "0,0") << "the minimum at construction";
    Configure(edit, Length);
    EXPECT_EQ(edit.text(), "0,10") << "re-clamped and rewritten by the limits";
    struct Case
    {
        const char* text;
        double value;
    };
    for (const Case& c : {Case{"1,00", 1.0}, {"0,75", 0.75}, {"", 0.1}, {",", 0.1}, {"-", 0.1}, {"E", 0.1},
                          {"abc", 0.1}, {"1.000", 0.1}, {"5e2", 500}, {"5e3", 999}}) {
        edit.setText(QString::fromUtf8(c.text));
        EXPECT_DOUBLE_EQ(edit.Value(), c.value) << c.text;
    }
    edit.SetValue(2.5);
    EXPECT_EQ(edit.text(), "2,50");
    edit.SetValue(1234);
    EXPECT_EQ(edit.text(), "999,00");
    edit.SetValue(-0.001);
    EXPECT_EQ(edit.text(), "0,10");
    edit.SetDigits(30);
    EXPECT_EQ(edit.Digits(), 18);
    EXPECT_EQ(edit.text(), "0,100000000000000006") << "every digit of the double";
}

TEST(TSpinFloatEdit, MinAboveMaxIsRefused)
{
    TSpinFloatEdit edit;
    try {
        edit.SetMin(101);
        ADD_FAILURE() << "no error";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Minimum value must not be greater than maximum value !");
    }
    try {
        edit.SetMax(-1);
        ADD_FAILURE() << "no error";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Maximum value must not be less than minimum value !");
    }
    EXPECT_EQ(edit.Min(), 0);
    EXPECT_EQ(edit.Max(), 100);
    edit.SetMin(100); // equal limits are allowed
    EXPECT_EQ(edit.text(), "100,0");
}

TEST(TSpinFloatEdit, StepsByIncrementWithinTheLimits)
{
    TSpinFloatEdit edit;
    Configure(edit, Lockout);
    struct Case
    {
        const char* text;
        Qt::Key key;
        const char* expected;
    };
    for (const Case& c : {Case{"600,0", Qt::Key_Up, "600,0"}, {"0,0", Qt::Key_Down, "0,0"}, {"0,2", Qt::Key_Up, "0,3"},
                          {"2,5", Qt::Key_Down, "2,4"}, {"-", Qt::Key_Up, "0,1"}}) {
        edit.setText(QString::fromUtf8(c.text));
        QTest::keyClick(&edit, c.key);
        EXPECT_EQ(edit.text(), QString::fromUtf8(c.expected)) << c.text;
    }

    std::vector<TSpinFloatEdit::Direction> computed;
    edit.OnComputedIncrement = [&](TSpinFloatEdit*, TSpinFloatEdit::Direction d) { computed.push_back(d); };
    edit.UpClick();
    edit.DownClick();
    EXPECT_EQ(computed, (std::vector{TSpinFloatEdit::Direction::Up, TSpinFloatEdit::Direction::Down}));
    EXPECT_EQ(edit.text(), "0,1") << "the handler steps instead";
    edit.OnComputedIncrement = nullptr;
    edit.setReadOnly(true);
    edit.UpClick();
    EXPECT_EQ(edit.text(), "0,1") << "a read-only field only beeps";
}

TEST(TSpinFloatEdit, ButtonSitsInsideTheRightEdgeAndSteps)
{
    TSpinFloatEdit edit;
    Configure(edit, Lockout);
    edit.resize(80, 24);
    edit.show();
    QWidget* button = edit.Button();
    EXPECT_EQ(button->size(), QSize(15, 17));
    EXPECT_LE(button->geometry().right(), edit.width() - 1);
    EXPECT_GE(button->x(), edit.width() - 15 - 3);
    EXPECT_EQ(edit.textMargins().right(), 15) << "the text ends before the button";

    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(7, 3));
    EXPECT_EQ(edit.text(), "0,1");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(7, 14));
    EXPECT_EQ(edit.text(), "0,0");

    edit.SetEditorEnabled(false);
    for (const Qt::Key key : {Qt::Key_5, Qt::Key_Up, Qt::Key_Backspace})
        QTest::keyClick(&edit, key);
    EXPECT_EQ(edit.text(), "0,0") << "no key reaches a field without editor";
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(7, 3));
    EXPECT_EQ(edit.text(), "0,1") << "the button still steps";
}

TEST(TSpinFloatEdit, LeavingWritesTheDecimalsOrKeepsTheFocus)
{
    struct Case
    {
        const char* typedText;
        const char* afterLeave;
        bool focusStays;
    };
    for (const Case& c : {Case{"2,5", "2,50", false}, {"", "0,10", false}, {"-0", "1,00", true}, {"0,0", "1,00", true},
                          {"x", "1,00", true}}) {
        FocusRig rig;
        rig.edit->SetValue(1);
        rig.edit->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(rig.edit->hasFocus());
        EXPECT_EQ(rig.edit->selectedText(), "1,00") << "entering selects the text";
        rig.edit->setText(QString::fromUtf8(c.typedText));
        rig.other->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(rig.edit->text(), QString::fromUtf8(c.afterLeave)) << c.typedText;
        EXPECT_EQ(rig.edit->hasFocus(), c.focusStays) << c.typedText;
        if (c.focusStays) {
            EXPECT_EQ(rig.edit->selectedText(), rig.edit->text());
        }
    }
}

TEST(TSpinFloatEdit, EscapeRestoresTheValueAtEntryAndEnterCallsTheHandler)
{
    FocusRig rig;
    rig.edit->SetValue(1);
    rig.edit->setFocus(Qt::TabFocusReason);
    rig.edit->setText(QStringLiteral("3,7"));
    int enterKey = 0;
    QObject::connect(rig.edit, &TCustomFloatEdit::EnterPressed, rig.edit, [&](int key) { enterKey = key; });
    QTest::keyClick(rig.edit, Qt::Key_Return);
    EXPECT_EQ(enterKey, Qt::Key_Return);
    EXPECT_EQ(rig.edit->text(), "3,7");
    QTest::keyClick(rig.edit, Qt::Key_Escape);
    EXPECT_EQ(rig.edit->text(), "1,00");
    EXPECT_EQ(rig.edit->selectedText(), "1,00");
}
