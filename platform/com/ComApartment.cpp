#include "platform/win/Com.h"

#include "platform/win/Errors.h"

#include "ComApartment.h"

namespace {

// What Windows keeps per thread: how many successful initialisations await their CoUninitialize,
// and whether the apartment is single-threaded.
struct Apartment {
    unsigned joins = 0;
    bool singleThreaded = false;
};

thread_local Apartment t_apartment;

} // namespace

namespace platform {

bool InApartment() { return t_apartment.joins > 0; }

} // namespace platform

HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit)
{
    if (reserved)
        return E_INVALIDARG;
    const bool singleThreaded = (coInit & COINIT_APARTMENTTHREADED) != 0;
    Apartment& apartment = t_apartment;
    if (apartment.joins > 0 && apartment.singleThreaded != singleThreaded)
        return RPC_E_CHANGED_MODE;
    apartment.singleThreaded = singleThreaded;
    return apartment.joins++ == 0 ? S_OK : S_FALSE;
}

HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

void CoUninitialize()
{
    if (t_apartment.joins > 0)
        --t_apartment.joins;
}
