#include "platform/app_version.h"

namespace platform {
namespace {

std::string& RunningVersion() {
    static std::string version;
    return version;
}

} // namespace

const std::string& FileVersion() {
    static const std::string version = VAROKU_APP_VERSION;
    return version;
}

const std::string& AppVersion() {
    return RunningVersion();
}

void SetAppVersion(std::string version) {
    RunningVersion() = std::move(version);
}

} // namespace platform
