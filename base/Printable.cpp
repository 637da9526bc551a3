#include "base/Quoted.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace tamrex {
namespace {

std::string Escaped(std::uint8_t byte) {
    switch (byte) {
        case '\n': return "\\n";
        case '\r': return "\\r";
        case '\t': return "\\t";
        case '\\': return "\\\\";
        default: break;
    }
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02x", byte);
    return text;
}

std::uint8_t ByteAt(std::string_view text, std::size_t at) { return static_cast<std::uint8_t>(text[at]); }

// The length of the valid UTF-8 sequence at `at` (overlong forms, surrogates and code
// points past U+10FFFF are not valid), or 0.
std::size_t Utf8Length(std::string_view text, std::size_t at) {
    const std::uint8_t lead = ByteAt(text, at);
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || text.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((ByteAt(text, at + i) & 0xC0) != 0x80) return 0;
    const std::uint8_t second = ByteAt(text, at + 1);
    if (lead == 0xE0 && second < 0xA0) return 0;  // overlong
    if (lead == 0xED && second > 0x9F) return 0;  // a surrogate
    if (lead == 0xF0 && second < 0x90) return 0;  // overlong
    if (lead == 0xF4 && second > 0x8F) return 0;  // past U+10FFFF
    return length;
}

bool IsC1Control(std::string_view sequence) {
    return sequence.size() == 2 && ByteAt(sequence, 0) == 0xC2 && ByteAt(sequence, 1) <= 0x9F;
}

}  // namespace

std::string Printable(std::string_view text) {
    std::string printable;
    printable.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::uint8_t byte = ByteAt(text, at);
        if (byte < 0x80) {
            const bool control = byte < 0x20 || byte == 0x7F || byte == '\\';
            printable += control ? Escaped(byte) : std::string(1, static_cast<char>(byte));
            ++at;
            continue;
        }
        const std::size_t length = Utf8Length(text, at);
        const std::string_view sequence = text.substr(at, length);
        if (length == 0 || IsC1Control(sequence)) {
            for (std::size_t i = 0; i < std::max<std::size_t>(length, 1); ++i) printable += Escaped(ByteAt(text, at + i));
        } else {
            printable += sequence;
        }
        at += std::max<std::size_t>(length, 1);
    }
    return printable;
}

}  // namespace tamrex
