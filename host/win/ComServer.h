#pragma once
// What an automation server is made of besides its methods: objects reached through IDispatch alone, the
// class factory of a server with one class, a message filter, the server's own file. Header-only, so that a server DLL takes it
// without the client's backend.

#include <windows.h>

#include <oaidl.h>
#include <objidl.h>

#include <string>

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
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (m_lock)
            m_lock(lock != FALSE);
        return S_OK;
    }

    // A server whose process lives while its clients hold a lock on the class (a local server).
    using Lock = void (*)(bool locked);
    constexpr SingleClassFactory(const CLSID& clsid, Create create, Lock lock)
        : m_clsid(clsid), m_create(create), m_lock(lock)
    {
    }

private:
    CLSID m_clsid;
    Create m_create;
    Lock m_lock = nullptr;
};

// A message filter that lives as long as its thread: COM holds no reference of its own to count.
class StaticMessageFilter : public IMessageFilter
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMessageFilter)) {
            *object = static_cast<IMessageFilter*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

// The file of a module (nullptr: the program's own), whatever its length; "" when it cannot be had.
inline std::wstring moduleFile(HMODULE module)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace host::win
