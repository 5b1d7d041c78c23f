#pragma once

#include <cstdint>

#include "platform/automation/Component.h"
#include "platform/automation/ConnectionPoint.h"
#include "platform/automation/HostServices.h"

namespace fonerix::test {

// A small control shaped like the real one: properties of each kind, methods with by-value,
// by-reference and record-slot parameters, an indexed property, an about box shown through the
// host, and a source interface. Built into the tests and into a component library of its own.
inline constexpr CLSID kClsid = MakeGuid("{4280CF0D-EB08-41C6-8122-E32305389F61}");
inline constexpr IID kDispatchIid = MakeGuid("{D66FA5E1-DE92-4B94-ABB5-BFCC964312D0}");
inline constexpr IID kEventsIid = MakeGuid("{F17B5F01-02B7-4C47-BAB1-D28504E90844}");
inline constexpr GUID kLibid = MakeGuid("{55ACF2E3-F0A0-487D-B91B-633A7C025E1D}");
inline constexpr char kProgId[] = "FonerixTest.Sample.1";

enum Dispid : DISPID {
    kNumber = 1,       // I2 property
    kText = 2,         // BSTR property
    kWhen = 3,         // DATE property
    kSubtract = 10,    // (I4 a, I4 b) -> I4 a - b
    kFillRecord = 11,  // (VARIANT* record) -> BOOL; FALSE for a null record
    kSwap = 12,        // (I2* value, BSTR* text): doubles value, replaces text by its reverse
    kRaise = 13,       // (I4 code): fires Happened(code), then Said(BSTR* "code N")
    kCell = 40,        // indexed property (I2 index [, I2 value]) over 4 cells
};

enum EventDispid : DISPID { kHappened = 1, kSaid = 2 };

// The record behind kFillRecord's slot. The BSTR belongs to the caller.
struct SampleRecord {
    int32_t inUse;
    BSTR name;
    uint8_t cells[4];
};

const InterfaceInfo& SampleInterface();
const TypeLibraryInfo& SampleTypeLibrary();
const ComponentModule& SampleModule();

class CSample final : public CDispatchObject<IConnectionPointContainer, IObjectWithSite> {
  public:
    CSample();
    ~CSample() override;

    HRESULT FindConnectionPoint(const IID& events, IConnectionPoint** point) override;
    HRESULT SetSite(IUnknown* site) override;

  protected:
    HRESULT CallMember(const MemberInfo& member, const DispArgs& args, VARIANT* result) override;

  private:
    CConnectionPoint m_events;
    CComPtr<IUnknown> m_site;
    int16_t m_number = 0;
    BSTR m_text = nullptr;
    DATE m_when = 0;
    int16_t m_cells[4] = {};
};

}  // namespace fonerix::test
