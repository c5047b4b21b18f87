#pragma once
// An automation object reached by late binding through its IDispatch interface.

#include "host/AutomationObject.h"

#include <string>
#include <unordered_map>

struct IDispatch;

namespace host::win {

class DispatchObject final : public AutomationObject
{
public:
    // Holds a reference of its own on dispatch (AddRef), released when the object goes.
    explicit DispatchObject(IDispatch* dispatch);
    ~DispatchObject() override;
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    // GetIDsOfNames (once per name) and Invoke with DISPATCH_METHOD. Texts go as BSTRs by reference and
    // come back into arguments after a successful call; the omitted marker goes as DISP_E_PARAMNOTFOUND.
    Result invoke(const std::string& method, Arguments& arguments) override;

private:
    long dispIdOf(const std::string& method);

    IDispatch* m_dispatch;
    std::unordered_map<std::string, long> m_dispIds;
};

} // namespace host::win
