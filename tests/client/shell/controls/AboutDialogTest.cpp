#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "client/resources/Strings.h"
#include "client/resources/resource.h"
#include "client/shell/AboutDialog.h"
#include "client/shell/HyperLink.h"
#include "tests/client/shell/controls/ControlTests.h"

namespace fonedesk::test {

class AboutDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void showsTheProgramAndItsAddresses() {
        CAboutDialog about;
        QCOMPARE(about.objectName(), QStringLiteral(FONEDESK_ID_NAME(IDD_ABOUTBOX)));
        const auto* title =
            about.findChild<QLabel*>(QStringLiteral(FONEDESK_ID_NAME(IDC_ABOUT_TITLE)));
        const auto* version =
            about.findChild<QLabel*>(QStringLiteral(FONEDESK_ID_NAME(IDC_ABOUT_VERSION)));
        const auto* icon =
            about.findChild<QLabel*>(QStringLiteral(FONEDESK_ID_NAME(IDC_ABOUT_ICON)));
        const auto* web =
            about.findChild<CHyperLink*>(QStringLiteral(FONEDESK_ID_NAME(IDC_ABOUT_WEB)));
        const auto* mail =
            about.findChild<CHyperLink*>(QStringLiteral(FONEDESK_ID_NAME(IDC_ABOUT_MAIL)));
        auto* ok = about.findChild<QPushButton*>(QStringLiteral(FONEDESK_ID_NAME(IDOK)));
        QVERIFY(title && version && icon && web && mail && ok);

        QCOMPARE(title->text(), QStringLiteral("Звоникс"));
        QCOMPARE(version->text(),
                 QString::fromUtf8(texts::kAboutVersion) + QStringLiteral(FONEDESK_VERSION));
        QVERIFY(!icon->pixmap().isNull());
        QCOMPARE(web->URL(), QStringLiteral("https://fonerix.example.org"));
        QCOMPARE(web->text(), QStringLiteral("https://fonerix.example.org"));
        QCOMPARE(mail->URL(), QStringLiteral("mailto:support@fonerix.example.org"));
        QCOMPARE(mail->text(), QStringLiteral("support@fonerix.example.org"));

        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(about.result(), int(QDialog::Accepted));
        QVERIFY(!about.isVisible());
    }
};

namespace {
const RegisterControlTest registration([] { return new AboutDialogTest; });
}

}  // namespace fonedesk::test

#include "AboutDialogTest.moc"
