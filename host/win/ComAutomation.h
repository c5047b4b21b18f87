#pragma once
// Creation of a COM automation object by ProgID (Windows only).

#include "host/AutomationObject.h"

#include <memory>
#include <string>

namespace host {

// CLSIDFromProgID + CoCreateInstance, then calls through the object's IDispatch. The calling thread must
// be in a COM apartment (host::win::ComApartment). Throws AutomationError when the class is not
// registered or cannot be created.
std::unique_ptr<AutomationObject> createComObject(const std::u16string& progId);

} // namespace host
