#include "service/version_query.h"

#include "service/version_service_host.h"

std::string VersionQueryUrl(std::int32_t oemId) {
  return std::string("https://") + VersionServiceHost() + ":1011" +
         "/v1/oem/clientVersion?oemId=" + std::to_string(oemId);
}

VersionReply QueryVersion(HttpClient& client, std::int32_t oemId) {
  const std::string body = client.Request(VersionQueryUrl(oemId), std::string());
  if (client.error != 0) return VersionReply{};
  return ReadVersionReply(body);
}
