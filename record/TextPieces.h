#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace tamrex {

// "18.8": a value to one decimal, as the log's readers show heights and thicknesses.
inline std::string OneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// The parts with `between` between them: flags as "no-line;turned" or "no-line, turned".
inline std::string Joined(const std::vector<std::string>& parts, const char* between) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : between) + part;
    return text;
}

}  // namespace tamrex
