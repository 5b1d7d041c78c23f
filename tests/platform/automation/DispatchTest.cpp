#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/automation/Dispatch.h"
#include "platform/automation/HostServices.h"
#include "tests/platform/automation/SampleObject.h"

namespace fonerix::test {
namespace {

class DispatchTest : public ::testing::Test {
  protected:
    HRESULT Call(DISPID id, uint16_t flags, std::vector<CVariant> args, CVariant* result = nullptr,
                 uint32_t* argErr = nullptr) {
        return DispatchCall(object.Get(), id, flags, args, result ? result->get() : nullptr,
                            argErr);
    }

    CComPtr<IDispatch> object = MakeObject<CSample>().As<IDispatch>();
};

TEST_F(DispatchTest, PropertiesGetAndPutByDispid) {
    CVariant result;
    ASSERT_EQ(Call(kNumber, DISPATCH_PROPERTYPUT, {CVariant(int16_t{-7})}), S_OK);
    ASSERT_EQ(Call(kNumber, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.vt(), VT_I2);
    EXPECT_EQ(result->iVal, -7);

    ASSERT_EQ(Call(kText, DISPATCH_PROPERTYPUT, {CVariant::FromUtf8("Звонок")}), S_OK);
    CVariant text;
    // A client that asks with METHOD | PROPERTYGET, as script hosts do, reaches the getter.
    ASSERT_EQ(Call(kText, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, &text), S_OK);
    EXPECT_EQ(text.vt(), VT_BSTR);
    EXPECT_EQ(text.Utf8(), "Звонок");
    // A string result nobody takes is freed by the object (the leak check watches).
    EXPECT_EQ(Call(kText, DISPATCH_PROPERTYGET, {}), S_OK);

    // A put's value is converted to the declared type.
    ASSERT_EQ(Call(kWhen, DISPATCH_PROPERTYPUT, {CVariant(int32_t{36526})}), S_OK);
    CVariant when;
    ASSERT_EQ(Call(kWhen, DISPATCH_PROPERTYGET, {}, &when), S_OK);
    EXPECT_EQ(when.vt(), VT_DATE);
    EXPECT_EQ(when->date, 36526.0);
}

TEST_F(DispatchTest, ArgumentsArriveInDeclarationOrder) {
    CVariant result;
    ASSERT_EQ(
        Call(kSubtract, DISPATCH_METHOD, {CVariant(int32_t{10}), CVariant(int32_t{3})}, &result),
        S_OK);
    EXPECT_EQ(result->lVal, 7);

    // Raw DISPPARAMS: the last argument comes first.
    VARIANT raw[2];
    raw[0].vt = VT_I4, raw[0].lVal = 3;   // b
    raw[1].vt = VT_I2, raw[1].iVal = 10;  // a, converted from I2
    DISPPARAMS params;
    params.rgvarg = raw;
    params.cArgs = 2;
    VARIANT out;
    ASSERT_EQ(object->Invoke(kSubtract, DISPATCH_METHOD, &params, &out, nullptr), S_OK);
    EXPECT_EQ(out.lVal, 7);

    // The indexed property: put takes the index, then the value.
    ASSERT_EQ(Call(kCell, DISPATCH_PROPERTYPUT, {CVariant(int16_t{2}), CVariant(int16_t{99})}),
              S_OK);
    CVariant cell;
    ASSERT_EQ(Call(kCell, DISPATCH_PROPERTYGET, {CVariant(int16_t{2})}, &cell), S_OK);
    EXPECT_EQ(cell->iVal, 99);
    EXPECT_EQ(Call(kCell, DISPATCH_PROPERTYGET, {CVariant(int16_t{4})}, &cell), DISP_E_BADINDEX);
}

TEST_F(DispatchTest, CallErrors) {
    struct Case {
        const char* what;
        DISPID id;
        uint16_t flags;
        std::vector<CVariant> args;
        HRESULT hr;
        int argErr;  // -1: not set
    };
    const Case cases[] = {
        {"unknown DISPID", 77, DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND, -1},
        {"put on a method",
         kSubtract,
         DISPATCH_PROPERTYPUT,
         {CVariant(int32_t{1}), CVariant(int32_t{2})},
         DISP_E_MEMBERNOTFOUND,
         -1},
        {"method call of a property", kNumber, DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND, -1},
        {"too few", kSubtract, DISPATCH_METHOD, {CVariant(int32_t{1})}, DISP_E_BADPARAMCOUNT, -1},
        {"too many",
         kNumber,
         DISPATCH_PROPERTYGET,
         {CVariant(int16_t{1})},
         DISP_E_BADPARAMCOUNT,
         -1},
        {"not a number",
         kSubtract,
         DISPATCH_METHOD,
         {CVariant(int32_t{1}), CVariant::FromUtf8("two")},
         DISP_E_TYPEMISMATCH,
         0},
        {"overflow in the first",
         kCell,
         DISPATCH_PROPERTYGET,
         {CVariant(int32_t{40000})},
         DISP_E_OVERFLOW,
         0},
        {"value instead of reference",
         kSwap,
         DISPATCH_METHOD,
         {CVariant(int16_t{1}), CVariant::FromUtf8("x")},
         DISP_E_TYPEMISMATCH,
         1},
        {"record slot given a value",
         kFillRecord,
         DISPATCH_METHOD,
         {CVariant(int32_t{0})},
         DISP_E_TYPEMISMATCH,
         0},
    };
    for (const Case& c : cases) {
        uint32_t argErr = 12345;
        CVariant result;
        EXPECT_EQ(Call(c.id, c.flags, c.args, &result, &argErr), c.hr) << c.what;
        EXPECT_EQ(argErr, c.argErr < 0 ? 12345u : static_cast<uint32_t>(c.argErr)) << c.what;
        EXPECT_EQ(result.vt(), VT_EMPTY) << c.what;
    }

    // A put must carry its value as the named argument DISPID_PROPERTYPUT, and a method takes
    // no named arguments.
    VARIANT value;
    value.vt = VT_I2, value.iVal = 1;
    DISPPARAMS put;
    put.rgvarg = &value;
    put.cArgs = 1;
    EXPECT_EQ(object->Invoke(kNumber, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr),
              DISP_E_PARAMNOTFOUND);
    DISPID named = 0;
    put.rgdispidNamedArgs = &named;
    put.cNamedArgs = 1;
    EXPECT_EQ(object->Invoke(kNumber, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr),
              DISP_E_PARAMNOTFOUND);
    VARIANT two[2];
    two[0].vt = VT_I4, two[0].lVal = 1;
    two[1].vt = VT_I4, two[1].lVal = 2;
    DISPPARAMS method;
    method.rgvarg = two;
    method.cArgs = 2;
    method.rgdispidNamedArgs = &named;
    method.cNamedArgs = 1;
    EXPECT_EQ(object->Invoke(kSubtract, DISPATCH_METHOD, &method, nullptr, nullptr),
              DISP_E_NONAMEDARGS);
}

TEST_F(DispatchTest, ReferencesAndTheRecordSlotAreWrittenThrough) {
    int16_t value = 21;
    BSTR text = BstrFromUtf8("abc");
    ASSERT_EQ(Call(kSwap, DISPATCH_METHOD, {CVariant::Ref(&value), CVariant::Ref(&text)}), S_OK);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(Utf8FromBstr(text), "cba");  // the old string was freed by the callee
    SysFreeString(text);

    ASSERT_EQ(Call(kCell, DISPATCH_PROPERTYPUT, {CVariant(int16_t{1}), CVariant(int16_t{7})}),
              S_OK);
    SampleRecord record{};
    std::memset(&record, 0xEE, sizeof record);
    CVariant ok;
    ASSERT_EQ(Call(kFillRecord, DISPATCH_METHOD, {CVariant::RecordRef(&record)}, &ok), S_OK);
    EXPECT_EQ(ok.vt(), VT_BOOL);
    EXPECT_EQ(ok->boolVal, VARIANT_TRUE);
    EXPECT_EQ(record.inUse, 1);
    EXPECT_EQ(Utf8FromBstr(record.name), "sample");
    EXPECT_EQ(record.cells[1], 7);
    SysFreeString(record.name);  // the record's string is the caller's

    CVariant refused;
    ASSERT_EQ(Call(kFillRecord, DISPATCH_METHOD, {CVariant::RecordRef(nullptr)}, &refused), S_OK);
    EXPECT_EQ(refused->boolVal, VARIANT_FALSE);
}

TEST_F(DispatchTest, NamesResolveThroughTheTypeTable) {
    const InterfaceInfo* info = nullptr;
    ASSERT_EQ(object->GetTypeInfo(&info), S_OK);
    ASSERT_EQ(info, &SampleInterface());

    const std::u16string member = u"subtract", a = u"A", b = u"b", nope = u"Nope";
    const OLECHAR* names[] = {member.c_str(), b.c_str(), a.c_str()};
    DISPID ids[3] = {};
    ASSERT_EQ(object->GetIDsOfNames(names, 3, ids), S_OK);
    EXPECT_EQ((std::vector<DISPID>(ids, ids + 3)), (std::vector<DISPID>{kSubtract, 1, 0}));

    const OLECHAR* unknown[] = {nope.c_str()};
    EXPECT_EQ(object->GetIDsOfNames(unknown, 1, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    const OLECHAR* badParam[] = {member.c_str(), nope.c_str()};
    EXPECT_EQ(object->GetIDsOfNames(badParam, 2, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], kSubtract);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);

    // The index parameter of a property is found through its put, which has the most.
    const std::u16string cell = u"Cell", value = u"value";
    const OLECHAR* cellNames[] = {cell.c_str(), value.c_str()};
    ASSERT_EQ(object->GetIDsOfNames(cellNames, 2, ids), S_OK);
    EXPECT_EQ(ids[1], 1);

    const MemberInfo* put = info->FindByName("NUMBER", MemberKind::PropertyPut);
    ASSERT_NE(put, nullptr);
    EXPECT_EQ(put->dispid, kNumber);
    EXPECT_EQ(put->params[0].type, VT_I2);
    EXPECT_EQ(info->FindByName("Number", MemberKind::Method), nullptr);
}

TEST(DispatchObjectTest, InterfacesAndReferenceCounting) {
    ASSERT_TRUE(ModuleCanUnload());
    {
        CComPtr<CSample> sample = MakeObject<CSample>();
        EXPECT_FALSE(ModuleCanUnload());
        CComPtr<IUnknown> viaDispatch = sample.As<IDispatch>().As<IUnknown>();
        CComPtr<IUnknown> viaContainer = sample.As<IConnectionPointContainer>().As<IUnknown>();
        EXPECT_EQ(viaDispatch.Get(), viaContainer.Get());  // one identity

        // The dispinterface identifier gives the IDispatch.
        void* dispinterface = nullptr;
        ASSERT_EQ(viaDispatch->QueryInterface(kDispatchIid, &dispinterface), S_OK);
        EXPECT_EQ(dispinterface, static_cast<void*>(sample.As<IDispatch>().Get()));
        static_cast<IDispatch*>(dispinterface)->Release();

        void* none = &none;
        EXPECT_EQ(viaDispatch->QueryInterface(kEventsIid, &none), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);
        EXPECT_EQ(viaDispatch->QueryInterface(IUnknown::kIid, nullptr), E_POINTER);

        IDispatch* raw = sample.As<IDispatch>().Detach();
        EXPECT_EQ(raw->AddRef(), 5u);  // sample, the two IUnknowns, raw and this one
        EXPECT_EQ(raw->Release(), 4u);
        raw->Release();
    }
    EXPECT_TRUE(ModuleCanUnload());  // the last Release deleted the object
}

class RecordingHost final : public CObjectRoot<IHostDialogs> {
  public:
    HRESULT ShowModal(const DialogContent& content) override {
        BSTR title = SysAllocString(content.title);
        shown.push_back(Utf8FromBstr(title));
        SysFreeString(title);
        for (uint32_t i = 0; i < content.lineCount; ++i) {
            BSTR line = SysAllocString(content.lines[i]);
            shown.push_back(Utf8FromBstr(line));
            SysFreeString(line);
        }
        return S_OK;
    }
    std::vector<std::string> shown;
};

TEST_F(DispatchTest, AboutBoxGoesThroughTheHostsDialogService) {
    // Without a site nothing is shown and the call still succeeds.
    EXPECT_EQ(Call(DISPID_ABOUTBOX, DISPATCH_METHOD, {}), S_OK);

    CComPtr<RecordingHost> host = MakeObject<RecordingHost>();
    CComPtr<IObjectWithSite> withSite = object.As<IObjectWithSite>();
    ASSERT_TRUE(withSite);
    ASSERT_EQ(withSite->SetSite(host.As<IUnknown>().Get()), S_OK);
    EXPECT_EQ(Call(DISPID_ABOUTBOX, DISPATCH_METHOD, {}), S_OK);
    EXPECT_EQ(host->shown,
              (std::vector<std::string>{"About Sample", "Sample Control, Version 1.0"}));
    withSite->SetSite(nullptr);  // the host takes its site back before it goes
}

}  // namespace
}  // namespace fonerix::test
