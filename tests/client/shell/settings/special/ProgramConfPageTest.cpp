// The page "Программные" against the program's profile file: each box and the field delimiter
// written at once, the reference files added through the file dialog and deleted, and the keys
// read back as the program reads them.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "client/resources/resource.h"
#include "client/shell/MainFrame.h"
#include "client/shell/settings/ProgramConfPage.h"
#include "platform/profile/FonedeskProfile.h"
#include "tests/client/shell/settings/special/SpecialTests.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

using fonedesk::CProgramConfPage;
using fonedesk::test::CClientTestEnvironment;
using fonedesk::test::CPromptRecorder;
namespace profile = platform::fonedesk_profile;

namespace {

CClientTestEnvironment& Env() {
    return CClientTestEnvironment::Instance();
}

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

platform::ProfileFile Profile() {
    return platform::ProfileFile(Env().ProfilePath());
}

// What the profile holds for a key of "Program options"; "absent" when it has none.
std::string Option(std::string_view key) {
    return Profile().GetString(profile::kProgramOptions, key, "absent");
}

template <class T>
T* Child(QWidget& parent, const char* name) {
    return parent.findChild<T*>(QString::fromLatin1(name));
}

QStringList Entries(const QListWidget& list) {
    QStringList texts;
    for (int row = 0; row < list.count(); ++row) {
        texts << list.item(row)->text();
    }
    return texts;
}

void ClickRow(QListWidget& list, int row) {
    QListWidgetItem* item = list.item(row);
    list.scrollToItem(item);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(item).center());
}

// A check box or radio button reacts only on its indicator and caption, not on the rest of its
// row: click the middle of what it draws.
void ClickButton(QAbstractButton* button) {
    const int width = std::min(button->sizeHint().width(), button->width());
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(width / 2, button->height() / 2));
}

bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

void WriteReferences(const std::vector<std::string>& paths) {
    platform::ProfileFile ini = Profile();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        ini.WriteString(profile::kProgramOptions, profile::PhoneReferenceKey(static_cast<int>(i)),
                        paths[i]);
    }
}

QStringList ReferencesReadBack() {
    QStringList paths;
    for (const std::string& path : profile::PhoneReferences(Profile())) {
        paths << QString::fromStdString(path);
    }
    return paths;
}

}  // namespace

class ProgramConfPageTest : public QObject {
    Q_OBJECT
  private slots:
    void init();

    void boxesWriteTheirKeyAtOnce();
    void delimiterIsWrittenOnEveryChange();
    void referenceFilesAreAddedAndDeleted();
    void aKeyPastAGapDoesNotComeBackWithAnAdd();
};

void ProgramConfPageTest::init() {
    Env().RemoveProfile();
}

void ProgramConfPageTest::boxesWriteTheirKeyAtOnce() {
    const struct {
        const char* name;
        const char* caption;
        std::string_view key;
        bool byDefault;
    } boxes[] = {
        {"IDC_PROGRAM_AUTO_DATA", "Считывать информацию с устройства", profile::kAutoData, false},
        {"IDC_PROGRAM_AUTO_TIME", "Синхронизировать время с компьютером", profile::kAutoTime,
         false},
        {"IDC_PROGRAM_ONCALL_POPUP", "\"Выпрыгивающее\" окошко при входящем звонке",
         profile::kOncallPopup, true},
        {"IDC_PROGRAM_DESKTOP_NOTIFY", "Уведомлять о звонках на рабочем столе",
         profile::kDesktopNotify, true},
    };
    {
        CProgramConfPage page;
        page.Refresh();
        QVERIFY(ShowActive(page));
        for (const auto& b : boxes) {
            auto* box = Child<QCheckBox>(page, b.name);
            QVERIFY2(box != nullptr, b.name);
            QCOMPARE(box->text(), U(b.caption));
            // A profile without the key shows its default, and nothing is written by showing it.
            QCOMPARE(box->isChecked(), b.byDefault);
            QCOMPARE(Option(b.key), std::string("absent"));
            ClickButton(box);
            QCOMPARE(Option(b.key), std::string(b.byDefault ? "0" : "1"));
            ClickButton(box);
            QCOMPARE(Option(b.key), std::string(b.byDefault ? "1" : "0"));
        }
    }
    // The values in the profile are what a new page shows.
    for (const auto& b : boxes) {
        Profile().WriteInt(profile::kProgramOptions, b.key, b.byDefault ? 0 : 1);
    }
    CProgramConfPage page;
    page.Refresh();
    for (const auto& b : boxes) {
        QCOMPARE(Child<QCheckBox>(page, b.name)->isChecked(), !b.byDefault);
    }
}

void ProgramConfPageTest::delimiterIsWrittenOnEveryChange() {
    CProgramConfPage page;
    page.Refresh();
    QVERIFY(ShowActive(page));
    auto* delimiter = Child<QLineEdit>(page, "IDC_PROGRAM_FIELD_DELIMITER");
    QVERIFY(delimiter != nullptr);
    QCOMPARE(delimiter->text(), U(","));
    QCOMPARE(Option(profile::kFieldDelimiter), std::string("absent"));

    delimiter->setFocus(Qt::MouseFocusReason);
    delimiter->selectAll();
    QTest::keyClick(delimiter, Qt::Key_Semicolon, Qt::NoModifier);
    QCOMPARE(delimiter->text(), U(";"));
    QCOMPARE(Option(profile::kFieldDelimiter), std::string(";"));
    // Emptying the field is a change too; the readers then fall back to ','.
    QTest::keyClick(delimiter, Qt::Key_Backspace);
    QCOMPARE(Option(profile::kFieldDelimiter), std::string());
    QCOMPARE(profile::FieldDelimiter(Profile()), ',');
    // One character at most.
    QTest::keyClicks(delimiter, U("|;"));
    QCOMPARE(delimiter->text(), U("|"));
    QCOMPARE(Option(profile::kFieldDelimiter), std::string("|"));
    // A letter outside ASCII is refused: the readers split at the value's first byte, which for
    // it would be half of its UTF-8 form.
    QTest::keyClick(delimiter, Qt::Key_Backspace);
    // (QTest's key clicks take Latin-1 only; the key event carries the letter as its text.)
    QTest::sendKeyEvent(QTest::Click, delimiter, Qt::Key_unknown, U("ж"), Qt::NoModifier);
    QCOMPARE(delimiter->text(), QString());
    QCOMPARE(Option(profile::kFieldDelimiter), std::string());

    Profile().WriteString(profile::kProgramOptions, profile::kFieldDelimiter, "#");
    page.Refresh();
    QCOMPARE(delimiter->text(), U("#"));
}

void ProgramConfPageTest::referenceFilesAreAddedAndDeleted() {
    const QString folder = QString::fromStdString(Env().Folder());
    WriteReferences({"/refs/a.txt", "/refs/b.txt", "/refs/c.txt"});
    CPromptRecorder prompts;
    CProgramConfPage page;
    page.Refresh();
    QVERIFY(ShowActive(page));
    auto* list = Child<QListWidget>(page, "IDC_PROGRAM_REFERENCES");
    auto* add = Child<QPushButton>(page, "IDC_PROGRAM_REFERENCE_ADD");
    auto* remove = Child<QPushButton>(page, "IDC_PROGRAM_REFERENCE_DELETE");
    QVERIFY(list && add && remove);
    QCOMPARE(add->text(), U("Добавить..."));
    QCOMPARE(remove->text(), U("Удалить"));
    QCOMPARE(Entries(*list), (QStringList{"/refs/a.txt", "/refs/b.txt", "/refs/c.txt"}));

    // The open-file dialog of the import, with its own title; Cancel changes nothing.
    prompts.AnswerNextFile(QString());
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(prompts.fileDialogs.size(), 1);
    const fonedesk::FileDialogRequest& request = prompts.fileDialogs.first();
    const fonedesk::FileDialogRequest import =
        fonedesk::CMainFrame::PhoneBookFileRequest(fonedesk::ID_IMPORT_PHONEBOOK);
    QCOMPARE(request.kind, fonedesk::FileDialogRequest::Open);
    QCOMPARE(request.title, U("Выберите файл справочника"));
    QCOMPARE(request.filter, import.filter);
    QCOMPARE(list->count(), 3);

    // A chosen file is appended and its key written.
    const QString chosen = folder + U("/справочник.txt");
    prompts.AnswerNextFile(chosen);
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(Entries(*list).last(), chosen);
    QCOMPARE(ReferencesReadBack(),
             (QStringList{"/refs/a.txt", "/refs/b.txt", "/refs/c.txt", chosen}));

    // Deleting the last entry clears its key, so the list read back is one shorter.
    ClickRow(*list, 3);
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(list->count(), 3);
    QCOMPARE(Option(profile::PhoneReferenceKey(3)), std::string());
    QCOMPARE(ReferencesReadBack(), (QStringList{"/refs/a.txt", "/refs/b.txt", "/refs/c.txt"}));

    // Deleting the first moves the others up.
    ClickRow(*list, 0);
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(ReferencesReadBack(), (QStringList{"/refs/b.txt", "/refs/c.txt"}));
    // With nothing selected "Удалить" deletes nothing.
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(ReferencesReadBack(), (QStringList{"/refs/b.txt", "/refs/c.txt"}));

    CProgramConfPage reopened;
    reopened.Refresh();
    QCOMPARE(Entries(*Child<QListWidget>(reopened, "IDC_PROGRAM_REFERENCES")),
             (QStringList{"/refs/b.txt", "/refs/c.txt"}));

    // The list takes more than ten files; only the first ten keys are read back.
    for (int n = 3; n <= 11; ++n) {
        prompts.AnswerNextFile(U("/refs/%1.txt").arg(n));
        QTest::mouseClick(add, Qt::LeftButton);
    }
    QCOMPARE(list->count(), 11);
    const QStringList kept = ReferencesReadBack();
    QCOMPARE(kept.size(), 10);
    QCOMPARE(kept, Entries(*list).mid(0, 10));
}

void ProgramConfPageTest::aKeyPastAGapDoesNotComeBackWithAnAdd() {
    // Key 1 empty ends the list the program reads; key 2 is a leftover.
    WriteReferences({"/refs/a.txt", "", "/refs/stale.txt"});
    CPromptRecorder prompts;
    CProgramConfPage page;
    page.Refresh();
    auto* list = Child<QListWidget>(page, "IDC_PROGRAM_REFERENCES");
    QCOMPARE(Entries(*list), QStringList{"/refs/a.txt"});
    prompts.AnswerNextFile(U("/refs/b.txt"));
    QTest::mouseClick(Child<QPushButton>(page, "IDC_PROGRAM_REFERENCE_ADD"), Qt::LeftButton);
    QCOMPARE(ReferencesReadBack(), (QStringList{"/refs/a.txt", "/refs/b.txt"}));
}

namespace fonedesk::test {

int RunProgramConfPageTests(int argc, char** argv) {
    ProgramConfPageTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace fonedesk::test

#include "ProgramConfPageTest.moc"
