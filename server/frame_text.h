// Texts of the COM frame that need no Windows call, so that they also build
// and are tested natively.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace oddments {

// The fields of a GUID as COM lays them out.
struct GuidFields {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::array<std::uint8_t, 8> data4;
};

// The 38-character registry form: braces, upper-case digits, every group
// padded to its full width.
std::string GuidText(const GuidFields& guid);

// The file name of a module path (after the last '\', '/' or ':') cut before
// its last '.'; empty when the file name has no '.'.
std::string ServerNameFromPath(std::string_view path);

}  // namespace oddments
