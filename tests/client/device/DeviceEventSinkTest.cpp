// The pieces of the wrapper that need no control: how an event's arguments reach the handler,
// the site's dialogs, event names and the date conversions.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <cmath>
#include <limits>
#include <vector>

#include "client/device/DeviceEventSink.h"
#include "client/device/Fonerix.h"
#include "client/device/HostSite.h"
#include "tests/client/device/DeviceTestWorld.h"

namespace fonedesk::test {
namespace {

using namespace fonerix;

// Arguments in declaration order, as a firing passes them (last first in rgvarg).
DISPPARAMS Params(std::vector<VARIANT>& reversed) {
    DISPPARAMS params;
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<uint32_t>(reversed.size());
    return params;
}

TEST(DeviceEventSink, EventsWithoutArgumentsReachTheirHandler) {
    const struct {
        DISPID dispid;
        const char* expected;
    } cases[] = {
        {3, "FinishTalking"}, {4, "SuccessLinking"}, {5, "FailedLinking"},
        {6, "BusyLinking"},   {7, "Alarm"},          {8, "TubeUp"},
        {9, "TubeDown"},      {10, "ParallTubeUp"},  {11, "LowBatary"},
    };
    for (const auto& c : cases) {
        CRecordingHandler handler;
        std::vector<VARIANT> none;
        EXPECT_TRUE(DeliverDeviceEvent(handler, c.dispid, Params(none))) << c.dispid;
        EXPECT_EQ(handler.events, QStringList{QString::fromLatin1(c.expected)}) << c.dispid;
    }
}

// Each sink owns the number string it is given: it is copied for the handler, freed and its
// slot nulled (the sanitizer build's leak check sees a string left behind).
TEST(DeviceEventSink, NumberIsCopiedThenFreed) {
    for (const DISPID dispid : {2, 1}) {
        BSTR number = BstrFromUtf8("0123");
        std::vector<VARIANT> args(1);
        args[0].vt = VT_BSTR | VT_BYREF;
        args[0].pbstrVal = &number;
        CRecordingHandler handler;
        EXPECT_TRUE(DeliverDeviceEvent(handler, dispid, Params(args)));
        EXPECT_EQ(number, nullptr) << dispid;
        EXPECT_EQ(handler.events,
                  QStringList{(dispid == 2 ? QString("ComingCall") : QString("ParallDialing")) +
                              " 0123"});
    }
}

TEST(DeviceEventSink, MissingOrEmptyNumbersAreEmpty) {
    CRecordingHandler handler;
    BSTR null = nullptr;
    std::vector<VARIANT> nullString(1);
    nullString[0].vt = VT_BSTR | VT_BYREF;
    nullString[0].pbstrVal = &null;
    std::vector<VARIANT> nullSlot(1);
    nullSlot[0].vt = VT_BSTR | VT_BYREF;
    nullSlot[0].pbstrVal = nullptr;
    std::vector<VARIANT> byValue(1);
    byValue[0].vt = VT_BSTR;
    byValue[0].bstrVal = BstrFromUtf8("555");
    std::vector<VARIANT> none;

    EXPECT_TRUE(DeliverDeviceEvent(handler, 2, Params(nullString)));
    EXPECT_TRUE(DeliverDeviceEvent(handler, 2, Params(nullSlot)));
    EXPECT_TRUE(DeliverDeviceEvent(handler, 2, Params(none)));
    EXPECT_TRUE(DeliverDeviceEvent(handler, 2, Params(byValue)));
    EXPECT_EQ(handler.events,
              (QStringList{"ComingCall ", "ComingCall ", "ComingCall ", "ComingCall 555"}));
    VariantClear(&byValue[0]);
}

TEST(DeviceEventSink, KeyCodeIsReadAsI4AndAKeyWithoutOneIsDropped) {
    CRecordingHandler handler;
    std::vector<VARIANT> i4(1);
    i4[0].vt = VT_I4;
    i4[0].lVal = 64;
    std::vector<VARIANT> i2(1);
    i2[0].vt = VT_I2;
    i2[0].iVal = 13;
    std::vector<VARIANT> none;
    std::vector<VARIANT> text(1);
    text[0].vt = VT_BSTR;
    text[0].bstrVal = BstrFromUtf8("key");

    EXPECT_TRUE(DeliverDeviceEvent(handler, 12, Params(i4)));
    EXPECT_TRUE(DeliverDeviceEvent(handler, 12, Params(i2)));
    EXPECT_FALSE(DeliverDeviceEvent(handler, 12, Params(none)));
    EXPECT_FALSE(DeliverDeviceEvent(handler, 12, Params(text)));
    EXPECT_EQ(handler.events, (QStringList{"PhoneKeyPress 64", "PhoneKeyPress 13"}));
    VariantClear(&text[0]);
}

TEST(DeviceEventSink, UnknownEventsAreIgnored) {
    CRecordingHandler handler;
    std::vector<VARIANT> none;
    for (const DISPID dispid : {0, 13, -552}) {
        EXPECT_FALSE(DeliverDeviceEvent(handler, dispid, Params(none))) << dispid;
    }
    EXPECT_TRUE(handler.events.isEmpty());
}

// The sink handed to the control: the wrapper clears the target when it lets go, and a firing
// that still reaches the sink then goes nowhere.
TEST(DeviceEventSink, SinkDeliversToTheTargetOfTheMoment) {
    CRecordingHandler handler;
    auto target = std::make_shared<DeviceEventTarget>();
    target->handler = &handler;
    const CComPtr<CEventSink> sink = MakeDeviceEventSink(target);
    // It answers for the control's event interface, as the connection point asks.
    EXPECT_TRUE(sink.As<IUnknown>());
    void* events = nullptr;
    ASSERT_EQ(
        sink->QueryInterface(IID(MakeGuid("{40076166-D69E-11D5-BC69-8691947227AD}")), &events),
        S_OK);
    static_cast<IDispatch*>(events)->Release();

    DISPPARAMS none;
    EXPECT_EQ(sink->Invoke(8, DISPATCH_METHOD, &none, nullptr, nullptr), S_OK);
    target->handler = nullptr;
    EXPECT_EQ(sink->Invoke(9, DISPATCH_METHOD, &none, nullptr, nullptr), S_OK);
    EXPECT_EQ(handler.events, QStringList{"TubeUp"});
}

TEST(DeviceEventName, NamesEveryEventOfTheInterface) {
    const char* const names[] = {"ParallDialing", "ComingCall",   "FinishTalking", "SuccessLinking",
                                 "FailedLinking", "BusyLinking",  "Alarm",         "TubeUp",
                                 "TubeDown",      "ParallTubeUp", "LowBatary",     "PhoneKeyPress"};
    for (int dispid = 1; dispid <= 12; ++dispid) {
        EXPECT_EQ(DeviceEventName(dispid), QString::fromLatin1(names[dispid - 1]));
    }
    EXPECT_EQ(DeviceEventName(0), "event 0");
    EXPECT_EQ(DeviceEventName(13), "event 13");
}

QByteArray PngOf(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

TEST(HostSite, ShowsTheControlsContentThroughTheService) {
    CRecordingDialogs dialogs;
    const CComPtr<CHostSite> site = MakeObject<CHostSite>(&dialogs);
    const std::u16string title = u"О программе";
    const std::u16string first = u"Fonerix Control, Version 1.0";
    const std::u16string second = u"Строка два";
    const OLECHAR* lines[] = {first.c_str(), nullptr, second.c_str()};
    const QByteArray png = PngOf(3, 2);
    DialogContent content;
    content.title = title.c_str();
    content.lines = lines;
    content.lineCount = 3;
    content.imagePng = reinterpret_cast<const uint8_t*>(png.constData());
    content.imagePngSize = static_cast<uint32_t>(png.size());

    // The control finds the service on its site the way it does for the about box.
    const CComPtr<IHostDialogs> found = FindHostDialogs(site.Get());
    ASSERT_TRUE(found);
    ASSERT_EQ(found->ShowModal(content), S_OK);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].title, "О программе");
    EXPECT_EQ(dialogs.shown[0].lines,
              (QStringList{"Fonerix Control, Version 1.0", QString(), "Строка два"}));
    EXPECT_EQ(dialogs.shown[0].image.size(), QSize(3, 2));

    // A picture that does not decode still shows the dialog, without it.
    const uint8_t garbage[] = {1, 2, 3, 4};
    content.imagePng = garbage;
    content.imagePngSize = sizeof garbage;
    content.title = nullptr;
    content.lineCount = 0;
    ASSERT_EQ(found->ShowModal(content), S_OK);
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_TRUE(dialogs.shown[1].image.isNull());
    EXPECT_TRUE(dialogs.shown[1].title.isEmpty());
    EXPECT_TRUE(dialogs.shown[1].lines.isEmpty());
}

TEST(HostSite, WithoutAServiceOrWithBadContentNothingIsShown) {
    CRecordingDialogs dialogs;
    DialogContent content;
    content.lineCount = 2;  // but no lines
    const CComPtr<CHostSite> site = MakeObject<CHostSite>(&dialogs);
    EXPECT_EQ(site->ShowModal(content), E_POINTER);
    content.lineCount = 0;
    content.imagePngSize = 10;  // but no picture
    EXPECT_EQ(site->ShowModal(content), E_POINTER);
    EXPECT_TRUE(dialogs.shown.isEmpty());

    content.imagePngSize = 0;
    EXPECT_EQ(MakeObject<CHostSite>(nullptr)->ShowModal(content), E_NOTIMPL);
    site->Detach();
    EXPECT_EQ(site->ShowModal(content), E_NOTIMPL);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST(Dates, LocalDateTimesBecomeAutomationDates) {
    const struct {
        QDateTime time;
        DATE expected;
    } cases[] = {
        {QDateTime(QDate(2000, 1, 1), QTime(0, 0)), 36526.0},
        {QDateTime(QDate(1899, 12, 30), QTime(12, 0)), 0.5},
        {QDateTime(QDate(1899, 12, 30), QTime(7, 45)), 7.75 / 24},
        {QDateTime(QDate(2026, 12, 9), QTime(19, 30, 15)),
         46365.0 + (19 * 3600 + 30 * 60 + 15) / 86400.0},
        {QDateTime(), 0.0},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(DateFromDateTime(c.time), c.expected, 1e-9) << c.time.toString().toStdString();
    }
    // A time given in another zone is taken as the local time it stands for.
    const QDateTime utc(QDate(2026, 6, 1), QTime(10, 0), Qt::UTC);
    EXPECT_EQ(DateTimeFromDate(DateFromDateTime(utc)), utc.toLocalTime());
}

TEST(Dates, AutomationDatesBecomeLocalDateTimes) {
    const QDateTime time(QDate(2026, 12, 9), QTime(19, 30, 15));
    EXPECT_EQ(DateTimeFromDate(DateFromDateTime(time)), time);
    EXPECT_EQ(DateTimeFromDate(0.5), QDateTime(QDate(1899, 12, 30), QTime(12, 0)));
    // The failure answer of a clock read and values that name no date.
    for (const DATE bad : {0.0, std::numeric_limits<double>::quiet_NaN(), 1e9, -1e9}) {
        EXPECT_FALSE(DateTimeFromDate(bad).isValid()) << bad;
    }
}

}  // namespace
}  // namespace fonedesk::test
