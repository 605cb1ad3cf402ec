#include "controls/AccessibleProxy.h"

#include <oleacc.h>

#include <string>

#include "framework/WideText.h"

namespace {

// The accessibility libraries are loaded at the first request: a program
// that no screen reader asks does not pay for them at its start.
struct AccessibilityLibraries {
  using CreateStd = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
  using FromObject = LRESULT(WINAPI*)(REFIID, WPARAM, IUnknown*);
  using AllocString = BSTR(WINAPI*)(const OLECHAR*);
  using InitCom = HRESULT(WINAPI*)(void*, DWORD);

  CreateStd createStdAccessibleObject = nullptr;
  FromObject lresultFromObject = nullptr;
  AllocString sysAllocString = nullptr;
  bool ready = false;

  AccessibilityLibraries() {
    HMODULE oleacc = ::LoadLibraryA("oleacc.dll");
    HMODULE oleaut = ::LoadLibraryA("oleaut32.dll");
    HMODULE ole = ::LoadLibraryA("ole32.dll");
    if (!oleacc || !oleaut || !ole) return;
    createStdAccessibleObject =
        reinterpret_cast<CreateStd>(reinterpret_cast<void*>(::GetProcAddress(oleacc, "CreateStdAccessibleObject")));
    lresultFromObject =
        reinterpret_cast<FromObject>(reinterpret_cast<void*>(::GetProcAddress(oleacc, "LresultFromObject")));
    sysAllocString = reinterpret_cast<AllocString>(reinterpret_cast<void*>(::GetProcAddress(oleaut, "SysAllocString")));
    auto initCom = reinterpret_cast<InitCom>(reinterpret_cast<void*>(::GetProcAddress(ole, "CoInitializeEx")));
    // The object is handed out through COM; the window's thread is a
    // single-threaded apartment from the first request on.
    if (initCom) initCom(nullptr, COINIT_APARTMENTTHREADED);
    ready = createStdAccessibleObject && lresultFromObject && sysAllocString && initCom;
  }
};

const AccessibilityLibraries& libraries() {
  static const AccessibilityLibraries loaded;
  return loaded;
}

BSTR wideString(const CString& text) { return libraries().sysAllocString(wideFromAnsi(text.c_str()).c_str()); }

bool isSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's object for the control, but for what the program says of it.
class AccessibleProxy final : public IAccessible {
public:
  AccessibleProxy(IAccessible* inner, const AccessibleTexts& texts) : m_inner(inner), m_texts(texts) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    // Anything else the system's object offers would bypass the program's
    // texts; it is not offered.
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_references)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return m_inner->GetTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return m_inner->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return m_inner->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* error, UINT* argument) override {
    return m_inner->Invoke(id, iid, locale, flags, params, result, error, argument);
  }

  // IAccessible: name, value and role from the program, the rest the system's.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!name) return E_POINTER;
    if (!isSelf(child) || !m_texts.name) return m_inner->get_accName(child, name);
    *name = wideString(m_texts.name());
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (!value) return E_POINTER;
    if (!isSelf(child) || (!m_texts.value && !m_texts.wideValue)) return m_inner->get_accValue(child, value);
    *value = m_texts.wideValue ? libraries().sysAllocString(m_texts.wideValue().c_str()) : wideString(m_texts.value());
    return *value ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    if (!isSelf(child) || m_texts.role == 0) return m_inner->get_accRole(child, role);
    role->vt = VT_I4;
    role->lVal = m_texts.role;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return m_inner->get_accParent(parent); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override { return m_inner->get_accChildCount(count); }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return m_inner->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return m_inner->get_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return m_inner->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override { return m_inner->get_accHelp(child, text); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return m_inner->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
    return m_inner->get_accKeyboardShortcut(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return m_inner->get_accFocus(child); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override { return m_inner->get_accSelection(children); }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override {
    return m_inner->get_accDefaultAction(child, text);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override { return m_inner->accSelect(flags, child); }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
    return m_inner->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return m_inner->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    return m_inner->accHitTest(x, y, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return m_inner->accDoDefaultAction(child); }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return m_inner->put_accName(child, name); }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return m_inner->put_accValue(child, value);
  }

private:
  ~AccessibleProxy() { m_inner->Release(); }

  LONG m_references = 1;
  IAccessible* m_inner;
  // A copy: the object may be asked after the request that made it.
  AccessibleTexts m_texts;
};

}  // namespace

LRESULT answerAccessibleObject(HWND control, WPARAM wParam, LPARAM lParam, const AccessibleTexts& texts) {
  if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return 0;
  const AccessibilityLibraries& system = libraries();
  if (!system.ready) return 0;
  IAccessible* inner = nullptr;
  if (FAILED(system.createStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                                              reinterpret_cast<void**>(&inner))) ||
      !inner)
    return 0;
  AccessibleProxy* proxy = new AccessibleProxy(inner, texts);
  const LRESULT result = system.lresultFromObject(__uuidof(IAccessible), wParam, proxy);
  proxy->Release();  // the result holds its own reference
  return result < 0 ? 0 : result;
}
