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

' A day's log, an INI file and the two whole-file reads, in a folder under the temp folder.
Dim fso, dir, logf, ini, lines, i
Set fso = CreateObject("Scripting.FileSystemObject")
dir = fso.GetSpecialFolder(2) & "\zordemo\"
If Not fso.FolderExists(dir) Then fso.CreateFolder dir
logf = dir & "app.log"
WScript.Echo ""
WScript.Echo "Log file " & logf
WScript.Echo "  CreateLogFileWithBackup = " & tf.CreateLogFileWithBackup(logf, "Log of " & Date, 7)
WScript.Echo "  UpdateLogFile           = " & tf.UpdateLogFile(logf, Time & ",demo started")
WScript.Echo "  IsInLogFile(""demo"")     = " & tf.IsInLogFile(logf, "demo")
WScript.Echo "  ReadTextFileString      = " & tf.ReadTextFileString(logf)
lines = tf.ReadTextFileVariant(logf)
For i = 0 To UBound(lines)
    WScript.Echo "  ReadTextFileVariant(" & i & ")  = " & lines(i)
Next
ini = dir & "demo.ini"
WScript.Echo "INI file " & ini
WScript.Echo "  CreateINIFile           = " & tf.CreateINIFile(ini, "; written by the demonstration")
WScript.Echo "  WriteINIFile            = " & tf.WriteINIFile(ini, "General", "Colour", "Blue")
WScript.Echo "  ReadIniFile             = " & tf.ReadIniFile(ini, "General", "Colour")
WScript.Echo "  FileExists / DirExists  = " & tf.FileExists(ini) & " / " & tf.DirExists(dir)
WScript.Echo "  GetShortName            = " & tf.GetShortName(dir & "a long file name.text")
