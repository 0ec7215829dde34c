// The program's file version: what the build records (the stand-in for the version
// resource) and the application-wide running version that the windows read.
#pragma once

#include <string>

namespace platform {

// The file version the build recorded, a dotted text such as "2.0.1.0".
const std::string& FileVersion();

// The running version shown in the caption, the about box and the update report.
// Empty until the main window stores FileVersion() in it at start-up.
const std::string& AppVersion();
void SetAppVersion(std::string version);

} // namespace platform
