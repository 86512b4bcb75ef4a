// The compiled-in addresses of the services the launcher talks to.
#pragma once

// The host of the version service, reached on port 1011.
const char* VersionServiceHost();

// The root address of the manual-download site, such as "http://www.example.com".
const char* ManualDownloadSite();
