#include "Win32Functions.h"

namespace zor {

// Not built yet: every method answers E_NOTIMPL.
STDMETHODIMP Win32Functions::GetWindowsSysDir(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::StripTerminator(BSTR, BSTR *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::GetWindowsDir(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::GetTempFilename(VARIANT, BSTR *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::GetWindowsTempDir(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::WindowsExit(short, short *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::GetFreeDiskSpace(BSTR, short *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::GetTotalDiskSpace(BSTR, short *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::GetDiskVolumeName(BSTR, BSTR *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::GetDiskSerialNumber(BSTR, BSTR *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::GetMaxFilenameLength(BSTR, LONG *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::GetFileSystemName(BSTR, BSTR *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::GetDiskVolumeFlags(BSTR, BSTR *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::SetWallpaper(BSTR, LONG *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::RemoveWallpaper(LONG *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::CopyFiles(BSTR *, BSTR *, short *, BSTR *, short *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::PutWindowOnTop(LONG, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::GetWindowsVersion(LONG *) { return E_NOTIMPL; }
STDMETHODIMP Win32Functions::ExecuteAndWait(BSTR) { return E_NOTIMPL; }

} // namespace zor
