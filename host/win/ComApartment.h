#pragma once
// The calling thread's COM apartment, single-threaded, for as long as the object lives. main() holds one
// on the user-interface thread, where every automation call is made.

namespace host::win {

class ComApartment
{
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // False when COM could not be initialised at all; the thread may still be in another apartment
    // (initialised earlier as multi-threaded), where calls work too.
    bool initialised() const { return m_result >= 0; }
    long result() const { return m_result; }

private:
    long m_result; // the HRESULT of CoInitializeEx
};

} // namespace host::win
