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

    void Append(std::string_view bytes) { pending_ += bytes; }

    std::optional<Line> NextLine() {
        const std::size_t end = pending_.find('\n');
        if (end == std::string::npos) {
            if (pending_.size() <= max_line_) {
                return std::nullopt;
            }
            // Keep discarding until the end of this line; report it once.
            pending_.clear();
            discarding_ = true;
            return Line{{}, true};
        }
        std::string text = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        if (discarding_) {
            discarding_ = false;
            return NextLine();
        }
        if (text.size() > max_line_) {
            return Line{{}, true};
        }
        return Line{std::move(text), false};
    }

  private:
    std::size_t max_line_;
    std::string pending_;
    bool discarding_ = false;
};

}  // namespace fonerix::sim
