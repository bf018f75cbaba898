// An in-process stand-in for the Word and Excel automation servers, which
// the test machine does not have: the application, its RecentFiles
// collection and the entries answer by name through IDispatch, record every
// call in order, fail a chosen call on request, and count the objects still
// alive so a test sees every reference given back.
#pragma once

#include "platform/Automation.h"

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string>
#include <vector>

namespace testing_support {

struct FakeRecentFile {
    std::string path, name;
};

// What the server holds, and what it saw.
struct FakeOfficeServer {
    std::vector<FakeRecentFile> entries;
    // Every call, in order: "Create Word.Application", "RecentFiles",
    // "Count", "Item(3)", "Path", "Name", "Delete", "Quit".
    std::vector<std::string> calls;
    // Refuses to be made (as a machine without the program does).
    bool refuse = false;
    // The call of this name whose number (1-based, among the calls of that
    // name) is failAt fails with an automation exception.
    std::string failName;
    int failAt = 0;
    // Count answered as text ("20"), as some servers do.
    bool countAsText = false;
    // Application, collection and entry objects not yet released.
    int liveObjects = 0;

    int CallsOf(const std::string& name) const {
        int count = 0;
        for (const std::string& call : calls)
            if (call == name) ++count;
        return count;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const FakeRecentFile& entry : entries) names.push_back(entry.name);
        return names;
    }
};

namespace fake_office {

inline BSTR Bstr(const std::string& text) {
    const int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(count));
    if (count > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result, count);
    return result;
}

class Object : public IDispatch {
public:
    explicit Object(FakeOfficeServer& server) : server_(server) { ++server_.liveObjects; }
    virtual ~Object() { --server_.liveObjects; }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count != 1) return E_INVALIDARG;
        const std::vector<const wchar_t*> known = Members();
        for (size_t i = 0; i < known.size(); ++i)
            if (lstrcmpiW(names[0], known[i]) == 0) {
                ids[0] = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO* exception, UINT*) override {
        const std::vector<const wchar_t*> known = Members();
        if (id < 1 || static_cast<size_t>(id) > known.size() || parameters == nullptr) return DISP_E_MEMBERNOTFOUND;
        const std::wstring wide = known[static_cast<size_t>(id) - 1];
        const std::string name(wide.begin(), wide.end());
        std::string label = name;
        if (parameters->cArgs == 1 && parameters->rgvarg[0].vt == VT_I4) {
            label += '(';
            label += std::to_string(parameters->rgvarg[0].lVal);
            label += ')';
        }
        server_.calls.push_back(label);
        if (name == server_.failName && CountOfName(name) == server_.failAt) {
            if (exception != nullptr) {
                exception->bstrSource = Bstr("Fake Office");
                exception->bstrDescription = Bstr("The call " + name + " failed.");
                exception->scode = E_FAIL;
            }
            return DISP_E_EXCEPTION;
        }
        return Answer(name, flags, *parameters, result);
    }

protected:
    virtual std::vector<const wchar_t*> Members() const = 0;
    virtual HRESULT Answer(const std::string& name, WORD flags, const DISPPARAMS& parameters, VARIANT* result) = 0;

    static HRESULT GiveObject(Object* object, VARIANT* result) {
        if (result == nullptr) {
            object->Release();
            return E_INVALIDARG;
        }
        result->vt = VT_DISPATCH;
        result->pdispVal = object;  // the caller's reference
        return S_OK;
    }
    static HRESULT GiveText(const std::string& text, VARIANT* result) {
        if (result == nullptr) return E_INVALIDARG;
        result->vt = VT_BSTR;
        result->bstrVal = Bstr(text);
        return S_OK;
    }
    static bool IsGet(WORD flags) { return (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0; }
    static bool IsMethod(WORD flags) { return (flags & DISPATCH_METHOD) != 0; }

    FakeOfficeServer& server_;

private:
    // How many calls of this name (whatever their arguments) were made so far.
    int CountOfName(const std::string& name) const {
        int count = 0;
        for (const std::string& call : server_.calls)
            if (call == name || call.rfind(name + "(", 0) == 0) ++count;
        return count;
    }
    ULONG references_ = 1;
};

class Entry final : public Object {
public:
    Entry(FakeOfficeServer& server, size_t index) : Object(server), index_(index) {}

protected:
    std::vector<const wchar_t*> Members() const override { return {L"Path", L"Name", L"Delete"}; }
    HRESULT Answer(const std::string& name, WORD flags, const DISPPARAMS& parameters, VARIANT* result) override {
        if (parameters.cArgs != 0) return DISP_E_BADPARAMCOUNT;
        if (index_ >= server_.entries.size()) return DISP_E_BADINDEX;
        if (name == "Delete") {
            if (!IsMethod(flags)) return DISP_E_MEMBERNOTFOUND;
            server_.entries.erase(server_.entries.begin() + static_cast<std::ptrdiff_t>(index_));
            return S_OK;
        }
        if (!IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
        const FakeRecentFile& entry = server_.entries[index_];
        return GiveText(name == "Path" ? entry.path : entry.name, result);
    }

private:
    size_t index_;
};

class RecentFiles final : public Object {
public:
    using Object::Object;

protected:
    std::vector<const wchar_t*> Members() const override { return {L"Count", L"Item"}; }
    HRESULT Answer(const std::string& name, WORD flags, const DISPPARAMS& parameters, VARIANT* result) override {
        if (!IsGet(flags) || result == nullptr) return DISP_E_MEMBERNOTFOUND;
        if (name == "Count") {
            if (parameters.cArgs != 0) return DISP_E_BADPARAMCOUNT;
            const std::string count = std::to_string(server_.entries.size());
            if (server_.countAsText) return GiveText(count, result);
            result->vt = VT_I4;
            result->lVal = static_cast<LONG>(server_.entries.size());
            return S_OK;
        }
        if (parameters.cArgs != 1) return DISP_E_BADPARAMCOUNT;
        if (parameters.rgvarg[0].vt != VT_I4) return DISP_E_TYPEMISMATCH;
        const LONG index = parameters.rgvarg[0].lVal;
        if (index < 1 || static_cast<size_t>(index) > server_.entries.size()) return DISP_E_BADINDEX;
        return GiveObject(new Entry(server_, static_cast<size_t>(index) - 1), result);
    }
};

class Application final : public Object {
public:
    using Object::Object;

protected:
    std::vector<const wchar_t*> Members() const override { return {L"RecentFiles", L"Quit"}; }
    HRESULT Answer(const std::string& name, WORD flags, const DISPPARAMS& parameters, VARIANT* result) override {
        if (parameters.cArgs != 0) return DISP_E_BADPARAMCOUNT;
        if (name == "Quit") return IsMethod(flags) ? S_OK : DISP_E_MEMBERNOTFOUND;
        if (!IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
        return GiveObject(new RecentFiles(server_), result);
    }
};

}  // namespace fake_office

// Puts the fake in place of every automation server for its lifetime.
class ScopedFakeOffice {
public:
    explicit ScopedFakeOffice(FakeOfficeServer& server) {
        platform::automation::SetObjectFactory([&server](const std::string& progId, IDispatch** object) -> HRESULT {
            server.calls.push_back("Create " + progId);
            if (server.refuse) return REGDB_E_CLASSNOTREG;
            *object = new fake_office::Application(server);
            return S_OK;
        });
    }
    ~ScopedFakeOffice() { platform::automation::SetObjectFactory({}); }
    ScopedFakeOffice(const ScopedFakeOffice&) = delete;
    ScopedFakeOffice& operator=(const ScopedFakeOffice&) = delete;
};

}  // namespace testing_support
