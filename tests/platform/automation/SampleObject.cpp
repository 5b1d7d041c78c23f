#include "tests/platform/automation/SampleObject.h"

#include <string>

namespace fonerix::test {

namespace {

constexpr ParamInfo kValueI2[] = {{"value", VT_I2}};
constexpr ParamInfo kValueBstr[] = {{"value", VT_BSTR}};
constexpr ParamInfo kValueDate[] = {{"value", VT_DATE}};
constexpr ParamInfo kSubtractParams[] = {{"a", VT_I4}, {"b", VT_I4}};
constexpr ParamInfo kRecordParams[] = {{"lpRecord", VT_VARIANT | VT_BYREF}};
constexpr ParamInfo kSwapParams[] = {{"lpValue", VT_I2 | VT_BYREF}, {"lpText", VT_BSTR | VT_BYREF}};
constexpr ParamInfo kRaiseParams[] = {{"code", VT_I4}};
constexpr ParamInfo kCellGet[] = {{"index", VT_I2}};
constexpr ParamInfo kCellPut[] = {{"index", VT_I2}, {"value", VT_I2}};

constexpr MemberInfo kMembers[] = {
    {"Number", kNumber, MemberKind::PropertyGet, VT_I2, {}},
    {"Number", kNumber, MemberKind::PropertyPut, VT_EMPTY, kValueI2},
    {"Text", kText, MemberKind::PropertyGet, VT_BSTR, {}},
    {"Text", kText, MemberKind::PropertyPut, VT_EMPTY, kValueBstr},
    {"When", kWhen, MemberKind::PropertyGet, VT_DATE, {}},
    {"When", kWhen, MemberKind::PropertyPut, VT_EMPTY, kValueDate},
    {"Subtract", kSubtract, MemberKind::Method, VT_I4, kSubtractParams},
    {"FillRecord", kFillRecord, MemberKind::Method, VT_BOOL, kRecordParams},
    {"Swap", kSwap, MemberKind::Method, VT_EMPTY, kSwapParams},
    {"Raise", kRaise, MemberKind::Method, VT_EMPTY, kRaiseParams},
    {"Cell", kCell, MemberKind::PropertyGet, VT_I2, kCellGet},
    {"Cell", kCell, MemberKind::PropertyPut, VT_EMPTY, kCellPut},
    {"AboutBox", DISPID_ABOUTBOX, MemberKind::Method, VT_EMPTY, {}},
};

constexpr InterfaceInfo kInterface{"_DSample", kDispatchIid, kMembers};

constexpr ParamInfo kHappenedParams[] = {{"code", VT_I4}};
constexpr ParamInfo kSaidParams[] = {{"text", VT_BSTR | VT_BYREF}};
constexpr MemberInfo kEventMembers[] = {
    {"Happened", kHappened, MemberKind::Method, VT_EMPTY, kHappenedParams},
    {"Said", kSaid, MemberKind::Method, VT_EMPTY, kSaidParams},
};
constexpr InterfaceInfo kEvents{"_DSampleEvents", kEventsIid, kEventMembers};

constexpr const InterfaceInfo* kInterfaces[] = {&kInterface, &kEvents};
constexpr TypeLibraryInfo kTypeLibrary{"SAMPLELib", kLibid, 1, 0, kInterfaces};

constexpr RegistryValue kClassValues[] = {{"MiscStatus", "0x20491"}, {"Version", "1.0"}};
const ComponentClass kClasses[] = {
    {kClsid, kProgId, "Sample Control", "Apartment", kClassValues, &CreateComponentObject<CSample>},
};
const ComponentModule kModule{kClasses, &kTypeLibrary};

}  // namespace

const InterfaceInfo& SampleInterface() {
    return kInterface;
}
const TypeLibraryInfo& SampleTypeLibrary() {
    return kTypeLibrary;
}
const ComponentModule& SampleModule() {
    return kModule;
}

CSample::CSample()
    : CDispatchObject(kInterface), m_events(*static_cast<IDispatch*>(this), kEventsIid) {}

CSample::~CSample() {
    m_events.UnadviseAll();
    SysFreeString(m_text);
}

HRESULT CSample::FindConnectionPoint(const IID& events, IConnectionPoint** point) {
    if (point == nullptr) {
        return E_POINTER;
    }
    *point = nullptr;
    if (events != kEventsIid) {
        return E_NOINTERFACE;
    }
    *point = &m_events;
    m_events.AddRef();
    return S_OK;
}

HRESULT CSample::SetSite(IUnknown* site) {
    m_site = CComPtr<IUnknown>(site);
    return S_OK;
}

HRESULT CSample::CallMember(const MemberInfo& member, const DispArgs& args, VARIANT* result) {
    const bool put = member.kind == MemberKind::PropertyPut;
    switch (member.dispid) {
        case kNumber:
            put ? void(m_number = args.I2(0)) : ReturnI2(result, m_number);
            return S_OK;
        case kText:
            if (put) {
                SysFreeString(m_text);
                m_text = SysAllocStringLen(args.Bstr(0), SysStringLen(args.Bstr(0)));
            } else {
                ReturnBstr(result, SysAllocStringLen(m_text, SysStringLen(m_text)));
            }
            return S_OK;
        case kWhen:
            put ? void(m_when = args.Date(0)) : ReturnDate(result, m_when);
            return S_OK;
        case kSubtract:
            ReturnI4(result, args.I4(0) - args.I4(1));
            return S_OK;
        case kFillRecord: {
            auto* record = static_cast<SampleRecord*>(args.Record(0));
            if (record != nullptr) {
                record->inUse = 1;
                record->name = BstrFromUtf8("sample");
                for (int i = 0; i < 4; ++i) {
                    record->cells[i] = static_cast<uint8_t>(m_cells[i]);
                }
            }
            ReturnBool(result, record != nullptr);
            return S_OK;
        }
        case kSwap: {
            *args.I2Ref(0) = static_cast<int16_t>(*args.I2Ref(0) * 2);
            BSTR* text = args.BstrRef(1);
            std::u16string reversed(*text, SysStringLen(*text));
            reversed.assign(reversed.rbegin(), reversed.rend());
            SysFreeString(*text);
            *text = SysAllocStringLen(reversed.data(), static_cast<uint32_t>(reversed.size()));
            return S_OK;
        }
        case kRaise: {
            const CVariant code(args.I4(0));
            m_events.Fire(kHappened, {&code, 1});
            // Every sink sees the same string; one that keeps it takes it by setting the
            // pointer to null, and what is left is freed here.
            BSTR said = BstrFromUtf8("code " + std::to_string(args.I4(0)));
            const CVariant ref = CVariant::Ref(&said);
            m_events.Fire(kSaid, {&ref, 1});
            SysFreeString(said);
            return S_OK;
        }
        case kCell: {
            const int16_t index = args.I2(0);
            if (index < 0 || index >= 4) {
                return DISP_E_BADINDEX;
            }
            put ? void(m_cells[index] = args.I2(1)) : ReturnI2(result, m_cells[index]);
            return S_OK;
        }
        case DISPID_ABOUTBOX:
            if (const CComPtr<IHostDialogs> dialogs = FindHostDialogs(m_site.Get())) {
                const std::u16string title = u"About Sample";
                const std::u16string line = u"Sample Control, Version 1.0";
                const OLECHAR* lines[] = {line.c_str()};
                DialogContent content;
                content.title = title.c_str();
                content.lines = lines;
                content.lineCount = 1;
                dialogs->ShowModal(content);
            }
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace fonerix::test
