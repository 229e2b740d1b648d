// The event editor dialog driven through its buttons and keys.
#include "app/TEditionEven.h"
#include "widgets/TScrewPanel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs ExecuteAction while `act` plays the user once the dialog shows.
quint8 runWith(TEditionEven& editor, std::function<void(TEditionEven&)> act) {
    bool acted = false;
    QTimer::singleShot(0, &editor, [&] {
        acted = true;
        EXPECT_TRUE(editor.isVisible());
        act(editor);
        if (editor.isVisible()) { // the step did not close it: do not hang
            ADD_FAILURE() << "the dialog stayed open";
            editor.reject();
        }
    });
    const quint8 code = editor.ExecuteAction();
    EXPECT_TRUE(acted);
    return code;
}

// The next widget that Tab reaches after `w`.
QWidget* nextTabStop(QWidget* w) {
    for (QWidget* n = w->nextInFocusChain(); n != w; n = n->nextInFocusChain())
        if ((n->focusPolicy() & Qt::TabFocus) && n->isEnabled())
            return n;
    return w;
}

} // namespace

TEST(TEditionEven, LayoutTextsAndRoles) {
    TEditionEven e;
    EXPECT_EQ(e.windowTitle(), QStringLiteral("Edition d'un événement"));
    EXPECT_EQ(e.size(), QSize(394, 163));
    EXPECT_EQ(e.minimumSize(), e.maximumSize());
    EXPECT_EQ(e.font().pixelSize(), 11);
    EXPECT_TRUE(e.isModal());
    ASSERT_NE(e.ScrewPanel1, nullptr);
    EXPECT_EQ(e.ScrewPanel1->geometry(), QRect(0, 0, 394, 163));
    EXPECT_EQ(e.ScrewPanel1->BevelInner(), bvRaised);
    EXPECT_EQ(e.ScrewPanel1->BevelOuter(), bvSpace);
    for (QWidget* w : std::initializer_list<QWidget*>{e.Label1, e.Label2, e.Edit1, e.BtnModif, e.BtnSupp, e.BtnCancel})
        EXPECT_EQ(w->parentWidget(), e.ScrewPanel1) << w->objectName().toStdString();
    EXPECT_EQ(e.Label2->geometry(), QRect(32, 24, 190, 20));
    EXPECT_EQ(e.Label2->font().pixelSize(), 16);
    EXPECT_EQ(e.Label1->geometry(), QRect(32, 64, 108, 13));
    EXPECT_EQ(e.Label1->text(), QStringLiteral("Texte de l'événement :"));
    EXPECT_EQ(e.Edit1->geometry(), QRect(152, 56, 217, 21));
    EXPECT_EQ(e.Edit1->maxLength(), 2047);
    EXPECT_EQ(e.BtnModif->geometry(), QRect(30, 104, 99, 25));
    EXPECT_EQ(e.BtnSupp->geometry(), QRect(142, 104, 99, 25));
    EXPECT_EQ(e.BtnCancel->geometry(), QRect(294, 104, 75, 25));
    EXPECT_EQ(e.BtnSupp->text(), QStringLiteral("Supprimer"));
    EXPECT_EQ(e.BtnCancel->text(), QStringLiteral("Annuler"));
    EXPECT_TRUE(e.BtnModif->isDefault());
    e.BtnSupp->setEnabled(true);
    // Tab order: BtnModif, BtnSupp, BtnCancel, Edit1, then round again.
    EXPECT_EQ(nextTabStop(e.BtnModif), e.BtnSupp);
    EXPECT_EQ(nextTabStop(e.BtnSupp), e.BtnCancel);
    EXPECT_EQ(nextTabStop(e.BtnCancel), e.Edit1);
    EXPECT_EQ(nextTabStop(e.Edit1), e.BtnModif);
}

TEST(TEditionEven, DateAndTextSetters) {
    TEditionEven e;
    e.SetEventDate(-65.0);
    EXPECT_DOUBLE_EQ(e.EventDate, -65.0);
    EXPECT_EQ(e.Label2->text(), QStringLiteral("Date de l'événement : -65,000 Ma"));
    EXPECT_GE(e.Label2->width(), 190);
    EXPECT_GE(e.Label2->width(), e.Label2->sizeHint().width()); // grows with its text
    e.SetEventDate(-4550.0);
    EXPECT_EQ(e.Label2->text(), QStringLiteral("Date de l'événement : -4550,000 Ma"));
    e.SetEventText(QStringLiteral("Extinction"));
    EXPECT_EQ(e.EventText, QStringLiteral("Extinction"));
    EXPECT_EQ(e.Edit1->text(), QStringLiteral("Extinction"));
}

TEST(TEditionEven, ButtonsGiveTheirActionCodes) {
    TEditionEven e;
    e.SetEventText(QStringLiteral("avant"));
    // "Ajouter": code 1 and the typed text.
    EXPECT_EQ(runWith(e, [](TEditionEven& d) {
                  d.Edit1->setText(QStringLiteral("nouveau"));
                  QTest::mouseClick(d.BtnModif, Qt::LeftButton);
              }),
              1);
    EXPECT_EQ(e.EventText, QStringLiteral("nouveau"));
    // Any other caption: code 2.
    e.BtnModif->setText(QStringLiteral("Modifier"));
    EXPECT_EQ(runWith(e, [](TEditionEven& d) {
                  d.Edit1->setText(QStringLiteral("changé"));
                  QTest::mouseClick(d.BtnModif, Qt::LeftButton);
              }),
              2);
    EXPECT_EQ(e.EventText, QStringLiteral("changé"));
    // "Supprimer": code 3, the text is not taken.
    e.BtnSupp->setEnabled(true);
    EXPECT_EQ(runWith(e, [](TEditionEven& d) {
                  d.Edit1->setText(QStringLiteral("ignoré"));
                  QTest::mouseClick(d.BtnSupp, Qt::LeftButton);
              }),
              3);
    EXPECT_EQ(e.EventText, QStringLiteral("changé"));
    // "Annuler": code 0 even after an earlier choice.
    EXPECT_EQ(runWith(e, [](TEditionEven& d) { QTest::mouseClick(d.BtnCancel, Qt::LeftButton); }), 0);
    EXPECT_EQ(e.EventText, QStringLiteral("changé"));
}

TEST(TEditionEven, EnterEscapeAndCloseBox) {
    TEditionEven e;
    e.BtnSupp->setEnabled(true);
    // Enter in the text box presses BtnModif.
    EXPECT_EQ(runWith(e, [](TEditionEven& d) {
                                    QTest::keyClicks(d.Edit1, QStringLiteral("tape"));
                  QTest::keyClick(d.Edit1, Qt::Key_Return);
              }),
              1);
    EXPECT_EQ(e.EventText, QStringLiteral("tape"));
    // Enter on a button presses that button.
    EXPECT_EQ(runWith(e, [](TEditionEven& d) { QTest::keyClick(d.BtnSupp, Qt::Key_Return); }), 3);
    EXPECT_EQ(runWith(e, [](TEditionEven& d) { QTest::keyClick(d.BtnCancel, Qt::Key_Return); }), 0);
    // Escape and the close box: code 0, text untouched.
    e.SetEventText(QStringLiteral("garde"));
    EXPECT_EQ(runWith(e, [](TEditionEven& d) {
                  QTest::keyClicks(d.Edit1, QStringLiteral("xyz"));
                  QTest::keyClick(d.Edit1, Qt::Key_Escape);
              }),
              0);
    EXPECT_EQ(e.EventText, QStringLiteral("garde"));
    EXPECT_EQ(runWith(e, [](TEditionEven& d) { d.close(); }), 0);
}

TEST(TEditionEven, EachOpeningStartsAtNothingWithTheFocusInTheTextBox) {
    TEditionEven e;
    e.EditAction = 3;
    EXPECT_EQ(runWith(e, [](TEditionEven& d) {
                  EXPECT_EQ(d.EditAction, 0);
                  EXPECT_EQ(d.focusWidget(), d.Edit1); // the focus within the dialog
                  d.reject();
              }),
              0);
}

TEST(TEditionEven, TextBoxTakesWhatAFileGivesBack) {
    TEditionEven e;
    e.SetEventText(QString(3000, QLatin1Char('a')));
    EXPECT_EQ(e.Edit1->text().size(), 2047);
    runWith(e, [](TEditionEven& d) {
        d.Edit1->clear();
        QTest::keyClicks(d.Edit1, QString(2050, QLatin1Char('b')));
        QTest::mouseClick(d.BtnModif, Qt::LeftButton);
    });
    EXPECT_EQ(e.EventText, QString(2047, QLatin1Char('b')));
}

// Characters an event file cannot store are kept out of the text box, with a
// note; those of the text the editor was given stay, with the other note.
TEST(TEditionEven, CharactersTheFileCannotStoreAreKeptOut) {
    TEditionEven e;
    e.SetEventText(QString());
    EXPECT_FALSE(e.LabelAvertissement->isVisibleTo(&e));
    e.Edit1->insert(QStringLiteral("Crise « K-Pg » œuvre € "));
    EXPECT_FALSE(e.LabelAvertissement->isVisibleTo(&e));
    e.Edit1->insert(QString::fromUtf8("漢字 😀 é"));
    EXPECT_EQ(e.Edit1->text(), QStringLiteral("Crise « K-Pg » œuvre €   é"));
    EXPECT_EQ(e.Edit1->cursorPosition(), e.Edit1->text().size());
    EXPECT_TRUE(e.LabelAvertissement->isVisibleTo(&e));
    EXPECT_EQ(e.LabelAvertissement->text(), TEditionEven::RefusedCharacterNote);
    for (const char* typed : {"Ω", "!"}) { // typed keys
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8(typed));
        QApplication::sendEvent(e.Edit1, &key);
    }
    EXPECT_TRUE(e.Edit1->text().endsWith(QStringLiteral("é!")));
    // The note fits its place under the text box.
    for (const QString& note : {TEditionEven::RefusedCharacterNote, TEditionEven::UnstorableTextNote})
        EXPECT_LE(e.LabelAvertissement->fontMetrics().horizontalAdvance(note), e.LabelAvertissement->width());

    e.SetEventText(QString::fromUtf8("漢字 😀"));
    EXPECT_EQ(e.Edit1->text(), QString::fromUtf8("漢字 😀"));
    EXPECT_EQ(e.LabelAvertissement->text(), TEditionEven::UnstorableTextNote);
    EXPECT_TRUE(e.LabelAvertissement->isVisibleTo(&e));
    e.Edit1->insert(QString::fromUtf8(" 字Ω"));
    EXPECT_EQ(e.Edit1->text(), QString::fromUtf8("漢字 😀 字"));
    e.SetEventText(QStringLiteral("simple"));
    EXPECT_FALSE(e.LabelAvertissement->isVisibleTo(&e));
}
