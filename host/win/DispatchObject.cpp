#include "DispatchObject.h"

#include "BusyHost.h"
#include "ComErrors.h"
#include "ComValues.h"

#include <vector>

namespace host::win {

DispatchObject::DispatchObject(IDispatch* dispatch) : m_dispatch(dispatch)
{
    if (!m_dispatch)
        throw AutomationError("Oggetto di automazione non assegnato");
    m_dispatch->AddRef();
}

DispatchObject::~DispatchObject()
{
    m_dispatch->Release();
}

long DispatchObject::dispIdOf(const std::string& method)
{
    if (const auto known = m_dispIds.find(method); known != m_dispIds.end())
        return known->second;
    std::wstring name = toWide(method);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr =
        retryWhileBusy([&] { return m_dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); });
    if (FAILED(hr)) {
        if (faultOf(hr) != HostFault::None)
            throw callFailed(hr, systemMessage(hr));
        throw AutomationError("Metodo \"" + method +
                              "\" non supportato dall'oggetto di automazione: " + systemMessage(hr));
    }
    m_dispIds.emplace(method, id);
    return id;
}

Result DispatchObject::invoke(const std::string& method, Arguments& arguments)
{
    const DISPID id = dispIdOf(method);

    // Invoke takes the arguments last to first. Each text is a BSTR of this call's own, passed by
    // reference: the server may free it and leave another in its place, which texts then owns.
    const std::size_t count = arguments.size();
    std::vector<Bstr> texts(count);
    std::vector<VARIANTARG> slots(count);
    for (std::size_t i = 0; i < count; ++i) {
        VARIANTARG& slot = slots[count - 1 - i];
        VariantInit(&slot);
        if (const auto* text = std::get_if<std::u16string>(&arguments[i])) {
            texts[i] = Bstr(*text);
            V_VT(&slot) = VT_BSTR | VT_BYREF;
            V_BSTRREF(&slot) = texts[i].slot();
        } else {
            V_VT(&slot) = VT_ERROR;
            V_ERROR(&slot) = DISP_E_PARAMNOTFOUND;
        }
    }

    DISPPARAMS params{};
    params.rgvarg = count ? slots.data() : nullptr;
    params.cArgs = static_cast<UINT>(count);
    Variant result;
    ExcepInfo exception;
    UINT argumentError = 0;
    // A busy host's rejection comes back here when the message filter gave the call up, or when the
    // runtime never asked the filter: then it is retried here on the same terms.
    const HRESULT hr = retryWhileBusy([&] {
        return m_dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.get(),
                                  exception.get(), &argumentError);
    });
    if (FAILED(hr)) {
        std::string message = invocationMessage(hr, hr == DISP_E_EXCEPTION ? &exception.filled() : nullptr);
        if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) && argumentError < count)
            message += " (argomento " + std::to_string(count - argumentError) + ")";
        throw callFailed(hr, message);
    }

    for (std::size_t i = 0; i < count; ++i) {
        if (std::holds_alternative<std::u16string>(arguments[i]))
            arguments[i] = texts[i].text();
    }
    return resultFromVariant(result.value());
}

} // namespace host::win
