#include "service/version_service_host.h"

// Both are fixed at build time (CMake cache variables), with no setting to
// change them at run time and no fallback host.
const char* VersionServiceHost() { return ZV_VERSION_SERVICE_HOST; }

const char* ManualDownloadSite() { return ZV_MANUAL_DOWNLOAD_SITE; }
