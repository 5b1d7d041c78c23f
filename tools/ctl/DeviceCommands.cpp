#include <span>
#include <string>

#include "control/serial/PortPath.h"
#include "tools/ctl/CommandHandlers.h"
#include "tools/ctl/CommandSupport.h"
#include "tools/ctl/ExitCodes.h"
#include "tools/ctl/Output.h"
#include "tools/ctl/Values.h"

namespace fonerix::ctl {

namespace {

std::string DeviceColumnsPath(const DEVICEINFO& d) {
    return ComPortPath(d.Port);
}

Table DeviceTable(const DEVICEINFO& d, const std::string& caption) {
    Table t;
    t.columns = {"caption", "type", "device-version", "program-version",
                 "id",      "port", "path",           "baud"};
    t.rows.push_back({Cell::Text(caption), Cell::Number(d.devType), Cell::Number(d.devVer),
                      Cell::Number(d.prgVer), Cell::Number(d.IdZelta),
                      Cell::Text("COM" + std::to_string(d.Port)), Cell::Text(DeviceColumnsPath(d)),
                      Cell::Number(d.BaudRate)});
    return t;
}

}  // namespace

int Find(Session& s) {
    WriteRecord(s.out, DeviceTable(s.device, s.caption), s.invocation.format);
    return kExitOk;
}

int Info(Session& s) {
    DEVICEINFO d{};
    const bool ok = s.control.CallRecord("GetDeviceInfo", &d);
    const std::string caption = Utf8FromBstr(d.Caption);
    FreeBstr(d.Caption);
    if (!ok || d.inUse == 0) {
        return s.Error(kExitNotAnswering, "the set on COM" + std::to_string(s.device.Port) +
                                              " does not answer the identity read");
    }
    WriteRecord(s.out, DeviceTable(d, caption), s.invocation.format);
    return kExitOk;
}

int Dial(Session& s) {
    CAwake awake(s.control, true);
    if (!awake.Ok()) {
        return s.Failed("the set did not wake up for dialling");
    }
    BSTR number = BstrFromUtf8(Upper(s.invocation.operands[0]));
    const CVariant arg = CVariant::Ref(&number);
    const HRESULT hr = s.control.Call("DialNumber", std::span(&arg, 1));
    FreeBstr(number);
    if (FAILED(hr)) {
        return s.Error(kExitFailed, "DialNumber failed: " + DescribeResult(hr));
    }
    s.out << "dialling " << s.invocation.operands[0] << '\n';
    return kExitOk;
}

int Key(Session& s) {
    const long code = *ParseNumber(s.invocation.operands[0], 1, 64);
    CAwake awake(s.control, true);
    if (!awake.Ok()) {
        return s.Failed("the set did not wake up");
    }
    const CVariant arg(static_cast<int16_t>(code));
    if (!s.control.CallBool("KeyPress", std::span(&arg, 1))) {
        return s.Failed("the set did not take key " + std::to_string(code));
    }
    s.out << "key " << code << " sent\n";
    return kExitOk;
}

}  // namespace fonerix::ctl
