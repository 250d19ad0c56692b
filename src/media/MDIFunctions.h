#pragma once
#include "frame/dispatch.h"

namespace zor {

class MDIFunctions final : public DispatchObject<_MDIFunctions> {
public:
    MDIFunctions() : DispatchObject(L"ZorUtility.MDIFunctions") {}
    STDMETHODIMP PlayWavFile(BSTR strFilename, VARIANT_BOOL *result) override;
    STDMETHODIMP PrevCDTrack(VARIANT_BOOL *result) override;
    STDMETHODIMP NextCDTrack(VARIANT_BOOL *result) override;
    STDMETHODIMP EjectCD(VARIANT_BOOL *result) override;
    STDMETHODIMP StopWav(VARIANT_BOOL *result) override;
    STDMETHODIMP PlayAVIFile(BSTR strFilename, IDispatch *fraFrame, VARIANT_BOOL *result) override;
    STDMETHODIMP StopAVI(VARIANT_BOOL *result) override;
    STDMETHODIMP IncreaseWavVolume(VARIANT_BOOL *result) override;
    STDMETHODIMP DecreaseWavVolume(VARIANT_BOOL *result) override;
    STDMETHODIMP DecreaseMIDIVolume(VARIANT_BOOL *result) override;
    STDMETHODIMP IncreaseMIDIVolume(VARIANT_BOOL *result) override;
    STDMETHODIMP PlayMIDIFile(BSTR strFilename, VARIANT_BOOL *result) override;
    STDMETHODIMP PlayCD(VARIANT_BOOL *result) override;
    STDMETHODIMP StopMIDI(VARIANT_BOOL *result) override;
    STDMETHODIMP StopCD(VARIANT_BOOL *result) override;
};

} // namespace zor
