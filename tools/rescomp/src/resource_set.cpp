#include "resource_set.h"

namespace rescomp {

bool NameLess(const ResourceName& a, const ResourceName& b) {
  if (a.isString != b.isString) return a.isString;
  return a.isString ? a.text < b.text : a.number < b.number;
}

bool NameEqual(const ResourceName& a, const ResourceName& b) { return !NameLess(a, b) && !NameLess(b, a); }

}  // namespace rescomp
