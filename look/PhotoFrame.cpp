#include "look/PhotoFrame.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <vector>

namespace tamrex {
namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool WholeNumber(std::string_view text, int& number) {
    text = Trimmed(text);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string FrameText(const PhotoFrame& frame) {
    return std::to_string(frame.x) + "," + std::to_string(frame.y) + "," + std::to_string(frame.width) + "," +
           std::to_string(frame.height);
}

Expected<PhotoFrame> ParseFrame(std::string_view text) {
    const auto wrong = [&](const std::string& what) {
        return Fail("the frame '" + std::string(text) + "' " + what +
                    ": give it as X,Y,W,H in pixels of the upright photo, from its top left corner");
    };
    std::vector<int> numbers;
    for (std::size_t start = 0;;) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        if (!WholeNumber(text.substr(start, comma - start), numbers.emplace_back()))
            return wrong("holds something that is not a whole number");
        if (comma == text.size()) break;
        start = comma + 1;
    }
    if (numbers.size() != 4) return wrong("does not have four numbers");
    const PhotoFrame frame{numbers[0], numbers[1], numbers[2], numbers[3]};
    if (frame.x < 0 || frame.y < 0) return wrong("starts left of or above the photo");
    if (frame.width <= 0 || frame.height <= 0) return wrong("has no width or no height");
    return frame;
}

Expected<PhotoArea> AreaOnPhoto(int width, int height, const std::optional<PhotoFrame>& frame) {
    if (!frame) return PhotoArea{0, 0, width, height};
    const int left = std::clamp(frame->x, 0, width), right = std::clamp(frame->x + frame->width, 0, width);
    const int top = std::clamp(frame->y, 0, height), bottom = std::clamp(frame->y + frame->height, 0, height);
    if (frame->width <= 0 || frame->height <= 0 || right <= left || bottom <= top) {
        return Fail("the frame " + FrameText(*frame) + " does not lie on the photo, which is " + std::to_string(width) +
                    " x " + std::to_string(height) + " pixels; frame the stack again");
    }
    return PhotoArea{left, height - bottom, right - left, bottom - top};
}

}  // namespace tamrex
