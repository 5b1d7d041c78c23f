// Splits a byte stream into command lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace fonerix::sim {

class LineAssembler {
  public:
    struct Line {
        std::string text;  // without the line end
        bool too_long;     // the line passed the limit; text holds nothing useful
    };

    explicit LineAssembler(std::size_t max_line = 4096) : max_line_(max_line) {}

    void Append(std::string_view bytes) { m_pending += bytes; }

    std::optional<Line> NextLine() {
        const std::size_t end = m_pending.find('\n');
        if (end == std::string::npos) {
            if (m_pending.size() <= max_line_) {
                return std::nullopt;
            }
            // Keep discarding until the end of this line; report it once.
            m_pending.clear();
            m_discarding = true;
            return Line{{}, true};
        }
        std::string text = m_pending.substr(0, end);
        m_pending.erase(0, end + 1);
        if (m_discarding) {
            m_discarding = false;
            return NextLine();
        }
        if (text.size() > max_line_) {
            return Line{{}, true};
        }
        return Line{std::move(text), false};
    }

  private:
    std::size_t max_line_;
    std::string m_pending;
    bool m_discarding = false;
};

}  // namespace fonerix::sim
