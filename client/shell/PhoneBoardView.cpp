#include "client/shell/PhoneBoardView.h"

namespace fonedesk {
namespace {

// The keypad form's width in pixels.
constexpr int kKeypadWidth = 250;

}  // namespace

CPhoneBoardView::CPhoneBoardView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CPhoneBoardView"));
}

int CPhoneBoardView::ScrollWidth() const {
    return kKeypadWidth;
}

}  // namespace fonedesk
