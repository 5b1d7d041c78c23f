// Fuzzes the Jet dialect layer: the tokenizer, the rewriting for SQLite and PostgreSQL, the LIKE
// pattern translations and the date parsers. Any input must be handled without a crash, and:
// - the tokens join back to the input;
// - Jet itself gets the statement unchanged;
// - from valid UTF-8 only valid UTF-8 comes out;
// - a parsed date is a valid one.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client/data/DbException.h"
#include "client/data/JetDatetime.h"
#include "client/data/JetLike.h"
#include "client/data/SqlDialect.h"
#include "client/data/SqlTokenizer.h"
#include "platform/codepage/Utf8.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool validInput = platform::IsValidUtf8(input);
    constexpr fonedesk::CivilDate kToday{2026, 12, 9};

    std::string joined;
    for (const fonedesk::SqlToken& token : fonedesk::TokenizeSql(input)) {
        Require(!token.text.empty());
        joined += token.text;
    }
    Require(joined == input);

    Require(fonedesk::RewriteJetStatement(input, fonedesk::SqlDialect::Jet, kToday) == input);
    for (const auto dialect : {fonedesk::SqlDialect::SQLite, fonedesk::SqlDialect::PostgreSQL}) {
        try {
            const std::string out = fonedesk::RewriteJetStatement(input, dialect, kToday);
            Require(!validInput || platform::IsValidUtf8(out));
        } catch (const fonedesk::CDBException&) {
            // a date the statement holds is not a valid moment: rejected, as Jet rejects it
        }
    }

    for (const auto& translated :
         {fonedesk::JetLikeToGlob(input), fonedesk::JetLikeToRegex(input)}) {
        Require(translated.has_value() == validInput);
        Require(!translated || platform::IsValidUtf8(*translated));
    }
    if (const auto value = fonedesk::ParseDateTimeText(input, kToday)) {
        Require(fonedesk::IsValidDate(value->date));
    }
    if (const auto value = fonedesk::ParseJetDateLiteral(input)) {
        Require(fonedesk::IsValidDate(value->date));
    }
    return 0;
}
