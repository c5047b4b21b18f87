#pragma once
// What an in-process automation server is made of besides its methods: objects reached through IDispatch
// alone, and the class factory of a server with one class. Header-only, so that a server DLL takes it
// without the client's backend.

#include <windows.h>

#include <oaidl.h>

namespace host::win {

// An object reached through IDispatch only, without type information. It starts with one reference and
// deletes itself at the last Release.
class ServedDispatch : public IDispatch
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

protected:
    ServedDispatch() = default;
    virtual ~ServedDispatch() = default;

private:
    LONG m_references = 1;
};

// The class factory of a server with one class, one for the life of the module. `create` makes an object
// holding one reference, nullptr when it cannot.
class SingleClassFactory final : public IClassFactory
{
public:
    using Create = IDispatch* (*)();
    constexpr SingleClassFactory(const CLSID& clsid, Create create) : m_clsid(clsid), m_create(create) {}

    // DllGetClassObject's answer.
    HRESULT classObject(REFCLSID clsid, REFIID iid, void** object)
    {
        if (!object)
            return E_POINTER;
        if (!IsEqualCLSID(clsid, m_clsid)) {
            *object = nullptr;
            return CLASS_E_CLASSNOTAVAILABLE;
        }
        return QueryInterface(iid, object);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        IDispatch* created = m_create();
        if (!created)
            return E_OUTOFMEMORY;
        const HRESULT hr = created->QueryInterface(iid, object);
        created->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    CLSID m_clsid;
    Create m_create;
};

} // namespace host::win
