// The control without a set: every member's answer by DISPID, the property page and about box
// through the host, and the line events from the watcher's message to the sinks.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "control/automation/DeviceEventMap.h"
#include "control/automation/FonerixCtrl.h"
#include "control/automation/PropertyPages.h"
#include "control/serial/NotifyWindow.h"
#include "tests/control/automation/ControlCalls.h"

namespace fonerix::test {
namespace {

TEST(FonerixCtrl, WithoutDeviceEveryMemberGivesItsNeutralAnswer) {
    const auto control = MakeObject<CFonerixCtrl>();
    ExpectNoDeviceAnswers(control.Get());
}

TEST(FonerixCtrl, LookForDeviceRefusesANullRecord) {
    const auto control = MakeObject<CFonerixCtrl>();
    EXPECT_FALSE(AsBool(Call(control.Get(), kDispLookForDevice, {CVariant::RecordRef(nullptr)})));
    EXPECT_EQ(control->Device(), nullptr);
}

TEST(FonerixCtrl, MembersAreFoundByNameAndWrongKindsAreRefused) {
    const auto control = MakeObject<CFonerixCtrl>();
    const std::u16string name = u"lookfordevice";
    const OLECHAR* names[] = {name.c_str()};
    DISPID id = 0;
    EXPECT_EQ(control->GetIDsOfNames(names, 1, &id), S_OK);
    EXPECT_EQ(id, kDispLookForDevice);
    // A record parameter passed by value cannot be written through.
    Invoke(control.Get(), kDispGetPhoneBook, DISPATCH_METHOD, {CVariant(int32_t{5})},
           DISP_E_TYPEMISMATCH);
    Invoke(control.Get(), 41, DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND);
    Invoke(control.Get(), kDispNumLength, DISPATCH_PROPERTYGET, {CVariant(int16_t{1})},
           DISP_E_BADPARAMCOUNT);
}

TEST(FonerixCtrl, OnlyPropertyPutsMarkTheControlModified) {
    const auto control = MakeObject<CFonerixCtrl>();
    Get(control.Get(), kDispNumLength);
    Call(control.Get(), kDispSleepDevice);
    EXPECT_FALSE(control->IsModified());
    Put(control.Get(), kDispSkipBells, {CVariant(int16_t{2})});
    EXPECT_TRUE(control->IsModified());
}

TEST(FonerixCtrl, OffersExactlyOnePropertyPage) {
    const auto control = MakeObject<CFonerixCtrl>();
    const auto pages = CComPtr<IDispatch>(control.Get()).As<ISpecifyPropertyPages>();
    ASSERT_TRUE(pages);
    uint32_t count = 0;
    EXPECT_EQ(pages->GetPages(nullptr, 0, &count), S_OK);
    EXPECT_EQ(count, 1u);
    CLSID found[2] = {};
    EXPECT_EQ(pages->GetPages(found, 2, &count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(found[0], kFonerixPropPageClsid);

    const auto page = MakeObject<CFonerixPropPage>();
    BSTR caption = nullptr;
    EXPECT_EQ(page->GetCaption(&caption), S_OK);
    EXPECT_EQ(Utf8FromBstr(caption), "General");
    SysFreeString(caption);
}

// A host site offering the dialog service; `answer` is what ShowModal returns.
class DialogSite final : public CObjectRoot<IHostDialogs> {
  public:
    explicit DialogSite(HRESULT answer) : m_answer(answer) {}
    HRESULT ShowModal(const DialogContent& content) override {
        title = content.title;
        for (uint32_t i = 0; i < content.lineCount; ++i) {
            lines.emplace_back(content.lines[i]);
        }
        ++shown;
        return m_answer;
    }
    std::u16string title;
    std::vector<std::u16string> lines;
    int shown = 0;

  private:
    HRESULT m_answer;
};

TEST(FonerixCtrl, AboutBoxIsShownThroughTheSiteWhenThereIsOne) {
    const auto control = MakeObject<CFonerixCtrl>();
    const auto withSite = CComPtr<IDispatch>(control.Get()).As<IObjectWithSite>();
    ASSERT_TRUE(withSite);

    Call(control.Get(), kDispAboutBox);  // no site: nothing shown, no failure

    const auto site = MakeObject<DialogSite>(S_OK);
    ASSERT_EQ(withSite->SetSite(site.Get()), S_OK);
    Call(control.Get(), kDispAboutBox);
    EXPECT_EQ(site->shown, 1);
    EXPECT_EQ(site->title, u"About Fonerix Control");
    EXPECT_EQ(site->lines, std::vector<std::u16string>{u"Fonerix Control, Version 1.0"});

    const auto headless = MakeObject<DialogSite>(E_NOTIMPL);
    ASSERT_EQ(withSite->SetSite(headless.Get()), S_OK);
    Call(control.Get(), kDispAboutBox);
    EXPECT_EQ(headless->shown, 1);
    withSite->SetSite(nullptr);
}

TEST(DeviceEventMap, EveryEventCodeSelectsItsEvent) {
    using Args = MappedEvent::Args;
    struct Case {
        uint16_t code;
        int dispid;  // 0: no event
        Args args;
        int32_t key;
    };
    const Case cases[] = {
        {0x0101, kEventPhoneKeyPress, Args::Key, 1},
        {0x2301, kEventPhoneKeyPress, Args::Key, 35},
        {0x4001, kEventPhoneKeyPress, Args::Key, 64},
        {0x0024, 0, Args::None, 0},  // key byte 36 is not a key
        {0x00B4, kEventFinishTalking, Args::None, 0},
        {0x00B5, kEventSuccessLinking, Args::None, 0},
        {0x00B6, kEventFailedLinking, Args::None, 0},
        {0x00B7, 0, Args::None, 0},
        {0x00B8, kEventTubeUp, Args::None, 0},
        {0x00B9, kEventTubeDown, Args::None, 0},
        {0x00BA, kEventParallTubeUp, Args::None, 0},
        {0x00BB, kEventBusyLinking, Args::None, 0},
        {0x00C1, kEventComingCall, Args::Number, 0},
        {0x00C2, kEventParallDialing, Args::Number, 0},
        {0x00FF, 0, Args::None, 0},
        {0x0000, 0, Args::None, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const auto event = MapDeviceEvent(c.code);
        if (c.dispid == 0) {
            EXPECT_FALSE(event.has_value());
            continue;
        }
        ASSERT_TRUE(event.has_value());
        EXPECT_EQ(event->dispid, c.dispid);
        EXPECT_EQ(event->args, c.args);
        EXPECT_EQ(event->keyCode, c.key);
    }
}

IUnknown* Source(const CComPtr<CFonerixCtrl>& control) {
    return static_cast<IDispatch*>(control.Get());
}

// Sends one watcher notification from a thread of its own, as the watcher does, and handles
// it on this thread through IEventWindow.
void Notify(CFonerixCtrl& control, uint16_t code, const char* text) {
    INotifyWindow& window = control.NotifyWindow();
    std::thread watcher(
        [&] { window.SendMessage(kDeviceEventMessage, code, reinterpret_cast<intptr_t>(text)); });
    uint32_t handled = 0;
    int fd = -1;
    control.GetDescriptor(&fd);
    while (handled == 0) {
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, -1);
        control.DispatchPending(&handled);
    }
    watcher.join();
}

TEST(FonerixCtrlEvents, NotificationsReachTheSinksWithTheirArguments) {
    const auto control = MakeObject<CFonerixCtrl>();
    EventLog log(Source(control), kFonerixEventsIid);
    Notify(*control.Get(), 0x00C1, "0123");
    Notify(*control.Get(), 0x00C1, nullptr);  // a call without a number
    Notify(*control.Get(), 0x00C2, "F5_");
    Notify(*control.Get(), 0x0501, nullptr);
    Notify(*control.Get(), 0x00B7, nullptr);  // no event
    Notify(*control.Get(), 0x00B9, nullptr);
    ASSERT_EQ(log.seen.size(), 5u);
    EXPECT_EQ(log.seen[0].dispid, kEventComingCall);
    EXPECT_EQ(log.seen[0].types, std::vector<VARTYPE>{VT_BSTR | VT_BYREF});
    EXPECT_EQ(log.seen[0].number, "0123");
    EXPECT_EQ(log.seen[1].dispid, kEventComingCall);
    EXPECT_EQ(log.seen[1].number, "");
    EXPECT_EQ(log.seen[2].dispid, kEventParallDialing);
    EXPECT_EQ(log.seen[2].number, "F5_");
    EXPECT_EQ(log.seen[3].dispid, kEventPhoneKeyPress);
    EXPECT_EQ(log.seen[3].types, std::vector<VARTYPE>{VT_I4});
    EXPECT_EQ(log.seen[3].key, 5);
    EXPECT_EQ(log.seen[4].dispid, kEventTubeDown);
    EXPECT_TRUE(log.seen[4].types.empty());
}

// The number's string: every sink gets one of its own and the control never touches it after
// the call. Sinks that free theirs, as a client is told to, and one that keeps its string past
// the firing all see the number; the sanitizer build checks for use after free, double free and
// leaks.
TEST(FonerixCtrlEvents, EachSinkOwnsItsNumberString) {
    const auto control = MakeObject<CFonerixCtrl>();
    std::vector<BSTR> kept;
    EventLog first(Source(control), kFonerixEventsIid);
    EventLog keeper(Source(control), kFonerixEventsIid, [&](const SeenEvent&, const DISPPARAMS& p) {
        BSTR* slot = p.rgvarg[0].pbstrVal;
        kept.push_back(*slot);
        *slot = nullptr;
    });
    EventLog second(Source(control), kFonerixEventsIid);
    Notify(*control.Get(), 0x00C1, "0123");
    Notify(*control.Get(), 0x00C2, "777");
    Notify(*control.Get(), 0x00C1, nullptr);
    for (const EventLog* log : {&first, &keeper, &second}) {
        ASSERT_EQ(log->seen.size(), 3u);
        EXPECT_EQ(log->seen[0].number, "0123");
        EXPECT_EQ(log->seen[1].number, "777");
        EXPECT_EQ(log->seen[2].number, "");
    }
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_NE(kept[0], kept[1]);
    EXPECT_EQ(Utf8FromBstr(kept[0]), "0123");
    EXPECT_EQ(Utf8FromBstr(kept[1]), "777");
    EXPECT_NE(kept[2], nullptr);  // an empty number is still a string of its own
    for (BSTR s : kept) {
        SysFreeString(s);
    }
}

TEST(FonerixCtrlEvents, ASinkMayReleaseTheControlFromInsideAnEvent) {
    IEventWindow* window = nullptr;
    {
        auto control = MakeObject<CFonerixCtrl>();
        window = control.Get();
        auto log = std::make_unique<EventLog>(Source(control), kFonerixEventsIid);
        CFonerixCtrl* raw = control.Detach();
        // The only reference left is the host's; the sink drops it while the event runs.
        auto releasing = std::make_unique<EventLog>(static_cast<IDispatch*>(raw), kFonerixEventsIid,
                                                    [&](const SeenEvent&, const DISPPARAMS&) {
                                                        log->Detach();
                                                        raw->Release();
                                                    });
        releasing->Detach();
        std::thread watcher([&] { raw->NotifyWindow().SendMessage(kDeviceEventMessage, 0xB8, 0); });
        uint32_t handled = 0;
        int fd = -1;
        window->GetDescriptor(&fd);
        while (handled == 0) {
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, -1);
            window->DispatchPending(&handled);  // the control goes away when this returns
        }
        watcher.join();
        EXPECT_EQ(log->seen.size(), 1u);
        EXPECT_EQ(releasing->seen.size(), 1u);
    }
    EXPECT_TRUE(ModuleCanUnload());
}

}  // namespace
}  // namespace fonerix::test
