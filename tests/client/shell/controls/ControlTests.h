#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <functional>
#include <vector>

namespace fonedesk::test {

// The test classes of client_controls_test, each registered by its file and run in turn by
// main.cpp.
std::vector<std::function<QObject*()>>& ControlTestFactories();

struct RegisterControlTest {
    explicit RegisterControlTest(std::function<QObject*()> make) {
        ControlTestFactories().push_back(std::move(make));
    }
};

// The smallest rectangle of `image` holding pixels for which `match` is true (null when none).
QRect BoundsOf(const QImage& image, const std::function<bool(QRgb)>& match);

}  // namespace fonedesk::test
