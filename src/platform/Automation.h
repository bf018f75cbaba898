// OLE automation by name: an automation server's object made from its
// program identifier, its properties read and its methods called through
// IDispatch, and the seam through which tests put an in-process object in
// place of a server the test machine does not have.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "platform/Handles.h"

#include <functional>
#include <string>

namespace platform::automation {

// The calling thread must have COM initialised (ScopedCom); an object made
// here belongs to that thread's apartment.

// Makes the server's object ("Word.Application"): its class is looked up
// from the program identifier and made in-process or as a local server, and
// asked for IDispatch. S_OK with object set, or the failure (object empty):
// an identifier no class is registered for, a server that will not start.
HRESULT CreateObject(const std::string& progId, ComPtr<IDispatch>& object);

// Stand-in for CreateObject: given the identifier, it returns S_OK and an
// object with a reference of the caller's, or a failure.
using ObjectFactory = std::function<HRESULT(const std::string& progId, IDispatch** object)>;
// Installs the stand-in (tests); an empty factory puts the real one back.
void SetObjectFactory(ObjectFactory factory);

// The calls below look the name up (GetIDsOfNames) and invoke it. Their
// results are S_OK, or the failure of either step; a result of the wrong
// kind (a text where an object was asked for) is DISP_E_TYPEMISMATCH. The
// outputs are set only on S_OK. Every VARIANT and BSTR they make is freed on
// every path.

// A property or argument-less method that gives an object (Application.RecentFiles).
HRESULT GetDispatch(IDispatch* object, const std::string& name, ComPtr<IDispatch>& result);
// The same with one whole-number argument (RecentFiles.Item(3)).
HRESULT GetDispatchAt(IDispatch* object, const std::string& name, long index, ComPtr<IDispatch>& result);
// A property read as a whole number (Count), converted from any number type.
HRESULT GetNumber(IDispatch* object, const std::string& name, long& result);
// A property read as text, UTF-8 (Path, Name).
HRESULT GetText(IDispatch* object, const std::string& name, std::string& result);
// A method without arguments whose result is not wanted (Delete, Quit).
HRESULT Call(IDispatch* object, const std::string& name);

}  // namespace platform::automation
