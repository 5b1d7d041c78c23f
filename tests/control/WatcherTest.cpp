// The line-event watcher on a pseudo-terminal: frames become messages, exchanges keep it off
// the line, and it never outlives the port.

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "control/serial/SerialPort.h"
#include "control/serial/WatcherGate.h"
#include "platform/automation/Unknown.h"
#include "tests/control/MessageWindow.h"
#include "tests/control/Pty.h"

namespace fonerix::test {
namespace {

using namespace std::chrono_literals;

class WatcherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(pty.Path().empty());
        setenv("FONERIX_COM1", pty.Path().c_str(), 1);
        port = std::make_unique<CSerialPort>();
        gate = std::make_unique<WatcherGate>(*port);
        ASSERT_TRUE(port->Open(1, 57600));
        port->SetNotifyWindow(&window);
    }
    void TearDown() override {
        gate.reset();
        port.reset();
        unsetenv("FONERIX_COM1");
    }

    bool WaitForInput(uint32_t count) {
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (port->BytesWaiting() < count && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(1ms);
        }
        return port->BytesWaiting() >= count;
    }

    Pty pty;
    MessageWindow window;
    std::unique_ptr<CSerialPort> port;
    // Outlives the port only where a handler destroys the port, and is not used after that.
    std::unique_ptr<WatcherGate> gate;
};

TEST_F(WatcherTest, FramesBecomeDeviceEventMessages) {
    struct Case {
        std::vector<uint8_t> frame;
        uintptr_t wParam;
        bool hasText;
        std::string text;
    };
    const Case cases[] = {
        {{0xFF, 0xB8}, 184, false, ""},
        {{0x12, 0x34, 0xFF, 0xC1, 0x02, 0x0A, 0x05}, 193, true, "05"},
        {{0xFF, 0xC2, 0x00}, 194, false, ""},
        {{0xFF, 0x40}, 0x4001, false, ""},
        {{0xFF, 0x99}, 0x99, false, ""},
    };
    gate->Start(true);
    EXPECT_FALSE(port->WatcherSuspended());
    for (const Case& c : cases) {
        pty.Send(c.frame);
        ASSERT_TRUE(window.Pump()) << "no message for frame code " << c.wParam;
        const auto& m = window.Last();
        EXPECT_EQ(m.id, kDeviceEventMessage);
        EXPECT_EQ(m.wParam, c.wParam);
        EXPECT_EQ(m.hasText, c.hasText);
        EXPECT_EQ(m.text, c.text);
    }
}

TEST_F(WatcherTest, FramesArrivingTogetherAreEachDelivered) {
    gate->Start(true);
    pty.Send({0xFF, 0xB8, 0xFF, 0xC1, 0x01, 0x03, 0xFF, 0xB9});
    for (uintptr_t expected : {184u, 193u, 185u}) {
        ASSERT_TRUE(window.Pump());
        EXPECT_EQ(window.Last().wParam, expected);
    }
}

TEST_F(WatcherTest, NumberBeyondTwentyDigitsKeepsTheFirstTwenty) {
    gate->Start(true);
    std::vector<uint8_t> frame = {0xFF, 0xC1, 30};
    for (int i = 0; i < 30; ++i) {
        frame.push_back(i < 20 ? 1 : 2);
    }
    pty.Send(frame);
    pty.Send({0xFF, 0xB5});
    ASSERT_TRUE(window.Pump());
    EXPECT_EQ(window.Last().text, std::string(20, '1'));
    ASSERT_TRUE(window.Pump());
    EXPECT_EQ(window.Last().wParam, 0xB5u) << "the dropped digits were not taken as a frame";
}

TEST_F(WatcherTest, ExchangesBeforeEventsAreEnabledNeverCreateTheThread) {
    { WatcherGate::Hold hold(*gate); }
    gate->Start(false);
    EXPECT_TRUE(port->WatcherSuspended());
    pty.Send({0xFF, 0xB8});
    ASSERT_TRUE(WaitForInput(2)) << "nobody took the frame off the line";
    EXPECT_FALSE(window.Pump(50ms));
}

// While the watcher stands aside, a frame waits in the input. What becomes of it at the restart
// depends on what happened meanwhile: after a mere stop (the owner handling the previous event)
// it is a real event and is delivered; after an exchange, or while the host had turned events
// off, the input is discarded.
TEST_F(WatcherTest, FrameArrivingWhileStoppedIsDeliveredUnlessTheLineWasUsedOrEventsWereOff) {
    enum class Meanwhile { kNothing, kExchange, kEventsOff };
    const struct {
        Meanwhile meanwhile;
        bool delivered;
    } cases[] = {
        {Meanwhile::kNothing, true},
        {Meanwhile::kExchange, false},
        {Meanwhile::kEventsOff, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.meanwhile));
        const size_t before = window.received.size();
        gate->Start(true);
        gate->Stop();
        EXPECT_TRUE(port->WatcherSuspended());
        pty.Send({0xFF, 0xB8});
        ASSERT_TRUE(WaitForInput(2));
        EXPECT_FALSE(window.Pump(50ms)) << "a stopped watcher delivered";

        if (c.meanwhile == Meanwhile::kExchange) {
            WatcherGate::Hold exchange(*gate);
        } else if (c.meanwhile == Meanwhile::kEventsOff) {
            gate->SetEventsDisabled(true);
            gate->SetEventsDisabled(false);
        }
        gate->Start(true);
        pty.Send({0xFF, 0xB9});
        std::vector<uintptr_t> codes;
        while (window.Pump() && window.Last().wParam != 185) {
        }
        for (size_t i = before; i < window.received.size(); ++i) {
            codes.push_back(window.received[i].wParam);
        }
        const std::vector<uintptr_t> expected =
            c.delivered ? std::vector<uintptr_t>{184, 185} : std::vector<uintptr_t>{185};
        EXPECT_EQ(codes, expected);
    }
}

TEST_F(WatcherTest, NestedExchangesKeepTheWatcherOffTheLineUntilTheOutermostEnds) {
    gate->Start(true);
    {
        WatcherGate::Hold outer(*gate);
        {
            WatcherGate::Hold inner(*gate);
            gate->Start(false);  // an inner exchange ending its own way
        }
        EXPECT_TRUE(port->WatcherSuspended());
        pty.Send({0xFF, 0xB8});
        ASSERT_TRUE(WaitForInput(2)) << "the watcher took bytes during an exchange";
        uint8_t first = 0;
        EXPECT_TRUE(port->ReadByte(first));
        EXPECT_EQ(first, 0xFF);
    }
    EXPECT_FALSE(port->WatcherSuspended());
    pty.Send({0xFF, 0xBA});
    ASSERT_TRUE(window.Pump());
    EXPECT_EQ(window.received[0].wParam, 186u);
}

TEST_F(WatcherTest, HandlerMayRunAnExchangeAndRestartTheWatcher) {
    uint8_t echo = 0;
    window.SetHandler([&](const MessageWindow::Message& m) {
        if (m.wParam != 184) {
            return;
        }
        gate->Stop();
        port->SetTimeouts(kHandshakeTimeouts);
        port->Purge();
        port->SendByte(0x82);
        port->ReadByte(echo);
        port->SetTimeouts(kDefaultTimeouts);
        gate->Start(true);
    });
    gate->Start(true);
    pty.Send({0xFF, 0xB8});
    std::thread set([&] {
        if (pty.Receive(1) == std::vector<uint8_t>{0x82}) {
            pty.Send({0x82});
        }
    });
    ASSERT_TRUE(window.Pump());
    set.join();
    EXPECT_EQ(echo, 0x82);
    pty.Send({0xFF, 0xB9});
    ASSERT_TRUE(window.Pump());
    EXPECT_EQ(window.Last().wParam, 185u);
}

TEST_F(WatcherTest, PortDestroyedInsideTheHandlerIsNeverTouchedAgain) {
    window.SetHandler([&](const MessageWindow::Message&) { port.reset(); });
    gate->Start(true);
    pty.Send({0xFF, 0xB8});
    ASSERT_TRUE(window.Pump());
    EXPECT_EQ(port, nullptr);
    pty.Send({0xFF, 0xB9});
    EXPECT_FALSE(window.Pump(50ms));
}

// The port closed from inside a notification cannot wait for its watcher, which is still in
// that notification. The library must not be unloaded under that thread: it cannot unload
// until the thread has ended, and then it can.
TEST_F(WatcherTest, WatcherLeftInsideANotificationKeepsTheModuleLoadedUntilItEnds) {
    ASSERT_TRUE(ModuleCanUnload());
    bool unloadableInside = true;
    window.SetHandler([&](const MessageWindow::Message&) {
        port.reset();
        unloadableInside = ModuleCanUnload();
    });
    gate->Start(true);
    pty.Send({0xFF, 0xB8});
    ASSERT_TRUE(window.Pump());
    EXPECT_EQ(port, nullptr);
    EXPECT_FALSE(unloadableInside);
    // The watcher ends as soon as the handler has returned.
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!ModuleCanUnload() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(ModuleCanUnload());
}

TEST_F(WatcherTest, CloseDoesNotWaitForAFrameThatStoppedArriving) {
    gate->Start(true);
    pty.Send({0xFF, 0xC1, 0x10, 0x01});  // 16 digits announced, one sent
    std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(port->Close());
    EXPECT_FALSE(window.Pump(10ms));
}

TEST_F(WatcherTest, VanishedSetDoesNotKeepTheWatcherBusy) {
    gate->Start(true);
    pty.HangUp();
    std::this_thread::sleep_for(20ms);
    gate->Stop();
    EXPECT_TRUE(port->WatcherSuspended());
    EXPECT_TRUE(port->Close());
}

TEST_F(WatcherTest, FramesDuringBusyExchangesAreDeliveredOrPurgedButNeverRace) {
    gate->Start(true);
    std::thread set([&] {
        for (int i = 0; i < 200; ++i) {
            pty.Send({0x00, 0xFF, 0xC1, 0x02, 0x01, 0x02});
            std::this_thread::sleep_for(200us);
        }
    });
    const auto end = std::chrono::steady_clock::now() + 2s;
    int exchanges = 0;
    while (std::chrono::steady_clock::now() < end && exchanges < 300) {
        {
            WatcherGate::Hold hold(*gate);
            port->Purge();
            uint8_t byte = 0;
            port->ReadByte(byte);
        }
        window.Pump(1ms);
        ++exchanges;
    }
    set.join();
    while (window.Pump(50ms)) {
    }
    for (const auto& m : window.received) {
        EXPECT_EQ(m.wParam, 193u);
        EXPECT_EQ(m.text, "12");
    }
    EXPECT_TRUE(port->Close());
}

}  // namespace
}  // namespace fonerix::test
