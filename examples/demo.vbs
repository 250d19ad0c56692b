' ZorUtility demonstration: what the path-string methods of TextFileFunctions make of a few paths.
Option Explicit
Dim tf, paths, p, s
Set tf = CreateObject("ZorUtility.TextFileFunctions")
paths = Array("C:\logs\app.log", "C:\x\archive.tar.gz", "\\server\share\f.txt", "C:/web/index.html", "readme")
For Each p In paths
    WScript.Echo "Path: " & p
    WScript.Echo "  ExtractDirectoryPath       = " & tf.ExtractDirectoryPath(p)
    WScript.Echo "  ExtractFilename            = " & tf.ExtractFilename(p)
    WScript.Echo "  ExtractFilenameNoExtension = " & tf.ExtractFilenameNoExtension(p)
    WScript.Echo "  ExtractExtension           = " & tf.ExtractExtension(p)
    WScript.Echo "  IsUNCName                  = " & tf.IsUNCName(p)
Next
' AddDirSep and AddURLDirSep change their argument in place (a by-reference String): C++ and
' other vtable clients see the change; see the README for what script engines pass.
