// A string value of a file's version resource, such as the client's FileVersion.
#pragma once

#include <string>

// Reads \StringFileInfo\<language><code page>\<name> under the first entry of
// the file's translation table. Returns false when name or path is empty or
// the file has no readable version resource or translation table; true once
// the table was read, also when the value was not found. `value` is written
// only when the value was found.
bool ReadVersionValue(const std::u16string& name, const std::u16string& path,
                      std::u16string& value);
