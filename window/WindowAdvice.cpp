#include "window/WindowAdvice.h"

#include <array>
#include <utility>

namespace tamrex {
namespace {

// The window writes beside its photos only and keeps to the limits it was built with.
constexpr std::array<std::pair<const char*, const char*>, 3> kCommandLineAdvice = {{
    {"; scale the photo down, or raise the limit if it really is that big",
     "; scale it down, or count it with tamrex-count --max-pixels"},
    {", or choose another place", ""},
    {", or raise --memory-budget", ""},
}};

}  // namespace

QString ForTheWindow(const std::string& message) {
    QString text = QString::fromStdString(message);
    for (const auto& [commandLine, window] : kCommandLineAdvice)
        text.replace(QLatin1String(commandLine), QLatin1String(window));
    return text;
}

}  // namespace tamrex
