#include "MDIFunctions.h"

namespace zor {

// Not built yet: every method answers E_NOTIMPL.
STDMETHODIMP MDIFunctions::PlayWavFile(BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP MDIFunctions::PrevCDTrack(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP MDIFunctions::NextCDTrack(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP MDIFunctions::EjectCD(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP MDIFunctions::StopWav(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP MDIFunctions::PlayAVIFile(BSTR, IDispatch *, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP MDIFunctions::StopAVI(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP MDIFunctions::IncreaseWavVolume(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP MDIFunctions::DecreaseWavVolume(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP MDIFunctions::DecreaseMIDIVolume(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP MDIFunctions::IncreaseMIDIVolume(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP MDIFunctions::PlayMIDIFile(BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP MDIFunctions::PlayCD(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP MDIFunctions::StopMIDI(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP MDIFunctions::StopCD(VARIANT_BOOL *) { return E_NOTIMPL; }

} // namespace zor
