#include "ComApartment.h"

#include <objbase.h>

namespace host::win {

ComApartment::ComApartment() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}

ComApartment::~ComApartment()
{
    // Every successful CoInitializeEx (S_FALSE included) is balanced; a failed one must not be.
    if (SUCCEEDED(m_result))
        CoUninitialize();
}

} // namespace host::win
