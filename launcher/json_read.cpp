#include "launcher/json_read.h"

bool ParseJson(const std::string& text, Json::Value& root) {
  try {
    Json::Reader reader;
    return reader.parse(text, root);
  } catch (const Json::Exception&) {
    return false;
  }
}

const Json::Value& Member(const Json::Value& object, const char* key) {
  static const Json::Value null;
  if (!object.isObject()) return null;
  const Json::Value* member = object.find(key, key + std::char_traits<char>::length(key));
  return member ? *member : null;
}

int IntOrZero(const Json::Value& value) {
  switch (value.type()) {
    case Json::nullValue:
    case Json::booleanValue:
      return value.asInt();
    case Json::intValue:
    case Json::uintValue:
      return value.isInt() ? value.asInt() : 0;
    case Json::realValue: {
      // asInt cuts a real toward zero when it lies within the range; NaN and
      // the infinities fail both comparisons and give 0.
      const double real = value.asDouble();
      const bool inRange = real >= Json::Value::minInt && real <= Json::Value::maxInt;
      return inRange ? value.asInt() : 0;
    }
    default:
      return 0;
  }
}

std::string StringOrEmpty(const Json::Value& value) {
  if (value.isArray() || value.isObject()) return {};
  return value.asString();
}
