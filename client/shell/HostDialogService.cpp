#include "client/shell/HostDialogService.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace fonedesk {

std::unique_ptr<QDialog> CQtHostDialogs::MakeDialog(QWidget* parent, const QString& title,
                                                    const QStringList& lines, const QImage& image) {
    auto dialog = std::make_unique<QDialog>(parent);
    dialog->setObjectName(QStringLiteral("hostDialog"));
    dialog->setWindowTitle(title);
    dialog->setModal(true);

    auto* body = new QHBoxLayout;
    if (!image.isNull()) {
        auto* picture = new QLabel(dialog.get());
        picture->setObjectName(QStringLiteral("hostDialogPicture"));
        picture->setPixmap(QPixmap::fromImage(image));
        picture->setAlignment(Qt::AlignTop);
        body->addWidget(picture);
    }
    auto* text = new QVBoxLayout;
    for (const QString& line : lines) {
        auto* label = new QLabel(dialog.get());
        label->setObjectName(QStringLiteral("hostDialogLine"));
        // The control's text is shown as it is, never read as markup.
        label->setTextFormat(Qt::PlainText);
        label->setText(line);
        text->addWidget(label);
    }
    text->addStretch();
    body->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog.get());
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog.get(), &QDialog::accept);
    auto* layout = new QVBoxLayout(dialog.get());
    layout->addLayout(body);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return dialog;
}

void CQtHostDialogs::ShowModal(const QString& title, const QStringList& lines,
                               const QImage& image) {
    // A disabled owner (the frame behind the wait window) would disable the dialog as well.
    QWidget* owner =
        m_parent != nullptr && m_parent->window()->isEnabled() ? m_parent.data() : nullptr;
    // The owner may be destroyed while the dialog runs, and the dialog with it.
    const QPointer<QDialog> dialog = MakeDialog(owner, title, lines, image).release();
    dialog->exec();
    delete dialog.data();
}

}  // namespace fonedesk
