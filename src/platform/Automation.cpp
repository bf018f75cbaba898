// OLE automation by name through IDispatch.
#include "platform/Automation.h"

#include "platform/Text.h"

#include <oleauto.h>

#include <cwchar>
#include <utility>

namespace platform::automation {

namespace {

ObjectFactory& InstalledFactory() {
    static ObjectFactory factory;
    return factory;
}

// The exception texts a server fills in belong to the caller once Invoke
// returns: freed whatever the call's outcome.
class ExceptionInfo {
public:
    ExceptionInfo() : info_{} {}
    ~ExceptionInfo() {
        SysFreeString(info_.bstrSource);
        SysFreeString(info_.bstrDescription);
        SysFreeString(info_.bstrHelpFile);
    }
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;
    EXCEPINFO* Get() { return &info_; }

private:
    EXCEPINFO info_;
};

// Reading a property goes as a method too: servers written for late-bound
// callers answer collections' Item and Count either way.
constexpr WORD kGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

HRESULT InvokeByName(IDispatch* object, const std::string& name, WORD flags, VARIANT* arguments, UINT argumentCount,
                     Variant& result) {
    if (object == nullptr) return E_POINTER;
    std::wstring wideName = text::Widen(name);
    LPOLESTR names[1] = {wideName.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS parameters{arguments, nullptr, argumentCount, 0};
    ExceptionInfo exception;
    UINT argumentError = 0;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result.Get(), exception.Get(),
                          &argumentError);
}

// The object a result holds, with a reference of its own.
HRESULT TakeObject(const Variant& value, ComPtr<IDispatch>& result) {
    const VARIANT& v = value.Value();
    if (v.vt == VT_DISPATCH && v.pdispVal != nullptr) {
        v.pdispVal->AddRef();
        *result.Put() = v.pdispVal;
        return S_OK;
    }
    if (v.vt == VT_UNKNOWN && v.punkVal != nullptr) {
        ComPtr<IDispatch> object;
        const HRESULT hr = v.punkVal->QueryInterface(IID_IDispatch, object.PutVoid());
        if (FAILED(hr)) return hr;
        if (!object) return E_NOINTERFACE;
        result = std::move(object);
        return S_OK;
    }
    return DISP_E_TYPEMISMATCH;
}

}  // namespace

HRESULT CreateObject(const std::string& progId, ComPtr<IDispatch>& object) {
    object.Reset();
    const ObjectFactory factory = InstalledFactory();
    if (factory) {
        IDispatch* made = nullptr;
        const HRESULT hr = factory(progId, &made);
        if (SUCCEEDED(hr) && made != nullptr) {
            *object.Put() = made;
            return S_OK;
        }
        if (made != nullptr) made->Release();
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    const std::wstring wideId = text::Widen(progId);
    CLSID classId{};
    HRESULT hr = CLSIDFromProgID(wideId.c_str(), &classId);
    if (FAILED(hr)) return hr;
    hr = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          object.PutVoid());
    if (FAILED(hr)) {
        object.Reset();
        return hr;
    }
    return object ? S_OK : E_NOINTERFACE;
}

void SetObjectFactory(ObjectFactory factory) { InstalledFactory() = std::move(factory); }

HRESULT GetDispatch(IDispatch* object, const std::string& name, ComPtr<IDispatch>& result) {
    Variant value;
    const HRESULT hr = InvokeByName(object, name, kGet, nullptr, 0, value);
    return FAILED(hr) ? hr : TakeObject(value, result);
}

HRESULT GetDispatchAt(IDispatch* object, const std::string& name, long index, ComPtr<IDispatch>& result) {
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_I4;
    argument.lVal = index;  // a number: nothing to clear
    Variant value;
    const HRESULT hr = InvokeByName(object, name, kGet, &argument, 1, value);
    return FAILED(hr) ? hr : TakeObject(value, result);
}

HRESULT GetNumber(IDispatch* object, const std::string& name, long& result) {
    Variant value;
    HRESULT hr = InvokeByName(object, name, kGet, nullptr, 0, value);
    if (FAILED(hr)) return hr;
    Variant number;
    hr = VariantChangeType(number.Get(), value.Get(), 0, VT_I4);
    if (FAILED(hr)) return hr;
    result = number.Value().lVal;
    return S_OK;
}

HRESULT GetText(IDispatch* object, const std::string& name, std::string& result) {
    Variant value;
    HRESULT hr = InvokeByName(object, name, kGet, nullptr, 0, value);
    if (FAILED(hr)) return hr;
    Variant text;
    hr = VariantChangeType(text.Get(), value.Get(), 0, VT_BSTR);
    if (FAILED(hr)) return hr;
    const BSTR chars = text.Value().bstrVal;
    // Up to the first NUL, as the list shows it, so a caption compares
    // equal to the text it came from.
    const size_t length = chars == nullptr ? 0 : wcsnlen(chars, SysStringLen(chars));
    result = text::Narrow(chars, length);
    return S_OK;
}

HRESULT Call(IDispatch* object, const std::string& name) {
    Variant ignored;
    return InvokeByName(object, name, DISPATCH_METHOD, nullptr, 0, ignored);
}

}  // namespace platform::automation
