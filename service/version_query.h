// The version query and the update decision.
#pragma once

#include "service/http_client.h"
#include "service/version_reply.h"

#include <cstdint>
#include <string>

// The query's URL: https://<version service host>:1011/v1/oem/clientVersion?oemId=<oemId>.
std::string VersionQueryUrl(std::int32_t oemId);

// Asks the version service; the caller reads client.error to know whether the
// request succeeded. On a failed request or a body that is not JSON the
// reply keeps its initial values.
VersionReply QueryVersion(HttpClient& client, std::int32_t oemId);

// The reply read from a response body.
VersionReply ReadVersionReply(const std::string& body);

// True when either version is empty or `installed` is lower than `latest`.
bool NeedsUpdate(const std::u16string& installed, const std::u16string& latest);
