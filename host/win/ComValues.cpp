#include "ComValues.h"

#include <cstdint>
#include <limits>
#include <variant>

namespace host::win {

namespace {

constexpr std::int64_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kIntMax = std::numeric_limits<std::int32_t>::max();

bool fitsInt(std::int64_t value)
{
    return value >= kIntMin && value <= kIntMax;
}

} // namespace

std::wstring toWide(const std::u16string& text)
{
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");
    return std::wstring(text.begin(), text.end());
}

std::wstring toWide(const std::string& utf8)
{
    return toWide(fromUtf8(utf8));
}

std::u16string fromWide(const wchar_t* text, std::size_t length)
{
    return text ? std::u16string(text, text + length) : std::u16string();
}

std::string wideToUtf8(const wchar_t* text, std::size_t length)
{
    return toUtf8(fromWide(text, length));
}

Bstr::Bstr(const std::u16string& text)
{
    const std::wstring wide = toWide(text);
    m_value = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!m_value)
        throw AutomationError("Memoria insufficiente per il testo da passare all'oggetto di automazione");
}

std::u16string Bstr::text() const
{
    return fromWide(m_value, SysStringLen(m_value));
}

ExcepInfo::~ExcepInfo()
{
    SysFreeString(m_info.bstrSource);
    SysFreeString(m_info.bstrDescription);
    SysFreeString(m_info.bstrHelpFile);
}

const EXCEPINFO& ExcepInfo::filled()
{
    if (m_info.pfnDeferredFillIn) {
        const auto fillIn = std::exchange(m_info.pfnDeferredFillIn, nullptr);
        fillIn(&m_info);
    }
    return m_info;
}

Result resultFromVariant(const VARIANT& value)
{
    const VARTYPE type = V_VT(&value);
    if (type & VT_BYREF) {
        Variant direct;
        if (FAILED(VariantCopyInd(direct.get(), const_cast<VARIANT*>(&value))))
            return std::monostate{};
        return resultFromVariant(direct.value());
    }
    switch (type) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_DISPATCH:
    case VT_UNKNOWN:
    case VT_ERROR:
        return std::monostate{};
    case VT_BSTR:
        return fromWide(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
    case VT_I1:
        return std::int32_t{V_I1(&value)};
    case VT_I2:
        return std::int32_t{V_I2(&value)};
    case VT_I4:
        return static_cast<std::int32_t>(V_I4(&value));
    case VT_INT:
        return static_cast<std::int32_t>(V_INT(&value));
    case VT_UI1:
        return std::int32_t{V_UI1(&value)};
    case VT_UI2:
        return std::int32_t{V_UI2(&value)};
    case VT_UI4:
        if (fitsInt(V_UI4(&value)))
            return static_cast<std::int32_t>(V_UI4(&value));
        break;
    case VT_UINT:
        if (fitsInt(V_UINT(&value)))
            return static_cast<std::int32_t>(V_UINT(&value));
        break;
    case VT_I8:
        if (fitsInt(V_I8(&value)))
            return static_cast<std::int32_t>(V_I8(&value));
        break;
    case VT_UI8:
        if (V_UI8(&value) <= static_cast<ULONGLONG>(kIntMax))
            return static_cast<std::int32_t>(V_UI8(&value));
        break;
    case VT_R4:
        return double{V_R4(&value)};
    case VT_R8:
        return V_R8(&value);
    case VT_BOOL:
        return V_BOOL(&value) != VARIANT_FALSE;
    default:
        break;
    }
    // Currency, decimals, dates and wide integers: as text, the way the runtime writes them.
    Variant text;
    if (FAILED(VariantChangeType(text.get(), const_cast<VARIANT*>(&value), 0, VT_BSTR)))
        return std::monostate{};
    return fromWide(V_BSTR(text.get()), SysStringLen(V_BSTR(text.get())));
}

std::optional<Argument> argumentFromVariant(const VARIANTARG& value)
{
    const VARTYPE type = V_VT(&value);
    if (type == (VT_BSTR | VT_BYREF))
        return V_BSTRREF(&value) ? fromWide(*V_BSTRREF(&value), SysStringLen(*V_BSTRREF(&value)))
                                 : std::u16string();
    if (type == VT_BSTR)
        return fromWide(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
    if (type == VT_ERROR && V_ERROR(&value) == DISP_E_PARAMNOTFOUND)
        return Omitted{};
    if (type == VT_ERROR || type == VT_DISPATCH || type == VT_UNKNOWN || (type & VT_ARRAY))
        return std::nullopt;
    Variant text;
    if (FAILED(VariantChangeType(text.get(), const_cast<VARIANTARG*>(&value), 0, VT_BSTR)))
        return std::nullopt;
    return fromWide(V_BSTR(text.get()), SysStringLen(V_BSTR(text.get())));
}

void resultToVariant(const Result& result, VARIANT& out)
{
    if (const auto* text = std::get_if<std::u16string>(&result)) {
        V_BSTR(&out) = Bstr(*text).release();
        V_VT(&out) = VT_BSTR;
    } else if (const auto* number = std::get_if<std::int32_t>(&result)) {
        V_VT(&out) = VT_I4;
        V_I4(&out) = *number;
    } else if (const auto* floating = std::get_if<double>(&result)) {
        V_VT(&out) = VT_R8;
        V_R8(&out) = *floating;
    } else if (const auto* flag = std::get_if<bool>(&result)) {
        V_VT(&out) = VT_BOOL;
        V_BOOL(&out) = *flag ? VARIANT_TRUE : VARIANT_FALSE;
    }
}

void raiseException(EXCEPINFO& exception, const std::u16string& source, const std::u16string& description)
{
    exception = EXCEPINFO{};
    // Without memory for the texts the client still learns that the call failed (its scode's text).
    const std::wstring wideSource = toWide(source);
    const std::wstring wideDescription = toWide(description);
    exception.bstrSource = SysAllocStringLen(wideSource.data(), static_cast<UINT>(wideSource.size()));
    exception.bstrDescription =
        SysAllocStringLen(wideDescription.data(), static_cast<UINT>(wideDescription.size()));
    exception.scode = E_FAIL;
}

} // namespace host::win
