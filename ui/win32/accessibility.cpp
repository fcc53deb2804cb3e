// What assistive technology reads of the main window's controls: one table of
// names, roles, descriptions, values and default actions, given to the
// system's accessibility proxies as Dynamic Annotation where the system has
// it, and answered to WM_GETOBJECT (OBJID_CLIENT) by an object that takes
// everything else from the standard proxy. oleacc.dll is loaded, and the
// controls annotated, at the first WM_GETOBJECT a control receives.
//
// Where the annotations are in place, the controls that they serve fully are
// left to the system: a window that answers WM_GETOBJECT with its own object
// is served to UI Automation clients through the MSAA proxy instead of the
// system's own proxy of its class, and an edit box would lose its text
// pattern. Where the system has no annotations (Wine), every control answers.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <oleacc.h>

#include <exception>
#include <iterator>
#include <string>
#include <utility>

#include "commands/launcher.h"
#include "commands/links.h"
#include "common/win32/com_ptr.h"
#include "common/win32/wide.h"
#include "ui/win32/designs.h"
#include "ui/win32/internal.h"
#include "ui/win32/win32_services.h"

namespace tianti::win32 {

using ui::Ctl;

namespace {

// The interface and property identifiers, defined here: MinGW-w64's oleacc
// import library gives IID_IAccessible as an import thunk, which makes a
// query for it fail, and the program links no oleacc library anyway.
constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr IID kIidAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr CLSID kClsidAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kPropName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr GUID kPropValue = {0x123fe443, 0x211a, 0x4615, {0x95, 0x27, 0xc4, 0x5a, 0x7e, 0x93, 0x71, 0x7a}};
constexpr GUID kPropDescription = {0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};
constexpr GUID kPropRole = {0xcb905ff2, 0x7bd1, 0x4c05, {0xb3, 0xc8, 0xe6, 0xc2, 0x41, 0x36, 0x4d, 0x70}};
constexpr GUID kPropDefaultAction = {0x180c072b, 0xc27f, 0x43c7, {0x99, 0x22, 0xf6, 0x35, 0x62, 0xa4, 0x63, 0x2b}};
constexpr MSAAPROPID kAnnotated[] = {kPropName, kPropValue, kPropDescription, kPropRole, kPropDefaultAction};

// Where a name or a description comes from.
enum class From {
  kProxy,        // the standard proxy's (a caption, a label's text); no description
  kToolTip,      // the control's tool tip
  kFixed,        // the table's text
  kToolTipRest,  // the tool tip after the table's name, which it starts with
};

// NOLINTNEXTLINE(clang-analyzer-optin.performance.Padding): fields in the order of the table's columns
struct AccessibleDesign {
  Ctl id;
  long role;
  From name;
  const wchar_t* fixed_name;
  From description;
  const commands::Link* link;  // a link label: its value and default action
  const wchar_t* fixed_description = nullptr;
  // Answered with the control's own object also where annotations are in
  // place: it does what they cannot (a link's action, an off-screen state).
  bool own_object = false;
};

constexpr wchar_t kLinkAction[] = L"打开";
constexpr wchar_t kHiddenBox[] = L"在窗口之外，不参与查询";

// The main window's controls, in the order of its layout table.
constexpr AccessibleDesign kAccessibleDesigns[] = {
    {Ctl::Picture1, ROLE_SYSTEM_GRAPHIC, From::kFixed, L"程序图标", From::kProxy, nullptr},
    {Ctl::Label1, ROLE_SYSTEM_STATICTEXT, From::kProxy, nullptr, From::kProxy, nullptr},
    {Ctl::Frame1, ROLE_SYSTEM_GROUPING, From::kProxy, nullptr, From::kProxy, nullptr},
    {Ctl::Label5, ROLE_SYSTEM_STATICTEXT, From::kProxy, nullptr, From::kToolTip, nullptr},
    {Ctl::Text1, ROLE_SYSTEM_TEXT, From::kToolTip, nullptr, From::kProxy, nullptr},
    {Ctl::Label3, ROLE_SYSTEM_STATICTEXT, From::kProxy, nullptr, From::kToolTip, nullptr},
    {Ctl::Text2, ROLE_SYSTEM_TEXT, From::kToolTip, nullptr, From::kProxy, nullptr},
    {Ctl::Command2, ROLE_SYSTEM_PUSHBUTTON, From::kProxy, nullptr, From::kToolTip, nullptr},
    {Ctl::Option1, ROLE_SYSTEM_RADIOBUTTON, From::kProxy, nullptr, From::kToolTip, nullptr},
    {Ctl::Option2, ROLE_SYSTEM_RADIOBUTTON, From::kProxy, nullptr, From::kToolTip, nullptr},
    {Ctl::Option3, ROLE_SYSTEM_RADIOBUTTON, From::kProxy, nullptr, From::kToolTip, nullptr},
    {Ctl::Label4, ROLE_SYSTEM_STATICTEXT, From::kProxy, nullptr, From::kToolTip, nullptr},
    {Ctl::Text5, ROLE_SYSTEM_TEXT, From::kToolTip, nullptr, From::kProxy, nullptr},
    {Ctl::Text6, ROLE_SYSTEM_TEXT, From::kToolTip, nullptr, From::kProxy, nullptr},
    {Ctl::Text7, ROLE_SYSTEM_TEXT, From::kToolTip, nullptr, From::kProxy, nullptr},
    {Ctl::Command3, ROLE_SYSTEM_PUSHBUTTON, From::kProxy, nullptr, From::kToolTip, nullptr},
    {Ctl::Text8, ROLE_SYSTEM_TEXT, From::kFixed, L"查询结果(仅显示前30条)", From::kToolTipRest, nullptr},
    {Ctl::Command6, ROLE_SYSTEM_PUSHBUTTON, From::kProxy, nullptr, From::kToolTip, nullptr},
    {Ctl::Label2, ROLE_SYSTEM_STATICTEXT, From::kProxy, nullptr, From::kProxy, nullptr},
    {Ctl::Text9, ROLE_SYSTEM_TEXT, From::kToolTip, nullptr, From::kProxy, nullptr},
    {Ctl::Label6, ROLE_SYSTEM_LINK, From::kProxy, nullptr, From::kToolTip, &commands::kGeekbenchLink, nullptr, true},
    {Ctl::Label7, ROLE_SYSTEM_LINK, From::kProxy, nullptr, From::kToolTip, &commands::kLudashiLink, nullptr, true},
    {Ctl::Label8, ROLE_SYSTEM_LINK, From::kProxy, nullptr, From::kToolTip, &commands::kPconlineLink, nullptr, true},
    {Ctl::Label9, ROLE_SYSTEM_LINK, From::kProxy, nullptr, From::kToolTip, &commands::kMicrosoftLink, nullptr, true},
    {Ctl::Command7, ROLE_SYSTEM_PUSHBUTTON, From::kProxy, nullptr, From::kToolTip, nullptr},
    {Ctl::Command5, ROLE_SYSTEM_PUSHBUTTON, From::kProxy, nullptr, From::kToolTip, nullptr},
    {Ctl::Command4, ROLE_SYSTEM_PUSHBUTTON, From::kProxy, nullptr, From::kToolTip, nullptr},
    {Ctl::Command1, ROLE_SYSTEM_PUSHBUTTON, From::kProxy, nullptr, From::kToolTip, nullptr},
    // Outside the window: the proxies would name them after a label they do
    // not belong to (Label1 before Text3 in z-order).
    {Ctl::Text3, ROLE_SYSTEM_TEXT, From::kFixed, L"隐藏输入框1", From::kFixed, nullptr, kHiddenBox, true},
    {Ctl::Text4, ROLE_SYSTEM_TEXT, From::kFixed, L"隐藏输入框2", From::kFixed, nullptr, kHiddenBox, true},
};
static_assert(std::size(kAccessibleDesigns) == ui::kForm1ControlCount, "every control of the main window");

const AccessibleDesign* AccessibleDesignOf(Ctl control) {
  for (const AccessibleDesign& d : kAccessibleDesigns) {
    if (d.id == control) return &d;
  }
  return nullptr;
}

// What the table gives a control, resolved against its tool tip. An empty
// text leaves the property to the standard proxy.
struct AccessibleTexts {
  std::wstring name;
  std::wstring description;
  std::wstring value;
  std::wstring default_action;
};

// `fixed` is the table's text for this property; the name's, where the
// tool tip starts with the name.
std::wstring Resolve(From from, const wchar_t* fixed, const wchar_t* name, const std::wstring& tooltip) {
  switch (from) {
    case From::kToolTip:
      return tooltip;
    case From::kFixed:
      return fixed;
    case From::kToolTipRest: {
      const std::wstring head = name;
      return tooltip.compare(0, head.size(), head) == 0 ? tooltip.substr(head.size()) : tooltip;
    }
    case From::kProxy:
      break;
  }
  return {};
}

AccessibleTexts TextsOf(const AccessibleDesign& d, const std::wstring& tooltip) {
  AccessibleTexts t;
  t.name = Resolve(d.name, d.fixed_name, d.fixed_name, tooltip);
  t.description = Resolve(d.description, d.fixed_description, d.fixed_name, tooltip);
  if (d.link) {
    t.value = ToWide(commands::LaunchAddress(d.link->command));
    t.default_action = kLinkAction;
  }
  return t;
}

HRESULT PutString(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocString(text.c_str());
  return *out ? S_OK : E_OUTOFMEMORY;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// A control's accessible object: the standard proxy's, with the table's
// name, role, description, value and default action, and the states that
// the proxy may not know (a checked option, a box outside the window).
// It holds copies of its texts and only the control's handle, so a client
// may keep it after the window is gone.
class ControlAccessible final : public IAccessible, public IOleWindow {
 public:
  ControlAccessible(IAccessible* standard, HWND hwnd, const AccessibleDesign& design, AccessibleTexts texts)
      : standard_(standard), hwnd_(hwnd), design_(design), texts_(std::move(texts)) {
    standard_->AddRef();
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kIidAccessible)) {
      *out = static_cast<IAccessible*>(this);
    } else if (IsEqualIID(riid, IID_IOleWindow)) {
      *out = static_cast<IOleWindow*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: the standard proxy's.
  STDMETHODIMP GetTypeInfoCount(UINT* n) override { return standard_->GetTypeInfoCount(n); }
  STDMETHODIMP GetTypeInfo(UINT i, LCID lcid, ITypeInfo** info) override {
    return standard_->GetTypeInfo(i, lcid, info);
  }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT n, LCID lcid, DISPID* ids) override {
    return standard_->GetIDsOfNames(riid, names, n, lcid, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* arg_error) override {
    return standard_->Invoke(id, riid, lcid, flags, params, result, exception, arg_error);
  }

  // IOleWindow
  STDMETHODIMP GetWindow(HWND* hwnd) override {
    if (!hwnd) return E_POINTER;
    *hwnd = hwnd_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IAccessible: the table's properties of the control itself.
  STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
    return TextOr(child, texts_.name, name, &IAccessible::get_accName);
  }
  STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override {
    return TextOr(child, texts_.description, description, &IAccessible::get_accDescription);
  }
  STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
    return TextOr(child, texts_.value, value, &IAccessible::get_accValue);
  }
  STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
    return TextOr(child, texts_.default_action, action, &IAccessible::get_accDefaultAction);
  }
  STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child)) return standard_->get_accRole(child, role);
    if (!role) return E_POINTER;
    VariantInit(role);
    role->vt = VT_I4;
    role->lVal = design_.role;
    return S_OK;
  }
  STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
    const HRESULT hr = standard_->get_accState(child, state);
    if (FAILED(hr) || !IsSelf(child) || state->vt != VT_I4 || !IsWindow(hwnd_)) return hr;
    if (design_.role == ROLE_SYSTEM_RADIOBUTTON && SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED) {
      state->lVal |= STATE_SYSTEM_CHECKED;
    }
    if (design_.link) state->lVal |= STATE_SYSTEM_LINKED;
    // Wholly outside its window's client area: shown nowhere.
    RECT rc{}, client{}, common{};
    GetWindowRect(hwnd_, &rc);
    HWND parent = GetParent(hwnd_);
    GetClientRect(parent, &client);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
    if (!IntersectRect(&common, &rc, &client)) state->lVal |= STATE_SYSTEM_OFFSCREEN;
    return hr;
  }
  STDMETHODIMP accDoDefaultAction(VARIANT child) override {
    if (!IsSelf(child) || !design_.link) return standard_->accDoDefaultAction(child);
    // A click, exactly as the mouse's: posted, so that a client's call
    // returns at once whatever the click then does.
    if (!IsWindow(hwnd_)) return E_FAIL;
    const WPARAM command = MAKEWPARAM(GetDlgCtrlID(hwnd_), STN_CLICKED);
    return PostMessageW(GetParent(hwnd_), WM_COMMAND, command, reinterpret_cast<LPARAM>(hwnd_)) ? S_OK : E_FAIL;
  }

  // IAccessible: everything else as the standard proxy has it.
  STDMETHODIMP get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
  STDMETHODIMP get_accChildCount(long* count) override { return standard_->get_accChildCount(count); }
  STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override { return standard_->get_accChild(child, out); }
  STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override { return standard_->get_accHelp(child, help); }
  STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return standard_->get_accKeyboardShortcut(child, shortcut);
  }
  STDMETHODIMP get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
  STDMETHODIMP get_accSelection(VARIANT* selection) override { return standard_->get_accSelection(selection); }
  STDMETHODIMP accSelect(long flags, VARIANT child) override { return standard_->accSelect(flags, child); }
  STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    return standard_->accLocation(left, top, width, height, child);
  }
  STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override { return standard_->accHitTest(x, y, child); }
  STDMETHODIMP put_accName(VARIANT child, BSTR name) override { return standard_->put_accName(child, name); }
  STDMETHODIMP put_accValue(VARIANT child, BSTR value) override { return standard_->put_accValue(child, value); }

 private:
  ~ControlAccessible() { standard_->Release(); }

  // The table's text for the control itself; the standard proxy's answer for
  // its children, and where the table has none.
  using StandardText = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
  HRESULT TextOr(VARIANT child, const std::wstring& text, BSTR* out, StandardText standard) {
    if (!IsSelf(child) || text.empty()) return (standard_->*standard)(child, out);
    return PutString(text, out);
  }

  LONG refs_ = 1;
  IAccessible* standard_;
  HWND hwnd_;
  const AccessibleDesign& design_;
  const AccessibleTexts texts_;
};

}  // namespace

void Win32Services::EnableAccessibility(HWND control) {
  SetWindowSubclass(control, AccessibleSubclassProc, kAccessibleSubclass, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK Win32Services::AccessibleSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                                       DWORD_PTR data) {
  auto* self = reinterpret_cast<Win32Services*>(data);
  try {
    if (msg == WM_GETOBJECT) {
      self->Annotate();
      // The object identifier is a 32-bit value in the low half.
      if (static_cast<LONG>(static_cast<DWORD>(lp)) == OBJID_CLIENT) {
        if (const LRESULT answer = self->AnswerClientObject(hwnd, wp)) return answer;
      }
    } else if (msg == WM_NCDESTROY) {
      RemoveWindowSubclass(hwnd, AccessibleSubclassProc, id);
    }
  } catch (const std::exception& e) {
    self->ReportFailure(WidenMessage(e.what()));
  } catch (...) {
    self->ReportFailure(L"未知错误");
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT Win32Services::AnswerClientObject(HWND control, WPARAM wp) {
  const int index = ControlIndexOf(control);
  if (index < 0) return 0;
  const AccessibleDesign* design = AccessibleDesignOf(static_cast<Ctl>(index));
  if (!design || (annotated_ && !design->own_object)) return 0;
  ComPtr<IAccessible> standard;
  if (FAILED(CreateStdAccessibleObject(control, OBJID_CLIENT, kIidAccessible, standard.put_void()))) return 0;
  auto* object = new ControlAccessible(standard.get(), control, *design,
                                       TextsOf(*design, ToWide(tooltips_[static_cast<std::size_t>(index)])));
  const LRESULT answer = LresultFromObject(kIidAccessible, wp, static_cast<IAccessible*>(object));
  object->Release();
  return answer > 0 ? answer : 0;  // on failure the standard proxy answers
}

// Once, at the first request: every control of the main window gets the
// table's texts and role as annotations of the system's proxies, which serve
// clients of UI Automation as well. Where the system has no annotations
// (E_NOTIMPL under Wine), the answers to WM_GETOBJECT are all there is.
void Win32Services::Annotate() {
  if (annotation_tried_) return;
  annotation_tried_ = true;
  ComPtr<IAccPropServices> services;
  if (FAILED(CoCreateInstance(kClsidAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIidAccPropServices,
                              services.put_void()))) {
    return;
  }
  for (const AccessibleDesign& d : kAccessibleDesigns) {
    HWND hwnd = controls_[Index(d.id)];
    if (!hwnd) continue;
    VARIANT role;
    VariantInit(&role);
    role.vt = VT_I4;
    role.lVal = d.role;
    if (FAILED(services->SetHwndProp(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kPropRole, role))) {
      return;
    }
    annotated_ = true;
    const AccessibleTexts t = TextsOf(d, ToWide(tooltips_[Index(d.id)]));
    const std::pair<const GUID&, const std::wstring&> texts[] = {{kPropName, t.name},
                                                                 {kPropDescription, t.description},
                                                                 {kPropValue, t.value},
                                                                 {kPropDefaultAction, t.default_action}};
    for (const auto& [prop, text] : texts) {
      if (text.empty()) continue;
      services->SetHwndPropStr(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, prop, text.c_str());
    }
  }
}

// The annotations go before the controls do.
void Win32Services::ClearAnnotations() {
  if (!annotated_) return;
  annotated_ = false;
  ComPtr<IAccPropServices> services;
  if (FAILED(CoCreateInstance(kClsidAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIidAccPropServices,
                              services.put_void()))) {
    return;
  }
  for (const AccessibleDesign& d : kAccessibleDesigns) {
    if (HWND hwnd = controls_[Index(d.id)]) {
      services->ClearHwndProps(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kAnnotated,
                               static_cast<int>(std::size(kAnnotated)));
    }
  }
}

}  // namespace tianti::win32
