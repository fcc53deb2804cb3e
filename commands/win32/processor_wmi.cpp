#include "commands/win32/processor_wmi.h"

#include <windows.h>
#include <wbemidl.h>

#include "common/win32/com_ptr.h"

namespace tianti::commands::win32 {

using tianti::win32::Bstr;
using tianti::win32::ComPtr;
using tianti::win32::Variant;

namespace {

// The namespace of the local computer, as a moniker and as the object path
// that the locator takes (the moniker without its "winmgmts:" scheme).
constexpr wchar_t kMoniker[] = L"winmgmts:\\\\.\\root\\CIMV2";
constexpr std::size_t kSchemeLength = 9;  // "winmgmts:"

ProcessorReport Failed(std::u16string_view step, HRESULT hr) {
  return ProcessorReport::Failed(std::u16string(step), static_cast<std::uint32_t>(hr));
}

// The security a moniker without security settings gets: the caller's
// identity, impersonation allowed. An object served in-process (as under
// some WMI implementations) is no proxy and answers E_NOINTERFACE: it needs
// no blanket.
HRESULT SetDefaultBlanket(IUnknown* proxy) {
  HRESULT hr = CoSetProxyBlanket(proxy, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                                 RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  return hr == E_NOINTERFACE ? S_OK : hr;
}

}  // namespace

ProcessorReport WmiProcessorSource::Query() { return QueryWmiNames(L"select * from win32_processor"); }

ProcessorReport QueryWmiNames(const wchar_t* wql) {
  // 1. Bind the namespace.
  ComPtr<IWbemLocator> locator;
  HRESULT hr = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator, locator.put_void());
  if (FAILED(hr)) return Failed(kStepBind, hr);
  Bstr path(kMoniker + kSchemeLength);
  if (!path) return Failed(kStepBind, E_OUTOFMEMORY);
  ComPtr<IWbemServices> services;
  hr = locator->ConnectServer(path.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.put());
  if (FAILED(hr)) return Failed(kStepBind, hr);
  hr = SetDefaultBlanket(services.get());
  if (FAILED(hr)) return Failed(kStepBind, hr);

  // 2. Run the query, with the flags a query through the moniker gets by
  // default (return at once, results arrive while enumerating).
  Bstr language(L"WQL");
  Bstr query(wql);
  if (!language || !query) return Failed(kStepExecQuery, E_OUTOFMEMORY);
  ComPtr<IEnumWbemClassObject> results;
  hr = services->ExecQuery(language.get(), query.get(), WBEM_FLAG_RETURN_IMMEDIATELY, nullptr, results.put());
  if (FAILED(hr)) return Failed(kStepExecQuery, hr);
  hr = SetDefaultBlanket(results.get());
  if (FAILED(hr)) return Failed(kStepExecQuery, hr);

  // 3. Every result's Name, in the result set's order.
  ProcessorReport report;
  for (;;) {
    ComPtr<IWbemClassObject> object;
    ULONG returned = 0;
    hr = results->Next(static_cast<long>(WBEM_INFINITE), 1, object.put(), &returned);
    if (FAILED(hr)) return Failed(kStepEnumerate, hr);
    if (returned == 0) break;  // WBEM_S_FALSE: the end of the set

    Variant name;
    hr = object->Get(L"Name", 0, name.get(), nullptr, nullptr);
    if (FAILED(hr)) return Failed(kStepReadName, hr);
    if ((*name).vt == VT_NULL || (*name).vt == VT_EMPTY) {
      report.names.emplace_back(std::nullopt);
      continue;
    }
    if ((*name).vt != VT_BSTR) {
      hr = VariantChangeType(name.get(), name.get(), 0, VT_BSTR);
      if (FAILED(hr)) return Failed(kStepReadName, hr);
    }
    BSTR text = (*name).bstrVal;
    report.names.emplace_back(std::u16string(text, text + SysStringLen(text)));
  }
  return report;
}

}  // namespace tianti::commands::win32
