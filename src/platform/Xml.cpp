// The XML document object. Only loading is used: under Wine the object's
// save writes UTF-8 under a windows-1252 declaration, LF line ends and a
// character reference to LF as a raw line break, so files are written from
// our own bytes and the object only checks them.
#include "platform/Xml.h"

#include "platform/Handles.h"
#include "platform/Text.h"

#include <windows.h>
#include <msxml2.h>
#include <oleauto.h>

#include <cstring>

namespace platform::xml {

namespace {

class Bstr {
public:
    Bstr() = default;
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR* Put() {
        SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    std::string Utf8() const { return value_ ? text::Narrow(value_, SysStringLen(value_)) : std::string(); }

private:
    BSTR value_ = nullptr;
};

// IXMLDOMDocument's interface identifier, given here: MinGW's libraries do
// not carry it.
constexpr IID kDomDocumentIid = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// Deeper than any file we parse; bounds the walk's recursion.
constexpr int kMaxDepth = 64;

bool Walk(IXMLDOMNode* node, int depth, std::vector<LeafText>& leaves, std::string& error) {
    if (depth > kMaxDepth) {
        error = "The document nests too deep.";
        return false;
    }
    bool hasElements = false;
    std::string text;
    // From sibling to sibling: Wine's node list finds item i by walking from
    // the first child, which makes a walk by index slow with the square of
    // the children.
    ComPtr<IXMLDOMNode> child;
    if (FAILED(node->get_firstChild(child.Put()))) {
        error = "The document's elements could not be read.";
        return false;
    }
    for (ComPtr<IXMLDOMNode> next; child; child = std::move(next)) {
        DOMNodeType type = NODE_INVALID;
        if (FAILED(child->get_nodeType(&type)) || FAILED(child->get_nextSibling(next.Put()))) {
            error = "The document's elements could not be read.";
            return false;
        }
        if (type == NODE_ELEMENT) {
            hasElements = true;
            if (!Walk(child.Get(), depth + 1, leaves, error)) return false;
        } else if (type == NODE_TEXT || type == NODE_CDATA_SECTION) {
            Variant value;
            if (FAILED(child->get_nodeValue(value.Get())) || V_VT(value.Get()) != VT_BSTR) {
                error = "A text of the document could not be read.";
                return false;
            }
            BSTR b = V_BSTR(value.Get());
            text += text::Narrow(b, SysStringLen(b));
        }
    }
    if (!hasElements) {
        Bstr name;
        if (FAILED(node->get_nodeName(name.Put()))) {
            error = "An element's name could not be read.";
            return false;
        }
        leaves.push_back(LeafText{name.Utf8(), std::move(text)});
    }
    return true;
}

bool HasDoctype(const std::string& bytes) {
    for (size_t at = bytes.find("<!"); at != std::string::npos; at = bytes.find("<!", at + 1)) {
        if (bytes.size() - at < 9) return false;
        if (_strnicmp(bytes.c_str() + at, "<!DOCTYPE", 9) == 0) return true;
    }
    return false;
}

}  // namespace

bool ParseLeafTexts(const std::string& bytes, std::vector<LeafText>& leaves, std::string& error) {
    leaves.clear();
    error.clear();
    if (HasDoctype(bytes)) {
        error = "The file declares a document type (<!DOCTYPE), which is not read.";
        return false;
    }
    ScopedCom com;  // a thread already in COM keeps its apartment
    CLSID clsid{};
    ComPtr<IXMLDOMDocument> document;
    HRESULT hr = CLSIDFromProgID(L"Msxml2.DOMDocument.6.0", &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kDomDocumentIid, document.PutVoid());
    if (FAILED(hr) || !document) {
        error = "The XML document object is not available (error 0x" + [hr] {
            char buffer[16];
            wsprintfA(buffer, "%08lX", static_cast<unsigned long>(hr));
            return std::string(buffer);
        }() + ").";
        return false;
    }
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    document->put_preserveWhiteSpace(VARIANT_TRUE);

    // The bytes go in as a byte array, so the parser reads the encoding the
    // declaration names (a string would be taken as UTF-16 already).
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array) {
        error = "Out of memory.";
        return false;
    }
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) {
        SafeArrayDestroy(array);
        error = "Out of memory.";
        return false;
    }
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
    Variant source;
    V_VT(source.Get()) = VT_ARRAY | VT_UI1;
    V_ARRAY(source.Get()) = array;  // freed with the variant
    VARIANT_BOOL loaded = VARIANT_FALSE;
    hr = document->load(*source.Get(), &loaded);
    if (FAILED(hr) || loaded != VARIANT_TRUE) {
        ComPtr<IXMLDOMParseError> parseError;
        Bstr reason;
        long line = 0;
        if (SUCCEEDED(document->get_parseError(parseError.Put())) && parseError) {
            parseError->get_reason(reason.Put());
            parseError->get_line(&line);
        }
        // Wine says only "error", on line 0: say what was being done as well.
        error = "The file is not well-formed XML";
        if (line > 0) error += " (line " + std::to_string(line) + ")";
        const std::string why = reason.Utf8();
        error += why.empty() ? "." : ": " + why;
        return false;
    }
    ComPtr<IXMLDOMElement> root;
    if (FAILED(document->get_documentElement(root.Put())) || !root) {
        error = "The file has no root element.";
        return false;
    }
    return Walk(root.Get(), 0, leaves, error);
}

}  // namespace platform::xml
