// The registry's text form of a GUID.
#pragma once

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "frame_text.h"

namespace oddments {

inline std::string GuidText(REFGUID guid) {
  GuidFields fields{guid.Data1, guid.Data2, guid.Data3, {}};
  std::copy(std::begin(guid.Data4), std::end(guid.Data4), fields.data4.begin());
  return GuidText(fields);
}

}  // namespace oddments
