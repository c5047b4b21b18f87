#pragma once
// An in-process IDispatch that records what arrives (names looked up, argument count, order and types,
// texts) and answers each method as the test tells it.

#include "host/win/ComServer.h"

#include <windows.h>

#include <oleauto.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace host_win_test {

struct ReceivedArgument
{
    VARTYPE type = VT_EMPTY;
    std::u16string text; // the referenced BSTR, for VT_BSTR | VT_BYREF
    bool nullText = false;
    SCODE error = S_OK; // for VT_ERROR
};

struct ReceivedCall
{
    std::string method;
    WORD flags = 0;
    UINT namedArguments = 0;
    bool resultWanted = false;
    std::vector<ReceivedArgument> arguments; // as Invoke received them: the last argument first
};

// How a method answers: fill the result or the exception, return the HRESULT.
using Answer = std::function<HRESULT(DISPPARAMS& params, VARIANT& result, EXCEPINFO& exception)>;

class FakeDispatch final : public host::win::ServedDispatch
{
public:
    // A method the object knows, answering empty unless told otherwise. Other names are unknown.
    void define(const std::string& name, Answer answer = {});

    std::vector<std::string> lookups; // every name GetIDsOfNames was asked for
    std::vector<ReceivedCall> calls;
    UINT argumentErrorToReport = 0; // what Invoke tells through puArgErr (an index into rgvarg)
    ULONG references() const { return m_references; }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; } // lives on the test's stack
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override;

private:
    struct Method
    {
        std::string name;
        Answer answer;
    };
    std::vector<Method> m_methods; // the DISPID is the index + 1
    ULONG m_references = 1;
};

// Helpers for answers.
BSTR newBstr(const std::u16string& text);
Answer answerText(std::u16string text);
Answer answerVariant(std::function<void(VARIANT&)> fill);
Answer raiseDescription(std::u16string description);

} // namespace host_win_test
