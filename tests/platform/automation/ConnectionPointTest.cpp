#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/automation/ConnectionPoint.h"
#include "tests/platform/automation/SampleObject.h"

namespace fonerix::test {
namespace {

// Each sink writes "<name>:<dispid>:<argument>" to the shared log.
struct Sinks {
    CComPtr<CEventSink> Make(const std::string& name, std::function<void(DISPID)> also = nullptr) {
        return MakeObject<CEventSink>(
            kEventsIid, [this, name, also](DISPID id, const DISPPARAMS& p) {
                std::string arg;
                if (p.cArgs == 1 && p.rgvarg[0].vt == VT_I4) {
                    arg = std::to_string(p.rgvarg[0].lVal);
                } else if (p.cArgs == 1 && p.rgvarg[0].vt == (VT_BSTR | VT_BYREF)) {
                    arg = Utf8FromBstr(*p.rgvarg[0].pbstrVal);
                }
                log.push_back(name + ":" + std::to_string(id) + ":" + arg);
                if (also) {
                    also(id);
                }
            });
    }
    std::vector<std::string> log;
};

class ConnectionPointTest : public ::testing::Test {
  protected:
    void Raise(int32_t code) {
        const CVariant arg(code);
        ASSERT_EQ(DispatchCall(control.Get(), kRaise, DISPATCH_METHOD, {&arg, 1}, nullptr), S_OK);
    }
    uint32_t Advise(const CComPtr<CEventSink>& sink) {
        uint32_t cookie = 0;
        EXPECT_EQ(AdviseSink(control.Get(), kEventsIid, sink.As<IUnknown>().Get(), &cookie), S_OK);
        EXPECT_NE(cookie, 0u);
        return cookie;
    }

    CComPtr<IDispatch> control = MakeObject<CSample>().As<IDispatch>();
    Sinks sinks;
};

TEST_F(ConnectionPointTest, EveryAdvisedSinkGetsEachEventInOrder) {
    const uint32_t first = Advise(sinks.Make("a"));
    Advise(sinks.Make("b"));
    Raise(5);
    EXPECT_EQ(sinks.log, (std::vector<std::string>{"a:1:5", "b:1:5", "a:2:code 5", "b:2:code 5"}));

    sinks.log.clear();
    ASSERT_EQ(UnadviseSink(control.Get(), kEventsIid, first), S_OK);
    EXPECT_EQ(UnadviseSink(control.Get(), kEventsIid, first), CONNECT_E_NOCONNECTION);
    Raise(6);
    EXPECT_EQ(sinks.log, (std::vector<std::string>{"b:1:6", "b:2:code 6"}));
}

TEST_F(ConnectionPointTest, SinksThatChangeTheListWhileAnEventIsFired) {
    uint32_t victim = 0;
    uint32_t self = 0;
    CComPtr<CEventSink> late = sinks.Make("late");
    // "killer" unadvises "victim" and itself, and advises "late", during the first event.
    self = Advise(sinks.Make("killer", [&](DISPID id) {
        if (id != kHappened) {
            return;
        }
        EXPECT_EQ(UnadviseSink(control.Get(), kEventsIid, victim), S_OK);
        EXPECT_EQ(UnadviseSink(control.Get(), kEventsIid, self), S_OK);
        uint32_t cookie = 0;
        EXPECT_EQ(AdviseSink(control.Get(), kEventsIid, late.As<IUnknown>().Get(), &cookie), S_OK);
    }));
    victim = Advise(sinks.Make("victim"));
    Raise(1);
    // The victim missed the first event; the newcomer waited for the next one.
    EXPECT_EQ(sinks.log, (std::vector<std::string>{"killer:1:1", "late:2:code 1"}));
}

TEST_F(ConnectionPointTest, ASinkMayReleaseTheLastReferenceToTheSource) {
    CComPtr<IDispatch> held = control;
    Advise(sinks.Make("first", [&](DISPID) { control.Reset(), held.Reset(); }));
    Advise(sinks.Make("second"));
    const CVariant code(int32_t{9});
    IDispatch* raw = control.Get();
    ASSERT_EQ(DispatchCall(raw, kRaise, DISPATCH_METHOD, {&code, 1}, nullptr), S_OK);
    // The firing finished on a living object; the object went when it returned.
    EXPECT_EQ(sinks.log, (std::vector<std::string>{"first:1:9", "second:1:9", "first:2:code 9",
                                                   "second:2:code 9"}));
    EXPECT_TRUE(ModuleCanUnload());
}

TEST_F(ConnectionPointTest, RefusesWhatCannotConnect) {
    // A sink for another source interface.
    CComPtr<CEventSink> wrong = MakeObject<CEventSink>(kDispatchIid, nullptr);
    uint32_t cookie = 99;
    EXPECT_EQ(AdviseSink(control.Get(), kEventsIid, wrong.As<IUnknown>().Get(), &cookie),
              CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    // A source interface the object does not have.
    EXPECT_EQ(AdviseSink(control.Get(), kDispatchIid, wrong.As<IUnknown>().Get(), &cookie),
              E_NOINTERFACE);

    CComPtr<IConnectionPointContainer> container = control.As<IConnectionPointContainer>();
    CComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(kEventsIid, point.Put()), S_OK);
    IID events{};
    ASSERT_EQ(point->GetConnectionInterface(&events), S_OK);
    EXPECT_EQ(events, kEventsIid);
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
}

TEST(ConnectionPointLifetimeTest, APointKeepsItsOwnerAndTheOwnerReleasesItsSinks) {
    Sinks sinks;
    CComPtr<CEventSink> sink = sinks.Make("s");
    CComPtr<IConnectionPoint> point;
    {
        CComPtr<IConnectionPointContainer> control =
            MakeObject<CSample>().As<IConnectionPointContainer>();
        ASSERT_EQ(control->FindConnectionPoint(kEventsIid, point.Put()), S_OK);
    }
    // The control lives on through the point.
    uint32_t cookie = 0;
    ASSERT_EQ(point->Advise(sink.As<IUnknown>().Get(), &cookie), S_OK);
    EXPECT_FALSE(ModuleCanUnload());
    point.Reset();  // the control goes, and lets go of the sink
    EXPECT_EQ(sink->AddRef(), 2u);
    sink->Release();
}

}  // namespace
}  // namespace fonerix::test
