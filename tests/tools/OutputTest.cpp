#include <gtest/gtest.h>

#include <sstream>

#include "platform/automation/Variant.h"
#include "tests/tools/TextFormats.h"
#include "tools/ctl/Output.h"
#include "tools/ctl/Watch.h"

namespace fonerix::ctl {
namespace {

using test::ParseCsv;
using test::ParseJson;

struct TextCase {
    std::string in;
    std::string out;
};

TEST(CsvFieldTest, QuotesOnlyWhatNeedsIt) {
    const TextCase cases[] = {
        {"84951234567", "84951234567"},
        {"", ""},
        {"Иванов Иван", "Иванов Иван"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
        {" padded", "\" padded\""},
        {"padded ", "\"padded \""},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(CsvField(c.in), c.out) << c.in;
        // And a reader gets the original back.
        const auto records = ParseCsv(CsvField(c.in) + "\r\n");
        ASSERT_TRUE(records) << c.in;
        ASSERT_EQ(records->size(), 1u);
        EXPECT_EQ(records->at(0).at(0), c.in);
    }
}

TEST(JsonStringTest, EscapesWhatJsonRequiresAndKeepsUtf8) {
    const TextCase cases[] = {
        {"plain", "\"plain\""},
        {"", "\"\""},
        {"quote \" back \\ slash", "\"quote \\\" back \\\\ slash\""},
        {"tab\tnl\ncr\r", "\"tab\\tnl\\ncr\\r\""},
        {std::string("nul\0bell\x07", 9), "\"nul\\u0000bell\\u0007\""},
        {"\x1f\x7f", "\"\\u001f\\u007f\""},
        {"Абонент №5 ☎", "\"Абонент №5 ☎\""},
        {"</script>", "\"</script>\""},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(JsonString(c.in), c.out);
        const auto parsed = ParseJson(JsonString(c.in));
        ASSERT_TRUE(parsed) << JsonString(c.in);
        EXPECT_EQ(parsed->Text(), c.in);
    }
}

Table Sample() {
    Table t;
    t.columns = {"position", "number", "name"};
    t.rows.push_back({Cell::Number(3), Cell::Text("84951234567"), Cell::Text("Петров, П.")});
    t.rows.push_back({Cell::Number(12), Cell::Text(""), Cell::Text("say \"hi\"\n")});
    return t;
}

TEST(WriteTableTest, CsvAndJsonReadBackAsTheyWereWritten) {
    std::ostringstream csv;
    WriteTable(csv, Sample(), OutputFormat::Csv);
    const auto records = ParseCsv(csv.str());
    ASSERT_TRUE(records) << csv.str();
    ASSERT_EQ(records->size(), 3u);
    EXPECT_EQ(records->at(0), (std::vector<std::string>{"position", "number", "name"}));
    EXPECT_EQ(records->at(1), (std::vector<std::string>{"3", "84951234567", "Петров, П."}));
    EXPECT_EQ(records->at(2), (std::vector<std::string>{"12", "", "say \"hi\"\n"}));

    std::ostringstream json;
    WriteTable(json, Sample(), OutputFormat::Json);
    const auto doc = ParseJson(json.str());
    ASSERT_TRUE(doc && doc->IsArray()) << json.str();
    ASSERT_EQ(doc->AsArray().size(), 2u);
    const auto& first = doc->AsArray()[0];
    EXPECT_EQ(first["position"].Number(), 3);          // a number, not a string
    EXPECT_EQ(first["number"].Text(), "84951234567");  // numbers of telephones stay text
    EXPECT_EQ(first["name"].Text(), "Петров, П.");
    EXPECT_EQ(doc->AsArray()[1]["name"].Text(), "say \"hi\"\n");

    std::ostringstream empty;
    WriteTable(empty, Table{{"a"}, {}}, OutputFormat::Json);
    const auto none = ParseJson(empty.str());
    ASSERT_TRUE(none && none->IsArray());
    EXPECT_TRUE(none->AsArray().empty());
}

TEST(WriteTableTest, TableColumnsAlignByCharactersNotBytes) {
    Table t;
    t.columns = {"name", "n"};
    t.rows.push_back({Cell::Text("Ян"), Cell::Number(1)});
    t.rows.push_back({Cell::Text("Mary"), Cell::Number(2)});
    std::ostringstream out;
    WriteTable(out, t, OutputFormat::Table);
    EXPECT_EQ(out.str(), "name  n\nЯн    1\nMary  2\n");
}

TEST(WriteRecordTest, OneObjectInJsonAndNameValueLinesInTable) {
    Table t;
    t.columns = {"caption", "type"};
    t.rows.push_back({Cell::Text("Ringolo Zelta+"), Cell::Number(7)});
    std::ostringstream json;
    WriteRecord(json, t, OutputFormat::Json);
    const auto doc = ParseJson(json.str());
    ASSERT_TRUE(doc && doc->IsObject()) << json.str();
    EXPECT_EQ((*doc)["type"].Number(), 7);
    std::ostringstream table;
    WriteRecord(table, t, OutputFormat::Table);
    EXPECT_EQ(table.str(), "caption: Ringolo Zelta+\ntype:    7\n");
}

TEST(EventLineTest, NamesTheEventAndItsArgumentInTextAndJson) {
    BSTR number = BstrFromUtf8("84951234567");
    VARIANT byRef;
    byRef.vt = VT_BSTR | VT_BYREF;
    byRef.pbstrVal = &number;
    DISPPARAMS call{&byRef, nullptr, 1, 0};
    EXPECT_EQ(EventLine("12:00:00", 2, call, false), "12:00:00  ComingCall  84951234567");
    const auto doc = ParseJson(EventLine("12:00:00", 2, call, true));
    ASSERT_TRUE(doc);
    EXPECT_EQ((*doc)["event"].Text(), "ComingCall");
    EXPECT_EQ((*doc)["number"].Text(), "84951234567");
    // The sink's string: freed once printed, its slot nulled (the leak check sees the rest).
    FreeEventStrings(call);
    EXPECT_EQ(number, nullptr);

    BSTR empty = nullptr;  // a null BSTR is the empty number
    byRef.pbstrVal = &empty;
    EXPECT_EQ(EventLine("t", 1, call, false), "t  ParallDialing  (no number)");

    VARIANT key;
    key.vt = VT_I4;
    key.lVal = 64;
    DISPPARAMS press{&key, nullptr, 1, 0};
    const auto k = ParseJson(EventLine("t", 12, press, true));
    ASSERT_TRUE(k);
    EXPECT_EQ((*k)["event"].Text(), "PhoneKeyPress");
    EXPECT_EQ((*k)["key"].Number(), 64);

    DISPPARAMS none;
    EXPECT_EQ(EventLine("t", 8, none, false), "t  TubeUp");
    EXPECT_EQ(EventLine("t", 99, none, false), "t  event 99");
}

}  // namespace
}  // namespace fonerix::ctl
