#include "record/CountRecord.h"

#include <cstdio>
#include <random>

namespace tamrex {
namespace {

// 128 random bits: two programs counting at the same millisecond on the same photo
// still get keys of their own.
std::string NewKey() {
    std::random_device entropy;
    std::uniform_int_distribution<unsigned long long> bits;
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", bits(entropy), bits(entropy));
    return text;
}

}  // namespace

CountRecord RecordOfCount(const std::filesystem::path& photo, const Expected<CountResult>& result,
                          const RecordedSettings& settings, const std::string& program, const std::string& version) {
    CountRecord record;
    record.key = NewKey();
    record.when = Now();
    record.login = LoginName();
    record.host = HostName();
    record.program = program;
    record.version = version;
    std::error_code ignored;
    record.photo = std::filesystem::absolute(photo, ignored).lexically_normal();
    record.settings = settings;
    if (!result) {
        record.error = result.error().message;
        return record;
    }
    record.count = result->count();
    record.passes = result->passLines;
    if (result->secondLook) {
        record.secondCount = result->secondLook->boards;
    } else {
        record.secondLookError = result->secondLookError;
    }
    record.heightBoards = result->heightBoards;
    record.flags = result->flags;
    return record;
}

CorrectionRecord RecordOfCorrection(const CountRecord& count, int acceptedCount, std::vector<LineRun> lines) {
    return {count, Now(), LoginName(), HostName(), acceptedCount, std::move(lines)};
}

}  // namespace tamrex
