#include <QApplication>
#include <QTest>
#include <memory>

#include "tests/client/shell/controls/ControlTests.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

namespace fonedesk::test {

std::vector<std::function<QObject*()>>& ControlTestFactories() {
    static std::vector<std::function<QObject*()>> factories;
    return factories;
}

QRect BoundsOf(const QImage& image, const std::function<bool(QRgb)>& match) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (match(image.pixel(x, y))) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

}  // namespace fonedesk::test

int main(int argc, char** argv) {
    // Nothing here may touch the user's own profile or settings.
    fonedesk::test::CClientTestEnvironment::Instance();
    QApplication app(argc, argv);
    int failed = 0;
    for (const auto& make : fonedesk::test::ControlTestFactories()) {
        std::unique_ptr<QObject> test(make());
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
