#include <gtest/gtest.h>

#include <string>

#include "platform/automation/Variant.h"

namespace fonerix::test {
namespace {

VARIANT Bstr(std::string_view text) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = BstrFromUtf8(text);
    return v;
}

TEST(VariantTest, CopyDuplicatesStringsAndClearFreesThem) {
    VARIANT source = Bstr("Varkon+");
    VARIANT copy;
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_EQ(copy.vt, VT_BSTR);
    EXPECT_NE(copy.bstrVal, source.bstrVal);  // its own string
    EXPECT_EQ(Utf8FromBstr(copy.bstrVal), "Varkon+");

    ASSERT_EQ(VariantClear(&source), S_OK);
    EXPECT_EQ(source.vt, VT_EMPTY);
    EXPECT_EQ(Utf8FromBstr(copy.bstrVal), "Varkon+");  // the copy outlives the source

    // Copying over a variant that holds a string frees that string first (the sanitizer's leak
    // check sees it otherwise).
    VARIANT other = Bstr("other");
    ASSERT_EQ(VariantCopy(&copy, &other), S_OK);
    EXPECT_EQ(Utf8FromBstr(copy.bstrVal), "other");
    VariantClear(&copy);
    VariantClear(&other);

    // A null BSTR is the empty string and copies as null.
    VARIANT empty;
    empty.vt = VT_BSTR;
    empty.bstrVal = nullptr;
    ASSERT_EQ(VariantCopy(&copy, &empty), S_OK);
    EXPECT_EQ(copy.bstrVal, nullptr);
    EXPECT_EQ(VariantClear(&copy), S_OK);
}

TEST(VariantTest, ReferencesAreCopiedAsPointersAndNeverFreed) {
    BSTR text = BstrFromUtf8("kept");
    int16_t number = 5;
    struct Record {
        int32_t inUse;
        BSTR name;
    } record{1, nullptr};
    const CVariant refs[] = {CVariant::Ref(&text), CVariant::Ref(&number),
                             CVariant::RecordRef(&record)};
    for (const CVariant& ref : refs) {
        VARIANT copy;
        ASSERT_EQ(VariantCopy(&copy, ref.get()), S_OK);
        EXPECT_EQ(copy.vt, ref.vt());
        EXPECT_EQ(copy.byref, ref->byref);
        ASSERT_EQ(VariantClear(&copy), S_OK);
    }
    // Clearing the references left the string and the record alone.
    EXPECT_EQ(Utf8FromBstr(text), "kept");
    EXPECT_EQ(CVariant::RecordRef(&record)->byref, static_cast<void*>(&record));
    EXPECT_EQ(CVariant::RecordRef(&record).vt(), VT_VARIANT | VT_BYREF);
    SysFreeString(text);
}

TEST(VariantTest, UnknownTypesAreRefusedAndLeftAlone) {
    VARIANT odd;
    odd.vt = 0x0FFF;
    odd.lVal = 42;
    EXPECT_EQ(VariantClear(&odd), DISP_E_BADVARTYPE);
    EXPECT_EQ(odd.vt, 0x0FFF);
    VARIANT copy = Bstr("keep");
    EXPECT_EQ(VariantCopy(&copy, &odd), DISP_E_BADVARTYPE);
    EXPECT_EQ(Utf8FromBstr(copy.bstrVal), "keep");
    VariantClear(&copy);
    VARIANT byRefEmpty;
    byRefEmpty.vt = VT_EMPTY | VT_BYREF;
    EXPECT_EQ(VariantClear(&byRefEmpty), DISP_E_BADVARTYPE);
}

TEST(VariantTest, OwningWrapperCopiesMovesAndClears) {
    CVariant a = CVariant::FromUtf8("Ringolo Zelta+");
    CVariant b = a;
    EXPECT_NE(a->bstrVal, b->bstrVal);
    CVariant c = std::move(a);
    EXPECT_EQ(a.vt(), VT_EMPTY);
    EXPECT_EQ(c.Utf8(), "Ringolo Zelta+");
    b = CVariant(int16_t{3});  // frees b's string
    EXPECT_EQ(b.vt(), VT_I2);
    c = c;  // self-assignment keeps the string
    EXPECT_EQ(c.Utf8(), "Ringolo Zelta+");
}

TEST(VariantTest, ConversionsFollowTheDispatchRules) {
    int16_t referenced = 300;
    struct Case {
        const char* what;
        CVariant from;
        VARTYPE to;
        HRESULT hr;
        std::string expected;  // the result as a string, when hr is S_OK
    };
    const Case cases[] = {
        {"I4 fits I2", CVariant(int32_t{-32768}), VT_I2, S_OK, "-32768"},
        {"I4 too big for I2", CVariant(int32_t{70000}), VT_I2, DISP_E_OVERFLOW, ""},
        {"negative to UI1", CVariant(int16_t{-1}), VT_UI1, DISP_E_OVERFLOW, ""},
        {"I2 by reference to I4", CVariant::Ref(&referenced), VT_I4, S_OK, "300"},
        {"text to I2", CVariant::FromUtf8("12"), VT_I2, S_OK, "12"},
        {"text with junk", CVariant::FromUtf8("12a"), VT_I2, DISP_E_TYPEMISMATCH, ""},
        {"empty text", CVariant::FromUtf8(""), VT_I4, DISP_E_TYPEMISMATCH, ""},
        {"half rounds to even", CVariant::FromDate(2.5), VT_I2, S_OK, "2"},
        {"and up from odd", CVariant::FromDate(3.5), VT_I2, S_OK, "4"},
        {"nonzero is true", CVariant(int32_t{5}), VT_BOOL, S_OK, "True"},
        {"zero is false", CVariant(uint8_t{0}), VT_BOOL, S_OK, "False"},
        {"word to bool", CVariant::FromUtf8("true"), VT_BOOL, S_OK, "True"},
        {"I4 to text", CVariant(int32_t{-7}), VT_BSTR, S_OK, "-7"},
        {"date to text", CVariant::FromDate(36526.5), VT_BSTR, S_OK, "36526.5"},
        {"empty to I2", CVariant(), VT_I2, S_OK, "0"},
        {"record slot has no value", CVariant::RecordRef(&referenced), VT_I2, DISP_E_TYPEMISMATCH,
         ""},
        {"to a reference", CVariant(int16_t{1}), VT_I2 | VT_BYREF, DISP_E_BADVARTYPE, ""},
    };
    for (const Case& c : cases) {
        CVariant out = CVariant::FromUtf8("previous");
        const HRESULT hr = VariantChangeType(out.get(), c.from.get(), c.to);
        EXPECT_EQ(hr, c.hr) << c.what;
        if (hr != S_OK) {
            EXPECT_EQ(out.Utf8(), "previous") << c.what;  // untouched on failure
            continue;
        }
        EXPECT_EQ(out.vt(), c.to) << c.what;
        CVariant text;
        ASSERT_EQ(VariantChangeType(text.get(), out.get(), VT_BSTR), S_OK) << c.what;
        EXPECT_EQ(text.Utf8(), c.expected) << c.what;
    }
    // In place, a string source is replaced and freed.
    CVariant inPlace = CVariant::FromUtf8("41");
    ASSERT_EQ(VariantChangeType(inPlace.get(), inPlace.get(), VT_I4), S_OK);
    EXPECT_EQ(inPlace->lVal, 41);
}

}  // namespace
}  // namespace fonerix::test
