#include "client/data/JetLike.h"

#include <algorithm>
#include <vector>

#include "client/data/LetterCase.h"
#include "platform/codepage/Utf8.h"

namespace fonedesk {
namespace {

// Ranges wider than this keep their ends and give up case folding rather than expanding.
constexpr char32_t kWidestExpandedRange = 512;

struct Element {
    enum Kind { Literal, AnyRun, AnyOne, Set } kind = Literal;
    char32_t literal = 0;
    bool negated = false;
    std::vector<char32_t> members;                      // expanded, both cases
    std::vector<std::pair<char32_t, char32_t>> ranges;  // wide ranges, as given
};

std::optional<std::vector<char32_t>> Decode(std::string_view text) {
    std::vector<char32_t> out;
    for (std::size_t pos = 0; pos < text.size();) {
        const platform::Utf8Step step = platform::DecodeUtf8(text, pos);
        if (!step.valid) {
            return std::nullopt;
        }
        out.push_back(step.codePoint);
        pos += step.length;
    }
    return out;
}

void AddMember(Element& set, char32_t c) {
    set.members.push_back(c);
    set.members.push_back(OtherCase(c));
}

// [list] starting at chars[i] == '['; returns the index after ']' or nullopt when unterminated.
std::optional<std::size_t> ParseSet(const std::vector<char32_t>& chars, std::size_t i,
                                    Element& set) {
    const auto close =
        std::find(chars.begin() + static_cast<std::ptrdiff_t>(i) + 1, chars.end(), U']');
    if (close == chars.end()) {
        return std::nullopt;
    }
    std::vector<char32_t> body(chars.begin() + static_cast<std::ptrdiff_t>(i) + 1, close);
    set.kind = Element::Set;
    if (!body.empty() && body.front() == U'!') {
        set.negated = true;
        body.erase(body.begin());
    }
    const bool commasSeparate = body.size() > 1;
    for (std::size_t k = 0; k < body.size(); ++k) {
        const char32_t c = body[k];
        if (c == U',' && commasSeparate) {
            continue;
        }
        if (k + 2 < body.size() && body[k + 1] == U'-') {
            const char32_t last = body[k + 2];
            k += 2;
            if (last < c) {
                continue;  // an empty range, as Jet treats it
            }
            if (last - c <= kWidestExpandedRange) {
                for (char32_t m = c; m <= last; ++m) {
                    AddMember(set, m);
                }
            } else {
                // Only non-ASCII ends stay as a range, so no end can read as bracket syntax.
                char32_t first = c;
                for (; first < 0x80; ++first) {
                    AddMember(set, first);
                }
                set.ranges.emplace_back(first, last);
            }
            continue;
        }
        AddMember(set, c);
    }
    std::sort(set.members.begin(), set.members.end());
    set.members.erase(std::unique(set.members.begin(), set.members.end()), set.members.end());
    return static_cast<std::size_t>(close - chars.begin()) + 1;
}

std::optional<std::vector<Element>> Parse(std::string_view pattern) {
    const auto chars = Decode(pattern);
    if (!chars) {
        return std::nullopt;
    }
    std::vector<Element> elements;
    for (std::size_t i = 0; i < chars->size();) {
        const char32_t c = (*chars)[i];
        Element e;
        if (c == U'%') {
            e.kind = Element::AnyRun;
        } else if (c == U'_') {
            e.kind = Element::AnyOne;
        } else if (c == U'[') {
            if (const auto next = ParseSet(*chars, i, e)) {
                i = *next;
                elements.push_back(std::move(e));
                continue;
            }
            e.literal = c;  // an unterminated '[' stands for itself
        } else {
            e.literal = c;
        }
        elements.push_back(std::move(e));
        ++i;
    }
    return elements;
}

// Members of a bracket expression ordered so that none of them reads as syntax: ']' first,
// '^' and '[' late, '-' last.
std::vector<char32_t> BracketOrder(std::vector<char32_t> members) {
    const auto rank = [](char32_t c) {
        switch (c) {
            case U']':
                return 0;
            case U'^':
                return 2;
            case U'[':
                return 3;
            case U'-':
                return 4;
            default:
                return 1;
        }
    };
    std::stable_sort(members.begin(), members.end(),
                     [&](char32_t a, char32_t b) { return rank(a) < rank(b); });
    return members;
}

// Texts of one literal: itself, or both its cases as a one-character set.
std::vector<char32_t> LiteralMembers(char32_t c) {
    const char32_t other = OtherCase(c);
    if (other == c) {
        return {c};
    }
    return {std::min(c, other), std::max(c, other)};
}

// A bracket expression for GLOB or a regular expression. Members are written so that none reads
// as syntax: ']' first, '-' last, and '^' never right after the opening bracket of a set that is
// not negated (there it would negate); a set of '^' alone is written as the character itself.
void AppendBracketSet(std::string& out, bool negated, const std::vector<char32_t>& members,
                      const std::vector<std::pair<char32_t, char32_t>>& ranges, bool regex) {
    if (members.empty() && ranges.empty()) {
        out += negated ? (regex ? "." : "?") : "";  // Jet's "[]" matches the empty text
        return;
    }
    const auto text = [&](char32_t m) {
        std::string piece;
        if (regex && m == U'\\') {
            piece = "\\\\";
        } else {
            platform::AppendUtf8(piece, m);
        }
        return piece;
    };
    std::vector<std::string> pieces;
    for (const char32_t m : BracketOrder(members)) {
        if (m != U'-') {
            pieces.push_back(text(m));
        }
    }
    for (const auto& [first, last] : ranges) {
        pieces.push_back(text(first) + "-" + text(last));
    }
    const bool dash = std::find(members.begin(), members.end(), U'-') != members.end();
    if (!negated && !pieces.empty() && pieces.front() == "^") {
        if (pieces.size() > 1) {
            std::rotate(pieces.begin(), pieces.begin() + 1, pieces.end());
        } else if (!dash) {
            out += regex ? "\\^" : "^";
            return;
        }
    }
    out += '[';
    if (negated) {
        out += '^';
    }
    if (dash && !negated && !pieces.empty() && pieces.front() == "^") {
        out += '-';  // "[-^]": a leading '-' is itself in both syntaxes
        out += "^]";
        return;
    }
    for (const std::string& piece : pieces) {
        out += piece;
    }
    if (dash) {
        out += '-';
    }
    out += ']';
}

// A literal character: itself, escaped where the syntax would read it otherwise, or both its
// cases as a one-character set.
void AppendLiteral(std::string& out, char32_t c, bool regex) {
    const auto members = LiteralMembers(c);
    if (members.size() == 2) {
        AppendBracketSet(out, false, members, {}, regex);
        return;
    }
    if (regex) {
        constexpr std::string_view kSpecial = "^$.[]()|*+?{}\\";
        if (c < 0x80 && kSpecial.find(static_cast<char>(c)) != std::string_view::npos) {
            out += '\\';
        }
        platform::AppendUtf8(out, c);
    } else if (c == U'*' || c == U'?' || c == U'[') {
        AppendBracketSet(out, false, members, {}, false);
    } else {
        platform::AppendUtf8(out, c);
    }
}

// The pattern as a GLOB pattern or as an anchored regular expression.
std::optional<std::string> Translate(std::string_view pattern, bool regex) {
    const auto elements = Parse(pattern);
    if (!elements) {
        return std::nullopt;
    }
    std::string out = regex ? "^" : "";
    for (const Element& e : *elements) {
        switch (e.kind) {
            case Element::AnyRun:
                out += regex ? ".*" : "*";
                break;
            case Element::AnyOne:
                out += regex ? '.' : '?';
                break;
            case Element::Set:
                AppendBracketSet(out, e.negated, e.members, e.ranges, regex);
                break;
            case Element::Literal:
                AppendLiteral(out, e.literal, regex);
                break;
        }
    }
    if (regex) {
        out += '$';
    }
    return out;
}

}  // namespace

std::optional<std::string> JetLikeToGlob(std::string_view pattern) {
    return Translate(pattern, false);
}

std::optional<std::string> JetLikeToRegex(std::string_view pattern) {
    return Translate(pattern, true);
}

}  // namespace fonedesk
