#pragma once
#include "frame/dispatch.h"

namespace zor {

class AdvDataAccess final : public DispatchObject<_AdvDataAccess> {
public:
    AdvDataAccess();
    ~AdvDataAccess() override;
    STDMETHODIMP OpenACETable(BSTR strTable, LONG *result) override;
    STDMETHODIMP CloseACETable(LONG *lngTableHandle, VARIANT_BOOL *result) override;
    STDMETHODIMP OpenACEIndex(LONG lngTableHandle, BSTR strIndex, LONG *result) override;
    STDMETHODIMP CloseACEIndex(LONG *lngIndexHandle, VARIANT_BOOL *result) override;
    STDMETHODIMP SeekACERecord(LONG lngIndexHandle, BSTR strSeek, VARIANT_BOOL *result) override;
    STDMETHODIMP ApplyACEFilter(LONG lngTableHandle, BSTR strFilter, VARIANT_BOOL *result) override;
    STDMETHODIMP CloseAllACEConnections(VARIANT_BOOL *result) override;
    STDMETHODIMP LocateACERecord(LONG lngTableHandle, BSTR strFilter, VARIANT_BOOL *blnLocateFilter, VARIANT_BOOL *result) override;
};

} // namespace zor
