#include "platform/automation/HResult.h"

#include <cstdio>

namespace fonerix {

std::string DescribeResult(HRESULT hr) {
    struct Name {
        HRESULT hr;
        const char* name;
    };
    static constexpr Name kNames[] = {
        {S_OK, "S_OK"},
        {S_FALSE, "S_FALSE"},
        {E_NOTIMPL, "E_NOTIMPL"},
        {E_NOINTERFACE, "E_NOINTERFACE"},
        {E_POINTER, "E_POINTER"},
        {E_FAIL, "E_FAIL"},
        {E_UNEXPECTED, "E_UNEXPECTED"},
        {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
        {E_INVALIDARG, "E_INVALIDARG"},
        {DISP_E_UNKNOWNINTERFACE, "DISP_E_UNKNOWNINTERFACE"},
        {DISP_E_MEMBERNOTFOUND, "DISP_E_MEMBERNOTFOUND"},
        {DISP_E_PARAMNOTFOUND, "DISP_E_PARAMNOTFOUND"},
        {DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH"},
        {DISP_E_UNKNOWNNAME, "DISP_E_UNKNOWNNAME"},
        {DISP_E_NONAMEDARGS, "DISP_E_NONAMEDARGS"},
        {DISP_E_BADVARTYPE, "DISP_E_BADVARTYPE"},
        {DISP_E_OVERFLOW, "DISP_E_OVERFLOW"},
        {DISP_E_BADINDEX, "DISP_E_BADINDEX"},
        {DISP_E_BADPARAMCOUNT, "DISP_E_BADPARAMCOUNT"},
        {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION"},
        {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
        {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG"},
        {CO_E_CLASSSTRING, "CO_E_CLASSSTRING"},
        {CO_E_DLLNOTFOUND, "CO_E_DLLNOTFOUND"},
        {CO_E_ERRORINDLL, "CO_E_ERRORINDLL"},
        {CONNECT_E_NOCONNECTION, "CONNECT_E_NOCONNECTION"},
        {SELFREG_E_CLASS, "SELFREG_E_CLASS"},
        {CONNECT_E_CANNOTCONNECT, "CONNECT_E_CANNOTCONNECT"},
    };
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    for (const Name& n : kNames) {
        if (n.hr == hr) {
            return std::string(text) + " (" + n.name + ")";
        }
    }
    return text;
}

}  // namespace fonerix
