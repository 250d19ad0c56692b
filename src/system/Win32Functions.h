#pragma once
#include "frame/dispatch.h"
#include "runtime/callbuffer.h"

namespace zor {

class Win32Functions final : public DispatchObject<_Win32Functions> {
public:
    Win32Functions() : DispatchObject(L"ZorUtility.Win32Functions") {}
    STDMETHODIMP GetWindowsSysDir(BSTR *result) override;
    STDMETHODIMP StripTerminator(BSTR strString, BSTR *result) override;
    STDMETHODIMP GetWindowsDir(BSTR *result) override;
    STDMETHODIMP GetTempFilename(VARIANT strPath, BSTR *result) override;
    STDMETHODIMP GetWindowsTempDir(BSTR *result) override;
    STDMETHODIMP WindowsExit(short intOption, short *result) override;
    STDMETHODIMP GetFreeDiskSpace(BSTR strDrive, short *result) override;
    STDMETHODIMP GetTotalDiskSpace(BSTR strDrive, short *result) override;
    STDMETHODIMP GetDiskVolumeName(BSTR strDrive, BSTR *result) override;
    STDMETHODIMP GetDiskSerialNumber(BSTR strDrive, BSTR *result) override;
    STDMETHODIMP GetMaxFilenameLength(BSTR strDrive, LONG *result) override;
    STDMETHODIMP GetFileSystemName(BSTR strDrive, BSTR *result) override;
    STDMETHODIMP GetDiskVolumeFlags(BSTR strDrive, BSTR *result) override;
    STDMETHODIMP SetWallpaper(BSTR strBitmap, LONG *result) override;
    STDMETHODIMP RemoveWallpaper(LONG *result) override;
    STDMETHODIMP CopyFiles(BSTR *srcPath, BSTR *dstPath, short *IncludeSubDirs, BSTR *FilePat, short *result) override;
    STDMETHODIMP PutWindowOnTop(LONG lngFormhWnd, VARIANT_BOOL *result) override;
    STDMETHODIMP GetWindowsVersion(LONG *result) override;
    STDMETHODIMP ExecuteAndWait(BSTR strCommandLine) override;

private:
    void EnableShutdownPrivilege();
    std::wstring stripped(CallBuffer& buffer);       // StripTerminator, through the interface

    int copyDepth_ = 0;     // CopyFiles levels running on this object, each one nested in the one before
    std::wstring copyRoot_; // the outermost level's destination: never copied into itself
};

} // namespace zor
