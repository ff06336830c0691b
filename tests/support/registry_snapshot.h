// A registry key with everything below it, taken and put back by tests that
// change registry state they do not own.
#pragma once

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace oddments::test {

// The view of this test program's own bitness, named explicitly.
constexpr REGSAM kOwnView = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

struct RegValue {
  std::string name;
  DWORD type = 0;
  std::string data;  // raw bytes, a string's terminator included
  bool operator==(const RegValue&) const = default;
};

struct RegTree {
  std::vector<RegValue> values;  // in enumeration order
  std::vector<std::pair<std::string, RegTree>> subkeys;
  bool operator==(const RegTree&) const = default;
};

// Every key and value of the tree, one a line, so that a failed comparison
// shows what differed.
void PrintTo(const RegTree& tree, std::ostream* out);

// The tree at path, or nothing when the key does not exist.
std::optional<RegTree> TakeTree(HKEY root, const std::string& path);

// Deletes path with everything below it, then recreates tree there if any.
void PutTree(HKEY root, const std::string& path, const std::optional<RegTree>& tree);

std::optional<RegValue> ReadValue(HKEY root, const std::string& path, const std::string& name);
bool KeyExists(HKEY root, const std::string& path);
void WriteString(HKEY root, const std::string& path, const std::string& name, const std::string& text);

// The names that registration gives the handler's keys.
inline const std::string kClassID = "{FC02AD06-B816-4EA4-94BD-65178B1A0E10}";
inline const std::string kServerKey = "CLSID\\" + kClassID + "\\InprocServer32";
inline const std::string kFileHandler = "*\\shellex\\ContextMenuHandlers\\Oddments";
inline const std::string kShellExtensions = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions";
inline const std::string kApproved = kShellExtensions + "\\Approved";

// Every key that registration of the handler may write in one hive, the URL
// map aside: the class's, the ProgID's and the handlers' keys, and the
// shell's approved list. No wider on purpose: shell32 in Wine's own
// processes keeps caches elsewhere under Software\Classes and Shell
// Extensions while tests run.
struct RegistrationArea {
  std::optional<RegTree> classIDs, progID, files, folders, approved;
  bool operator==(const RegistrationArea&) const = default;
};
RegistrationArea TakeRegistrationArea(HKEY hive);
void PrintTo(const RegistrationArea& area, std::ostream* out);

// A REG_SZ value as registration writes it: text plus its terminator.
inline RegValue StringValue(const std::string& name, const std::string& text) {
  return {name, REG_SZ, text + '\0'};
}

}  // namespace oddments::test
