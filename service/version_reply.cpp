#include "service/version_query.h"

#include "launcher/json_read.h"
#include "launcher/to_wide.h"

VersionReply ReadVersionReply(const std::string& body) {
  VersionReply reply;
  Json::Value root;
  if (!ParseJson(body, root)) return reply;
  // A member of a type JsonCpp cannot convert counts as absent: a "Code" that
  // is no 32-bit number reads as 0 like a missing one, and a string member
  // that is an array or object reads as empty, as does every member of a
  // "Data" or root that is not an object. Whatever a server sends, the
  // launcher decides instead of ending.
  reply.code = IntOrZero(Member(root, "Code"));
  if (reply.code != 0) {
    reply.message = ToWide(StringOrEmpty(Member(root, "Msg")));
    return reply;
  }
  const Json::Value& data = Member(root, "Data");
  reply.latestVersion = ToWide(StringOrEmpty(Member(data, "LatestVersion")));
  reply.updateNotes = ToWide(StringOrEmpty(Member(data, "UpdateContent")));
  reply.downloadUrl = ToWide(StringOrEmpty(Member(data, "DownloadUrl")));
  return reply;
}
