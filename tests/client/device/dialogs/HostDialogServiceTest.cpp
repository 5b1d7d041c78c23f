// The Qt drawing of the control's modal dialogs: what the dialog holds, and that ShowModal runs
// it modally over its owner and returns once OK is pressed (pressed here by the test).

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "client/shell/HostDialogService.h"

namespace fonedesk::test {
namespace {

class CWidgetsEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES")) {
            qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
        }
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

  private:
    int m_argc = 1;
    char m_name[32] = "client_host_dialogs_test";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const widgetsEnvironment =
    ::testing::AddGlobalTestEnvironment(new CWidgetsEnvironment);

QImage Picture() {
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return image;
}

QStringList LineTexts(const QDialog& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>(QStringLiteral("hostDialogLine"))) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        texts.append(label->text());
    }
    return texts;
}

QPushButton* OkButton(const QDialog& dialog) {
    const auto* box = dialog.findChild<QDialogButtonBox*>();
    return box != nullptr ? box->button(QDialogButtonBox::Ok) : nullptr;
}

TEST(HostDialogs, TheDialogHoldsTitleLinesPictureAndOk) {
    QWidget owner;
    const std::unique_ptr<QDialog> dialog =
        CQtHostDialogs::MakeDialog(&owner, "About Fonerix Control",
                                   {"Fonerix Control, Version 1.0", "<b>Версия</b>"}, Picture());
    EXPECT_EQ(dialog->windowTitle(), "About Fonerix Control");
    EXPECT_EQ(dialog->parentWidget(), &owner);
    EXPECT_TRUE(dialog->isModal());
    // Markup from the control stays text.
    EXPECT_EQ(LineTexts(*dialog), (QStringList{"Fonerix Control, Version 1.0", "<b>Версия</b>"}));
    const auto* picture = dialog->findChild<QLabel*>(QStringLiteral("hostDialogPicture"));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->pixmap().size(), QSize(32, 24));
    EXPECT_NE(OkButton(*dialog), nullptr);

    const std::unique_ptr<QDialog> plain = CQtHostDialogs::MakeDialog(nullptr, "", {}, QImage());
    EXPECT_EQ(plain->findChild<QLabel*>(QStringLiteral("hostDialogPicture")), nullptr);
    EXPECT_TRUE(LineTexts(*plain).isEmpty());
    EXPECT_NE(OkButton(*plain), nullptr);
}

// Runs `show` and, from the event loop it starts, looks at the modal dialog and presses OK. A
// dialog that never comes is closed by a safety net, so the test fails instead of hanging.
void PressOkWhenShown(const std::function<void()>& show,
                      const std::function<void(QDialog&)>& inspect) {
    bool seen = false;
    std::function<void()> look;
    look = [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            QTimer::singleShot(10, look);
            return;
        }
        seen = true;
        inspect(*dialog);
        QPushButton* ok = OkButton(*dialog);
        ASSERT_NE(ok, nullptr);
        ok->click();
    };
    QTimer::singleShot(0, look);
    QTimer safetyNet;
    safetyNet.setSingleShot(true);
    QObject::connect(&safetyNet, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    safetyNet.start(30000);
    show();
    EXPECT_TRUE(seen) << "no modal dialog was shown";
}

TEST(HostDialogs, ShowModalRunsTheDialogOverItsOwnerUntilOk) {
    QWidget owner;
    owner.show();
    CQtHostDialogs dialogs(&owner);
    QString title;
    QWidget* parent = nullptr;
    PressOkWhenShown(
        [&] { dialogs.ShowModal("About Fonerix Control", {"Fonerix Control, Version 1.0"}, {}); },
        [&](QDialog& dialog) {
            title = dialog.windowTitle();
            parent = dialog.parentWidget();
            EXPECT_EQ(LineTexts(dialog), QStringList{"Fonerix Control, Version 1.0"});
        });
    EXPECT_EQ(title, "About Fonerix Control");
    EXPECT_EQ(parent, &owner);
    // The dialog is gone once ShowModal has returned.
    EXPECT_TRUE(owner.findChildren<QDialog*>().isEmpty());
}

TEST(HostDialogs, AnOwnerThatIsDisabledOrGoneIsNotTheParent) {
    auto owner = std::make_unique<QWidget>();
    owner->setEnabled(false);
    CQtHostDialogs dialogs(owner.get());
    QWidget* parent = owner.get();
    PressOkWhenShown([&] { dialogs.ShowModal("t", {"a"}, {}); },
                     [&](QDialog& dialog) {
                         parent = dialog.parentWidget();
                         EXPECT_TRUE(dialog.isEnabled());
                     });
    EXPECT_EQ(parent, nullptr);

    owner.reset();
    std::optional<QWidget*> parentWhenGone;
    PressOkWhenShown([&] { dialogs.ShowModal("t", {"a"}, Picture()); },
                     [&](QDialog& dialog) { parentWhenGone = dialog.parentWidget(); });
    EXPECT_EQ(parentWhenGone, std::optional<QWidget*>(nullptr));
}

}  // namespace
}  // namespace fonedesk::test
