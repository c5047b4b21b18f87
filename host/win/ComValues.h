#pragma once
// Owners for the automation runtime's values, so that every BSTR, VARIANT, EXCEPINFO and interface
// reference is freed on every path, and the mapping between VARIANTs and host::Argument and host::Result,
// both ways: the client's (DispatchObject) and a server's (the demo host's COM server).

#include "host/AutomationObject.h"

#include <windows.h>

#include <oleauto.h>

#include <optional>
#include <string>
#include <utility>

namespace host::win {

std::wstring toWide(const std::u16string& text);
std::wstring toWide(const std::string& utf8);
std::u16string fromWide(const wchar_t* text, std::size_t length);
std::string wideToUtf8(const wchar_t* text, std::size_t length);

// One BSTR, freed with SysFreeString. slot() hands its address to a callee that may replace it.
class Bstr
{
public:
    Bstr() = default;
    explicit Bstr(const std::u16string& text); // throws AutomationError when out of memory
    ~Bstr() { SysFreeString(m_value); }
    Bstr(Bstr&& other) noexcept : m_value(std::exchange(other.m_value, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept
    {
        if (this != &other) {
            SysFreeString(m_value);
            m_value = std::exchange(other.m_value, nullptr);
        }
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR get() const { return m_value; }
    BSTR* slot() { return &m_value; }
    BSTR release() { return std::exchange(m_value, nullptr); } // the caller frees it
    std::u16string text() const; // a null BSTR is the empty text

private:
    BSTR m_value = nullptr;
};

// One VARIANT, cleared with VariantClear.
class Variant
{
public:
    Variant() { VariantInit(&m_value); }
    ~Variant() { VariantClear(&m_value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* get() { return &m_value; }
    const VARIANT& value() const { return m_value; }

private:
    VARIANT m_value;
};

// The EXCEPINFO a failed Invoke fills in; its three BSTRs are freed with it.
class ExcepInfo
{
public:
    ExcepInfo() = default;
    ~ExcepInfo();
    ExcepInfo(const ExcepInfo&) = delete;
    ExcepInfo& operator=(const ExcepInfo&) = delete;

    EXCEPINFO* get() { return &m_info; }
    // Completes a deferred fill-in (at most once) and answers the filled structure.
    const EXCEPINFO& filled();

private:
    EXCEPINFO m_info{};
};

// An owned interface reference.
template <class T> class ComRef
{
public:
    ComRef() = default;
    ~ComRef() { reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    T* get() const { return m_ptr; }
    T** out()
    {
        reset();
        return &m_ptr;
    }
    void reset()
    {
        if (m_ptr)
            std::exchange(m_ptr, nullptr)->Release();
    }

private:
    T* m_ptr = nullptr;
};

// A method's result as host::Result: empty and null are nothing; texts, whole numbers that fit 32 bits,
// floating values and booleans keep their kind; anything else is converted to text by the runtime.
// Values without a text form (objects, error codes, arrays) are taken as nothing, so that a method whose
// result the caller ignores never fails on what it hands back.
Result resultFromVariant(const VARIANT& value);

// A server's side. An argument as Invoke received it: a text by reference or by value (a null BSTR is the
// empty text), DISP_E_PARAMNOTFOUND as the omitted marker, any other value the runtime can write as text
// as that text; nothing for a value that has none (a type mismatch).
std::optional<Argument> argumentFromVariant(const VARIANTARG& value);
// The result handed back: empty, VT_BSTR, VT_I4, VT_R8 or VT_BOOL. `out` must be empty; throws
// AutomationError when out of memory.
void resultToVariant(const Result& result, VARIANT& out);
// Fills in the exception a failed Invoke reports with DISP_E_EXCEPTION: the source and the description,
// which the client shows (invocationMessage), and E_FAIL.
void raiseException(EXCEPINFO& exception, const std::u16string& source, const std::u16string& description);

} // namespace host::win
