#include "class_id.h"

namespace oddments {

// {FC02AD06-B816-4EA4-94BD-65178B1A0E10}
const CLSID CLASS_CONTEXTMENU = {0xFC02AD06, 0xB816, 0x4EA4, {0x94, 0xBD, 0x65, 0x17, 0x8B, 0x1A, 0x0E, 0x10}};

}  // namespace oddments
