' ZorUtility demonstration: the path strings, log and INI files and whole-file reads of
' TextFileFunctions, then the string, date, scrambling and web page helpers, the system
' functions, the settings store and table access, each called by name from VBScript as any
' script client calls them.
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
' AddDirSep and AddURLDirSep change their argument in place (a by-reference String).
p = "C:\logs"
tf.AddDirSep p
WScript.Echo "AddDirSep p (a variable)       -> p = " & p

' A day's log, an INI file and the two whole-file reads, in a folder under the temp folder.
Dim fso, dir, logf, ini, lines, i
Set fso = CreateObject("Scripting.FileSystemObject")
dir = fso.GetSpecialFolder(2) & "\zordemo\"
If fso.FolderExists(dir) Then fso.DeleteFolder Left(dir, Len(dir) - 1), True
fso.CreateFolder dir
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

' Strings, numbers and dates.
Dim vf, df
Set vf = CreateObject("ZorUtility.VariousFunctions")
Set df = CreateObject("ZorUtility.DateFunctions")
WScript.Echo ""
WScript.Echo "Strings, numbers and dates"
WScript.Echo "  DataExists(""   "")            = " & vf.DataExists("   ")
WScript.Echo "  ExtractDecimal(""12.345"", 2)  = " & vf.ExtractDecimal("12.345", 2)
WScript.Echo "  ExtractRubbish(""AB-12 c!"")   = " & vf.ExtractRubbish("AB-12 c!")
WScript.Echo "  GetLastDayInMonth(2000-02-01) = " & df.GetLastDayInMonth(DateSerial(2000, 2, 1))
WScript.Echo "  GetLastDayInMonth(1900-02-10) = " & df.GetLastDayInMonth(DateSerial(1900, 2, 10))
WScript.Echo "  IsLeapYear(1900)              = " & df.IsLeapYear(1900)
Dim t0 : t0 = Timer
vf.Sleep (0.25)
WScript.Echo "  Sleep(0.25) waited about      " & FormatNumber(Timer - t0, 2) & " s"

' Password-keyed scrambling of a string and a file.
Dim ef, secret, plain
Set ef = CreateObject("ZorUtility.EncryptFunctions")
secret = ef.EncryptString("Meet me at noon", "swordfish")
WScript.Echo ""
WScript.Echo "Scrambling"
WScript.Echo "  EncryptString                 = " & secret
WScript.Echo "  DecryptString                 = " & ef.DecryptString(secret, "swordfish")
WScript.Echo "  CryptFile (log -> .scr)       = " & ef.CryptFile(logf, dir & "app.scr", "swordfish")
WScript.Echo "  CryptFile (.scr -> .txt)      = " & ef.CryptFile(dir & "app.scr", dir & "app.txt", "swordfish")
WScript.Echo "  round trip equals the log     = " & (tf.ReadTextFileString(dir & "app.txt") = tf.ReadTextFileString(logf))

' Web page helpers.
Dim asp
Set asp = CreateObject("ZorUtility.ASPFunctions")
WScript.Echo ""
WScript.Echo "Web page helpers"
WScript.Echo "  GetCounter (a new visit)      = " & asp.GetCounter(dir & "hits.cnt", True)
WScript.Echo "  GetFileDate(log)              = " & asp.GetFileDate(logf)
WScript.Echo "  ReadTextFile(log)             = " & asp.ReadTextFile(logf)
WScript.Echo "  ComboListDirectory            = " & asp.ComboListDirectory("files", dir, True)

' System functions.
Dim w, copy, subs
Set w = CreateObject("ZorUtility.Win32Functions")
WScript.Echo ""
WScript.Echo "System functions"
WScript.Echo "  GetWindowsDir / GetWindowsSysDir = " & w.GetWindowsDir & " / " & w.GetWindowsSysDir
WScript.Echo "  GetWindowsTempDir             = " & w.GetWindowsTempDir
WScript.Echo "  GetTempFilename(dir)          = " & w.GetTempFilename(dir)
WScript.Echo "  GetFileSystemName(""C:\"")      = " & w.GetFileSystemName("C:\")
WScript.Echo "  GetMaxFilenameLength(""C:\"")   = " & w.GetMaxFilenameLength("C:\")
WScript.Echo "  GetDiskVolumeFlags(""C:\"")     = " & Replace(Replace(w.GetDiskVolumeFlags("C:\"), vbCr, ""), vbLf, ", ")
WScript.Echo "  GetWindowsVersion             = " & w.GetWindowsVersion
copy = Left(dir, Len(dir) - 1) & "-copy"
If fso.FolderExists(copy) Then fso.DeleteFolder copy, True
fso.CreateFolder copy
Dim src : src = dir : subs = 0
WScript.Echo "  CopyFiles(dir, copy, 0, ""*.log"") = " & w.CopyFiles(src, copy, subs, "*.log") & "; copy is now " & copy
WScript.Echo "  the copy holds app.log        = " & tf.FileExists(copy & "app.log")

' The per-user settings store.
Dim rf, all
Set rf = CreateObject("ZorUtility.RegistryFunctions")
WScript.Echo ""
WScript.Echo "Settings store"
WScript.Echo "  SaveRegSetting Colour, Width  = " & rf.SaveRegSetting("ZorDemo", "Window", "Colour", "Blue") & ", " & rf.SaveRegSetting("ZorDemo", "Window", "Width", "640")
WScript.Echo "  GetRegSetting Colour          = " & rf.GetRegSetting("ZorDemo", "Window", "Colour")
all = rf.GetAllRegSettings("ZorDemo", "Window")
For i = 0 To UBound(all, 1)
    WScript.Echo "  GetAllRegSettings(" & i & ")       = " & all(i, 0) & " = " & all(i, 1)
Next
WScript.Echo "  DeleteRegSetting (section)    = " & rf.DeleteRegSetting("ZorDemo", "Window")

' Table access through the database engine: the customer table of the test data.
Dim ada, data, tbl, idx, found
Set ada = CreateObject("ZorUtility.AdvDataAccess")
data = fso.GetParentFolderName(fso.GetParentFolderName(WScript.ScriptFullName)) & "\tests\data\xbase\"
WScript.Echo ""
WScript.Echo "Table access"
tbl = ada.OpenACETable(data & "CUSTOMER.DBF")
WScript.Echo "  OpenACETable(CUSTOMER.DBF)    = " & tbl
idx = ada.OpenACEIndex(tbl, data & "CUSTNAME.NTX")
WScript.Echo "  OpenACEIndex(CUSTNAME.NTX)    = " & idx
WScript.Echo "  SeekACERecord(""SMITH"")        = " & ada.SeekACERecord(idx, "SMITH")
WScript.Echo "  SeekACERecord(""Nobody"")       = " & ada.SeekACERecord(idx, "Nobody")
found = 0
Dim more : more = False
Do While ada.LocateACERecord(tbl, "CITY = ""Lon""", more)
    found = found + 1
Loop
WScript.Echo "  LocateACERecord: customers in a city starting ""Lon"" = " & found
WScript.Echo "  CloseAllACEConnections        = " & ada.CloseAllACEConnections
