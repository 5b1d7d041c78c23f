// The binary search in a reference file, checked against a plain scan of the same file for every
// number it holds and for numbers between its lines and beyond its ends, over files of many
// shapes. The files are sorted here with a case folding written for the tests, not the search's.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "client/data/ReferenceFiles.h"
#include "platform/codepage/Cp1251.h"
#include "tests/support/TemporaryDirectory.h"

namespace {

using fonedesk::CReferenceFile;
using fonedesk::FindInReference;

// Windows-1251 bytes of the Cyrillic letters the tests use.
constexpr char kYoUpper = '\xA8';  // Ё
constexpr char kYoLower = '\xB8';  // ё

// Lower case in Windows-1251 for the letters the tests use: Latin, А..Я and Ё.
unsigned char Lower(char c) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 'A' && b <= 'Z') {
        return b + 32;
    }
    if (b >= 0xC0 && b <= 0xDF) {
        return b + 32;
    }
    if (c == kYoUpper) {
        return static_cast<unsigned char>(kYoLower);
    }
    return b;
}

std::string Folded(std::string_view text) {
    std::string out;
    for (const char c : text) {
        out += static_cast<char>(Lower(c));
    }
    return out;
}

std::string FlipCase(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (Lower(c) != b) {
            out += static_cast<char>(Lower(c));
        } else if ((b >= 'a' && b <= 'z') || b >= 0xE0) {
            out += static_cast<char>(b - 32);
        } else if (c == kYoLower) {
            out += kYoUpper;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

struct Shape {
    const char* name;
    int lines;
    const char* lineEnd;
    bool finalLineEnd;
    int minTail;  // bytes after the key: delimiter, name, delimiter, comment
    int maxTail;
    char delimiter;
    bool letters;     // keys of letters in mixed case besides digits
    bool blanks;      // blanks around the key
    bool blankLines;  // empty and blank-only lines among the others
    bool duplicates;  // some keys on several lines
};

std::ostream& operator<<(std::ostream& out, const Shape& shape) {
    return out << shape.name;
}

struct Generated {
    std::string text;
    std::vector<std::string> keys;  // as written, sorted
};

// Keys of 1 to 7 characters so that their order as text differs from their order as numbers.
std::string RandomKey(std::mt19937& random, bool letters) {
    static const std::string kDigits = "0123456789";
    static const std::string kLetters =
        std::string("0123456789aBcXyz_-") + kYoUpper + kYoLower + "\xC0\xC6\xDF\xE0\xE6\xFF";
    const std::string& alphabet = letters ? kLetters : kDigits;
    std::uniform_int_distribution<int> length(1, 7);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string key;
    for (int n = length(random); n > 0; --n) {
        key += alphabet[pick(random)];
    }
    return key;
}

Generated Generate(const Shape& shape, unsigned seed) {
    std::mt19937 random(seed);
    std::set<std::string> seen;
    Generated out;
    while (static_cast<int>(out.keys.size()) < shape.lines) {
        std::string key = RandomKey(random, shape.letters);
        if (seen.insert(Folded(key)).second) {
            out.keys.push_back(key);
            if (shape.duplicates && random() % 4 == 0) {
                out.keys.push_back(FlipCase(key));
            }
        }
    }
    out.keys.resize(static_cast<std::size_t>(shape.lines));
    std::stable_sort(
        out.keys.begin(), out.keys.end(),
        [](const std::string& a, const std::string& b) { return Folded(a) < Folded(b); });
    std::uniform_int_distribution<int> tail(shape.minTail, shape.maxTail);
    for (std::size_t i = 0; i < out.keys.size(); ++i) {
        if (shape.blankLines && random() % 5 == 0) {
            out.text += (random() % 2 ? "" : " \t ");
            out.text += shape.lineEnd;
        }
        std::string line = shape.blanks ? " \t" + out.keys[i] + "  " : out.keys[i];
        const int rest = tail(random);
        if (rest > 0) {
            line += shape.delimiter;
            for (int n = 1; n < rest; ++n) {
                line += static_cast<char>(n == rest / 2 ? shape.delimiter : 'a' + n % 26);
            }
        }
        out.text += line;
        if (i + 1 < out.keys.size() || shape.finalLineEnd) {
            out.text += shape.lineEnd;
        }
    }
    if (shape.blankLines && shape.finalLineEnd) {
        out.text += shape.lineEnd;  // an empty line at the very end
    }
    return out;
}

// The answer of a plain scan: the lines whose first field equals the number without regard to case.
std::vector<std::string> Scan(const std::string& text, const std::string& number, char delimiter) {
    std::vector<std::string> matches;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string key = Trimmed(line.substr(0, line.find(delimiter)));
        if (!Trimmed(line).empty() && Folded(key) == Folded(Trimmed(number))) {
            matches.push_back(line);
        }
        pos = end + 1;
    }
    return matches;
}

class ReferenceSearchTest : public ::testing::TestWithParam<Shape> {
  protected:
    CReferenceFile Write(const std::string& text) {
        const std::string path = m_dir.File("reference.txt");
        std::ofstream(path, std::ios::binary) << text;
        return CReferenceFile(path);
    }

    // Searches with the number given in the program's text (UTF-8) and compares with the scan.
    void ExpectAsScan(CReferenceFile& file, const Generated& generated, const std::string& number,
                      char delimiter) {
        std::string line = "untouched";
        const bool found = FindInReference(file, platform::Cp1251ToUtf8(number), delimiter, line);
        const std::vector<std::string> matches = Scan(generated.text, number, delimiter);
        ASSERT_EQ(found, !matches.empty()) << "number \"" << number << "\"";
        if (found) {
            EXPECT_NE(std::find(matches.begin(), matches.end(), line), matches.end())
                << "number \"" << number << "\" gave \"" << line << "\"";
        }
    }

    fonerix::test::TemporaryDirectory m_dir{"reference-search"};
};

TEST_P(ReferenceSearchTest, FindsEveryNumberAndOnlyThose) {
    const Shape& shape = GetParam();
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Generated generated = Generate(shape, seed);
        CReferenceFile file = Write(generated.text);
        ASSERT_TRUE(file.IsOpen());

        for (const std::string& key : generated.keys) {
            ExpectAsScan(file, generated, key, shape.delimiter);
            ExpectAsScan(file, generated, FlipCase(key), shape.delimiter);
        }
        // Between the lines: longer and shorter neighbours of each key, and random keys.
        std::mt19937 random(seed * 7919);
        for (const std::string& key : generated.keys) {
            ExpectAsScan(file, generated, key + "0", shape.delimiter);
            ExpectAsScan(file, generated, key.substr(0, key.size() - 1) + "5", shape.delimiter);
            ExpectAsScan(file, generated, RandomKey(random, shape.letters), shape.delimiter);
        }
        // Beyond both ends.
        ExpectAsScan(file, generated, "!", shape.delimiter);
        ExpectAsScan(file, generated, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", shape.delimiter);
    }
}

// Where the lines equal to `line` end, each with its line end: where a read after it goes on.
std::vector<std::size_t> EndsOfLine(const std::string& text, const std::string& line,
                                    const std::string& lineEnd) {
    std::vector<std::size_t> ends;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
        const bool starts = at == 0 || text[at - 1] == '\n';
        const std::size_t after = at + line.size();
        if (starts && text.compare(after, lineEnd.size(), lineEnd) == 0) {
            ends.push_back(after + lineEnd.size());
        } else if (starts && after == text.size()) {
            ends.push_back(after);
        }
    }
    return ends;
}

TEST_P(ReferenceSearchTest, LeavesTheReadPositionAfterTheLineFound) {
    const Shape& shape = GetParam();
    const Generated generated = Generate(shape, 42);
    CReferenceFile file = Write(generated.text);
    for (const std::size_t i :
         {std::size_t{0}, generated.keys.size() / 2, generated.keys.size() - 1}) {
        std::string line;
        ASSERT_TRUE(FindInReference(file, platform::Cp1251ToUtf8(generated.keys[i]),
                                    shape.delimiter, line));
        std::string rest(64, '\0');
        rest.resize(std::fread(rest.data(), 1, rest.size(), file.Handle()));
        bool followed = false;
        for (const std::size_t end : EndsOfLine(generated.text, line, shape.lineEnd)) {
            followed = followed || rest == generated.text.substr(end, 64);
        }
        EXPECT_TRUE(followed) << "after \"" << line << "\" came \"" << rest << "\"";
    }
}

const Shape kShapes[] = {
    // name, lines, end, final end, tail, delimiter, letters, blanks, blank lines, duplicates
    {"OneLine", 1, "\n", false, 5, 20, ',', false, false, false, false},
    {"OneLineCrLf", 1, "\r\n", true, 5, 20, ',', false, false, false, false},
    {"TwoLines", 2, "\n", true, 0, 3, ',', false, false, false, false},
    {"ThreeLinesNoFinalEnd", 3, "\r\n", false, 0, 3, ',', false, false, false, false},
    {"ShorterThanTenBytes", 300, "\n", true, 0, 2, ',', false, false, false, false},
    {"ShortNoDelimiterCrLf", 300, "\r\n", false, 0, 0, ',', false, false, false, false},
    {"TwentyToFiftyBytes", 500, "\r\n", true, 13, 43, ',', false, false, false, false},
    {"TwentyToFiftyNoFinalEnd", 500, "\n", false, 13, 43, ',', false, false, false, false},
    {"LinesLongerThanABlock", 40, "\r\n", true, 3000, 9000, ',', false, false, false, false},
    {"MixedCaseLetters", 400, "\n", true, 2, 30, ',', true, false, false, false},
    {"Semicolon", 300, "\r\n", true, 2, 30, ';', true, false, false, false},
    {"BlanksAroundKeys", 300, "\n", false, 2, 30, '|', false, true, false, false},
    {"BlankLinesAmongThem", 300, "\r\n", true, 0, 20, ',', false, false, true, false},
    {"DuplicateKeys", 300, "\n", true, 2, 15, ',', true, false, false, true},
};

INSTANTIATE_TEST_SUITE_P(Shapes, ReferenceSearchTest, ::testing::ValuesIn(kShapes),
                         [](const auto& shape) { return std::string(shape.param.name); });

class ReferenceSearchCasesTest : public ::testing::Test {
  protected:
    CReferenceFile Write(const std::string& text) {
        const std::string path = m_dir.File("reference.txt");
        std::ofstream(path, std::ios::binary) << text;
        return CReferenceFile(path);
    }

    fonerix::test::TemporaryDirectory m_dir{"reference-cases"};
};

TEST_F(ReferenceSearchCasesTest, NumbersAsCallersGiveThem) {
    // "Иванов" in Windows-1251 and the number 'АБ' (Cyrillic) in a key.
    CReferenceFile file = Write(
        "100,\xC8\xE2\xE0\xED\xEE\xE2,first\r\n"
        "200,Petrov,\r\n"
        "30\xC0\xC1,Letters,\r\n");
    struct Case {
        const char* number;
        bool found;
        const char* line;
    };
    const Case cases[] = {
        {"100", true, "100,\xC8\xE2\xE0\xED\xEE\xE2,first"},
        {"  200\t", true, "200,Petrov,"},
        {"30аб", true, "30\xC0\xC1,Letters,"},  // UTF-8 in, other case
        {"30АБ", true, "30\xC0\xC1,Letters,"},
        {"", false, ""},
        {"   ", false, ""},
        {"20", false, ""},
        {"2000", false, ""},
        {"100\xE4\xB8\xAD", false, ""},  // a character Windows-1251 lacks
        {"\xC0", false, ""},             // not UTF-8
    };
    for (const Case& c : cases) {
        std::string line;
        EXPECT_EQ(FindInReference(file, c.number, ',', line), c.found) << c.number;
        if (c.found) {
            EXPECT_EQ(line, c.line);
        }
    }
}

TEST_F(ReferenceSearchCasesTest, EmptyAndUnopenedFilesHoldNothing) {
    std::string line = "kept";
    CReferenceFile empty = Write("");
    ASSERT_TRUE(empty.IsOpen());
    EXPECT_FALSE(FindInReference(empty, "1", ',', line));
    CReferenceFile blank = Write("\r\n\n  \n");
    EXPECT_FALSE(FindInReference(blank, "1", ',', line));
    CReferenceFile missing(m_dir.File("missing.txt"));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(FindInReference(missing, "1", ',', line));
    EXPECT_EQ(line, "kept");
}

TEST_F(ReferenceSearchCasesTest, RepeatedSearchesDoNotDependOnTheReadPosition) {
    CReferenceFile file = Write("1,a\n22,b\n333,c\n4444,d\n55555,e\n");
    std::string line;
    for (int round = 0; round < 2; ++round) {
        for (const char* number : {"55555", "1", "4444", "22", "333"}) {
            ASSERT_TRUE(FindInReference(file, number, ',', line)) << number;
            EXPECT_EQ(line.substr(0, line.find(',')), number);
        }
        std::fseek(file.Handle(), 0, SEEK_END);
        std::fgetc(file.Handle());  // the end-of-file flag set
    }
}

TEST(CompareReferenceKeysTest, OrdersWithoutRegardToCase) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    };
    const Case cases[] = {
        {"abc", "ABC", 0},    {"\xA8\xE6", "\xB8\xC6", 0},  // Ёж and ёЖ
        {"\xE0", "\xDF", -1},                               // а before Я
        {"_", "A", -1},                                     // letters fold to lower case, after '_'
        {"\xB8", "\xC0", -1},  // ё before А, as the code page orders them
        {"12", "123", -1},    {"2", "123", 1},
        {"", "", 0},          {"", "0", -1},
    };
    for (const Case& c : cases) {
        const int order = fonedesk::CompareReferenceKeys(c.a, c.b);
        EXPECT_EQ((order > 0) - (order < 0), c.sign) << c.a << " / " << c.b;
        const int reverse = fonedesk::CompareReferenceKeys(c.b, c.a);
        EXPECT_EQ((reverse > 0) - (reverse < 0), -c.sign) << c.b << " / " << c.a;
    }
}

}  // namespace
