' Win32Functions from VBScript: result types, error numbers and CopyFiles' by-reference parameters.
Dim w : Set w = CreateObject("ZorUtility.Win32Functions")
Eq w.WindowsExit(2), 0, "WindowsExit 2: Integer 0, nothing done"
Eq w.PutWindowOnTop(0), True, "PutWindowOnTop: Boolean"
Eq w.GetMaxFilenameLength("C:\"), CLng(255), "GetMaxFilenameLength: Long"
Dim dir : dir = ScratchDir("systemcopy")
Dim src, dst, r : src = dir & "src" : dst = dir & "dst"
CreateObject("Scripting.FileSystemObject").CreateFolder src
CreateObject("Scripting.FileSystemObject").CreateFolder dst
WriteText src & "\a.txt", "a"
Eq Left(w.GetTempFilename(dir), Len(dir) + 3), dir & "ZOR", "GetTempFilename with a variable (a reference)"
On Error Resume Next
r = w.GetFreeDiskSpace("C:\")
Eq Err.Number, CLng(6), "GetFreeDiskSpace of a large volume: overflow"
Err.Clear
On Error GoTo 0
r = w.CopyFiles((src), (dst), 0, "*.txt") ' in parentheses they go by value and stay as they were
Eq r, -1, "CopyFiles: Integer -1"
Eq dst, dir & "dst", "dstPath unchanged"
Eq FileText(dst & "\a.txt"), "a", "file copied"
Dim subs : subs = 0
r = w.CopyFiles(src, dst, subs, "*.txt") ' variables go by reference: they receive the normalised paths
Eq r, -1, "CopyFiles with variables"
Eq dst, UCase(dir) & "DST\", "dstPath normalised, as a String"
Eq src, UCase(dir) & "SRC\", "srcPath normalised"
Eq subs, 0, "IncludeSubDirs comes back as an Integer"
Eq w.CopyFiles(dir & "src", dir & "new", -1, "*.*"), -1, "CopyFiles into a missing folder makes it"
On Error Resume Next
r = w.CopyFiles(dir & "src", dir & "nowhere\new", 0, "*.*")
Eq Err.Number, CLng(76), "CopyFiles into a folder whose parent is missing: path not found"
On Error GoTo 0
Report
