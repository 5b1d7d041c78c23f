#include <gtest/gtest.h>

#include "platform/automation/Guid.h"
#include "platform/automation/HResult.h"

namespace fonerix::test {
namespace {

TEST(GuidTest, ParsesAndFormatsTheRegistryForm) {
    constexpr GUID control = MakeGuid("{40076167-D69E-11D5-BC69-8691947227AD}");
    static_assert(control.Data1 == 0x40076167 && control.Data2 == 0xD69E &&
                  control.Data3 == 0x11D5 && control.Data4[0] == 0xBC && control.Data4[7] == 0xAD);
    EXPECT_EQ(FormatGuid(control), "{40076167-D69E-11D5-BC69-8691947227AD}");
    EXPECT_EQ(ParseGuid("40076167-d69e-11d5-bc69-8691947227ad"), control);
    EXPECT_NE(ParseGuid("{40076168-D69E-11D5-BC69-8691947227AD}"), control);

    const char* bad[] = {
        "",
        "{40076167-D69E-11D5-BC69-8691947227AD",    // unclosed
        "40076167-D69E-11D5-BC69-8691947227AD}",    // unopened
        "{40076167-D69E-11D5-BC69-8691947227A}",    // a digit short
        "{40076167-D69E-11D5-BC698-691947227AD}",   // dash misplaced
        "{4007616G-D69E-11D5-BC69-8691947227AD}",   // not hex
        " {40076167-D69E-11D5-BC69-8691947227AD}",  // blank
        "FONERIX.FonerixCtrl.1",
    };
    for (const char* text : bad) {
        EXPECT_FALSE(ParseGuid(text).has_value()) << text;
    }
}

TEST(GuidTest, ResultDescriptionsNameTheCode) {
    EXPECT_EQ(DescribeResult(DISP_E_MEMBERNOTFOUND), "0x80020003 (DISP_E_MEMBERNOTFOUND)");
    EXPECT_EQ(DescribeResult(SELFREG_E_CLASS), "0x80040201 (SELFREG_E_CLASS)");
    EXPECT_EQ(DescribeResult(MakeFailure(0x80001234)), "0x80001234");
    EXPECT_TRUE(FAILED(SELFREG_E_TYPELIB));
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
}

}  // namespace
}  // namespace fonerix::test
