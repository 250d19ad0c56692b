' Tree-copy benchmark: CopyFiles against FileSystemObject.CopyFolder on the same tree, three
' rounds each, alternating. Arguments: the source tree, and the folder for the copies.
Option Explicit
Dim w : Set w = CreateObject("ZorUtility.Win32Functions")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
Dim src : src = WScript.Arguments(0)
Dim base : base = WScript.Arguments(1)

Function Elapsed(t0)
    Elapsed = Timer - t0
    If Elapsed < 0 Then Elapsed = Elapsed + 86400
End Function
Sub Remove(folder)
    If fso.FolderExists(folder) Then fso.DeleteFolder folder, True
End Sub
Function Files(folder)
    Dim f, n : n = folder.Files.Count
    For Each f In folder.SubFolders : n = n + Files(f) : Next
    Files = n
End Function

Dim i, t0, r, ours, anchor
Const rounds = 3
For i = 1 To rounds
    Remove base & "\ours" ' made by the copy, as CopyFolder makes its destination
    t0 = Timer
    r = w.CopyFiles((src), (base & "\ours"), 1, "*.*")
    ours = ours + Elapsed(t0)
    If r <> -1 Then WScript.Echo "CopyFiles returned " & r

    Remove base & "\anchor"
    t0 = Timer
    fso.CopyFolder src, base & "\anchor"
    anchor = anchor + Elapsed(t0)
Next
WScript.Echo "files copied: CopyFiles " & Files(fso.GetFolder(base & "\ours")) & ", CopyFolder " & Files(fso.GetFolder(base & "\anchor"))
WScript.Echo "CopyFiles " & FormatNumber(ours / rounds, 3) & " s, FileSystemObject.CopyFolder " & FormatNumber(anchor / rounds, 3) & _
    " s per copy; ratio " & FormatNumber(ours / anchor, 2) & " (target <= 1.0)"
