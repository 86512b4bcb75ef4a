// Clearing frees what the value owns and leaves it VT_EMPTY; a type this
// layer does not know is refused and left as it was, rather than leaked or
// freed the wrong way.

#include "objbase.h"

HRESULT PropVariantClear(PROPVARIANT* value) {
  if (value == nullptr) return S_OK;
  if ((value->vt & VT_BYREF) != 0) {  // a reference owns nothing
    PropVariantInit(value);
    return S_OK;
  }
  switch (value->vt) {
    case VT_EMPTY: case VT_NULL: case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
    case VT_I8: case VT_UI8: case VT_INT: case VT_UINT: case VT_R4: case VT_R8: case VT_CY: case VT_DATE:
    case VT_BOOL: case VT_ERROR: case VT_HRESULT: case VT_FILETIME:
      break;
    case VT_BSTR:
      SysFreeString(value->bstrVal);
      break;
    case VT_LPSTR:
      CoTaskMemFree(value->pszVal);
      break;
    case VT_LPWSTR:
      CoTaskMemFree(value->pwszVal);
      break;
    case VT_CLSID:
      CoTaskMemFree(value->puuid);
      break;
    case VT_UNKNOWN: case VT_DISPATCH:
      if (value->punkVal != nullptr) value->punkVal->Release();
      break;
    default:
      return DISP_E_BADVARTYPE;
  }
  PropVariantInit(value);
  return S_OK;
}
