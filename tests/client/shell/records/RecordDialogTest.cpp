// The record dialog on its own: its modes, its limits and its rule for OK.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "client/resources/resource.h"
#include "client/shell/RecordDialog.h"
#include "tests/client/shell/records/RecordTests.h"

using fonedesk::CRecordDialog;

namespace {

QLineEdit* Field(CRecordDialog& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
}

}  // namespace

class RecordDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void okFollowsTheRuleOutsideThePopup_data();
    void okFollowsTheRuleOutsideThePopup();
    void eachModeHasItsTitleFieldsAndIcon_data();
    void eachModeHasItsTitleFieldsAndIcon();
    void fieldsTakeNoMoreThanTheirLimits();
    void cancelKeepsNothing();
};

void RecordDialogTest::okFollowsTheRuleOutsideThePopup_data() {
    QTest::addColumn<bool>("popup");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("subscriber");
    QTest::addColumn<bool>("closes");
    QTest::newRow("digits and a name") << false << "0123"
                                       << "Анна" << true;
    QTest::newRow("underscore between digits") << false << "12_34"
                                               << "Анна" << true;
    QTest::newRow("hyphen") << false << "12-34"
                            << "Анна" << false;
    QTest::newRow("leading blank") << false << " 1234"
                                   << "Анна" << false;
    QTest::newRow("plus sign") << false << "+71234"
                               << "Анна" << false;
    QTest::newRow("letter") << false << "12a4"
                            << "Анна" << false;
    QTest::newRow("no number") << false << ""
                               << "Анна" << false;
    QTest::newRow("no subscriber") << false << "1234"
                                   << "" << false;
    QTest::newRow("popup, anything") << true << "12-34"
                                     << "" << true;
    QTest::newRow("popup, empty") << true << ""
                                  << "" << true;
}

void RecordDialogTest::okFollowsTheRuleOutsideThePopup() {
    QFETCH(bool, popup);
    QFETCH(QString, phone);
    QFETCH(QString, subscriber);
    QFETCH(bool, closes);
    CRecordDialog dialog(false, popup);
    dialog.SetTitleId(popup ? fonedesk::IDS_RECORD_POPUP : fonedesk::IDS_RECORD_ADD);
    dialog.show();
    QTest::keyClicks(Field(dialog, "IDC_RECORD_PHONE"), phone);
    // Qt Test types ASCII only; the Russian texts are put in as by an input method.
    Field(dialog, "IDC_RECORD_ABONENT")->insert(subscriber);
    Field(dialog, "IDC_RECORD_COMMENT")->insert(QStringLiteral("друг"));
    dialog.findChild<QPushButton*>(QStringLiteral("IDOK"))->click();
    QCOMPARE(dialog.isVisible(), !closes);
    QCOMPARE(dialog.result(), closes ? int(QDialog::Accepted) : int(QDialog::Rejected));
    if (closes) {
        QCOMPARE(dialog.Phone(), phone);
        QCOMPARE(dialog.Subscriber(), subscriber);
        QCOMPARE(dialog.Comment(), QStringLiteral("друг"));
    }
}

void RecordDialogTest::eachModeHasItsTitleFieldsAndIcon_data() {
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("popup");
    QTest::addColumn<int>("title");
    QTest::addColumn<QString>("caption");
    QTest::newRow("adding") << false << false << fonedesk::IDS_RECORD_ADD
                            << "Добавление новой записи...";
    QTest::newRow("editing") << true << false << fonedesk::IDS_RECORD_EDIT
                             << "Редактирование записи...";
    QTest::newRow("incoming call")
        << false << true << fonedesk::IDS_RECORD_POPUP << "Входящий вызов...";
}

void RecordDialogTest::eachModeHasItsTitleFieldsAndIcon() {
    QFETCH(bool, readOnly);
    QFETCH(bool, popup);
    QFETCH(int, title);
    QFETCH(QString, caption);
    CRecordDialog dialog(readOnly, popup);
    dialog.SetTitleId(title);
    dialog.SetTexts(QStringLiteral("0123"), QStringLiteral("Анна"), QStringLiteral("соседка"));
    dialog.show();
    QCOMPARE(dialog.windowTitle(), caption);
    QCOMPARE(Field(dialog, "IDC_RECORD_PHONE")->isReadOnly(), readOnly);
    QCOMPARE(Field(dialog, "IDC_RECORD_PHONE")->text(), QStringLiteral("0123"));
    QCOMPARE(Field(dialog, "IDC_RECORD_ABONENT")->text(), QStringLiteral("Анна"));
    QCOMPARE(Field(dialog, "IDC_RECORD_COMMENT")->text(), QStringLiteral("соседка"));
    auto* icon = dialog.findChild<QLabel*>(QStringLiteral("IDC_RECORD_ICON"));
    QCOMPARE(icon->isVisible(), popup);
    QCOMPARE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint), popup);
    if (popup) {
        QVERIFY(!dialog.windowIcon().isNull());
    }
    QCOMPARE(dialog.font().family(), QStringLiteral("Verdana"));
    QVERIFY(dialog.findChild<QPushButton*>(QStringLiteral("IDOK"))->isDefault());
    if (readOnly) {
        // The number stays; a subscriber is still required.
        QTest::keyClicks(Field(dialog, "IDC_RECORD_PHONE"), QStringLiteral("99"));
        QCOMPARE(Field(dialog, "IDC_RECORD_PHONE")->text(), QStringLiteral("0123"));
        Field(dialog, "IDC_RECORD_ABONENT")->clear();
        dialog.findChild<QPushButton*>(QStringLiteral("IDOK"))->click();
        QVERIFY(dialog.isVisible());
    }
}

void RecordDialogTest::fieldsTakeNoMoreThanTheirLimits() {
    CRecordDialog dialog(false, false);
    dialog.show();
    const struct {
        const char* field;
        int limit;
    } limits[] = {{"IDC_RECORD_PHONE", 20}, {"IDC_RECORD_ABONENT", 30}, {"IDC_RECORD_COMMENT", 75}};
    for (const auto& l : limits) {
        QLineEdit* edit = Field(dialog, l.field);
        QTest::keyClicks(edit, QString(l.limit + 1, QLatin1Char('7')));
        QCOMPARE(edit->text().size(), l.limit);
    }
    // Texts put in by the caller keep the limits too.
    dialog.SetTexts(QString(25, QLatin1Char('1')), QString(31, QChar(0x042F)), QString());
    QCOMPARE(Field(dialog, "IDC_RECORD_PHONE")->text().size(), 20);
    QCOMPARE(Field(dialog, "IDC_RECORD_ABONENT")->text().size(), 30);
}

void RecordDialogTest::cancelKeepsNothing() {
    CRecordDialog dialog(false, false);
    dialog.show();
    QTest::keyClicks(Field(dialog, "IDC_RECORD_PHONE"), QStringLiteral("0123"));
    Field(dialog, "IDC_RECORD_ABONENT")->insert(QStringLiteral("Анна"));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(dialog.Phone().isEmpty());
}

int fonedesk::test::RunRecordDialogTests(int argc, char** argv) {
    RecordDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "RecordDialogTest.moc"
