// Defensive reading of JSON that came from outside: the settings file and the
// version service. JsonCpp raises exceptions for conversions it refuses and
// for documents nested too deeply; the launcher must never end because of
// what a file or a server contains, so every such case becomes a plain value.
#pragma once

#include <json/json.h>

#include <string>

// Json::Reader::parse with its default features; false also when JsonCpp
// raises an error while reading (for instance nesting beyond its stack limit).
bool ParseJson(const std::string& text, Json::Value& root);

// The member `key` of `object`, or null when `object` is not an object or
// has no such member.
const Json::Value& Member(const Json::Value& object, const char* key);

// Json::Value::asInt where JsonCpp can convert the value (null, booleans,
// integers and reals within the signed 32-bit range); 0 for every value that
// asInt would refuse (strings, arrays, objects, numbers out of range).
int IntOrZero(const Json::Value& value);

// Json::Value::asString where JsonCpp can convert the value (null, strings,
// booleans and numbers); empty for arrays and objects, which asString refuses.
std::string StringOrEmpty(const Json::Value& value);
