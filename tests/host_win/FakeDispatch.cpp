#include "FakeDispatch.h"

namespace host_win_test {

void FakeDispatch::define(const std::string& name, Answer answer)
{
    m_methods.push_back({name, std::move(answer)});
}

HRESULT FakeDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (count != 1)
        return E_INVALIDARG;
    std::string name;
    for (const wchar_t* c = names[0]; *c; ++c)
        name += static_cast<char>(*c);
    lookups.push_back(name);
    for (std::size_t i = 0; i < m_methods.size(); ++i) {
        if (m_methods[i].name == name) {
            ids[0] = static_cast<DISPID>(i + 1);
            return S_OK;
        }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT FakeDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* argumentError)
{
    if (id < 1 || static_cast<std::size_t>(id) > m_methods.size())
        return DISP_E_MEMBERNOTFOUND;
    const Method& method = m_methods[static_cast<std::size_t>(id - 1)];
    ReceivedCall call{method.name, flags, params->cNamedArgs, result != nullptr, {}};
    for (UINT i = 0; i < params->cArgs; ++i) {
        const VARIANTARG& v = params->rgvarg[i];
        ReceivedArgument argument{V_VT(&v), {}, false, S_OK};
        if (V_VT(&v) == (VT_BSTR | VT_BYREF)) {
            const BSTR text = *V_BSTRREF(&v);
            argument.nullText = text == nullptr;
            argument.text = text ? std::u16string(text, text + SysStringLen(text)) : std::u16string();
        } else if (V_VT(&v) == VT_ERROR) {
            argument.error = V_ERROR(&v);
        }
        call.arguments.push_back(argument);
    }
    calls.push_back(call);
    if (!method.answer)
        return S_OK;
    VARIANT ignored;
    VariantInit(&ignored);
    EXCEPINFO noException{};
    const HRESULT hr =
        method.answer(*params, result ? *result : ignored, exception ? *exception : noException);
    VariantClear(&ignored);
    if (argumentError)
        *argumentError = argumentErrorToReport;
    return hr;
}

BSTR newBstr(const std::u16string& text)
{
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

Answer answerText(std::u16string text)
{
    return [text](DISPPARAMS&, VARIANT& result, EXCEPINFO&) {
        V_VT(&result) = VT_BSTR;
        V_BSTR(&result) = newBstr(text);
        return S_OK;
    };
}

Answer answerVariant(std::function<void(VARIANT&)> fill)
{
    return [fill](DISPPARAMS&, VARIANT& result, EXCEPINFO&) {
        fill(result);
        return S_OK;
    };
}

Answer raiseDescription(std::u16string description)
{
    return [description](DISPPARAMS&, VARIANT&, EXCEPINFO& exception) {
        exception.bstrSource = newBstr(u"Korvalis.Server");
        exception.bstrDescription = newBstr(description);
        exception.scode = E_FAIL;
        return DISP_E_EXCEPTION;
    };
}

} // namespace host_win_test
